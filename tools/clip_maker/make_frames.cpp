// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
#include "tools/clip_maker/make_frames.h"

#include "container/file_block.h"
#include "image/jpeg_grey.h"
#include "tools/clip_maker/test_pattern.h"

std::string FrameSource::Name(uint32_t k) const {
  return m_request.fromJpegs ? "'" + m_request.jpegs[k] + "'" : "frame " + std::to_string(k);
}

bool FrameSource::Get(uint32_t k, std::vector<uint8_t>& jpeg, std::string& why) {
  if (m_request.fromJpegs) {
    FileBlock block;
    if (ReadWholeFile(m_request.jpegs[k], block) != ReadStatus::ok) {
      why = "cannot read " + Name(k);
      return false;
    }
    jpeg.assign(block.data(), block.data() + block.size());
    return true;
  }
  RgbPicture picture(int(m_request.width), int(m_request.height));
  PaintTestFrame(picture, k, m_request.frames, m_request.grey);
  if (m_encoder.EncodeRgb(picture, jpeg)) {
    if (!m_request.grey) return true;
    std::vector<uint8_t> colour = std::move(jpeg);
    if (DropColourComponents(colour, jpeg)) return true;
  }
  why = "cannot compress " + Name(k);
  return false;
}
