// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// What an exported file holds, read back by ffprobe and ffmpeg: streams,
// every frame, timing, pictures, sound, title and date.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <sstream>
#include <fcntl.h>
#include <sys/stat.h>

#include "tests/export/export_probe.h"

namespace {

// 2009-05-01 12:00:00 UTC: the clip's date that the export must carry over.
constexpr time_t kClipDate = 1241179200;

void DateClip(const std::string& clip) {
  const timespec times[2] = {{kClipDate, 0}, {kClipDate, 0}};
  ASSERT_EQ(::utimensat(AT_FDCWD, clip.c_str(), times, 0), 0);
}

void Export(const std::string& clip, const std::string& out, const std::string& expectJson = "") {
  const ProgramResult r = Zrvtool({"export", "--json", clip, out});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.err, "") << "no progress bar when stderr is no terminal";
  if (!expectJson.empty()) {
    EXPECT_NE(r.out.find(expectJson), std::string::npos) << r.out;
  }
}

int Int(const std::string& text) { return std::stoi(text); }
double Num(const std::string& text) { return std::stod(text); }

// The correlation of b against a at the best lag within +-maxLag.
double BestCorrelation(const std::vector<int16_t>& a, const std::vector<int16_t>& b, int maxLag) {
  double best = -1;
  for (int lag = -maxLag; lag <= maxLag; ++lag) {
    double ab = 0, aa = 0, bb = 0;
    for (size_t i = 0; i < a.size(); ++i) {
      const long j = long(i) + lag;
      if (j < 0 || j >= long(b.size())) continue;
      ab += double(a[i]) * b[size_t(j)];
      aa += double(a[i]) * a[i];
      bb += double(b[size_t(j)]) * b[size_t(j)];
    }
    if (aa > 0 && bb > 0) best = std::max(best, ab / std::sqrt(aa * bb));
  }
  return best;
}

TEST(ExportMp4, BothLayoutsWithSoundGiveH264AndAacFaithfully) {
  for (const std::string layout : {"plain", "shared-header"}) {
    SCOPED_TRACE(layout);
    TempDir dir;
    // 7 frames at 8 a second: a tone of 880 ms, 125.714... ms a frame.
    const std::string clip = MakeClip(dir, "Birthday.zrv",
                                      {"--frames", "7", "--layout", layout, "--sound", "tone"});
    DateClip(clip);
    const std::string out = dir.File("out.mp4");
    Export(clip, out, "\"frames\":7,\"duration_ms\":880,\"fps\":7.954545454545");

    const auto video = Probe(out, "v:0", "stream=codec_name,pix_fmt,width,height,nb_read_packets,duration");
    EXPECT_EQ(video.at("codec_name"), "h264");
    EXPECT_EQ(video.at("pix_fmt"), "yuv420p");
    EXPECT_EQ(video.at("width"), "176");
    EXPECT_EQ(video.at("height"), "144");
    EXPECT_EQ(video.at("nb_read_packets"), "7");
    EXPECT_NEAR(Num(video.at("duration")), 0.88, 1e-4);
    const auto audio = Probe(out, "a:0", "stream=codec_name,sample_rate");
    EXPECT_EQ(audio.at("codec_name"), "aac");
    EXPECT_EQ(audio.at("sample_rate"), "8000");

    // Each frame starts at k * L / n, to the tick.
    const auto starts = ProbeList(out, "v:0", "pts_time", true);
    ASSERT_EQ(starts.size(), 7u);
    for (size_t k = 0; k < 7; ++k) EXPECT_NEAR(Num(starts[k]), k * 0.88 / 7, 1.5e-5) << k;

    // Fast start: the index comes before the media data.
    const Bytes bytes = ReadFile(out);
    const std::string head(bytes.begin(), bytes.begin() + 4096);
    ASSERT_NE(head.find("moov"), std::string::npos);
    EXPECT_LT(head.find("moov"), head.find("mdat"));

    const auto tags = Probe(out, "", "format_tags=title,creation_time");
    EXPECT_EQ(tags.at("TAG:title"), "Birthday");
    EXPECT_EQ(tags.at("TAG:creation_time"), "2009-05-01T12:00:00.000000Z");
    struct stat st {};
    ASSERT_EQ(::stat(out.c_str(), &st), 0);
    EXPECT_EQ(st.st_mtim.tv_sec, kClipDate);

    // The pictures: every frame in full colour, the last one included.
    for (int k : {0, 3, 6}) {
      int w, h, sw, sh;
      const Bytes got = DecodedFrameRgb(dir, out, k, w, h);
      const Bytes want = SourceFrameRgb(dir, clip, k, sw, sh);
      EXPECT_GE(LumaPsnr(got, w, want, sw, sw, sh), 35.0) << "frame " << k;
      EXPECT_GE(ColourPsnr(got, w, want, sw, sw, sh), 30.0) << "frame " << k;
    }
    // The sound follows the track that zrvtool sound converts.
    const std::vector<int16_t> wav = ToolSoundSamples(dir, clip);
    const std::vector<int16_t> aac = DecodedSamples(dir, out, "0:a");
    EXPECT_NEAR(double(aac.size()), double(wav.size()), 1024);
    EXPECT_GT(BestCorrelation(wav, aac, 64), 0.9);
  }
}

