// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// Cheap questions about a frame's standalone stream that need no decoding:
// does it hold any picture data at all, and is it the frame before it again.
// A clip of a few hundred kilobytes can hold a hundred thousand frames that
// are nothing but FF D8, each of which would otherwise be rebuilt with the
// shared header and handed to a decoder or a file.
#pragma once

#include <cstdint>

#include "container/frame_file.h"
#include "container/frame_index.h"

// Follows a JPEG stream's segments, piece by piece, up to its scan.
class JpegSegmentWalk {
 public:
  void Feed(const uint8_t* data, uint64_t length);
  // True once the stream has reached a scan with at least one byte of data.
  bool foundScanData() const { return m_state == State::scanData; }
  // True once the walk can tell no more: scan data found, or the stream ended
  // (EOI, a broken marker) before any.
  bool done() const { return m_state == State::scanData || m_state == State::broken; }
  // The size the last frame header (SOF) passed declares; 0 x 0 before one.
  int width() const { return m_width; }
  int height() const { return m_height; }

 private:
  enum class State { soiFirst, soiSecond, markerStart, markerCode, lengthHigh, lengthLow, skip,
                     scanStart, scanAfterFF, scanData, broken };
  State m_state = State::soiFirst;
  bool m_sos = false;
  bool m_sof = false;
  uint8_t m_sofBytes[5] = {};  // precision, height, width
  int m_width = 0, m_height = 0;
  uint32_t m_length = 0;
  uint64_t m_toSkip = 0;
};

class FrameContent {
 public:
  // `bytes` is the clip that `index` describes; both outlive this object.
  FrameContent(const uint8_t* bytes, const FrameIndex& index);

  // True when frame k's standalone stream reaches a scan that holds data:
  // without one there is no picture to decode. The shared header is walked
  // once, not once a frame.
  bool HasScanData(uint32_t k) const;
  // The walk over frame k's stream up to its scan data.
  JpegSegmentWalk Walk(uint32_t k) const;
  // True when frame k (k >= 1) is byte for byte the frame before it.
  bool RepeatsPrevious(uint32_t k) const;
  // The size frame k's stream declares, read from its frame header without a
  // decoder; false when it reaches no scan data.
  bool DeclaredSize(uint32_t k, int& width, int& height) const;

 private:
  const uint8_t* m_bytes;
  const FrameIndex& m_index;
  JpegSegmentWalk m_afterHeader;  // the walk once the shared header is behind it
};
