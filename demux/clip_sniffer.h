// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// Telling a ZRV clip from a lone JPEG picture by its first bytes: both begin
// with a JPEG stream, but only a clip goes on, right after the first
// picture's end, with another picture or with its sound track.
#pragma once

#include <cstdint>
#include <functional>

// `size` bytes of the stream at `offset`, or null when they are not (yet)
// there. The bytes stay valid until the next call.
using PeekBytes = std::function<const uint8_t*(uint64_t offset, uint32_t size)>;

struct JpegStart {
  bool ok = false;         // marker segments up to a scan, as a JPEG stream has
  bool multiPicture = false;  // an MPF segment: a camera's multi-picture file
  uint32_t width = 0, height = 0;  // from the frame header; 0 when there is none
  uint64_t scanStart = 0;  // the first byte after the first scan's header
};

// Walks the marker segments of the JPEG stream at `offset` up to its first
// scan. `limit` bounds how far the walk may go.
JpegStart ReadJpegStart(const PeekBytes& peek, uint64_t offset, uint64_t limit);

// The offset just past the end-of-image marker of the JPEG stream whose
// first scan begins at `scanStart`, or 0 when none lies before `limit` (or
// before the bytes run out). `length` is the stream's length, 0 if unknown.
uint64_t FindJpegEnd(const PeekBytes& peek, uint64_t scanStart, uint64_t length, uint64_t limit);

// True when the stream is a ZRV clip: a JPEG stream at offset 0 (not a
// multi-picture file), ended by its end-of-image marker and followed at once
// by the FF D8 of a second frame (of either layout) or by "#!AMR".
// `length` is the stream's length, 0 if unknown.
bool LooksLikeClip(const PeekBytes& peek, uint64_t length);
