// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// The import's two threads and the pictures it leaves undecoded: a clip that
// takes few of a video's pictures is the same, frame for frame and byte for
// byte, as the frames of a clip that takes them all; the second thread is
// made once the process is confined and writes the clip; a refusal made
// there is the import's.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "tests/import/import_sources.h"

namespace {

constexpr const char* kNoLeakCheck = "ASAN_OPTIONS=detect_leaks=0";

// The JPEG streams of a plain clip, in order: each ends with FF D9, and the
// next begins right after with FF D8 (inside a stream FF is followed by 00
// or a restart marker).
std::vector<Bytes> ClipFrames(const Bytes& clip) {
  std::vector<Bytes> frames;
  size_t begin = 0;
  for (size_t i = 2; i + 1 < clip.size(); ++i) {
    if (clip[i - 2] == 0xFF && clip[i - 1] == 0xD9 && clip[i] == 0xFF && clip[i + 1] == 0xD8) {
      frames.emplace_back(clip.begin() + long(begin), clip.begin() + long(i));
      begin = i;
    }
  }
  // The last one ends where the track begins.
  const std::string magic = "#!AMR";
  const auto track = std::search(clip.begin() + long(begin), clip.end(), magic.begin(), magic.end());
  frames.emplace_back(clip.begin() + long(begin), track);
  return frames;
}

struct Source {
  const char* name;
  std::vector<std::string> encoding;  // ffmpeg's output options
};

TEST(ImportPipeline, AClipOfFewPicturesIsTheSameAsOneThatDecodesThemAll) {
  TempDir dir;
  // Pictures that nothing refers to (B pictures) in three decoders, with
  // and without packet durations (MPEG-TS has none).
  const Source sources[] = {
      {"pyramid.mp4", {"-c:v", "libx264", "-preset", "veryfast", "-bf", "3", "-c:a", "aac"}},
      {"hevc.mkv", {"-c:v", "libx265", "-preset", "ultrafast", "-x265-params", "log-level=error", "-c:a", "flac"}},
      {"mpeg2.ts", {"-c:v", "mpeg2video", "-bf", "2", "-c:a", "mp2"}},
  };
  for (const Source& source : sources) {
    const std::string video = dir.File(source.name);
    std::vector<std::string> args = {"-f", "lavfi", "-i", "testsrc2=size=320x240:rate=25:duration=3",
                                     "-f", "lavfi", "-i", "sine=frequency=440:duration=3"};
    args.insert(args.end(), source.encoding.begin(), source.encoding.end());
    args.insert(args.end(), {"-shortest", video});
    Ffmpeg(args);
    // There is something to leave out: B pictures.
    int bPictures = 0;
    for (const std::string& type : ProbeList(video, "v:0", "pict_type", true))
      bPictures += type.find('B') != std::string::npos;
    ASSERT_GT(bPictures, 20) << source.name;

    // 10 a second takes every 4th picture (and leaves pictures out), 20 a
    // second every other (and decodes all); frame k of the one is shown at
    // the time of frame 2k of the other.
    const std::string few = dir.File("few.zrv"), all = dir.File("all.zrv");
    ASSERT_EQ(Import({"--force", "--fps", "10", video, few}).exitCode, 0) << source.name;
    ASSERT_EQ(Import({"--force", "--fps", "20", video, all}).exitCode, 0) << source.name;
    const std::vector<Bytes> a = ClipFrames(ReadFile(few)), b = ClipFrames(ReadFile(all));
    ASSERT_EQ(int(a.size()), InfoOf(few).frames) << source.name;
    ASSERT_EQ(a.size(), 30u) << source.name;
    ASSERT_EQ(b.size(), 60u) << source.name;
    int differing = 0;
    for (size_t k = 0; k < a.size(); ++k) differing += a[k] != b[2 * k];
    EXPECT_EQ(differing, 0) << source.name;
    // And the frames differ among themselves: a picture stuck would pass too.
    EXPECT_NE(a[1], a[2]) << source.name;
  }
}

// The lines of `log` that `pid` made, without it (strace pads it with blanks).
std::vector<std::string> LinesOf(const std::string& log, const std::string& pid) {
  std::vector<std::string> lines;
  std::istringstream in(log);
  for (std::string line; std::getline(in, line);)
    if (line.rfind(pid + " ", 0) == 0) lines.push_back(line.substr(line.find_first_not_of(' ', pid.size())));
  return lines;
}

TEST(ImportPipeline, TheSecondThreadIsMadeWhenConfinedAndWritesTheClip) {
  TempDir dir;
  const std::string trace = dir.File("trace.log"), clip = dir.File("out.zrv");
  const ProgramResult run = RunProgram({"/usr/bin/env", kNoLeakCheck, "/usr/bin/strace", "-f", "-qq", "-s", "4",
                                        "-e", "trace=seccomp,clone,clone3,write", "-o", trace,
                                        BuiltProgram("zrvtool"), "import", TestVideo("mp4.mp4"), clip});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  const Bytes traced = ReadFile(trace);
  const std::string log(traced.begin(), traced.end());
  // The process that confined itself.
  const size_t confined = log.find("seccomp(SECCOMP_SET_MODE_FILTER, 0");
  ASSERT_NE(confined, std::string::npos) << log;
  const size_t lineStart = log.rfind('\n', confined) + 1;
  const std::string importer = log.substr(lineStart, log.find(' ', lineStart) - lineStart);
  const std::vector<std::string> lines = LinesOf(log, importer);
  std::string thread;
  bool confinedYet = false;
  for (const std::string& line : lines) {
    if (line.rfind("seccomp(SECCOMP_SET_MODE_FILTER, 0", 0) == 0) confinedYet = true;
    if (line.rfind("clone", 0) != 0) continue;
    EXPECT_TRUE(confinedYet) << "a thread made before the confinement escapes it: " << line;
    thread = line.substr(line.rfind("= ") + 2);
  }
  ASSERT_FALSE(thread.empty()) << "no second thread\n" << log;
  // The thread wrote the clip's frames: JPEG streams begin FF D8.
  bool wroteFrames = false;
  for (const std::string& line : LinesOf(log, thread))
    wroteFrames = wroteFrames || (line.rfind("write(", 0) == 0 && line.find("\"\\377\\330") != std::string::npos);
  EXPECT_TRUE(wroteFrames) << log;
  EXPECT_EQ(InfoOf(clip).frames, 24);
}

// A short video made into large, detailed frames would make a clip far
// beyond the bound: refused by the thread that encodes the first frame,
// with the import's sentence, and nothing left.
TEST(ImportPipeline, ARefusalOnTheSecondThreadIsTheImports) {
  TempDir dir;
  const std::string video = dir.File("noise.mp4"), clip = dir.File("out.zrv");
  Ffmpeg({"-f", "lavfi", "-i", "nullsrc=size=256x256:rate=1:duration=10", "-vf", "geq=random(1)*255:128:128",
          "-c:v", "libx264", "-g", "1000", "-pix_fmt", "yuv420p", video});
  const ProgramResult r = Import({"--size", "2048x2048", "--quality", "100", "--fps", "30", video, clip});
  EXPECT_EQ(r.exitCode, 1) << r.err;
  EXPECT_NE(r.err.find("cannot be imported: its clip would be"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("more than 60 MB for a video of its size"), std::string::npos) << r.err;
  EXPECT_FALSE(FileExists(clip));
}

// A part of a long video: the reading stops soon after it, which is no
// truncation of the video.
TEST(ImportPipeline, APartOfALongVideoIsNotTakenForATruncatedOne) {
  TempDir dir;
  const std::string video = dir.File("long.mp4"), clip = dir.File("part.zrv");
  Ffmpeg({"-f", "lavfi", "-i", "testsrc2=size=160x120:rate=25:duration=20", "-c:v", "libx264", "-preset",
          "ultrafast", video});
  const ProgramResult r = Import({"--duration", "3", video, clip});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(InfoOf(clip).frames, 24);
}

}  // namespace
