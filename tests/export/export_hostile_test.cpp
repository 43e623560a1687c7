// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// Clips made to cost: small files whose frames or sound would make the
// export write gigabytes or run for minutes. Each is either exported within
// bounds (damaged and repeated frames lengthen the picture before them) or
// refused with one line before anything is written; and the video's size is
// that of the frames that decode.
#include <gtest/gtest.h>

#include <sys/inotify.h>
#include <unistd.h>

#include "tests/export/export_probe.h"

namespace {

Bytes Concat(Bytes a, const Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

Bytes Repeat(const Bytes& piece, size_t times) {
  Bytes out;
  out.reserve(piece.size() * times);
  for (size_t i = 0; i < times; ++i) out.insert(out.end(), piece.begin(), piece.end());
  return out;
}

// A 16 x 16 frame's standalone stream with `comments` segments of 65,535
// bytes after its SOI: a header of about 64 KiB each.
Bytes FrameWithLargeHeader(const TempDir& dir, int comments) {
  const std::string clip = MakeClip(dir, "seed.zrv", {"--frames", "1", "--size", "16x16"});
  const Bytes frame = FrameFile(dir, clip, 0);
  Bytes out(frame.begin(), frame.begin() + 2);
  for (int i = 0; i < comments; ++i) {
    out.insert(out.end(), {0xFF, 0xFE, 0xFF, 0xFF});
    out.insert(out.end(), 65533, 0x00);
  }
  out.insert(out.end(), frame.begin() + 2, frame.end());
  out.push_back(0xD9);  // the clip's last byte belongs to no frame
  return out;
}

size_t Count(const std::string& text, const std::string& what) {
  size_t n = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

TEST(ExportHostile, EmptyFramesBehindALargeSharedHeaderLengthenThePictureInsteadOfRepeatingIt) {
  // 512 KiB of header, then 100,000 frames of nothing but FF D8 FF DA: as
  // stored, each would become a packet of half a megabyte, 50 GB in all.
  TempDir dir;
  const size_t empty = 100000;
  // Padding after them, so that the scan, which stops ten bytes short of
  // the end, finds every one.
  WriteFile(dir.File("empty.zrv"), Concat(Concat(FrameWithLargeHeader(dir, 8),
                                                 Repeat({0xFF, 0xD8, 0xFF, 0xDA}, empty)),
                                          Bytes(16, 0)));
  const ProgramResult info = Zrvtool({"info", "--json", dir.File("empty.zrv")});
  ASSERT_NE(info.out.find("\"layout\":\"shared-header\""), std::string::npos) << info.out.substr(0, 200);

  for (const char* ext : {"mkv", "mp4"}) {
    SCOPED_TRACE(ext);
    const std::string out = dir.File(std::string("empty.") + ext);
    const ProgramResult r = Zrvtool({"export", "--json", dir.File("empty.zrv"), out});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("\"frames\":100001"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("\"damaged_frames\":100000"), std::string::npos) << r.out;
    EXPECT_LT(ReadFile(out).size(), 2u << 20);
    // One picture lasting the whole video: 100,001 frames of 200 ms.
    EXPECT_EQ(ProbeList(out, "v:0", "size").size(), 1u);
    EXPECT_NEAR(std::stod(Probe(out, "", "format=duration").at("duration")), 20000.2, 0.01);
  }
}

TEST(ExportHostile, FramesThatWouldComeToGigabytesWithTheSharedHeaderAreRefused) {
  // The same header, then 30,000 tiny frames that each hold a scan.
  TempDir dir;
  const Bytes tiny = {0xFF, 0xD8, 0xFF, 0xDA, 0x00, 0x08, 0x01, 0x01, 0x00, 0x00, 0x3F, 0x00, 0x12, 0x34};
  WriteFile(dir.File("many.zrv"), Concat(FrameWithLargeHeader(dir, 8), Repeat(tiny, 30000)));
  // Each differs from the one before, so none is a plain repeat.
  Bytes bytes = ReadFile(dir.File("many.zrv"));
  for (size_t at = bytes.size() - 30000 * tiny.size(), k = 0; k < 30000; ++k, at += tiny.size())
    bytes[at + 12] = uint8_t(k), bytes[at + 13] = uint8_t(k >> 8) & 0x7F;
  WriteFile(dir.File("many.zrv"), bytes);
  for (const char* ext : {"mkv", "mp4"}) {
    SCOPED_TRACE(ext);
    const std::string out = dir.File(std::string("many.") + ext);
    const ProgramResult r = Zrvtool({"export", dir.File("many.zrv"), out});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(Count(r.err, "\n"), 1u) << r.err;
    EXPECT_NE(r.err.find("shared header"), std::string::npos) << r.err;
    EXPECT_FALSE(FileExists(out));
    EXPECT_TRUE(HiddenFiles(dir.path()).empty());
  }
}

// Names created in `folder` while `run` runs, seen by inotify.
std::vector<std::string> CreatedWhile(const std::string& folder, const std::function<void()>& run) {
  const int fd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  EXPECT_GE(fd, 0);
  inotify_add_watch(fd, folder.c_str(), IN_CREATE | IN_MOVED_TO);
  run();
  std::vector<std::string> names;
  alignas(inotify_event) char buffer[8192];
  for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) > 0;)
    for (char* p = buffer; p < buffer + n;) {
      const auto* event = reinterpret_cast<const inotify_event*>(p);
      if (event->len) names.emplace_back(event->name);
      p += sizeof(inotify_event) + event->len;
    }
  ::close(fd);
  return names;
}

TEST(ExportHostile, ATrackOfNoDataFramesIsCountedNotDecodedAndItsExportRefused) {
  // One frame, then 1,000,000 one-byte NO_DATA frames: 5 h 33 min 20 s of
  // sound in a megabyte.
  TempDir dir, temporary;
  Bytes clip = ReadFile(MakeClip(dir, "frame.zrv", {"--frames", "1", "--size", "16x16"}));
  for (char c : std::string("#!AMR\n")) clip.push_back(uint8_t(c));
  clip.insert(clip.end(), 1000000, 0x7C);
  WriteFile(dir.File("nodata.zrv"), clip);

  // info learns the length without a temporary file.
  setenv("TMP", temporary.path().c_str(), 1);
  ProgramResult r;
  const auto made = CreatedWhile(temporary.path(), [&] { r = Zrvtool({"info", "--json", dir.File("nodata.zrv")}); });
  unsetenv("TMP");
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_NE(r.out.find("\"sound_ms\":20000000"), std::string::npos) << r.out.substr(r.out.size() - 80);
  EXPECT_TRUE(made.empty()) << made.front();

  r = Zrvtool({"export", dir.File("nodata.zrv"), dir.File("nodata.mp4")});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.err.find("sound track would last 5 h 33 min"), std::string::npos) << r.err;
  EXPECT_FALSE(FileExists(dir.File("nodata.mp4")));
  // So is converting it: 5 h of WAV would be 320 MB.
  r = Zrvtool({"sound", dir.File("nodata.zrv"), dir.File("nodata.wav")});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.err.find("has a sound track of 5 h 33 min"), std::string::npos) << r.err;
  EXPECT_FALSE(FileExists(dir.File("nodata.wav")));
}

