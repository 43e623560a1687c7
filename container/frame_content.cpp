// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
#include "container/frame_content.h"

#include <algorithm>
#include <cstring>

void JpegSegmentWalk::Feed(const uint8_t* data, uint64_t length) {
  uint64_t i = 0;
  while (i < length && !done()) {
    const uint8_t byte = data[i];
    switch (m_state) {
      case State::soiFirst:
        m_state = byte == 0xFF ? State::soiSecond : State::broken;
        break;
      case State::soiSecond:
        m_state = byte == 0xD8 ? State::markerStart : State::broken;
        break;
      case State::markerStart:
        m_state = byte == 0xFF ? State::markerCode : State::broken;
        break;
      case State::markerCode:
        if (byte == 0xFF) break;  // fill bytes
        if (byte == 0xD9 || byte == 0x00) {
          m_state = State::broken;  // the image ends before a scan
        } else if (byte == 0x01 || byte == 0xD8 || (byte >= 0xD0 && byte <= 0xD7)) {
          m_state = State::markerStart;  // markers without a length
        } else {
          m_sos = byte == 0xDA;
          // Frame headers: every SOFn but DHT (C4), JPG (C8) and DAC (CC).
          m_sof = byte >= 0xC0 && byte <= 0xCF && byte != 0xC4 && byte != 0xC8 && byte != 0xCC;
          m_state = State::lengthHigh;
        }
        break;
      case State::lengthHigh:
        m_length = uint32_t(byte) << 8;
        m_state = State::lengthLow;
        break;
      case State::lengthLow:
        m_length |= byte;
        if (m_length < 2) {
          m_state = State::broken;
          break;
        }
        m_toSkip = m_length - 2;
        m_state = m_toSkip ? State::skip : m_sos ? State::scanStart : State::markerStart;
        break;
      case State::skip: {
        const uint64_t position = m_length - 2 - m_toSkip;
        if (m_sof && position < sizeof m_sofBytes) {
          m_sofBytes[position] = byte;
          if (position + 1 == sizeof m_sofBytes) {
            m_height = m_sofBytes[1] << 8 | m_sofBytes[2];
            m_width = m_sofBytes[3] << 8 | m_sofBytes[4];
          }
          if (--m_toSkip == 0) m_state = State::markerStart;
          break;
        }
        const uint64_t n = std::min(m_toSkip, length - i);
        m_toSkip -= n;
        i += n;
        if (m_toSkip == 0) m_state = m_sos ? State::scanStart : State::markerStart;
        continue;
      }
      case State::scanStart:
        m_state = byte == 0xFF ? State::scanAfterFF : State::scanData;
        break;
      case State::scanAfterFF:
        m_state = byte == 0xD9 ? State::broken : State::scanData;
        break;
      case State::scanData:
      case State::broken:
        break;
    }
    ++i;
  }
}

FrameContent::FrameContent(const uint8_t* bytes, const FrameIndex& index)
    : m_bytes(bytes), m_index(index) {
  if (index.sharedHeader) m_afterHeader.Feed(bytes, index.headerLength);
}

JpegSegmentWalk FrameContent::Walk(uint32_t k) const {
  const FrameStreamPieces pieces = FrameStreamOf(m_bytes, m_index, k);
  JpegSegmentWalk walk = pieces.headLength ? m_afterHeader : JpegSegmentWalk();
  walk.Feed(pieces.body, pieces.bodyLength);
  return walk;
}

bool FrameContent::HasScanData(uint32_t k) const { return Walk(k).foundScanData(); }

bool FrameContent::DeclaredSize(uint32_t k, int& width, int& height) const {
  const JpegSegmentWalk walk = Walk(k);
  width = walk.width();
  height = walk.height();
  return walk.foundScanData();
}

bool FrameContent::RepeatsPrevious(uint32_t k) const {
  if (k == 0 || (m_index.sharedHeader && k == 1)) return false;  // frame 0 carries the header itself
  const FrameStreamPieces a = FrameStreamOf(m_bytes, m_index, k - 1);
  const FrameStreamPieces b = FrameStreamOf(m_bytes, m_index, k);
  return a.bodyLength == b.bodyLength && std::memcmp(a.body, b.body, a.bodyLength) == 0;
}
