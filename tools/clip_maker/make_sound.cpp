// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
#include "tools/clip_maker/make_sound.h"

#include <algorithm>
#include <cstring>

#include "audio/amr_reader.h"
#include "container/file_block.h"
#include "audio/amr_encoder.h"
#include "tools/clip_maker/tone.h"
#include "audio/wav_input.h"

namespace {

using Bytes = std::vector<uint8_t>;

constexpr uint64_t kAmrFramesPerSecond = 50;
// The scan never finds a sound track that starts in the last ten bytes.
constexpr size_t kShortestFindableTrack = 11;

bool ToneTrack(const MakeRequest& request, Bytes& track, std::string& why) {
  // As long as the frames last, to the nearest 20 ms, and never silent.
  const uint64_t n = request.FrameCount(), f = request.fps;
  const uint64_t amrFrames = std::max<uint64_t>(1, (kAmrFramesPerSecond * n + f / 2) / f);
  const std::vector<int16_t> tone = ToneSamples(uint32_t(amrFrames * 20));
  if (EncodeAmrTrack(tone.data(), tone.size(), track)) return true;
  why = "the AMR encoder cannot start";
  return false;
}

bool AmrFileTrack(const std::string& path, Bytes file, Bytes& track, std::string& why) {
  AmrReader* reader = AmrOpen(path.c_str());
  if (!reader) {
    why = "'" + path + "' is not an AMR storage file of a kind the player reads";
    return false;
  }
  AmrClose(reader);
  track = std::move(file);
  return true;
}

bool WavFileTrack(const std::string& path, const Bytes& file, Bytes& track, std::string& why) {
  WavInput wav;
  if (!ParseWav(file, wav, why)) {
    why = "'" + path + "' " + why + "; --sound takes an AMR storage file or a WAV file";
    return false;
  }
  if (wav.formatTag != 1 || wav.bitsPerSample != 16 || wav.channels != 1 || wav.sampleRate != 8000) {
    why = "'" + path + "' has " + std::to_string(wav.channels) + " channel(s) of " +
          std::to_string(wav.bitsPerSample) + "-bit " + (wav.formatTag == 1 ? "PCM" : "non-PCM") +
          " samples at " + std::to_string(wav.sampleRate) +
          " Hz; only WAV files of 16-bit mono PCM at 8000 Hz can be encoded";
    return false;
  }
  if (EncodeAmrTrack(wav.samples.data(), wav.samples.size(), track)) return true;
  why = "the AMR encoder cannot start";
  return false;
}

}  // namespace

bool BuildSoundTrack(const MakeRequest& request, Bytes& track, std::string& why) {
  if (request.sound == "none") return true;
  if (request.sound == "tone") return ToneTrack(request, track, why);

  const std::string& path = request.sound;
  FileBlock block;
  if (ReadWholeFile(path, block) != ReadStatus::ok) {
    why = "cannot read '" + path + "'";
    return false;
  }
  Bytes file(block.data(), block.data() + block.size());
  const bool amr = file.size() >= 5 && std::memcmp(file.data(), "#!AMR", 5) == 0;
  if (!(amr ? AmrFileTrack(path, std::move(file), track, why) : WavFileTrack(path, file, track, why)))
    return false;
  if (track.size() < kShortestFindableTrack) {
    why = "the sound track of '" + path + "' holds no sound (a player would not find it)";
    return false;
  }
  return true;
}
