// The picture size a JPEG stream declares, read by libjpeg from its header.
#pragma once

#include <cstddef>
#include <cstdint>

// Width times height from the stream's frame header; 0 when libjpeg finds no
// readable header.
uint64_t DeclaredJpegPixels(const uint8_t* data, size_t size);

// libjpeg decodes every row that a picture declares, data or not, so a few
// hundred bytes can ask for seconds of work. The targets skip streams above
// this size to keep each run short; the readers' handling of the size itself
// is reached all the same.
inline constexpr uint64_t kMaxFuzzedJpegPixels = 1 << 20;
