// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "audio/wav_writer.h"
#include "tests/audio/amr_tracks.h"
#include "tools/clip_maker/seven_segment.h"
#include "tools/clip_maker/tone.h"

namespace {

ProgramResult Zrvtool(std::vector<std::string> args) {
  args.insert(args.begin(), BuiltProgram("zrvtool"));
  return RunProgram(args);
}

struct Pixmap {
  int width = 0, height = 0;
  Bytes rgb;
  int Luma(int x, int y) const {
    const uint8_t* p = &rgb[(size_t(y) * size_t(width) + size_t(x)) * 3];
    return (77 * p[0] + 150 * p[1] + 29 * p[2]) >> 8;
  }
};

// A P6 file as zrvtool decode writes it.
Pixmap ReadPixmap(const std::string& path) {
  const Bytes b = ReadFile(path);
  Pixmap p;
  int maxval = 0, consumed = 0;
  if (std::sscanf(reinterpret_cast<const char*>(b.data()), "P6 %d %d %d%n", &p.width, &p.height,
                  &maxval, &consumed) != 3)
    return {};
  p.rgb.assign(b.begin() + consumed + 1, b.end());
  if (p.rgb.size() != size_t(p.width) * size_t(p.height) * 3) return {};
  return p;
}

// Reads the seven-segment number off a decoded frame: a segment is lit when
// the middle of its bar is light. -1 when some digit is no digit.
int ReadNumber(const Pixmap& picture, int digits) {
  int number = 0;
  for (const PixelRect& cell : DigitCells(picture.width, picture.height, digits)) {
    uint8_t lit = 0;
    const auto segments = SegmentRects(cell);
    for (int s = 0; s < 7; ++s) {
      const PixelRect& r = segments[size_t(s)];
      int sum = 0, count = 0;
      for (int y = r.y + r.height / 4; y < r.y + r.height - r.height / 4; ++y)
        for (int x = r.x + r.width / 4; x < r.x + r.width - r.width / 4; ++x) {
          sum += picture.Luma(x, y);
          ++count;
        }
      if (count && sum / count > 128) lit |= uint8_t(1 << s);
    }
    int digit = -1;
    for (int d = 0; d < 10; ++d)
      if (kDigitSegments[d] == lit) digit = d;
    if (digit < 0) return -1;
    number = number * 10 + digit;
  }
  return number;
}

std::string JsonValue(const std::string& json, const std::string& key) {
  const size_t at = json.find("\"" + key + "\":");
  if (at == std::string::npos) return "";
  const size_t start = at + key.size() + 3;
  return json.substr(start, json.find_first_of(",}", start) - start);
}

std::vector<size_t> FrameOffsets(const std::string& json) {
  std::vector<size_t> offsets;
  size_t at = json.find("\"frame_offsets\":[");
  if (at == std::string::npos) return offsets;
  for (at += 17; at < json.size() && json[at] != ']'; ++at) {
    size_t used = 0;
    offsets.push_back(std::stoul(json.substr(at), &used));
    at += used;
    if (json[at] == ']') break;
  }
  return offsets;
}

}  // namespace

