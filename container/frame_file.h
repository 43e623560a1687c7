// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// Writing one frame of a clip as a standalone JPEG file.
#pragma once

#include <cstdint>
#include <string>

#include "container/frame_index.h"

// Frame k's standalone JPEG stream as two pieces of the clip, one after the
// other: the header prefix that a shared-header frame lacks (empty in the
// plain layout and for frame 0), then the frame's own bytes (from the first
// frame's second byte on, for a shared-header frame after the first).
struct FrameStreamPieces {
  const uint8_t* head = nullptr;
  uint32_t headLength = 0;
  const uint8_t* body = nullptr;
  uint32_t bodyLength = 0;

  uint64_t length() const { return uint64_t(headLength) + bodyLength; }
};
// The same two pieces as offsets in the clip, for a clip that is not held in
// memory: the header prefix is [0, headLength), the body follows it.
struct FrameStreamSpans {
  uint32_t headLength = 0;
  uint32_t bodyOffset = 0;
  uint32_t bodyLength = 0;

  uint64_t length() const { return uint64_t(headLength) + bodyLength; }
};

// k must be below index.frameCount.
FrameStreamSpans FrameStreamSpansOf(const FrameIndex& index, uint32_t k);
// k must be below index.frameCount.
FrameStreamPieces FrameStreamOf(const uint8_t* bytes, const FrameIndex& index, uint32_t k);

// Writes frame k of the clip `bytes`, as laid out by `index`, to `path`
// (created or truncated). In the shared-header layout a later frame gets the
// header prefix in front of its body. Returns false when the file cannot be
// created or a write fails; a regular file left half-written is removed.
bool WriteFrameFile(const uint8_t* bytes, const FrameIndex& index, uint32_t k,
                    const std::string& path);
