// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// What an exported MP4 says about itself and how its picture and sound line
// up, read back by ffprobe and ffmpeg: the profile players take at every
// quality, BT.601 colour tags in the stream and the MP4's colr box, key
// frames at most 2 s apart, frames that are not 4:2:0 averaged properly, and
// clicks in the sound that fall on the frames they were recorded with.
#include <gtest/gtest.h>

#include <cmath>
#include <algorithm>
#include <cstring>

#include "tests/export/export_probe.h"
#include "tests/image/picture_files.h"

namespace {

double Num(const std::string& text) { return std::stod(text); }

void Export(const std::vector<std::string>& options, const std::string& clip,
            const std::string& out) {
  std::vector<std::string> args = {"export"};
  args.insert(args.end(), options.begin(), options.end());
  args.insert(args.end(), {clip, out});
  const ProgramResult r = Zrvtool(args);
  ASSERT_EQ(r.exitCode, 0) << r.err;
}

// The colour description of the MP4's visual sample entry: the colr box of
// type nclx and its primaries, transfer and matrix codes.
bool ColrBox(const Bytes& mp4, int& primaries, int& transfer, int& matrix) {
  static const char kTag[] = "colrnclx";
  for (size_t i = 0; i + 14 <= mp4.size(); ++i) {
    if (std::memcmp(&mp4[i], kTag, 8) != 0) continue;
    primaries = mp4[i + 8] << 8 | mp4[i + 9];
    transfer = mp4[i + 10] << 8 | mp4[i + 11];
    matrix = mp4[i + 12] << 8 | mp4[i + 13];
    return true;
  }
  return false;
}

TEST(ExportMp4Stream, EveryQualityGivesHighProfileBt601TagsAndKeyFramesEvery2Seconds) {
  TempDir dir;
  // 10 s at 8 frames a second, with sound.
  const std::string clip = MakeClip(dir, "walk.zrv", {"--frames", "80", "--sound", "tone"});
  for (const std::string crf : {"0", "20", "51"}) {
    SCOPED_TRACE("crf " + crf);
    const std::string out = dir.File("walk" + crf + ".mp4");
    Export({"--crf", crf}, clip, out);
    const auto video = Probe(out, "v:0",
                             "stream=profile,pix_fmt,color_range,color_space,color_transfer,"
                             "color_primaries,chroma_location");
    EXPECT_EQ(video.at("profile"), "High");
    EXPECT_EQ(video.at("pix_fmt"), "yuv420p");
    EXPECT_EQ(video.at("color_range"), "tv");
    EXPECT_EQ(video.at("color_space"), "smpte170m");
    EXPECT_EQ(video.at("color_transfer"), "smpte170m");
    EXPECT_EQ(video.at("color_primaries"), "smpte170m");
    EXPECT_EQ(video.at("chroma_location"), "center");
    int primaries = 0, transfer = 0, matrix = 0;
    ASSERT_TRUE(ColrBox(ReadFile(out), primaries, transfer, matrix)) << "no colr box";
    EXPECT_EQ(primaries, 6);  // SMPTE 170M
    EXPECT_EQ(transfer, 6);
    EXPECT_EQ(matrix, 6);

    // Key frames: the first, and then none more than 2 s after the one before.
    const auto keys = ProbeList(out, "v:0", "flags");
    const auto times = ProbeList(out, "v:0", "pts_time");
    ASSERT_EQ(keys.size(), 80u);
    ASSERT_EQ(times.size(), 80u);
    std::vector<double> keyTimes;
    for (size_t k = 0; k < keys.size(); ++k)
      if (keys[k].find('K') != std::string::npos) keyTimes.push_back(Num(times[k]));
    ASSERT_FALSE(keyTimes.empty());
    std::sort(keyTimes.begin(), keyTimes.end());
    EXPECT_EQ(keyTimes.front(), 0.0);
    keyTimes.push_back(10.0);
    for (size_t i = 1; i < keyTimes.size(); ++i)
      EXPECT_LE(keyTimes[i] - keyTimes[i - 1], 2.0 + 1e-6) << "after the key frame at " << keyTimes[i - 1];
  }
}

// A 16 x 16 picture of one-pixel columns of red and blue (and, in its lower
// half, rows of them), stored with the sampling asked for.
std::string StripesJpeg(const TempDir& dir, const std::string& sampling) {
  TestPicture picture{16, 16, {}};
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) {
      const bool red = y < 8 ? x % 2 == 0 : y % 2 == 0;
      picture.rgb.insert(picture.rgb.end(), {uint8_t(red ? 255 : 0), 0, uint8_t(red ? 0 : 255)});
    }
  const std::string path = dir.File("stripes-" + sampling + ".jpg");
  WriteJpegWithCjpeg(dir, picture, path, sampling, false, 100);
  return path;
}

