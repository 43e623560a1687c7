#include "audio/amr_track.h"

#include "audio/amr_reader.h"

AmrTrackLayout ScanAmrTrack(const uint8_t* track, size_t size) {
  AmrTrackLayout layout;
  const int format = AmrMatchMagic(track, size);
  if (format < 0) return layout;
  size_t pos = size_t(AmrMagicLength(format));
  int channels = 1;
  if (format == amrNarrowBandMulti || format == amrWideBandMulti) {
    // The channel count is the low half of a big-endian 32-bit field.
    if (size < pos + 4) return layout;
    channels = track[pos + 2] << 8 | track[pos + 3];
    pos += 4;
  }
  if (channels < 1 || channels > AMR_MAX_CHANNELS) return layout;
  layout.format = format;
  layout.channels = channels;
  layout.sampleRate = AmrIsWideBand(format) ? 16000 : 8000;

  layout.blockStarts.push_back(uint32_t(pos));
  for (;;) {
    size_t end = pos;
    int k = 0;
    for (; k < channels && end < size; ++k)
      end += 1 + size_t(AmrPayloadBytes(format, AmrFrameType(track[end])));
    if (k < channels || end > size) break;
    pos = end;
    layout.blockStarts.push_back(uint32_t(pos));
  }
  return layout;
}
