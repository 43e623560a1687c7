// Writing one frame of a clip as a standalone JPEG file.
#pragma once

#include <cstdint>
#include <string>

#include "container/frame_index.h"

// Writes frame k of the clip `bytes`, as laid out by `index`, to `path`
// (created or truncated). In the shared-header layout a later frame gets the
// header prefix in front of its body. Returns false when the file cannot be
// created or a write fails; a regular file left half-written is removed.
bool WriteFrameFile(const uint8_t* bytes, const FrameIndex& index, uint32_t k,
                    const std::string& path);
