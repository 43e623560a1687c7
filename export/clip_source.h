// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// The clip being exported: read whole, indexed, and its frames' standalone
// streams handed out one at a time.
#pragma once

#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

#include "container/clip_file.h"
#include "export/export_failure.h"

class ClipSource {
 public:
  // Reads and indexes the clip. On failure `failure` says why.
  bool Load(const std::string& path, ExportFailure& failure);

  const FrameIndex& index() const { return m_clip.index; }
  uint32_t frameCount() const { return m_clip.index.frameCount; }
  const FileBlock& bytes() const { return m_clip.bytes; }
  // The clip file's modification time.
  const timespec& modified() const { return m_clip.modified; }

  // Frame k's complete standalone stream. Points into the clip when the
  // frame lies there whole, else into a buffer of this object that the next
  // call reuses.
  const uint8_t* FrameStream(uint32_t k, size_t& length);
  // True when `data` points into the clip's own bytes.
  bool Holds(const uint8_t* data) const;

 private:
  LoadedClip m_clip;
  std::vector<uint8_t> m_rebuilt;
};

// The clip's file name without folder and extension: the exported title.
std::string ClipTitle(const std::string& path);
