# zrv_audio: AMR reader, WAV writer, AMR to WAV conversion.
