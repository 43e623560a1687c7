// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "tests/audio/amr_tracks.h"

namespace {

ProgramResult Zrvtool(std::vector<std::string> args) {
  args.insert(args.begin(), BuiltProgram("zrvtool"));
  return RunProgram(args);
}

// A clip of `frames` frames made by zrvtool make around the AMR file `track`.
std::string MadeClip(const TempDir& dir, int frames, const Bytes& track) {
  WriteFile(dir.File("track.amr"), track);
  const std::string clip = dir.File("made.zrv");
  ProgramResult r = Zrvtool({"make", "--frames", std::to_string(frames), "--size", "32x32",
                             "--sound", dir.File("track.amr"), clip});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  return clip;
}

// `frames` small frames (FF D8, filler, FF D9) followed by `track`, laid out
// by hand for tracks that zrvtool make refuses.
Bytes ClipWithTrack(int frames, const Bytes& track) {
  Bytes clip;
  for (int i = 0; i < frames; ++i) {
    Bytes frame(40, uint8_t(0x30 + i % 10));
    frame[0] = 0xFF, frame[1] = 0xD8, frame[38] = 0xFF, frame[39] = 0xD9;
    clip.insert(clip.end(), frame.begin(), frame.end());
  }
  clip.insert(clip.end(), track.begin(), track.end());
  return clip;
}

const Bytes& TwoSecondTrack() {
  static const Bytes track = EncodeNarrowBand(TestSignal(2000, 8000), 7, true);
  return track;
}

// Runs zrvtool with its temporary files in `tmp`.
ProgramResult ZrvtoolWithTmp(const std::string& tmp, std::vector<std::string> args) {
  const char* old = std::getenv("TMP");
  const std::string saved = old ? old : "";
  ::setenv("TMP", tmp.c_str(), 1);
  ProgramResult r = Zrvtool(std::move(args));
  if (old)
    ::setenv("TMP", saved.c_str(), 1);
  else
    ::unsetenv("TMP");
  return r;
}

bool IsEmptyFolder(const std::string& path) { return std::filesystem::is_empty(path); }

}  // namespace

TEST(ZrvtoolSound, WritesTheTrackAsSoxDecodesIt) {
  TempDir dir, tmp;
  const std::string clip = MadeClip(dir, 16, TwoSecondTrack());
  ProgramResult r = ZrvtoolWithTmp(tmp.path(), {"sound", clip, dir.File("a.wav")});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_TRUE(r.out.empty() && r.err.empty());
  EXPECT_TRUE(IsEmptyFolder(tmp.path()));  // the temporary track is gone

  WriteFile(dir.File("t.amr-nb"), TwoSecondTrack());
  r = RunProgram({"/usr/bin/sox", dir.File("t.amr-nb"), "-t", "wav", dir.File("sox.wav")});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const Bytes wav = ReadFile(dir.File("a.wav"));
  ASSERT_EQ(wav.size(), 44u + 32000);
  EXPECT_EQ(Le32(wav, 24), 8000u);
  EXPECT_TRUE(WavData(wav) == WavData(ReadFile(dir.File("sox.wav"))));
}

TEST(ZrvtoolInfo, ReportsTheSoundLengthAndTheFrameInterval) {
  TempDir dir, tmp;
  // Two seconds of sound over 16 frames: 8 frames a second.
  const std::string clip = MadeClip(dir, 16, TwoSecondTrack());
  ProgramResult r = ZrvtoolWithTmp(tmp.path(), {"info", "--json", clip});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_NE(r.out.find(",\"sound_ms\":2000,\"interval_ms\":125}\n"), std::string::npos) << r.out;
  EXPECT_TRUE(IsEmptyFolder(tmp.path()));

  r = Zrvtool({"info", clip});
  EXPECT_NE(r.out.find("2000 ms"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("125 ms"), std::string::npos) << r.out;

  // A track of no known kind has no length: the interval is the silent one.
  Bytes unknown = TwoSecondTrack();
  unknown[5] = 'X';
  WriteFile(dir.File("c.zrv"), ClipWithTrack(16, unknown));
  r = Zrvtool({"info", "--json", dir.File("c.zrv")});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_NE(r.out.find("\"sound\":true,"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find(",\"sound_ms\":null,\"interval_ms\":200}\n"), std::string::npos) << r.out;
}

TEST(ZrvtoolSound, RefusesWhatItCannotConvertAndKeepsTheUsersFiles) {
  TempDir dir;
  const Bytes clip = ReadFile(MadeClip(dir, 4, TwoSecondTrack()));
  WriteFile(dir.File("a.zrv"), clip);
  ASSERT_EQ(Zrvtool({"make", "--frames", "4", dir.File("silent.zrv")}).exitCode, 0);
  // The scan finds "#!AMR", but no magic of a storage file follows.
  const Bytes unknown = {'#', '!', 'A', 'M', 'R', '-', 'X', 'Y', '\n', 0x3C};
  WriteFile(dir.File("unknown.zrv"), ClipWithTrack(4, unknown));
  const Bytes kept = {'k', 'e', 'e', 'p'};
  WriteFile(dir.File("kept.wav"), kept);

  struct Case {
    std::vector<std::string> args;
    int exitCode;
  } cases[] = {
      {{"sound", dir.File("silent.zrv"), dir.File("kept.wav")}, 1},
      {{"sound", dir.File("unknown.zrv"), dir.File("kept.wav")}, 1},
      {{"sound", dir.File("silent.zrv"), dir.File("new.wav")}, 1},
      {{"sound", dir.File("a.zrv"), dir.File("a.zrv")}, 1},
      {{"sound", dir.File("a.zrv"), dir.File("no/such/dir/a.wav")}, 1},
      {{"sound", dir.File("a.zrv"), "/dev/full"}, 1},
      {{"sound", dir.File("missing.zrv"), dir.File("new.wav")}, 1},
      {{"sound", dir.File("a.zrv")}, 2},
      {{"sound"}, 2},
  };
  for (const Case& c : cases) {
    ProgramResult r = Zrvtool(c.args);
    EXPECT_EQ(r.exitCode, c.exitCode) << c.args[1] << ": " << r.err;
    ASSERT_FALSE(r.err.empty());
    if (c.exitCode == 1) {
      EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << r.err;
    }
  }
  EXPECT_EQ(ReadFile(dir.File("a.zrv")), clip);
  EXPECT_EQ(ReadFile(dir.File("kept.wav")), kept);
  EXPECT_FALSE(FileExists(dir.File("new.wav")));
  for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
    EXPECT_NE(entry.path().filename().string()[0], '.') << entry.path();  // no half-written file

  // A good track replaces an existing file.
  ASSERT_EQ(Zrvtool({"sound", dir.File("a.zrv"), dir.File("kept.wav")}).exitCode, 0);
  EXPECT_EQ(ReadFile(dir.File("kept.wav")).size(), 44u + 32000);

  ProgramResult help = Zrvtool({"sound", "--help"});
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_NE(help.out.find("usage: zrvtool sound"), std::string::npos);
}
