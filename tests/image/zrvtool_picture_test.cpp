// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// zrvtool decode and picture against djpeg: same library, same settings, so
// the same bytes.
#include <gtest/gtest.h>

#include <string>

#include "tests/image/picture_files.h"

namespace {

ProgramResult Zrvtool(std::vector<std::string> args) {
  args.insert(args.begin(), BuiltProgram("zrvtool"));
  return RunProgram(args);
}

TestPicture Djpeg(const std::string& jpeg, bool grey) {
  std::vector<std::string> args = {SystemProgram("djpeg")};
  if (!grey) args.insert(args.end(), {"-colors", "128"});
  args.insert(args.end(), {"-pnm", jpeg});
  ProgramResult r = RunProgram(args);
  TestPicture picture;
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_TRUE(DecodePnm(Bytes(r.out.begin(), r.out.end()), picture));
  return picture;
}

TestPicture ReadPpm(const std::string& path) {
  const Bytes bytes = ReadFile(path);
  TestPicture picture;
  EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 2), "P6");
  EXPECT_TRUE(DecodePnm(bytes, picture));
  return picture;
}

struct Sample {
  int width, height;
  const char* sampling;
  bool grey;
};

const Sample kSamples[] = {
    {176, 144, "2x2", false}, {176, 144, "2x1", false}, {33, 17, "1x1", false},
    {640, 480, "2x2", false}, {1, 1, "2x2", false},     {7, 300, "1x2", false},
    {176, 144, "", true},     {45, 13, "", true},
};

TEST(ZrvtoolPicture, MatchesDjpegByteForByte) {
  TempDir dir;
  for (const Sample& s : kSamples) {
    SCOPED_TRACE(std::to_string(s.width) + "x" + std::to_string(s.height) + " " + s.sampling +
                 (s.grey ? " grey" : ""));
    const std::string jpeg = dir.File("in.jpg");
    WriteJpegWithCjpeg(dir, MakeTestPicture(s.width, s.height, unsigned(s.width)), jpeg,
                       s.sampling, s.grey);
    ProgramResult r = Zrvtool({"picture", jpeg, dir.File("out.ppm")});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const Bytes ppm = ReadFile(dir.File("out.ppm"));
    const std::string head = "P6\n" + std::to_string(s.width) + " " + std::to_string(s.height) +
                             "\n255\n";
    ASSERT_EQ(std::string(ppm.begin(), ppm.begin() + long(head.size())), head);
    EXPECT_TRUE(ReadPpm(dir.File("out.ppm")) == Djpeg(jpeg, s.grey));
  }
}

// Frames laid back to back make a clip; decode shows the frame asked for.
TEST(ZrvtoolDecode, DecodesEachFrameOfAClipLikeDjpeg) {
  TempDir dir;
  Bytes clip;
  std::vector<std::string> frames;
  for (int k = 0; k < 3; ++k) {
    frames.push_back(dir.File(std::to_string(k) + ".jpg"));
    WriteJpegWithCjpeg(dir, MakeTestPicture(176, 144, unsigned(k + 10)), frames.back(), "2x2",
                       k == 1);
    const Bytes f = ReadFile(frames.back());
    clip.insert(clip.end(), f.begin(), f.end());
  }
  WriteFile(dir.File("clip.zrv"), clip);
  for (int k = 0; k < 3; ++k) {
    ProgramResult r = Zrvtool({"decode", dir.File("clip.zrv"), std::to_string(k), dir.File("k.ppm")});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_TRUE(ReadPpm(dir.File("k.ppm")) == Djpeg(frames[size_t(k)], k == 1)) << k;
  }
}

TEST(ZrvtoolDecode, RefusesWhatDoesNotDecode) {
  TempDir dir;
  // FF D8, junk, FF D9: a frame to the index, but no JPEG to the library.
  Bytes junk = {0xFF, 0xD8, 1, 2, 3, 4, 0xFF, 0xD9};
  WriteFile(dir.File("junk.zrv"), junk);
  WriteFile(dir.File("empty.zrv"), {});
  WriteJpegWithCjpeg(dir, MakeTestPicture(8, 8), dir.File("one.jpg"), "2x2", false);
  Bytes one = ReadFile(dir.File("one.jpg"));
  WriteFile(dir.File("one.zrv"), one);
  WriteFile(dir.File("notes.txt"), {'h', 'i'});
  const std::string tmp = dir.File("tmp");
  ASSERT_EQ(RunProgram({"/bin/mkdir", tmp}).exitCode, 0);
  ::setenv("TMP", tmp.c_str(), 1);  // where decode makes its private folder

  struct Case {
    std::vector<std::string> args;
    int exitCode;
  } cases[] = {
      {{"decode", dir.File("junk.zrv"), "0", dir.File("o.ppm")}, 1},
      {{"decode", dir.File("empty.zrv"), "0", dir.File("o.ppm")}, 1},
      {{"decode", dir.File("one.zrv"), "1", dir.File("o.ppm")}, 1},
      {{"decode", dir.File("one.zrv"), "0", dir.File("no/dir/o.ppm")}, 1},
      {{"decode", dir.File("one.zrv"), "x", dir.File("o.ppm")}, 2},
      {{"decode", dir.File("one.zrv")}, 2},
      {{"picture", dir.File("junk.zrv"), dir.File("o.ppm")}, 1},
      {{"picture", dir.File("notes.txt"), dir.File("o.ppm")}, 1},
      {{"picture", dir.File("missing.jpg"), dir.File("o.ppm")}, 1},
      {{"picture", dir.File("one.jpg")}, 2},
  };
  for (const Case& c : cases) {
    ProgramResult r = Zrvtool(c.args);
    EXPECT_EQ(r.exitCode, c.exitCode) << c.args[0] << " " << c.args[1] << " " << r.err;
    if (c.exitCode != 0) {
      EXPECT_FALSE(r.err.empty());
      EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << "one line: " << r.err;
    }
  }
  EXPECT_FALSE(FileExists(dir.File("o.ppm")));
  // The private folder and its frame file are gone after every run.
  ProgramResult ok = Zrvtool({"decode", dir.File("one.zrv"), "0", dir.File("o.ppm")});
  EXPECT_EQ(ok.exitCode, 0) << ok.err;
  EXPECT_EQ(RunProgram({"/bin/rmdir", tmp}).exitCode, 0) << "TMP was left empty";
  ::unsetenv("TMP");
}

}  // namespace