TEST(ZrvtoolMake, RoundTripsThroughInfoFrameDecodeAndSound) {
  struct Case {
    std::string layout;
    bool grey;
    bool sound;
  } cases[] = {
      {"plain", false, true},
      {"plain", true, false},
      {"shared-header", false, false},
      {"shared-header", true, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.layout + (c.grey ? " grey" : " colour") + (c.sound ? " tone" : " silent"));
    TempDir dir;
    const std::string clip = dir.File("c.zrv");
    std::vector<std::string> args = {"make", "--frames", "14", "--fps", "4", "--size", "160x120",
                                      "--layout", c.layout, "--sound", c.sound ? "tone" : "none"};
    if (c.grey) args.push_back("--grey");
    args.push_back(clip);
    ProgramResult r = Zrvtool(args);
    ASSERT_EQ(r.exitCode, 0) << r.err;

    r = Zrvtool({"info", "--json", clip});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(JsonValue(r.out, "frames"), "14");
    EXPECT_EQ(JsonValue(r.out, "layout"), "\"" + c.layout + "\"");
    EXPECT_EQ(JsonValue(r.out, "sound"), c.sound ? "true" : "false");
    // 14 frames at 4 a second: 3.5 s of tone, 250 ms a frame.
    EXPECT_EQ(JsonValue(r.out, "sound_ms"), c.sound ? "3500" : "null");
    EXPECT_EQ(JsonValue(r.out, "interval_ms"), c.sound ? "250" : "200");

    for (uint32_t k : {0u, 1u, 9u, 13u}) {
      const std::string ppm = dir.File("f.ppm"), jpg = dir.File("f.jpg");
      r = Zrvtool({"decode", clip, std::to_string(k), ppm});
      ASSERT_EQ(r.exitCode, 0) << r.err;
      const Pixmap picture = ReadPixmap(ppm);
      ASSERT_EQ(picture.width, 160);
      ASSERT_EQ(picture.height, 120);
      EXPECT_EQ(ReadNumber(picture, 2), int(k)) << "frame " << k;
      // The reference decoder reads the standalone stream too, with one
      // component for grey frames.
      ASSERT_EQ(Zrvtool({"frame", clip, std::to_string(k), jpg}).exitCode, 0);
      r = RunProgram({"/usr/bin/djpeg", "-pnm", jpg});
      ASSERT_EQ(r.exitCode, 0) << r.err;
      EXPECT_EQ(r.out.substr(0, 2), c.grey ? "P5" : "P6");
    }

    r = Zrvtool({"sound", clip, dir.File("s.wav")});
    EXPECT_EQ(r.exitCode, c.sound ? 0 : 1) << r.err;
    if (c.sound) {
      EXPECT_EQ(Le32(ReadFile(dir.File("s.wav")), 40), 3500u * 16);
    }
  }
}

TEST(ZrvtoolMake, SharedHeaderFramesLoseTheirHeaderOnly) {
  TempDir dir;
  ASSERT_EQ(Zrvtool({"make", "--frames", "3", dir.File("p.zrv")}).exitCode, 0);
  ASSERT_EQ(Zrvtool({"make", "--frames", "3", "--layout", "shared-header", dir.File("s.zrv")}).exitCode, 0);
  ProgramResult shared = Zrvtool({"info", "--json", dir.File("s.zrv")});
  const size_t header = std::stoul(JsonValue(shared.out, "header_length"));
  const Bytes p = ReadFile(dir.File("p.zrv")), s = ReadFile(dir.File("s.zrv"));
  // Frames 1 and 2 each lose the header but for their FF D8, and then begin
  // with their scan.
  EXPECT_EQ(s.size(), p.size() - 2 * (header - 2));
  const size_t second = FrameOffsets(shared.out).at(1);
  EXPECT_EQ(Bytes(s.begin() + long(second), s.begin() + long(second) + 4), (Bytes{0xFF, 0xD8, 0xFF, 0xDA}));
  // Rebuilt with the header in front, each frame is the stream the plain clip holds.
  for (int k = 0; k < 3; ++k) {
    ASSERT_EQ(Zrvtool({"frame", dir.File("p.zrv"), std::to_string(k), dir.File("a.jpg")}).exitCode, 0);
    ASSERT_EQ(Zrvtool({"frame", dir.File("s.zrv"), std::to_string(k), dir.File("b.jpg")}).exitCode, 0);
    EXPECT_EQ(ReadFile(dir.File("a.jpg")), ReadFile(dir.File("b.jpg"))) << k;
  }
}

namespace {

// A real JPEG stream: frame k of a clip that make writes.
Bytes MadeJpeg(const TempDir& dir, const std::string& size, uint32_t k = 0) {
  const std::string clip = dir.File("source.zrv"), jpg = dir.File("source.jpg");
  EXPECT_EQ(Zrvtool({"make", "--frames", "2", "--size", size, clip}).exitCode, 0);
  EXPECT_EQ(Zrvtool({"frame", clip, std::to_string(k), jpg}).exitCode, 0);
  return ReadFile(jpg);
}

// `jpeg` with the marker segment `segment` put right after its FF D8.
Bytes WithSegment(const Bytes& jpeg, const Bytes& segment) {
  Bytes out = jpeg;
  out.insert(out.begin() + 2, segment.begin(), segment.end());
  return out;
}

// A 16-bit PCM WAV file written by the project's own writer.
void WriteWav(const std::string& path, short channels, int rate, size_t frames) {
  Samples samples = TestSignal(int(frames * 1000 / size_t(rate)) + 1, rate);
  samples.resize(frames);
  WavWriter* w = WavCreate(path.c_str(), channels, 16, rate);
  ASSERT_NE(w, nullptr);
  const short* data[2] = {samples.data(), samples.data()};
  WavWriteSamples(w, data, int(frames), channels);
  ASSERT_EQ(WavClose(w), 1);
}

}  // namespace

