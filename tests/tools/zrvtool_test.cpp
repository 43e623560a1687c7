// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
#include <gtest/gtest.h>

#include <string>
#include <sys/stat.h>

#include "tests/support/test_support.h"

namespace {

ProgramResult Zrvtool(std::vector<std::string> args) {
  args.insert(args.begin(), BuiltProgram("zrvtool"));
  return RunProgram(args);
}

// Two plain frames and a sound track, laid out by hand.
Bytes SmallClip() {
  Bytes b(60, 0x20);
  b[0] = 0xFF, b[1] = 0xD8, b[19] = 0xD9;
  b[20] = 0xFF, b[21] = 0xD8, b[39] = 0xD9;
  const std::string magic = "#!AMR\n";
  std::copy(magic.begin(), magic.end(), b.begin() + 40);
  return b;
}

}  // namespace

TEST(ZrvtoolInfo, JsonFollowsTheContract) {
  TempDir dir;
  WriteFile(dir.File("a.zrv"), SmallClip());
  ProgramResult r = Zrvtool({"info", "--json", dir.File("a.zrv")});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out,
            "{\"frames\":2,\"layout\":\"plain\",\"header_length\":0,\"sound\":true,"
            "\"audio_start\":40,\"audio_end\":59,\"frame_offsets\":[0,20,40],"
            // The track's one frame is cut short: no sound, as fast as possible.
            "\"sound_ms\":0,\"interval_ms\":1}\n");

  Bytes silent = SmallClip();
  silent.resize(40);
  WriteFile(dir.File("b.gzrv"), silent);
  r = Zrvtool({"info", "--json", dir.File("b.gzrv")});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out,
            "{\"frames\":2,\"layout\":\"plain\",\"header_length\":0,\"sound\":false,"
            "\"audio_start\":null,\"audio_end\":null,\"frame_offsets\":[0,20,40],"
            "\"sound_ms\":null,\"interval_ms\":200}\n");

  r = Zrvtool({"info", dir.File("a.zrv")});
  ASSERT_EQ(r.exitCode, 0);
  EXPECT_NE(r.out.find("frames:  2"), std::string::npos) << r.out;
}

TEST(ZrvtoolFrame, WritesTheFrameStream) {
  TempDir dir;
  Bytes clip = SmallClip();
  WriteFile(dir.File("a.zrv"), clip);
  ProgramResult r = Zrvtool({"frame", dir.File("a.zrv"), "1", dir.File("f.jpg")});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(ReadFile(dir.File("f.jpg")), Bytes(clip.begin() + 20, clip.begin() + 40));
}

TEST(Zrvtool, ExitStatusTellsRefusedInputFromUsageErrors) {
  TempDir dir;
  WriteFile(dir.File("a.zrv"), SmallClip());
  WriteFile(dir.File("none.zrv"), Bytes(100, 0x20));

  struct Case {
    std::vector<std::string> args;
    int exitCode;
  } cases[] = {
      {{"info", dir.File("missing.zrv")}, 1},
      {{"info", dir.path()}, 1},
      {{"info", dir.File("none.zrv")}, 1},
      {{"frame", dir.File("a.zrv"), "2", dir.File("f.jpg")}, 1},
      {{"frame", dir.File("a.zrv"), "0", dir.File("no/such/dir/f.jpg")}, 1},
      {{"frame", dir.File("a.zrv"), "x", dir.File("f.jpg")}, 2},
      {{"frame", dir.File("a.zrv")}, 2},
      {{"info"}, 2},
      {{"info", "--bogus", dir.File("a.zrv")}, 2},
      {{"nonsense"}, 2},
      {{}, 2},
  };
  for (const Case& c : cases) {
    ProgramResult r = Zrvtool(c.args);
    EXPECT_EQ(r.exitCode, c.exitCode) << (c.args.empty() ? "" : c.args[0]) << ": " << r.err;
    EXPECT_TRUE(r.out.empty());
    // One line on stderr.
    ASSERT_FALSE(r.err.empty());
    if (c.exitCode == 1) {
      EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << r.err;
    }
  }
  EXPECT_FALSE(FileExists(dir.File("f.jpg")));

  for (std::vector<std::string> help :
       {std::vector<std::string>{"--help"}, {"info", "--help"}, {"frame", "--help"}}) {
    ProgramResult r = Zrvtool(help);
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_NE(r.out.find("usage: zrvtool"), std::string::npos);
  }
}

