#include "audio/amr_to_wav.h"

#include "audio/amr_decoder.h"
#include "audio/wav_writer.h"

int ConvertAmrToWav(const char* amrPath, const char* wavPath) {
  AmrBlockDecoder decoder;
  if (!decoder.Open(amrPath)) return 0;

  const short channels = short(decoder.channels());
  WavWriter* writer = WavCreate(wavPath, channels, 16, decoder.sampleRate());
  int result = 0;
  if (writer && decoder.Start()) {
    while (decoder.Next())
      WavWriteSamples(writer, decoder.ChannelSamples(), decoder.samplesPerBlock(), channels);
    result = 1;
  }
  // Without a decoder this still leaves a valid WAV file with no samples.
  if (writer && !WavClose(writer)) result = 0;
  return result;
}