TEST(ZrvtoolMake, TakesGivenJpegsAndSoundFilesAsTheyAre) {
  TempDir dir;
  const Bytes a = MadeJpeg(dir, "64x48", 0), b = MadeJpeg(dir, "64x48", 1);
  WriteFile(dir.File("a.jpg"), a);
  WriteFile(dir.File("b.jpg"), b);
  const Bytes track = EncodeNarrowBand(TestSignal(1000, 8000), 4, true);
  WriteFile(dir.File("t.amr"), track);

  const std::string clip = dir.File("j.zrv");
  ProgramResult r = Zrvtool({"make", "--fps", "2", "--sound", dir.File("t.amr"), "--jpegs",
                             dir.File("a.jpg"), dir.File("b.jpg"), dir.File("a.jpg"), clip});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  r = Zrvtool({"info", "--json", clip});
  EXPECT_EQ(JsonValue(r.out, "frames"), "3");
  EXPECT_EQ(JsonValue(r.out, "sound_ms"), "1000");
  const Bytes bytes = ReadFile(clip);
  const size_t audioStart = std::stoul(JsonValue(r.out, "audio_start"));
  EXPECT_EQ(Bytes(bytes.begin() + long(audioStart), bytes.end()), track);  // copied as it is
  for (int k = 0; k < 3; ++k) {
    ASSERT_EQ(Zrvtool({"frame", clip, std::to_string(k), dir.File("f.jpg")}).exitCode, 0);
    EXPECT_EQ(ReadFile(dir.File("f.jpg")), k == 1 ? b : a) << k;
  }

  // OUT may also come first, before the list of pictures.
  ASSERT_EQ(Zrvtool({"make", dir.File("k.zrv"), "--layout", "shared-header", "--jpegs",
                     dir.File("b.jpg"), dir.File("a.jpg")}).exitCode, 0);
  r = Zrvtool({"info", "--json", dir.File("k.zrv")});
  EXPECT_EQ(JsonValue(r.out, "layout"), "\"shared-header\"");

  // A WAV file of 16-bit mono PCM at 8000 Hz is encoded, its last part frame
  // completed: 1 s and 50 samples make 51 frames of 20 ms.
  WriteWav(dir.File("m.wav"), 1, 8000, 8050);
  ASSERT_EQ(Zrvtool({"make", "--frames", "5", "--sound", dir.File("m.wav"), dir.File("w.zrv")}).exitCode, 0);
  r = Zrvtool({"info", "--json", dir.File("w.zrv")});
  EXPECT_EQ(JsonValue(r.out, "sound_ms"), "1020");
  EXPECT_EQ(JsonValue(r.out, "interval_ms"), "200");  // 204 ms a frame: 5 fps
}

TEST(ZrvtoolMake, ToneChangesPitchAtEveryWholeSecond) {
  TempDir dir;
  ASSERT_EQ(Zrvtool({"make", "--frames", "32", "--size", "32x32", "--sound", "tone", dir.File("t.zrv")}).exitCode, 0);
  ASSERT_EQ(Zrvtool({"sound", dir.File("t.zrv"), dir.File("t.wav")}).exitCode, 0);
  const Bytes pcm = WavData(ReadFile(dir.File("t.wav")));
  ASSERT_EQ(pcm.size(), 4u * 16000);
  for (uint32_t second = 0; second < 4; ++second) {
    // Rising zero crossings in the middle half of the second.
    int crossings = 0;
    for (size_t i = second * 8000 + 2000; i < second * 8000 + 6000; ++i)
      crossings += int16_t(Le16(pcm, 2 * i)) < 0 && int16_t(Le16(pcm, 2 * i + 2)) >= 0;
    EXPECT_NEAR(crossings * 2.0, TonePitch(second), TonePitch(second) * 0.03) << second;
  }
  EXPECT_NE(TonePitch(0), TonePitch(1));
}