TEST(ExportMp4, OddSizesArePaddedByRepeatingTheLastColumnAndRow) {
  TempDir dir;
  const std::string clip = MakeClip(dir, "odd.zrv", {"--frames", "3", "--size", "37x23"});
  const std::string out = dir.File("odd.mp4");
  Export(clip, out);
  const auto video = Probe(out, "v:0", "stream=width,height");
  EXPECT_EQ(video.at("width"), "38");
  EXPECT_EQ(video.at("height"), "24");
  int w, h, sw, sh;
  const Bytes got = DecodedFrameRgb(dir, out, 1, w, h);
  const Bytes want = SourceFrameRgb(dir, clip, 1, sw, sh);
  EXPECT_GE(LumaPsnr(got, w, want, sw, 37, 23), 35.0);
  EXPECT_GE(ColourPsnr(got, w, want, sw, 37, 23), 25.0);
  // The added column and row look like their neighbours, not black.
  Bytes column, neighbour, row, above;
  for (int y = 0; y < 24; ++y) {
    column.insert(column.end(), &got[(y * 38 + 37) * 3], &got[(y * 38 + 37) * 3] + 3);
    neighbour.insert(neighbour.end(), &got[(y * 38 + 36) * 3], &got[(y * 38 + 36) * 3] + 3);
  }
  row.assign(&got[23 * 38 * 3], &got[24 * 38 * 3]);
  above.assign(&got[22 * 38 * 3], &got[23 * 38 * 3]);
  EXPECT_GE(LumaPsnr(column, 1, neighbour, 1, 1, 24), 30.0);
  EXPECT_GE(LumaPsnr(row, 38, above, 38, 38, 1), 30.0);
}

// Zeroes the header of frame k (after its FF D8, up to its scan), so that
// the frame no longer decodes while the clip's scan still finds it.
void DamageFrame(const std::string& clip, int k) {
  const ProgramResult info = Zrvtool({"info", "--json", clip});
  const size_t list = info.out.find("\"frame_offsets\":[");
  std::istringstream offsets(info.out.substr(list + 17));
  long start = 0;
  char comma;
  for (int i = 0; i <= k; ++i) offsets >> start >> comma;
  Bytes bytes = ReadFile(clip);
  size_t i = size_t(start) + 2;
  while (!(bytes[i] == 0xFF && bytes[i + 1] == 0xDA)) bytes[i++] = 0;
  WriteFile(clip, bytes);
}

TEST(ExportBoth, ADamagedFrameLengthensThePictureBeforeItAndIsCounted) {
  TempDir dir;
  // 9 frames over the tone's 1120 ms: 124.44 ms each.
  const std::string clip = MakeClip(dir, "damaged.zrv", {"--frames", "9", "--sound", "tone"});
  DamageFrame(clip, 4);
  const double frame = 1.12 / 9;
  const std::string out = dir.File("damaged.mp4");
  Export(clip, out, "\"damaged_frames\":1");
  // Frame 3's picture stays on screen for frame 4's time too: one packet
  // fewer, twice as long, and nothing encoded again.
  std::vector<double> starts;
  for (const std::string& t : ProbeList(out, "v:0", "pts_time")) starts.push_back(Num(t));
  std::sort(starts.begin(), starts.end());
  ASSERT_EQ(starts.size(), 8u);
  EXPECT_NEAR(starts[4] - starts[3], 2 * frame, 2e-5);
  EXPECT_NEAR(starts[4], 5 * frame, 2e-5);
  int w, h, sw, sh;
  const Bytes shown = DecodedFrameAtRgb(dir, out, 4.5 * frame, w, h);
  const Bytes before = SourceFrameRgb(dir, clip, 3, sw, sh);
  const Bytes after = SourceFrameRgb(dir, clip, 5, sw, sh);
  EXPECT_GE(ColourPsnr(shown, w, before, sw, sw, sh), 33.0);
  EXPECT_LT(LumaPsnr(shown, w, after, sw, sw, sh), 30.0) << "the frames differ in their digits";
  const Bytes next = DecodedFrameAtRgb(dir, out, 5.5 * frame, w, h);
  EXPECT_GE(ColourPsnr(next, w, after, sw, sw, sh), 33.0);

  // The MKV does the same with the frame's packet: the one before lasts longer.
  const std::string mkv = dir.File("damaged.mkv");
  Export(clip, mkv, "\"damaged_frames\":1");
  const auto sizes = ProbeList(mkv, "v:0", "size");
  ASSERT_EQ(sizes.size(), 8u);
  EXPECT_EQ(size_t(Int(sizes[3])), FrameFile(dir, clip, 3).size());
  EXPECT_EQ(size_t(Int(sizes[4])), FrameFile(dir, clip, 5).size());
  const auto mkvStarts = ProbeList(mkv, "v:0", "pts_time");
  EXPECT_NEAR(Num(mkvStarts[4]), 5 * frame, 0.0006);
}

