// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// The frames that zrvtool make writes: synthetic ones, or JPEG files.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/clip_maker/make_request.h"
#include "image/jpeg_encoder.h"

class FrameSource {
 public:
  explicit FrameSource(const MakeRequest& request)
      : m_request(request), m_encoder(int(request.quality)) {}

  // How messages name frame k: its file, or its number.
  std::string Name(uint32_t k) const;
  // The JPEG stream of frame k; false, with `why` set, when there is none.
  bool Get(uint32_t k, std::vector<uint8_t>& jpeg, std::string& why);

 private:
  const MakeRequest& m_request;
  JpegEncoder m_encoder;
};
