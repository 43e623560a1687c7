// Decoding an AMR storage file whole into a 16-bit PCM WAV file.
#pragma once

// Decodes the narrow-band track at `amrPath` with the AMR-NB decoder, or a
// wide-band one with the AMR-WB decoder, and writes it to `wavPath`, one
// 20 ms block of every channel after the other. A truncated last block is
// dropped. Returns 1 when the whole track was written, 0 when the track
// cannot be opened (no WAV file is made then), the WAV file cannot be
// created, the decoder cannot start, or the WAV file could not be finished.
int ConvertAmrToWav(const char* amrPath, const char* wavPath);
