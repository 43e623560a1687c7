// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// Small videos that claim more than they hold: the clip lasts what their
// pictures and sound really hold, a single picture is no video, and the
// sound after a gap keeps its place. Each video is made by ffmpeg, each clip
// read back by zrvtool info and sox.
#include <gtest/gtest.h>

#include "tests/import/import_sources.h"

namespace {

double Rms(const std::string& track, double from, double length) {
  const ProgramResult r = RunProgram({"/usr/bin/sox", track, "-n", "trim", std::to_string(from),
                                      std::to_string(length), "stat"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  return NumberAfter(r.err, "RMS     amplitude:");
}

TEST(ImportBounds, AClipLastsWhatTheVideoHoldsNotWhatItClaims) {
  TempDir dir;
  const std::string picture = "testsrc2=size=64x48:rate=10:duration=";
  // Three seconds of picture, and one second of sound two hours in.
  Ffmpeg({"-f", "lavfi", "-i", picture + "3", "-f", "lavfi", "-i", "sine=duration=1:sample_rate=8000",
          "-c:v", "libx264", "-preset", "ultrafast", "-c:a", "pcm_s16le", "-bsf:a", "setts=ts=TS+7200*8000",
          dir.File("late.mkv")});
  // Sound that outlasts its two seconds of picture, without a gap: it counts.
  Ffmpeg({"-f", "lavfi", "-i", picture + "2", "-f", "lavfi", "-i", "sine=duration=2.5:sample_rate=8000",
          "-c:v", "libx264", "-preset", "ultrafast", "-c:a", "pcm_s16le", dir.File("longer-sound.mkv")});
  // One picture that claims an hour.
  Ffmpeg({"-f", "lavfi", "-i", "testsrc2=size=64x48:rate=1/3600", "-frames:v", "1", "-c:v", "libx264",
          dir.File("still-hour.mp4")});
  Ffmpeg({"-f", "lavfi", "-i", "testsrc2=size=64x48", "-frames:v", "1", dir.File("photo.jpg")});
  // A JPEG whose header declares 16384 x 16384.
  Bytes huge = ReadFile(dir.File("photo.jpg"));
  for (size_t i = 0; i + 9 < huge.size(); ++i)
    if (huge[i] == 0xFF && huge[i + 1] == 0xC0) {
      huge[i + 5] = huge[i + 7] = 0x40;
      huge[i + 6] = huge[i + 8] = 0x00;
      break;
    }
  WriteFile(dir.File("huge.jpg"), huge);
  // Thirty black pictures of 4096 x 4096 in a few kilobytes: 503 million
  // pixels to decode.
  Ffmpeg({"-f", "lavfi", "-i", "color=black:size=4096x4096:rate=25", "-frames:v", "30", "-c:v", "libx264",
          "-preset", "ultrafast", dir.File("many-large.mp4")});

  const struct {
    std::string video;
    double lengthMs;   // of the clip; 0 when refused
    std::string says;  // the refusal
  } cases[] = {
      {"late.mkv", 3000, ""},
      {"longer-sound.mkv", 2500, ""},
      {"still-hour.mp4", 0, "is a single picture, not a video"},
      {"photo.jpg", 0, "is a single picture, not a video"},
      {"huge.jpg", 0, "declares frames of 16384 x 16384"},
      {"many-large.mp4", 0, "cannot be imported: its pictures come to more than 400 million pixels"},
  };
  for (const auto& c : cases) {
    const std::string clip = dir.File(c.video + ".zrv");
    const ProgramResult r = Import({"--json", dir.File(c.video), clip});
    if (c.lengthMs == 0) {
      EXPECT_EQ(r.exitCode, 1) << c.video;
      EXPECT_NE(r.err.find(c.says), std::string::npos) << c.video << ": " << r.err;
      EXPECT_FALSE(FileExists(clip)) << c.video;
      continue;
    }
    ASSERT_EQ(r.exitCode, 0) << c.video << ": " << r.err;
    EXPECT_EQ(NumberAfter(r.out, "\"duration_ms\":"), c.lengthMs) << c.video;
    EXPECT_EQ(InfoOf(clip).soundMs, int(c.lengthMs)) << c.video;
    EXPECT_LT(ReadFile(clip).size(), 200'000u) << c.video;
  }
}

TEST(ImportBounds, SoundAfterAGapInTheSourceStaysOnItsSeconds) {
  TempDir dir;
  // A tone from 0 to 1 s and from 2 to 3 s: the frames from 1 s on are moved
  // a second later.
  Ffmpeg({"-f", "lavfi", "-i", "testsrc2=size=64x48:rate=10:duration=3", "-f", "lavfi", "-i",
          "sine=frequency=440:sample_rate=8000:duration=2", "-af",
          "asetnsamples=800,asetpts=PTS+gte(T\\,1)/TB", "-c:v", "libx264", "-preset", "ultrafast",
          "-c:a", "pcm_s16le", dir.File("gap.mkv")});
  const std::string clip = dir.File("gap.zrv");
  const ProgramResult r = Import({"--json", dir.File("gap.mkv"), clip});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(NumberAfter(r.out, "\"duration_ms\":"), 3000);
  const TrackFacts track = SoxTrack(dir, clip);
  ASSERT_NEAR(track.lengthMs, 3000, 0.5);
  const std::string amr = dir.File("track.amr-nb");
  const double before = Rms(amr, 0.2, 0.6), gap = Rms(amr, 1.2, 0.6), after = Rms(amr, 2.2, 0.6);
  EXPECT_GT(before, 0.05);  // the tone at an eighth of full scale: 0.088
  EXPECT_LT(gap, 0.01);
  EXPECT_GT(after, 0.05);
}

}  // namespace
