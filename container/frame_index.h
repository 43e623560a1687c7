// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// The frame index of a ZRV clip: where each JPEG frame starts, where the
// sound track begins, and whether later frames borrow the first frame's header.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

// Entries in the offset table: frame starts plus one end marker.
inline constexpr uint32_t MAX_FRAME_OFFSETS = 655360;

struct FrameIndex {
  FrameIndex();
  FrameIndex(const FrameIndex&) = delete;
  FrameIndex& operator=(const FrameIndex&) = delete;
  // Exchanges the contents, tables included, without copying them.
  void Swap(FrameIndex& other) noexcept;

  uint32_t frameCount = 0;
  // Entries 0..frameCount-1 are frame starts (the offset of each FF D8), entry
  // frameCount is the end marker: audioStart with sound, the file length
  // without. Frame k is the bytes [frameOffsets[k], frameOffsets[k+1]).
  // The table is allocated once, at full capacity, when the index is made;
  // entries past frameCount are undefined.
  uint32_t* frameOffsets = nullptr;
  bool hasSound = false;
  uint32_t audioStart = 0;  // offset of the '#' of "#!AMR"
  uint32_t audioEnd = 0;    // offset of the file's last byte
  bool sharedHeader = false;
  uint32_t headerLength = 0;  // bytes from offset 0 that later frames lack

 private:
  std::unique_ptr<uint32_t[]> m_table;
};

// Scans a clip held in memory and fills `index`. Never fails and never
// allocates; frameCount 0 means the bytes hold no frame.
void BuildFrameIndex(const uint8_t* bytes, uint32_t length, FrameIndex& index);

// `size` bytes of a clip at `offset`, or null when they cannot be read. The
// bytes stay valid until the next call.
using ReadClipBytes = std::function<const uint8_t*(uint32_t offset, uint32_t size)>;

// The smallest piece BuildFrameIndexInPieces reads at a time.
inline constexpr uint32_t kMinIndexPiece = 64;

// The index BuildFrameIndex makes, for a clip of `length` bytes that is not
// held in memory: it is read front to back through `read`, in pieces of at
// most `piece` bytes, so that one reused buffer of that size suffices.
// False when a read fails; the index then holds nothing usable.
bool BuildFrameIndexInPieces(const ReadClipBytes& read, uint32_t length, uint32_t piece,
                             FrameIndex& index);

// The first frame alone, as BuildFrameIndexInPieces would index it, read
// only as far as it goes: frameCount 1, its end marker where the second
// frame or the sound track starts (or the file ends); frameCount 0 when the
// clip holds no frame. Its sound fields tell of a track only when one
// follows the first frame directly.
bool BuildFirstFrameIndex(const ReadClipBytes& read, uint32_t length, uint32_t piece,
                          FrameIndex& index);

// Bytes of frame k's standalone JPEG stream (header prefix included).
uint64_t FrameStreamLength(const FrameIndex& index, uint32_t k);
