// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
#include "audio/amr_track.h"

#include <algorithm>

#include "audio/amr_reader.h"

AmrTrackLayout ScanAmrTrack(const uint8_t* track, size_t size) {
  AmrTrackLayout layout;
  const ReadTrackBytes inMemory = [track](size_t offset, size_t) { return track + offset; };
  ScanAmrTrackInPieces(inMemory, size, std::max(size, kMinTrackPiece), layout);
  return layout;
}

bool ScanAmrTrackInPieces(const ReadTrackBytes& read, size_t size, size_t piece, AmrTrackLayout& layout,
                          int64_t maxBlocks) {
  layout = AmrTrackLayout();
  if (size == 0) return true;
  piece = std::max(piece, kMinTrackPiece);
  // The piece in hand: bytes [from, to) of the track.
  size_t from = 0, to = std::min(size, piece);
  const uint8_t* bytes = read(0, to);
  if (!bytes) return false;

  const int format = AmrMatchMagic(bytes, to);
  if (format < 0) return true;
  size_t pos = size_t(AmrMagicLength(format));
  int channels = 1;
  if (format == amrNarrowBandMulti || format == amrWideBandMulti) {
    // The channel count is the low half of a big-endian 32-bit field.
    if (size < pos + 4) return true;
    channels = bytes[pos + 2] << 8 | bytes[pos + 3];
    pos += 4;
  }
  if (channels < 1 || channels > AMR_MAX_CHANNELS) return true;
  layout.format = format;
  layout.channels = channels;
  layout.sampleRate = AmrIsWideBand(format) ? 16000 : 8000;

  layout.blockStarts.push_back(uint32_t(pos));
  while (layout.blocks() <= maxBlocks) {
    size_t end = pos;
    int k = 0;
    for (; k < channels && end < size; ++k) {
      if (end >= to) {  // the next type byte lies in a later piece
        from = end;
        to = from + std::min(piece, size - from);
        bytes = read(from, to - from);
        if (!bytes) return false;
      }
      end += 1 + size_t(AmrPayloadBytes(format, AmrFrameType(bytes[end - from])));
    }
    if (k < channels || end > size) break;
    pos = end;
    layout.blockStarts.push_back(uint32_t(pos));
  }
  return true;
}

int64_t AmrCountBlocks(const uint8_t* data, size_t size) {
  const AmrTrackLayout layout = ScanAmrTrack(data, size);
  return layout.known() ? layout.blocks() : -1;
}
