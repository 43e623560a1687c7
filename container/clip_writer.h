// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// Writing a ZRV clip: JPEG frames back to back in the plain or the
// shared-header layout, then the sound track. The clip is written as a
// pending file (PendingFile), read back as the player reads it, and takes its
// own name, durably, only when the player would find in it exactly the
// frames, layout and track that were written.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "container/pending_file.h"

enum class ClipLayout {
  plain,         // every frame a whole JPEG stream
  sharedHeader,  // the first frame whole; the later ones FF D8 and their scan
};

// How messages name frame k: "frame 3", or the file it came from.
using FrameNamer = std::function<std::string(uint32_t k)>;

class ClipWriter {
 public:
  // Makes the pending file for `destination`; see PendingFile::Create.
  bool Create(const std::string& destination, ClipLayout layout, bool replace, std::string& error);

  // Appends the next frame, given as a complete JPEG stream. In the
  // shared-header layout every frame after the first must begin with the
  // first one's header (same size, same tables). On failure `why` says what
  // is wrong with the frame or the file.
  bool AddFrame(const uint8_t* jpeg, size_t size, const FrameNamer& name, std::string& why);

  // Appends the AMR storage file `track` (empty for none), closes the file
  // and reads it back as the player does. False, with `why`, when the player
  // would see other frames, another layout or no track.
  bool Finish(const std::vector<uint8_t>& track, const FrameNamer& name, std::string& why);

  // Gives the finished clip its name; see PendingFile::Publish.
  bool Publish(std::string& error) { return m_file.Publish(error); }

  uint32_t frames() const { return uint32_t(m_frameOffsets.size()); }
  uint64_t size() const { return m_file.size(); }

 private:
  bool Fail(const std::string& message, std::string& why);

  PendingFile m_file;
  ClipLayout m_layout = ClipLayout::plain;
  std::vector<uint8_t> m_firstHeader;
  std::vector<uint32_t> m_frameOffsets;
  bool m_hasSound = false;
  uint32_t m_audioStart = 0;
};
