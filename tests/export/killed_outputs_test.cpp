// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// zrvtool's outputs appear whole or not at all: SIGKILL in the middle leaves
// the folder as it was, and a published output reaches the disk before its
// name does, and its name before the program says it is done.
#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <functional>
#include <spawn.h>
#include <sys/wait.h>

#include "tests/export/export_probe.h"
#include "tests/support/test_support.h"

extern char** environ;

namespace {

using Command = std::function<std::vector<std::string>(const TempDir& dir)>;

struct OutputCase {
  const char* what;
  // Each makes the command's input in `dir` and returns its arguments after
  // "zrvtool": one that runs for seconds, one over at once.
  Command longRun;
  Command shortRun;
  std::string output;
};

std::vector<std::string> Make(const TempDir& dir, const char* frames) {
  return {"make", "--frames", frames, "--size", "1280x960", dir.File("out.zrv")};
}

std::vector<std::string> Import(const TempDir& dir, const char* seconds) {
  Ffmpeg({"-f", "lavfi", "-i", std::string("testsrc2=size=640x480:rate=30:duration=") + seconds, "-c:v",
          "libx264", "-preset", "ultrafast", dir.File("in.mp4")});
  return {"import", "--size", "1280x960", "--fps", "30", dir.File("in.mp4"), dir.File("out.zrv")};
}

// A clip of one frame and `seconds` of sound, all encoded before the frame.
std::vector<std::string> Export(const TempDir& dir, const char* to, const char* seconds) {
  const std::string wav = dir.File("long.wav");
  const ProgramResult sox = RunProgram({"/usr/bin/sox", "-n", "-r", "8000", "-c", "1", "-b", "16", wav,
                                        "synth", seconds, "sine", "300-900"});
  EXPECT_EQ(sox.exitCode, 0) << sox.err;
  const std::string clip = MakeClip(dir, "in.zrv", {"--frames", "1", "--sound", wav});
  return {"export", clip, dir.File(std::string("out.") + to)};
}

const OutputCase kCases[] = {
    {"make", [](const TempDir& d) { return Make(d, "20000"); }, [](const TempDir& d) { return Make(d, "2"); },
     "out.zrv"},
    {"import", [](const TempDir& d) { return Import(d, "12"); }, [](const TempDir& d) { return Import(d, "1"); },
     "out.zrv"},
    {"exportMp4", [](const TempDir& d) { return Export(d, "mp4", "600"); },
     [](const TempDir& d) { return Export(d, "mp4", "2"); }, "out.mp4"},
    {"exportMkv", [](const TempDir& d) { return Export(d, "mkv", "600"); },
     [](const TempDir& d) { return Export(d, "mkv", "2"); }, "out.mkv"},
};

class KilledOutput : public ::testing::TestWithParam<OutputCase> {};

TEST_P(KilledOutput, LeavesTheFolderAsItWas) {
  TempDir dir;
  std::vector<std::string> args = GetParam().longRun(dir);
  args.insert(args.begin(), BuiltProgram("zrvtool"));
  const std::vector<std::string> before = FolderNames(dir.path());
  std::vector<char*> argv;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  pid_t pid = 0;
  ASSERT_EQ(::posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ), 0);
  posix_spawn_file_actions_destroy(&actions);
  const bool writing = AwaitPendingFile(pid, dir.path(), 30);
  ::kill(pid, SIGKILL);
  int status = 0;
  ASSERT_EQ(::waitpid(pid, &status, 0), pid);
  ASSERT_TRUE(writing) << "it never held its output open";
  EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << "it ended first: " << status;
  EXPECT_EQ(FolderNames(dir.path()), before);
}

// Under strace: the output's bytes are synced, then it takes its name, then
// the folder is synced, all before the program ends.
TEST_P(KilledOutput, PublishesDurably) {
  TempDir dir;
  std::vector<std::string> args = GetParam().shortRun(dir);
  args.insert(args.begin(), {"/usr/bin/env", "ASAN_OPTIONS=detect_leaks=0", "/usr/bin/strace", "-f", "-qq", "-e",
                             "trace=fsync,linkat,renameat,renameat2", BuiltProgram("zrvtool")});
  const ProgramResult r = RunProgram(args);
  ASSERT_EQ(r.exitCode, 0) << r.err;
  ASSERT_TRUE(FileExists(dir.File(GetParam().output)));
  const std::string& trace = r.err;
  const size_t named = trace.find("\"" + GetParam().output + "\"");
  ASSERT_NE(named, std::string::npos) << trace;
  EXPECT_NE(trace.rfind("fsync(", named), std::string::npos) << "no sync before the name:\n" << trace;
  EXPECT_NE(trace.find("fsync(", named), std::string::npos) << "no sync of the folder after the name:\n" << trace;
}

INSTANTIATE_TEST_SUITE_P(Zrvtool, KilledOutput, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<OutputCase>& info) { return std::string(info.param.what); });

}  // namespace
