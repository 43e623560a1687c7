// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// Writes the crafted seed files of the fuzz targets: sound tracks encoded with
// the real AMR encoders in every storage format (and the odd cases the reader
// must survive), and clips of unusual layout. The pictures and the ordinary
// clips come from ImageMagick and `zrvtool make` (see CMakeLists.txt).
//
//   make_seeds AMR_FOLDER CLIP_FOLDER
#include <cstdio>
#include <string>
#include <vector>

#include "tests/audio/amr_tracks.h"
#include "tests/support/test_support.h"

namespace {

Bytes Concat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

Bytes Text(const std::string& text) { return Bytes(text.begin(), text.end()); }

// A multichannel track: the magic, the channel field, then blocks taking one
// frame from each of the mono tracks in turn.
Bytes Multichannel(const std::string& magic, const std::vector<std::vector<Bytes>>& channels,
                   uint8_t fieldCount) {
  Bytes out = Concat({Text(magic), Bytes{0, 0, 0, fieldCount}});
  for (size_t block = 0; block < channels[0].size(); ++block)
    for (const std::vector<Bytes>& frames : channels)
      if (block < frames.size()) out.insert(out.end(), frames[block].begin(), frames[block].end());
  return out;
}

void WriteAmrSeeds(const std::string& dir) {
  const Bytes nb = EncodeNarrowBand(TestSignal(200, 8000), 7, false);
  const Bytes nbModes = EncodeNarrowBand(TestSignal(400, 8000), {0, 1, 2, 3, 4, 5, 6, 7}, true);
  const Bytes wb = EncodeWideBand(TestSignal(200, 16000), 8, false);
  const Bytes wbDtx = EncodeWideBand(TestSignal(400, 16000), 2, true);
  WriteFile(dir + "/nb_122.amr", nb);
  WriteFile(dir + "/nb_modes_dtx.amr", nbModes);
  WriteFile(dir + "/wb_2385.amr", wb);
  WriteFile(dir + "/wb_dtx.amr", wbDtx);
  WriteFile(dir + "/nb_magic_only.amr", Text("#!AMR\n"));

  // Reserved and SID frame types between speech frames, and a cut last frame.
  std::vector<Bytes> frames = SplitFrames(nb, 6, false);
  std::vector<Bytes> odd;
  for (size_t i = 0; i < frames.size(); ++i) {
    odd.push_back(frames[i]);
    odd.push_back(Bytes{uint8_t(((9 + i % 7) << 3) | 4)});
  }
  WriteFile(dir + "/nb_reserved_types.amr", JoinFrames("#!AMR\n", odd));
  Bytes cut = nb;
  cut.resize(cut.size() - 7);
  WriteFile(dir + "/nb_cut_short.amr", cut);

  const std::vector<Bytes> wbFrames = SplitFrames(wb, 9, true);
  WriteFile(dir + "/mc_nb_2ch.amr",
            Multichannel("#!AMR_MC1.0\n", {frames, SplitFrames(nbModes, 6, false)}, 2));
  WriteFile(dir + "/mc_wb_3ch.amr",
            Multichannel("#!AMR-WB_MC1.0\n", {wbFrames, SplitFrames(wbDtx, 9, true), wbFrames}, 3));
  WriteFile(dir + "/mc_no_channels.amr", Multichannel("#!AMR_MC1.0\n", {frames}, 0));
  WriteFile(dir + "/mc_seven_channels.amr", Multichannel("#!AMR_MC1.0\n", {frames}, 7));
}

// Two tiny frames that are JPEG only in their markers: enough for the scan.
const Bytes kFrame = {0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x04, 'J', 'F', 0xFF, 0xD9, 0x00, 0x00};
const Bytes kOtherFrame = {0xFF, 0xD8, 0xFF, 0xDB, 0x00, 0x04, 0x01, 0x02, 0xFF, 0xD9};

void WriteClipSeeds(const std::string& dir) {
  const Bytes tail(12, 0);
  const Bytes sound = EncodeNarrowBand(TestSignal(100, 8000), 0, false);
  WriteFile(dir + "/sound_before_frames.zrv", Concat({sound, kFrame, kFrame, tail}));
  WriteFile(dir + "/shared_header_marks.zrv", Concat({kFrame, kOtherFrame, kOtherFrame, sound}));
  WriteFile(dir + "/eleven_bytes.zrv", Bytes{0xFF, 0xD8, 0xFF, 0xE0, 0, 0, 0, 0, 0, 0, 0});
  WriteFile(dir + "/marks_in_the_tail.zrv", Concat({kFrame, tail, Text("\xFF\xD8#!AMR\n")}));
  WriteFile(dir + "/second_frame_at_the_end.zrv", Concat({kFrame, Bytes{0xFF, 0xD8, 1, 2}, tail}));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: make_seeds AMR_FOLDER CLIP_FOLDER\n");
    return 2;
  }
  WriteAmrSeeds(argv[1]);
  WriteClipSeeds(argv[2]);
  return 0;
}
