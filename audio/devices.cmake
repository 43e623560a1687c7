# zrv_audio_device: wave playback (SDL2) and master volume (libpulse).
