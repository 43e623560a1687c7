// Decoding one JPEG stream held in memory (a frame's standalone stream, for
// instance) in full colour, without the palette the player draws with.
#pragma once

#include <cstddef>
#include <cstdint>

#include "image/rgb_picture.h"

// Reads the stream's header only: the picture's size. False when the header
// is not a JPEG header libjpeg accepts.
bool ReadJpegSize(const uint8_t* data, size_t size, int& width, int& height);

// Decodes the stream into `picture` as red, green and blue rows (grey-scale
// pictures give grey rows). `picture` is resized to the stream's size; its
// memory is reused when the size stays. Returns false, leaving `picture`
// unspecified, when the stream does not decode: a broken stream, a colour
// space without an RGB form (CMYK), or a picture larger in area than
// kMaxImagePixels, which is refused before anything is allocated for it.
// Recoverable damage (a truncated scan, stray bytes) still decodes, as
// libjpeg fills what is missing.
bool DecodeJpegRgb(const uint8_t* data, size_t size, RgbPicture& picture);
