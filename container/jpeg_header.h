// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// The header of a JPEG stream: its FF D8 and the marker segments in front of
// its first scan, which the shared-header layout keeps in the first frame only.
#pragma once

#include <cstddef>
#include <cstdint>

// The offset of the first start-of-scan marker (FF DA), found by walking the
// marker segments from the FF D8 at offset 0: the header is the bytes in
// front of it. 0 when the bytes are not laid out as a JPEG stream (no FF D8
// first, a segment running past the end, an end of image before any scan).
size_t JpegHeaderLength(const uint8_t* bytes, size_t size);
