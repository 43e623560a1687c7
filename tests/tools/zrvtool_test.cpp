#include <gtest/gtest.h>

#include <string>

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