TEST(Zrvtool, DevicesAndPipesAreRefusedAtOnce) {
  // A named pipe that nothing writes to: opening it for reading would wait
  // for ever. Each command must refuse it at once, as a file that cannot be
  // read; `timeout` turns a hang into exit status 124.
  TempDir dir;
  WriteFile(dir.File("a.zrv"), SmallClip());
  for (const char* name : {"pipe.zrv", "pipe.jpg", "pipe.wav", "pipe.amr"})
    ASSERT_EQ(::mkfifo(dir.File(name).c_str(), 0600), 0);
  const std::string pipe = dir.File("pipe.zrv");
  const std::vector<std::vector<std::string>> commands = {
      {"info", pipe},
      {"info", "/dev/zero"},
      {"frame", pipe, "0", dir.File("f.jpg")},
      {"decode", pipe, "0", dir.File("f.ppm")},
      {"render", pipe, "0", "--size", "348x216", dir.File("f.ppm")},
      {"sound", pipe, dir.File("s.wav")},
      {"picture", dir.File("pipe.jpg"), dir.File("p.ppm")},
      {"make", "--jpegs", dir.File("pipe.jpg"), dir.File("m.zrv")},
      {"make", "--sound", dir.File("pipe.wav"), dir.File("m.zrv")},
      {"make", "--sound", dir.File("pipe.amr"), dir.File("m.zrv")},
  };
  for (const auto& command : commands) {
    std::vector<std::string> args = {"/usr/bin/timeout", "10", BuiltProgram("zrvtool")};
    args.insert(args.end(), command.begin(), command.end());
    const ProgramResult r = RunProgram(args);
    EXPECT_EQ(r.exitCode, 1) << command[0] << " " << command[1] << ": " << r.err;
    EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << r.err;
  }
  for (const char* name : {"f.jpg", "f.ppm", "s.wav", "p.ppm", "m.zrv"}) EXPECT_FALSE(FileExists(dir.File(name))) << name;
}

namespace {

// zrvtool run from `dir`, where files whose names begin with "-" are.
ProgramResult ZrvtoolIn(const TempDir& dir, const std::vector<std::string>& args) {
  std::vector<std::string> line = {"/bin/sh", "-c", "cd \"$0\" && exec \"$@\"", dir.path(),
                                   BuiltProgram("zrvtool")};
  line.insert(line.end(), args.begin(), args.end());
  return RunProgram(line);
}

}  // namespace

TEST(Zrvtool, VersionIsPrintedWithoutACommand) {
  const ProgramResult r = Zrvtool({"--version"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, "zrvtool " ZRV_VERSION "\n");
}

TEST(Zrvtool, DoubleDashEndsTheOptionsOfEveryCommand) {
  TempDir dir;
  WriteFile(dir.File("-x.zrv"), SmallClip());
  // Without it, a name that begins with "-" is an option, which is refused.
  EXPECT_EQ(ZrvtoolIn(dir, {"info", "-x.zrv"}).exitCode, 2);

  ProgramResult r = ZrvtoolIn(dir, {"info", "--json", "--", "-x.zrv"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_NE(r.out.find("\"frames\":2"), std::string::npos) << r.out;
  // After it, even --help and --json are files.
  r = ZrvtoolIn(dir, {"info", "--", "--help"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.err, "zrvtool: './--help' cannot be read: No such file or directory\n");

  r = ZrvtoolIn(dir, {"frame", "--", "-x.zrv", "1", "-frame.jpg"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(ReadFile(dir.File("-frame.jpg")).size(), 20u);
  r = ZrvtoolIn(dir, {"frame", "-x.zrv", "--", "0", "-h"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(ReadFile(dir.File("-h")).size(), 20u);

  r = ZrvtoolIn(dir, {"make", "--frames", "3", "--", "-made.zrv"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  r = ZrvtoolIn(dir, {"render", "--size", "32x24", "--", "-made.zrv", "2", "-r.ppm"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_GT(ReadFile(dir.File("-r.ppm")).size(), 32u * 24u * 3u);
  r = ZrvtoolIn(dir, {"decode", "--", "-made.zrv", "1", "-d.ppm"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  r = ZrvtoolIn(dir, {"picture", "--", "-frame.jpg", "-p.ppm"});
  EXPECT_NE(r.exitCode, 2) << r.err;  // the hand-made frame does not decode, but is named
  r = ZrvtoolIn(dir, {"thumbnail", "-s", "16", "--", "-made.zrv", "-t.png"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  r = ZrvtoolIn(dir, {"sound", "--", "-made.zrv", "-s.wav"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.err, "zrvtool: './-made.zrv' has no sound\n");
  r = ZrvtoolIn(dir, {"export", "--", "-made.zrv", "-e.mkv"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_TRUE(FileExists(dir.File("-e.mkv")));
}

TEST(Zrvtool, ControlCharactersOfNamesAreEscapedInMessages) {
  TempDir dir;
  const std::string name = dir.File("clear\x1b[2J\x07\x0a\xc2\x9b" "31m.zrv");
  ProgramResult r = Zrvtool({"info", name});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.err.find("clear\\x1b[2J\\x07\\x0a\\xc2\\x9b31m.zrv"), std::string::npos) << r.err;
  EXPECT_EQ(r.err.find('\x1b'), std::string::npos);
  EXPECT_EQ(r.err.find('\n'), r.err.size() - 1);  // one line

  r = Zrvtool({"info", "--bad\x1b"});
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_EQ(r.err.find('\x1b'), std::string::npos) << r.err;
  r = Zrvtool({"no\x1b" "such"});
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_EQ(r.err.find('\x1b'), std::string::npos) << r.err;

  // UTF-8 names stay as they are.
  WriteFile(dir.File("短片\x1b.zrv"), SmallClip());
  r = Zrvtool({"info", dir.File("短片\x1b.zrv")});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_NE(r.out.find("短片\\x1b.zrv"), std::string::npos) << r.out;
}