TEST(ExportHostile, AHundredThousandUndecodableFramesCostOnePicture) {
  TempDir dir;
  const std::string seed = MakeClip(dir, "seed.zrv", {"--frames", "1", "--size", "32x32"});
  Bytes clip = FrameFile(dir, seed, 0);
  const Bytes broken = Repeat({0xFF, 0xD8, 0xFF, 0xE0}, 100000);
  clip = Concat(Concat(clip, broken), Bytes(16, 0));
  WriteFile(dir.File("broken.zrv"), clip);
  const ProgramResult r = Zrvtool({"export", "--json", dir.File("broken.zrv"), dir.File("broken.mp4")});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_NE(r.out.find("\"damaged_frames\":100000"), std::string::npos) << r.out;
  EXPECT_EQ(ProbeList(dir.File("broken.mp4"), "v:0", "size").size(), 1u);
}

// Patches the first frame header (SOF0) of `bytes` from `from` on to
// declare width x height.
void DeclareSize(Bytes& bytes, size_t from, int width, int height) {
  for (size_t i = from; i + 9 < bytes.size(); ++i) {
    if (bytes[i] != 0xFF || bytes[i + 1] != 0xC0) continue;
    bytes[i + 5] = uint8_t(height >> 8), bytes[i + 6] = uint8_t(height);
    bytes[i + 7] = uint8_t(width >> 8), bytes[i + 8] = uint8_t(width);
    return;
  }
  FAIL() << "no SOF0";
}