TEST(ZrvtoolMake, RefusedInputsLeaveNoFile) {
  TempDir dir;
  const Bytes a = MadeJpeg(dir, "64x48"), wide = MadeJpeg(dir, "96x48");
  WriteFile(dir.File("a.jpg"), a);
  WriteFile(dir.File("wide.jpg"), wide);
  WriteFile(dir.File("thumb.jpg"), WithSegment(a, {0xFF, 0xE1, 0, 12, 'E', 'x', 'i', 'f', 0, 0, 0xFF, 0xD8, 0xFF, 0xD9}));
  WriteFile(dir.File("magic.jpg"), WithSegment(a, {0xFF, 0xFE, 0, 7, '#', '!', 'A', 'M', 'R'}));
  WriteFile(dir.File("comment.jpg"), WithSegment(a, {0xFF, 0xFE, 0, 4, 'h', 'i'}));
  WriteFile(dir.File("text.jpg"), {'n', 'o', 't', ' ', 'a', ' ', 'j', 'p', 'e', 'g'});
  WriteWav(dir.File("stereo.wav"), 2, 8000, 800);
  WriteWav(dir.File("fast.wav"), 1, 44100, 4410);
  WriteWav(dir.File("empty.wav"), 1, 8000, 0);
  WriteFile(dir.File("x.amr"), {'#', '!', 'A', 'M', 'R', '_', 'X', '\n', 0x3C});
  WriteFile(dir.File("kept.zrv"), {'k', 'e', 'p', 't'});
  const std::string out = dir.File("out.zrv");

  struct Case {
    std::vector<std::string> args;
    std::string says;  // a part of the one-line message
  } cases[] = {
      {{"--jpegs", dir.File("a.jpg"), dir.File("text.jpg"), out}, "not a JPEG"},
      {{"--jpegs", dir.File("a.jpg"), dir.File("missing.jpg"), out}, "cannot read"},
      {{"--jpegs", dir.File("thumb.jpg"), dir.File("a.jpg"), out}, "FF D8"},
      {{"--jpegs", dir.File("a.jpg"), dir.File("magic.jpg"), out}, "#!AMR"},
      {{"--jpegs", dir.File("a.jpg"), dir.File("comment.jpg"), out}, "shared-header"},
      {{"--layout", "shared-header", "--jpegs", dir.File("a.jpg"), dir.File("wide.jpg"), out}, "header"},
      {{"--sound", dir.File("stereo.wav"), out}, "16-bit mono PCM at 8000 Hz"},
      {{"--sound", dir.File("fast.wav"), out}, "16-bit mono PCM at 8000 Hz"},
      {{"--sound", dir.File("empty.wav"), out}, "no sound"},
      {{"--sound", dir.File("a.jpg"), out}, "AMR storage file or a WAV file"},
      {{"--sound", dir.File("x.amr"), out}, "AMR"},
      {{"--sound", dir.File("missing.amr"), out}, "cannot read"},
      {{"--sound", dir.File("kept.zrv"), dir.File("kept.zrv")}, "sound input"},
      {{"--frames", "2", dir.File("no/such/dir/out.zrv")}, "cannot write"},
  };
  for (const Case& c : cases) {
    std::vector<std::string> args = c.args;
    args.insert(args.begin(), "make");
    ProgramResult r = Zrvtool(args);
    EXPECT_EQ(r.exitCode, 1) << c.says << ": " << r.err;
    EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << r.err;
    EXPECT_FALSE(FileExists(out)) << c.says;
  }
  EXPECT_EQ(ReadFile(dir.File("kept.zrv")), (Bytes{'k', 'e', 'p', 't'}));

  // A refusal leaves an existing OUT as it was, and no half-written file beside it.
  ProgramResult r = Zrvtool({"make", "--sound", dir.File("stereo.wav"), dir.File("kept.zrv")});
  EXPECT_EQ(r.exitCode, 1);
  r = Zrvtool({"make", "--jpegs", dir.File("a.jpg"), dir.File("thumb.jpg"), dir.File("kept.zrv")});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(ReadFile(dir.File("kept.zrv")), (Bytes{'k', 'e', 'p', 't'}));
  for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
    EXPECT_NE(entry.path().filename().string()[0], '.') << entry.path();
}

