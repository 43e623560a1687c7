// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// An AMR storage file held in memory, delimited into blocks without decoding:
// what a demuxer needs to hand the frames on and to know the sound's length.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

struct AmrTrackLayout {
  int32_t format = -1;  // AmrFormat, -1 when no magic matched
  int channels = 0;
  int sampleRate = 0;
  // Offsets, from the start of the track, of every whole block, then the
  // end of the last whole block: block b is [blockStarts[b], blockStarts[b+1]).
  // A truncated last block is left out, as the reader leaves it out.
  std::vector<uint32_t> blockStarts;

  bool known() const { return format >= 0; }
  int64_t blocks() const { return blockStarts.empty() ? 0 : int64_t(blockStarts.size()) - 1; }
  // Samples per channel the track decodes to: each block is 20 ms.
  int64_t samples() const { return blocks() * (sampleRate / 50); }
};

// Delimits the `size` bytes of `track` with the reader's frame-size tables.
// A track of no known magic, or one whose channel count the reader refuses,
// has format -1 and no blocks.
AmrTrackLayout ScanAmrTrack(const uint8_t* track, size_t size);

// `size` bytes of a track at `offset`, or null when they cannot be read. The
// bytes stay valid until the next call.
using ReadTrackBytes = std::function<const uint8_t*(size_t offset, size_t size)>;

// The smallest piece ScanAmrTrackInPieces reads at a time: room for any
// magic and channel count.
inline constexpr size_t kMinTrackPiece = 64;

// The same layout for a track that is not held in memory, read front to
// back through `read` in pieces of at most `piece` bytes: only the magic and
// each frame's type byte are looked at. False when a read fails. The scan
// stops once it has found more than `maxBlocks` blocks (blocks() then tells
// maxBlocks + 1), so that a caller bounding the sound's length holds no
// table for hours of one-byte blocks.
bool ScanAmrTrackInPieces(const ReadTrackBytes& read, size_t size, size_t piece, AmrTrackLayout& layout,
                          int64_t maxBlocks = INT64_MAX);

// The number of whole blocks of a track held in memory (each 20 ms of
// sound), counted from the frames' type bytes without decoding anything, as
// AmrReadBlock would deliver them. -1 when the bytes start with no known
// magic or describe no channels or more than AMR_MAX_CHANNELS.
int64_t AmrCountBlocks(const uint8_t* data, size_t size);