TEST(ExportMkv, PacketsAreTheFrameStreamsAndTheSoundIsSampleExact) {
  for (const std::string layout : {"plain", "shared-header"}) {
    SCOPED_TRACE(layout);
    TempDir dir;
    const std::string clip =
        MakeClip(dir, "walk.zrv", {"--frames", "11", "--layout", layout, "--sound", "tone"});
    DateClip(clip);
    const std::string out = dir.File("walk.mkv");
    Export(clip, out, "\"frames\":11,\"duration_ms\":1380");
    EXPECT_EQ(Probe(out, "v:0", "stream=codec_name").at("codec_name"), "mjpeg");
    EXPECT_EQ(Probe(out, "a:0", "stream=codec_name").at("codec_name"), "flac");
    EXPECT_NEAR(Num(Probe(out, "", "format=duration").at("duration")), 1.38, 0.002);

    // Packet by packet, the standalone streams, the last frame whole.
    Ffmpeg({"-i", out, "-map", "0:v", "-c", "copy", "-f", "image2", dir.File("p%02d.jpg")});
    for (int k = 0; k < 11; ++k) {
      char name[16];
      std::snprintf(name, sizeof name, "p%02d.jpg", k + 1);
      EXPECT_TRUE(ReadFile(dir.File(name)) == FrameFile(dir, clip, k)) << "frame " << k;
    }
    EXPECT_FALSE(FileExists(dir.File("p12.jpg")));
    // Each frame starts at k * L / n, to the millisecond Matroska keeps.
    const auto starts = ProbeList(out, "v:0", "pts_time");
    ASSERT_EQ(starts.size(), 11u);
    for (size_t k = 0; k < 11; ++k) EXPECT_NEAR(Num(starts[k]), k * 1.38 / 11, 0.0006) << k;

    EXPECT_TRUE(DecodedSamples(dir, out, "0:a") == ToolSoundSamples(dir, clip));
    EXPECT_EQ(Probe(out, "", "format_tags=title").at("TAG:title"), "walk");
  }
}

TEST(ExportBoth, NoSoundOneFrameAndAnUnusableTrackTakeTheFallback) {
  TempDir dir;
  const std::string silent = MakeClip(dir, "silent.zrv", {"--frames", "5"});
  const std::string single = MakeClip(dir, "single.zrv", {"--frames", "1", "--sound", "tone"});
  // A track of nothing but its magic: no length the frames could share.
  Bytes bytes = ReadFile(MakeClip(dir, "empty-track.zrv", {"--frames", "4"}));
  for (char c : std::string("#!AMR\n")) bytes.push_back(uint8_t(c));
  WriteFile(dir.File("empty-track.zrv"), bytes);

  for (const char* ext : {"mp4", "mkv"}) {
    SCOPED_TRACE(ext);
    const std::string a = dir.File(std::string("silent.") + ext);
    Export(silent, a, "\"frames\":5,\"duration_ms\":1000,\"fps\":5,\"sound\":false");
    EXPECT_TRUE(Probe(a, "a", "stream=codec_name").empty()) << "no sound stream";
    EXPECT_NEAR(Num(Probe(a, "", "format=duration").at("duration")), 1.0, 0.002);

    const std::string b = dir.File(std::string("single.") + ext);
    Export(single, b, "\"frames\":1,\"duration_ms\":120,\"fps\":8.333333333333,\"sound\":true");
    EXPECT_EQ(Probe(b, "v:0", "stream=nb_read_packets").at("nb_read_packets"), "1");

    const std::string c = dir.File(std::string("empty-track.") + ext);
    Export(dir.File("empty-track.zrv"), c, "\"frames\":4,\"duration_ms\":800,\"fps\":5,\"sound\":false");
    EXPECT_NEAR(Num(Probe(c, "", "format=duration").at("duration")), 0.8, 0.002);
  }
}

}  // namespace
