// Encoding 8000 Hz 16-bit PCM as an AMR-NB storage file at 12.2 kbit/s.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// Samples in one 20 ms AMR frame.
inline constexpr size_t kAmrFrameSamples = 160;

// Appends "#!AMR\n" and one 12.2 kbit/s frame for every 160 samples to
// `track`; a last part frame is completed with silence. False when the
// encoder cannot start.
bool EncodeAmrTrack(const int16_t* samples, size_t count, std::vector<uint8_t>& track);