TEST(ExportMp4Stream, FramesNotSampled420HaveTheirColourAveragedOverEachBlock) {
  TempDir dir;
  for (const std::string sampling : {"1x1", "2x1", "1x2"}) {
    SCOPED_TRACE(sampling);
    const std::string jpeg = StripesJpeg(dir, sampling);
    const std::string clip = dir.File("stripes.zrv");
    ASSERT_EQ(Zrvtool({"make", "--jpegs", jpeg, jpeg, clip}).exitCode, 0);
    const std::string out = dir.File("stripes-" + sampling + ".mp4");
    Export({"--crf", "0", "--force"}, clip, out);
    int w, h, sw, sh;
    const Bytes got = DecodedFrameRgb(dir, out, 0, w, h);
    const Bytes want = SourceFrameRgb(dir, clip, 0, sw, sh);
    ASSERT_EQ(w, 16);
    // Each 2 x 2 block carries one colour: the average of the source's four.
    // Red and blue stripes make purple, not red (what a converter that takes
    // one pixel's colour for the block gives); each keeps its own luma, so
    // within a block the colours come back only up to the clipping of the
    // darker stripe's green.
    for (int by = 0; by < 8; ++by)
      for (int bx = 0; bx < 8; ++bx)
        for (int c = 0; c < 3; ++c) {
          double source = 0, video = 0;
          for (int dy = 0; dy < 2; ++dy)
            for (int dx = 0; dx < 2; ++dx) {
              source += want[size_t((2 * by + dy) * sw + 2 * bx + dx) * 3 + c] / 4.0;
              video += got[size_t((2 * by + dy) * w + 2 * bx + dx) * 3 + c] / 4.0;
            }
          EXPECT_NEAR(video, source, 20) << "block " << bx << "," << by << " colour " << c;
        }
  }
  // A grey clip stays grey: no colour anywhere, and the stored levels.
  const std::string grey = MakeClip(dir, "grey.zrv", {"--frames", "2", "--grey"});
  Export({}, grey, dir.File("grey.mp4"));
  int w, h, sw, sh;
  const Bytes got = DecodedFrameRgb(dir, dir.File("grey.mp4"), 1, w, h);
  const Bytes levels = SourceFrameRgb(dir, grey, 1, sw, sh);  // djpeg's grey levels
  ASSERT_EQ(levels.size(), size_t(sw) * sh);
  Bytes want;
  for (uint8_t v : levels) want.insert(want.end(), {v, v, v});
  EXPECT_GE(ColourPsnr(got, w, want, sw, sw, sh), 33.0);
  int coloured = 0;
  for (size_t i = 0; i + 2 < got.size(); i += 3)
    coloured += std::abs(got[i] - got[i + 1]) > 3 || std::abs(got[i + 2] - got[i + 1]) > 3;
  EXPECT_EQ(coloured, 0);
}

// 16-bit mono PCM at 8000 Hz as a WAV file.
void WriteWav(const std::string& path, const std::vector<int16_t>& samples) {
  Bytes out = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E', 'f', 'm', 't', ' ', 16, 0, 0, 0,
               1, 0, 1, 0, 0x40, 0x1F, 0, 0, 0x80, 0x3E, 0, 0, 2, 0, 16, 0, 'd', 'a', 't', 'a'};
  const uint32_t data = uint32_t(samples.size() * 2);
  for (int i = 0; i < 4; ++i) out.push_back(uint8_t(data >> (8 * i)));
  for (int16_t s : samples) {
    out.push_back(uint8_t(s));
    out.push_back(uint8_t(uint16_t(s) >> 8));
  }
  const uint32_t riff = uint32_t(out.size() - 8);
  for (int i = 0; i < 4; ++i) out[4 + size_t(i)] = uint8_t(riff >> (8 * i));
  WriteFile(path, out);
}

