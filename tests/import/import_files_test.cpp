// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// zrvtool import on videos that ffmpeg makes, each clip read back by
// independent readers: djpeg for the frames (compared with ffmpeg's own
// scaling of the source frame the timing rule names), sox for the track,
// ffprobe for a zrvtool export of the clip.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>

#include "tests/import/import_sources.h"

namespace {

struct Mean {
  double r = 0, g = 0, b = 0;
};

Mean MeanColour(const Bytes& rgb) {
  Mean m;
  const size_t pixels = rgb.size() / 3;
  for (size_t i = 0; i < pixels; ++i) {
    m.r += rgb[3 * i];
    m.g += rgb[3 * i + 1];
    m.b += rgb[3 * i + 2];
  }
  if (pixels) m.r /= double(pixels), m.g /= double(pixels), m.b /= double(pixels);
  return m;
}

double JsonValue(const std::string& line, const std::string& key) {
  return NumberAfter(line, "\"" + key + "\":");
}

// Clip frame k, decoded by djpeg, against source frame n fitted by ffmpeg:
// the same picture (luma within JPEG's loss) in the same colours.
void ExpectSamePicture(const TempDir& dir, const std::string& clip, int k, const std::string& video,
                       int n, int width, int height) {
  int w = 0, h = 0;
  const Bytes ours = SourceFrameRgb(dir, clip, k, w, h);
  ASSERT_EQ(w, width);
  ASSERT_EQ(h, height);
  const Bytes theirs = FfmpegFittedFrame(dir, video, n, width, height);
  ASSERT_EQ(ours.size(), theirs.size());
  EXPECT_GT(LumaPsnr(ours, w, theirs, w, w, h), 24.0) << "frame " << k << " against source " << n;
  const Mean a = MeanColour(ours), b = MeanColour(theirs);
  EXPECT_NEAR(a.r, b.r, 6) << k;
  EXPECT_NEAR(a.g, b.g, 6) << k;
  EXPECT_NEAR(a.b, b.b, 6) << k;
}

// The source frame of a 25 fps video that clip frame k shows.
int SourceFrameAt(double timeMs) { return int(std::floor(timeMs * 25 / 1000 + 1e-9)); }

TEST(ImportFiles, AnMp4BecomesAClipAtTheAskedRateWithItsSound) {
  TempDir dir;
  const std::string video = TestVideo("mp4.mp4"), clip = dir.File("a.zrv");
  const ProgramResult r = Import({"--json", video, clip});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_TRUE(r.err.empty()) << r.err;  // no progress bar off a terminal
  const double frames = JsonValue(r.out, "frames"), lengthMs = JsonValue(r.out, "duration_ms");
  EXPECT_NE(r.out.find("\"ok\":true"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("\"sound\":true"), std::string::npos) << r.out;
  EXPECT_EQ(JsonValue(r.out, "bytes"), double(ReadFile(clip).size()));
  // The source's 3 s, not a step of sound over (its last AAC frame is
  // padded past the end), at 8 a second.
  EXPECT_EQ(lengthMs, 3000);
  EXPECT_EQ(frames, std::round(lengthMs * 8 / 1000));

  const ClipFacts facts = InfoOf(clip);
  EXPECT_EQ(facts.frames, int(frames));
  EXPECT_EQ(facts.layout, "plain");
  EXPECT_EQ(facts.soundMs, int(lengthMs));
  const TrackFacts track = SoxTrack(dir, clip);
  EXPECT_NEAR(track.lengthMs, lengthMs, 0.5);
  EXPECT_EQ(track.rate, 8000);
  EXPECT_NEAR(track.frequency, 440, 25);

  for (int k : {0, 9, int(frames) - 1})
    ExpectSamePicture(dir, clip, k, video, std::min(74, SourceFrameAt(k * lengthMs / frames)), 176, 144);

  // Out again: ffprobe finds the source's length within a frame.
  ASSERT_EQ(Zrvtool({"export", clip, dir.File("back.mkv")}).exitCode, 0);
  const double back = std::stod(Probe(dir.File("back.mkv"), "", "format=duration").at("duration"));
  EXPECT_NEAR(back, 3.0, 1.0 / 8 + 0.03);
}

TEST(ImportFiles, AWebmCroppedToWideBandSharedHeaderClip) {
  TempDir dir;
  const std::string video = TestVideo("webm.webm"), clip = dir.File("w.zrv");
  const ProgramResult r = Import({"--json", "--size", "128x96", "--fit", "crop", "--fps", "10",
                                  "--sound", "amr-wb", "--bitrate", "12.65", "--layout",
                                  "shared-header", video, clip});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const double frames = JsonValue(r.out, "frames"), lengthMs = JsonValue(r.out, "duration_ms");
  EXPECT_EQ(frames, std::round(lengthMs * 10 / 1000));
  // Our own index takes it for the shared-header layout, and every frame decodes.
  const ClipFacts facts = InfoOf(clip);
  EXPECT_EQ(facts.layout, "shared header");
  EXPECT_EQ(facts.frames, int(frames));
  const TrackFacts track = SoxTrack(dir, clip);
  EXPECT_EQ(track.rate, 16000);
  EXPECT_NEAR(track.lengthMs, lengthMs, 0.5);
  EXPECT_NEAR(track.frequency, 660, 30);
  // 4:3 into 4:3 needs no cut: the picture is ffmpeg's scaling of the frame.
  for (int k : {1, int(frames) / 2})
    ExpectSamePicture(dir, clip, k, video, SourceFrameAt(k * lengthMs / frames), 128, 96);
  // Into a square frame the sides go and the middle stays.
  const std::string square = dir.File("square.zrv");
  ASSERT_EQ(Import({"--size", "96x96", "--fit", "crop", video, square}).exitCode, 0);
  int w = 0, h = 0;
  const Bytes ours = SourceFrameRgb(dir, square, 0, w, h);
  ASSERT_EQ(w, 96);
  ASSERT_EQ(h, 96);
  Ffmpeg({"-i", video, "-vf", "select=eq(n\\,0),scale=128:96,crop=96:96", "-frames:v", "1",
          "-pix_fmt", "rgb24", "-f", "rawvideo", dir.File("crop.rgb")});
  EXPECT_GT(LumaPsnr(ours, 96, ReadFile(dir.File("crop.rgb")), 96, 96, 96), 22.0);
}

TEST(ImportFiles, StartAndDurationCutAPartOfAnMkv) {
  TempDir dir;
  const std::string video = TestVideo("mkv.mkv"), clip = dir.File("m.zrv");
  const ProgramResult r =
      Import({"--json", "--start", "0:00:00.5", "--duration", "1", "--quality", "50", video, clip});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(JsonValue(r.out, "duration_ms"), 1000);
  EXPECT_EQ(JsonValue(r.out, "frames"), 8);
  EXPECT_NEAR(SoxTrack(dir, clip).lengthMs, 1000, 0.5);
  // Frame 0 is the source at 0.5 s, frame 7 at 0.5 + 7 x 125 ms.
  ExpectSamePicture(dir, clip, 0, video, 12, 176, 144);
  ExpectSamePicture(dir, clip, 7, video, SourceFrameAt(500 + 7 * 125.0), 176, 144);
}

TEST(ImportFiles, AVideoWithoutSoundGetsASilentTrackThatHoldsTheRate) {
  TempDir dir;
  const std::string clip = dir.File("mute.zrv");
  const ProgramResult r = Import({"--json", "--fps", "12", TestVideo("mute.mp4"), clip});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(JsonValue(r.out, "duration_ms"), 2000);
  EXPECT_EQ(JsonValue(r.out, "frames"), 24);
  const TrackFacts track = SoxTrack(dir, clip);
  EXPECT_NEAR(track.lengthMs, 2000, 0.5);
  const ProgramResult stat = RunProgram({"/usr/bin/sox", dir.File("track.amr-nb"), "-n", "stat"});
  const double peak = NumberAfter(stat.err, "Maximum amplitude:");
  ASSERT_GE(peak, 0) << stat.err;
  EXPECT_LT(peak, 0.01);
}

TEST(ImportFiles, WithoutSoundFramesAreTakenFiveASecond) {
  TempDir dir;
  const std::string clip = dir.File("none.zrv");
  const ProgramResult r = Import({"--json", "--sound", "none", TestVideo("mp4.mp4"), clip});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(JsonValue(r.out, "frames"), 15);
  EXPECT_EQ(JsonValue(r.out, "fps"), 5);
  const ClipFacts facts = InfoOf(clip);
  EXPECT_EQ(facts.frames, 15);
  EXPECT_EQ(facts.soundMs, -1);
  const Bytes bytes = ReadFile(clip);
  const std::string magic = "#!AMR";
  EXPECT_EQ(std::search(bytes.begin(), bytes.end(), magic.begin(), magic.end()), bytes.end());
  // Frame k is the source at k x 200 ms.
  ExpectSamePicture(dir, clip, 7, TestVideo("mp4.mp4"), 35, 176, 144);
}

TEST(ImportFiles, AVariableRateVideoShowsTheLatestFrameAtOrBeforeEachTime) {
  TempDir dir;
  const std::string video = TestVideo("vfr.mkv"), clip = dir.File("vfr.zrv");
  const ProgramResult r = Import({"--json", "--fps", "10", "--size", "64x48", video, clip});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const int frames = int(JsonValue(r.out, "frames"));
  const double lengthMs = JsonValue(r.out, "duration_ms");
  ASSERT_GT(frames, 30);
  // The source's frame times as ffprobe reads them, and each frame's grey
  // as ffmpeg decodes it.
  std::vector<double> times;
  for (const std::string& t : ProbeList(video, "v:0", "pts_time")) times.push_back(std::stod(t) * 1000);
  ASSERT_EQ(times.size(), 20u);
  Ffmpeg({"-i", video, "-fps_mode", "passthrough", "-pix_fmt", "gray", "-f", "rawvideo", dir.File("grey.raw")});
  const Bytes greys = ReadFile(dir.File("grey.raw"));
  ASSERT_EQ(greys.size(), 20u * 64 * 48);
  for (int k = 0; k < frames; k += 3) {
    const double at = k * lengthMs / frames;
    const int n = int(std::upper_bound(times.begin(), times.end(), at + 1e-6) - times.begin()) - 1;
    int w = 0, h = 0;
    const Bytes ours = SourceFrameRgb(dir, clip, k, w, h);
    const double luma = MeanColour(ours).g;
    EXPECT_NEAR(luma, greys[size_t(n) * 64 * 48 + 100], 3) << "frame " << k << " at " << at << " ms";
  }
}

TEST(ImportFiles, ARotatedPhoneVideoStaysUpright) {
  TempDir dir;
  const std::string video = TestVideo("rotated.mp4"), clip = dir.File("r.zrv");
  const ProgramResult r = Import({"--json", video, clip});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const double frameMs = JsonValue(r.out, "duration_ms") / JsonValue(r.out, "frames");
  // ffmpeg turns the picture by the same display matrix.
  ExpectSamePicture(dir, clip, 4, video, SourceFrameAt(4 * frameMs), 176, 144);
  // Upright it is 3:4: bars on the left and right, none above.
  int w = 0, h = 0;
  const Bytes ours = SourceFrameRgb(dir, clip, 4, w, h);
  EXPECT_LT(MeanColour(Bytes(ours.begin(), ours.begin() + 3 * 20)).g, 20);  // top left: bar
  EXPECT_GT(MeanColour(Bytes(ours.begin() + 3 * 60, ours.begin() + 3 * 110)).g +
                MeanColour(Bytes(ours.begin() + 3 * 60, ours.begin() + 3 * 110)).r,
            60);  // top middle: picture
}

// The video's display matrix rewritten in its track header, as cameras and
// editors write one: the shown point of stored (x, y) is (a x + c y, b x + d y).
void WriteDisplayMatrix(Bytes& mp4, int a, int b, int c, int d) {
  const std::string box = "tkhd";
  const auto at = std::search(mp4.begin(), mp4.end(), box.begin(), box.end());
  ASSERT_NE(at, mp4.end());
  // After version, flags, times, track, duration, layer, group and volume.
  size_t offset = size_t(at - mp4.begin()) + 4 + (at[4] == 1 ? 52 : 40);
  const int32_t matrix[9] = {a * 65536, b * 65536, 0, c * 65536, d * 65536, 0, 0, 0, 1 << 30};
  for (const int32_t entry : matrix)
    for (int shift = 24; shift >= 0; shift -= 8) mp4[offset++] = uint8_t(uint32_t(entry) >> shift);
}

TEST(ImportFiles, AMirroredVideoIsShownAsItsDisplayMatrixSays) {
  TempDir dir;
  const struct {
    const char* name;
    int a, b, c, d;
  } turns[] = {
      {"mirrored", -1, 0, 0, 1},
      {"upside down", 1, 0, 0, -1},
      {"turned right and mirrored", 0, 1, 1, 0},
      {"turned left and mirrored", 0, -1, -1, 0},
  };
  const std::string plain = TestVideo("mute.mp4");
  for (const auto& t : turns) {
    Bytes mp4 = ReadFile(plain);
    WriteDisplayMatrix(mp4, t.a, t.b, t.c, t.d);
    const std::string video = dir.File("turned.mp4"), clip = dir.File("turned.zrv");
    WriteFile(video, mp4);
    std::remove(clip.c_str());
    const ProgramResult r = Import({"--json", video, clip});
    ASSERT_EQ(r.exitCode, 0) << t.name << ": " << r.err;
    const double frameMs = JsonValue(r.out, "duration_ms") / JsonValue(r.out, "frames");
    const int n = SourceFrameAt(4 * frameMs);
    int w = 0, h = 0;
    const Bytes ours = SourceFrameRgb(dir, clip, 4, w, h);
    ASSERT_EQ(w * h, 176 * 144);
    // ffmpeg shows the same picture; the matrix took effect in both.
    const double shown = LumaPsnr(ours, w, FfmpegFittedFrame(dir, video, n, w, h), w, w, h);
    const double stored = LumaPsnr(ours, w, FfmpegFittedFrame(dir, plain, n, w, h), w, w, h);
    EXPECT_GT(shown, 24.0) << t.name;
    EXPECT_LT(stored, shown - 6) << t.name;
  }
}

// The marker segments in front of a JPEG stream's scan: marker, then body.
std::vector<std::pair<int, Bytes>> Segments(const Bytes& jpeg) {
  std::vector<std::pair<int, Bytes>> segments;
  size_t at = 2;
  while (at + 4 <= jpeg.size() && jpeg[at] == 0xFF && jpeg[at + 1] != 0xDA) {
    const size_t length = size_t(jpeg[at + 2]) << 8 | jpeg[at + 3];
    if (length < 2 || at + 2 + length > jpeg.size()) break;
    segments.push_back({jpeg[at + 1], Bytes(jpeg.begin() + long(at) + 4, jpeg.begin() + long(at + 2 + length))});
    at += 2 + length;
  }
  return segments;
}

TEST(ImportFiles, FramesAreBaselineJpegThatOldDecodersTake) {
  TempDir dir;
  const std::string clip = dir.File("b.zrv");
  ASSERT_EQ(Import({"--size", "100x60", TestVideo("mute.mp4"), clip}).exitCode, 0);
  const auto segments = Segments(FrameFile(dir, clip, 3));
  std::vector<int> markers;
  for (const auto& s : segments) markers.push_back(s.first);
  // JFIF, two quantisation tables, baseline frame, four Huffman tables; no
  // EXIF (APP1), no progressive or extended frame, nothing else.
  EXPECT_EQ(markers, (std::vector<int>{0xE0, 0xDB, 0xDB, 0xC0, 0xC4, 0xC4, 0xC4, 0xC4}));
  for (const auto& s : segments) {
    if (s.first == 0xC0) {
      const Bytes& f = s.second;
      ASSERT_EQ(f.size(), 15u);
      EXPECT_EQ(f[1] << 8 | f[2], 60);   // height
      EXPECT_EQ(f[3] << 8 | f[4], 100);  // width
      EXPECT_EQ(f[5], 3);                // Y, Cb, Cr
      EXPECT_EQ(f[7], 0x22);             // luma 2 x 2: 4:2:0
      EXPECT_EQ(f[10], 0x11);
      EXPECT_EQ(f[13], 0x11);
    }
    // The JPEG standard's example tables, with all 12 DC and 162
    // AC codes; optimised tables hold only the codes a picture uses.
    if (s.first == 0xC4) {
      EXPECT_TRUE(s.second.size() == 1 + 16 + 12 || s.second.size() == 1 + 16 + 162) << s.second.size();
    }
  }
}

}  // namespace

namespace {

TEST(ImportFiles, TheSoundTrackIsTheOneMarkedDefaultOrTheOneAskedFor) {
  TempDir dir;
  // Two tracks, 440 Hz first and 880 Hz second, the second marked default.
  const std::string video = dir.File("two.mkv");
  Ffmpeg({"-f", "lavfi", "-i", "testsrc2=size=64x48:rate=10:duration=2", "-f", "lavfi", "-i",
          "sine=frequency=440:sample_rate=8000:duration=2", "-f", "lavfi", "-i",
          "sine=frequency=880:sample_rate=8000:duration=2", "-map", "0", "-map", "1", "-map", "2",
          "-c:v", "libx264", "-preset", "ultrafast", "-c:a", "pcm_s16le", "-disposition:a:0", "0",
          "-disposition:a:1", "default", video});
  const std::pair<std::vector<std::string>, double> cases[] = {
      {{}, 880}, {{"--audio-track", "1"}, 440}, {{"--audio-track", "2"}, 880}};
  for (const auto& [args, frequency] : cases) {
    std::vector<std::string> all = args;
    all.insert(all.end(), {"--force", video, dir.File("t.zrv")});
    const ProgramResult r = Import(all);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NEAR(SoxTrack(dir, dir.File("t.zrv")).frequency, frequency, 40) << frequency;
  }
  const ProgramResult third = Import({"--audio-track", "3", video, dir.File("3.zrv")});
  EXPECT_EQ(third.exitCode, 1);
  EXPECT_NE(third.err.find("has 2 sound tracks, not a sound track 3"), std::string::npos) << third.err;
  EXPECT_FALSE(FileExists(dir.File("3.zrv")));
}

}  // namespace

namespace {

// Packed 4:2:2 stores two pixels in four bytes: a crop that counted the
// chroma's step as the pixel's shifted the picture by its own offset.
TEST(ImportFiles, APackedSourceCroppedIsTheSourceCropped) {
  TempDir dir;
  for (const std::string format : {"yuyv422", "uyvy422", "yuv420p"}) {
    const std::string video = dir.File(format + ".avi"), clip = dir.File(format + ".zrv");
    Ffmpeg({"-f", "lavfi", "-i", "testsrc2=size=320x240:rate=10:duration=1", "-pix_fmt", format, "-c:v",
            "rawvideo", video});
    ASSERT_EQ(Import({"--size", "96x96", "--fit", "crop", "--force", video, clip}).exitCode, 0) << format;
    int w = 0, h = 0;
    const Bytes ours = SourceFrameRgb(dir, clip, 0, w, h);
    ASSERT_EQ(w, 96);
    ASSERT_EQ(h, 96);
    Ffmpeg({"-i", video, "-vf", "select=eq(n\\,0),crop=240:240,scale=96:96", "-frames:v", "1", "-pix_fmt",
            "rgb24", "-f", "rawvideo", dir.File("crop.rgb")});
    EXPECT_GT(LumaPsnr(ours, 96, ReadFile(dir.File("crop.rgb")), 96, 96, 96), 24.0) << format;
  }
}

}  // namespace
