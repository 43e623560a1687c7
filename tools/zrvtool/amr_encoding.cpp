#include "tools/zrvtool/amr_encoding.h"

#include <algorithm>
#include <opencore-amrnb/interf_enc.h>

bool EncodeAmrTrack(const int16_t* samples, size_t count, std::vector<uint8_t>& track) {
  void* encoder = Encoder_Interface_init(0);  // no discontinuous transmission
  if (!encoder) return false;
  static const char kMagic[] = "#!AMR\n";
  track.insert(track.end(), kMagic, kMagic + 6);
  for (size_t at = 0; at < count; at += kAmrFrameSamples) {
    short frame[kAmrFrameSamples] = {};
    std::copy(samples + at, samples + std::min(count, at + kAmrFrameSamples), frame);
    unsigned char out[32];
    const int bytes = Encoder_Interface_Encode(encoder, MR122, frame, out, 0);
    track.insert(track.end(), out, out + std::max(bytes, 0));
  }
  Encoder_Interface_exit(encoder);
  return true;
}
