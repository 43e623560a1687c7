#include "audio/amr_to_wav.h"

#include <cstdlib>
#include <opencore-amrnb/interf_dec.h>
#include <opencore-amrwb/dec_if.h>

#include "audio/amr_reader.h"
#include "audio/wav_writer.h"

namespace {

// The two speech decoders behind one face.
struct Decoder {
  bool wide;
  void* state;

  bool Start() {
    state = wide ? D_IF_init() : Decoder_Interface_init();
    return state != nullptr;
  }
  void Decode(const uint8_t* frame, short* samples) {
    if (wide)
      D_IF_decode(state, frame, samples, 0);
    else
      Decoder_Interface_Decode(state, frame, samples, 0);
  }
  void Stop() {
    if (wide)
      D_IF_exit(state);
    else
      Decoder_Interface_exit(state);
  }
};

// Frame types that are not decoded: the channel repeats its previous block.
// Narrow band: the other SID kinds and the reserved types (9 to 14). Wide
// band: the reserved types (10 to 13); its SID (9), lost (14) and no-data
// (15) frames go to the decoder.
bool RepeatsPreviousBlock(bool wide, int frameType) {
  return wide ? frameType >= 10 && frameType <= 13 : frameType >= 9 && frameType <= 14;
}

}  // namespace

int ConvertAmrToWav(const char* amrPath, const char* wavPath) {
  AmrReader* reader = AmrOpen(amrPath);
  if (!reader) return 0;

  const int channels = reader->channels;
  const int samplesPerBlock = reader->sampleRate / 50;  // 20 ms
  // Zero-filled, so that a channel whose first frame is not decoded is silent.
  auto* samples = static_cast<short*>(std::calloc(size_t(channels * samplesPerBlock), sizeof(short)));
  if (!samples) {
    AmrClose(reader);
    return 0;
  }
  short* channelSamples[AMR_MAX_CHANNELS];
  for (int k = 0; k < channels; ++k) channelSamples[k] = samples + k * samplesPerBlock;

  WavWriter* writer = WavCreate(wavPath, short(channels), 16, reader->sampleRate);
  Decoder decoder{AmrIsWideBand(reader->format), nullptr};
  int result = 0;
  if (writer && decoder.Start()) {
    while (AmrReadBlock(reader)) {
      for (int k = 0; k < channels; ++k) {
        // This channel and the ones after it keep the previous block.
        if (RepeatsPreviousBlock(decoder.wide, AmrFrameType(reader->frame[k][0]))) break;
        decoder.Decode(reader->frame[k], channelSamples[k]);
      }
      WavWriteSamples(writer, channelSamples, samplesPerBlock, short(channels));
    }
    decoder.Stop();
    result = 1;
  }
  // Without a decoder this still leaves a valid WAV file with no samples.
  if (writer && !WavClose(writer)) result = 0;
  AmrClose(reader);
  std::free(samples);
  return result;
}