TEST(ExportHostile, TheSizeIsThatOfTheFramesThatDecodeAndChangesAreReported) {
  TempDir dir;
  // A first frame whose damaged header declares 176 x 288, or 8192 x 8192.
  for (const auto& [w, h] : {std::pair{176, 288}, std::pair{8192, 8192}}) {
    SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h));
    Bytes clip = ReadFile(MakeClip(dir, "walk.zrv", {"--frames", "6"}));
    DeclareSize(clip, 0, w, h);
    WriteFile(dir.File("lying.zrv"), clip);
    for (const char* ext : {"mp4", "mkv"}) {
      SCOPED_TRACE(ext);
      const std::string out = dir.File(std::string("lying.") + ext);
      const ProgramResult r = Zrvtool({"export", "--force", "--json", dir.File("lying.zrv"), out});
      ASSERT_EQ(r.exitCode, 0) << r.err;
      EXPECT_EQ(Probe(out, "v:0", "stream=width").at("width"), "176");
      EXPECT_EQ(Probe(out, "v:0", "stream=height").at("height"), "144");
      EXPECT_NE(r.out.find("\"width\":176,\"height\":144"), std::string::npos) << r.out;
      EXPECT_NE(r.out.find("\"other_size_frames\":1,\"first_other_size_frame\":0"), std::string::npos) << r.out;
      EXPECT_NE(r.err.find(std::to_string(w) + " x " + std::to_string(h)), std::string::npos) << r.err;
    }
  }

  // A frame of 352 x 288 in the middle of a 176 x 144 clip.
  const std::string small = MakeClip(dir, "small.zrv", {"--frames", "3"});
  const std::string large = MakeClip(dir, "large.zrv", {"--frames", "1", "--size", "352x288"});
  std::vector<std::string> jpegs;
  for (const auto& [clip, k] : {std::pair{small, 0}, {small, 1}, {large, 0}, {small, 2}}) {
    // Built in steps: GCC 12 at -O3 takes "j" + std::to_string(...) for an overlapping copy.
    std::string name = std::to_string(jpegs.size());
    name.insert(0, 1, 'j');
    name += ".jpg";
    jpegs.push_back(dir.File(name.c_str()));
    WriteFile(jpegs.back(), FrameFile(dir, clip, k));
  }
  std::vector<std::string> args = {"make", "--jpegs"};
  args.insert(args.end(), jpegs.begin(), jpegs.end());
  args.push_back(dir.File("mixed.zrv"));
  ASSERT_EQ(Zrvtool(args).exitCode, 0);
  const ProgramResult r = Zrvtool({"export", "--json", dir.File("mixed.zrv"), dir.File("mixed.mp4")});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_NE(r.out.find("\"other_size_frames\":1,\"first_other_size_frame\":2,\"other_width\":352,\"other_height\":288"),
            std::string::npos) << r.out;
  EXPECT_NE(r.err.find("frame 2, 352 x 288"), std::string::npos) << r.err;
  EXPECT_EQ(Count(r.err, "\n"), 1u) << r.err;
}

TEST(ExportHostile, FramesBeyondWhatPlayersDecodeAreRefusedSayingTheRealLimit) {
  TempDir dir;
  for (const auto& [w, h] : {std::pair{8688, 64}, std::pair{4096, 2304}, std::pair{2048, 2048}}) {
    Bytes clip = ReadFile(MakeClip(dir, "small.zrv", {"--frames", "1", "--size", "16x16"}));
    DeclareSize(clip, 0, w, h);
    WriteFile(dir.File("wide.zrv"), clip);
    const ProgramResult r = Zrvtool({"export", dir.File("wide.zrv"), dir.File("wide.mp4")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find(std::to_string(w) + " x " + std::to_string(h)), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("8,192 macroblocks"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("no side over 4096"), std::string::npos) << r.err;
    EXPECT_FALSE(FileExists(dir.File("wide.mp4")));
  }
}

}  // namespace