TEST(ZrvtoolMake, UsageErrors) {
  TempDir dir;
  const std::string out = dir.File("out.zrv");
  const std::vector<std::vector<std::string>> cases = {
      {"--frames", "0", out},
      {"--frames", "655360", out},
      {"--frames", out},
      {"--size", "15x144", out},
      {"--size", "176x", out},
      {"--size", "176*144", out},
      {"--fps", "0", out},
      {"--quality", "101", out},
      {"--layout", "tiled", out},
      {"--sound", "", out},
      {"--bogus", out},
      {"--frames", "1", "--layout", "shared-header", out},
      {"--jpegs", out},
      {"--grey", "--jpegs", "a.jpg", out},
      {dir.File("a.jpg")},  // OUT must name a clip, not a picture
      {"--jpegs", "a.jpg", "b.jpg"},
      {out, dir.File("other.zrv")},
      {},
  };
  for (const auto& c : cases) {
    std::vector<std::string> args = c;
    args.insert(args.begin(), "make");
    ProgramResult r = Zrvtool(args);
    EXPECT_EQ(r.exitCode, 2) << (c.empty() ? "" : c[0]) << ": " << r.err;
    EXPECT_FALSE(FileExists(out));
  }
  ProgramResult help = Zrvtool({"make", "--help"});
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_NE(help.out.find("--layout plain|shared-header"), std::string::npos);
}

TEST(ZrvtoolMake, TheBuildMakesTheDemoClip) {
  ProgramResult r = Zrvtool({"info", "--json", BuiltProgram("demo.zrv")});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(JsonValue(r.out, "frames"), "96");  // 12 s at 8 frames a second
  EXPECT_EQ(JsonValue(r.out, "layout"), "\"plain\"");
  EXPECT_EQ(JsonValue(r.out, "sound_ms"), "12000");
  EXPECT_EQ(JsonValue(r.out, "interval_ms"), "125");
  TempDir dir;
  ASSERT_EQ(Zrvtool({"decode", BuiltProgram("demo.zrv"), "42", dir.File("f.ppm")}).exitCode, 0);
  const Pixmap picture = ReadPixmap(dir.File("f.ppm"));
  EXPECT_EQ(picture.width, 176);
  EXPECT_EQ(picture.height, 144);
  EXPECT_EQ(ReadNumber(picture, 2), 42);
}

TEST(ZrvtoolDecode, RefusesAPictureTooLargeForAPixmapBeforeDecodingIt) {
  // The first frame's header is made to declare 8192 x 8192: a 192 MiB PPM
  // from a clip of a few kilobytes. The other frames still decode.
  Bytes clip = ReadFile(BuiltProgram("demo.zrv"));
  bool patched = false;
  for (size_t i = 0; i + 9 < clip.size() && !patched; ++i) {
    if (clip[i] == 0xFF && clip[i + 1] == 0xC0) {
      clip[i + 5] = 0x20, clip[i + 6] = 0x00;  // height
      clip[i + 7] = 0x20, clip[i + 8] = 0x00;  // width
      patched = true;
    }
  }
  ASSERT_TRUE(patched);
  TempDir dir;
  WriteFile(dir.File("big.zrv"), clip);
  ProgramResult r = Zrvtool({"decode", dir.File("big.zrv"), "0", dir.File("f.ppm")});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.err.find("8192 x 8192"), std::string::npos) << r.err;
  EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << r.err;
  EXPECT_FALSE(FileExists(dir.File("f.ppm")));

  ASSERT_EQ(Zrvtool({"decode", dir.File("big.zrv"), "1", dir.File("f.ppm")}).exitCode, 0);
  EXPECT_EQ(ReadPixmap(dir.File("f.ppm")).width, 176);
}