// Where each burst of sound begins: the first sample of each run louder
// than `threshold` that follows at least 100 ms of quiet.
std::vector<double> BurstStarts(const std::vector<int16_t>& samples, int threshold) {
  std::vector<double> starts;
  long quiet = 800;
  for (size_t i = 0; i < samples.size(); ++i) {
    if (std::abs(int(samples[i])) > threshold) {
      if (quiet >= 800) starts.push_back(double(i) / 8000.0);
      quiet = 0;
    } else {
      ++quiet;
    }
  }
  return starts;
}

TEST(ExportMp4Stream, ClicksInTheSoundFallOnTheirFramesWithinAQuarterFrame) {
  // Frames at 8 a second, black but for three white ones at irregular
  // places; the sound is silent but for a 60 ms burst of 1 kHz starting
  // with each white frame. Exported, each burst must begin where its white
  // frame begins, to within a quarter of a frame (31 ms): an offset of a
  // frame, or of 128 ms, cannot pass, and no other alignment fits all three.
  TempDir dir;
  const std::vector<int> white = {8, 21, 37};
  const int frames = 48;
  Convert({"-size", "64x48", "xc:black", "-quality", "90", dir.File("black.jpg")});
  Convert({"-size", "64x48", "xc:white", "-quality", "90", dir.File("white.jpg")});
  std::vector<int16_t> sound(size_t(frames) * 1000, 0);
  std::vector<std::string> args = {"make", "--jpegs"};
  for (int k = 0; k < frames; ++k) {
    const bool lit = std::find(white.begin(), white.end(), k) != white.end();
    args.push_back(dir.File(lit ? "white.jpg" : "black.jpg"));
    if (!lit) continue;
    for (int i = 0; i < 480; ++i)
      sound[size_t(k) * 1000 + size_t(i)] = int16_t(12000 * std::sin(2 * M_PI * 1000 * i / 8000.0));
  }
  WriteWav(dir.File("clicks.wav"), sound);
  args.insert(args.end(), {"--sound", dir.File("clicks.wav"), dir.File("clicks.zrv")});
  const ProgramResult made = Zrvtool(args);
  ASSERT_EQ(made.exitCode, 0) << made.err;

  for (const char* ext : {"mp4", "mkv"}) {
    SCOPED_TRACE(ext);
    const std::string out = dir.File(std::string("clicks.") + ext);
    Export({}, dir.File("clicks.zrv"), out);
    // When each white picture starts: packets in order with their times.
    const std::vector<double> lumas = FrameLumaMeans(dir, out);
    const auto times = ProbeList(out, "v:0", "pts_time", true);
    ASSERT_EQ(lumas.size(), times.size());
    std::vector<double> lit;
    for (size_t i = 0; i < lumas.size(); ++i)
      if (lumas[i] > 128 && (i == 0 || lumas[i - 1] <= 128)) lit.push_back(Num(times[i]));
    const std::vector<double> bursts = BurstStarts(DecodedSamples(dir, out, "0:a"), 3000);
    // The converted track as the player plays it: the export moves nothing.
    const std::vector<double> track = BurstStarts(ToolSoundSamples(dir, dir.File("clicks.zrv")), 3000);
    ASSERT_EQ(lit.size(), white.size());
    ASSERT_EQ(bursts.size(), white.size());
    ASSERT_EQ(track.size(), white.size());
    for (size_t i = 0; i < white.size(); ++i) {
      EXPECT_NEAR(lit[i], white[i] / 8.0, 0.001) << "white frame " << white[i];
      EXPECT_NEAR(bursts[i], track[i], 0.003) << "burst of frame " << white[i];
      EXPECT_NEAR(bursts[i], lit[i], 0.125 / 4) << "burst of frame " << white[i];
    }
  }
}

}  // namespace
