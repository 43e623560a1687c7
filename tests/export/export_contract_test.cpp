// zrvtool export's contract: refusals that leave everything as it was,
// --force, batches, usage errors, progress only on a terminal, Ctrl-C.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sstream>
#include <thread>

#include "tests/export/export_probe.h"

extern char** environ;

namespace {

int CountLines(const std::string& text) { return int(std::count(text.begin(), text.end(), '\n')); }

TEST(ExportContract, RefusalsLeaveEverythingAsItWas) {
  TempDir dir;
  const std::string clip = MakeClip(dir, "a.zrv", {"--frames", "3"});
  const Bytes clipBytes = ReadFile(clip);

  // An existing output stays without --force and is replaced with it.
  WriteFile(dir.File("old.mp4"), Bytes{'o', 'l', 'd'});
  ProgramResult r = Zrvtool({"export", clip, dir.File("old.mp4")});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.err.find("already exists"), std::string::npos) << r.err;
  EXPECT_EQ(CountLines(r.err), 1);
  EXPECT_TRUE(ReadFile(dir.File("old.mp4")) == (Bytes{'o', 'l', 'd'}));
  r = Zrvtool({"export", "--force", clip, dir.File("old.mp4")});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(Probe(dir.File("old.mp4"), "v:0", "stream=codec_name").at("codec_name"), "h264");

  // A folder that cannot be written, the clip itself as output, a file that is no clip.
  WriteFile(dir.File("not-a-folder"), Bytes{'x'});
  WriteFile(dir.File("text.zrv"), Bytes{'h', 'e', 'l', 'l', 'o'});
  const std::vector<std::vector<std::string>> refused = {
      {"export", clip, dir.File("not-a-folder/out.mp4")},
      {"export", clip, dir.File("missing/out.mkv")},
      {"export", "--force", clip, clip + "/../a.zrv.mkv"},
      {"export", dir.File("text.zrv"), dir.File("text.mp4")},
      {"export", dir.File("none.zrv"), dir.File("none.mp4")},
  };
  for (const auto& args : refused) {
    r = Zrvtool(args);
    EXPECT_EQ(r.exitCode, 1) << args[args.size() - 2];
    EXPECT_EQ(CountLines(r.err), 1) << r.err;
    EXPECT_EQ(r.err.rfind("zrvtool: ", 0), 0u) << r.err;
  }
  EXPECT_FALSE(FileExists(dir.File("text.mp4")));
  EXPECT_TRUE(ReadFile(clip) == clipBytes);
  EXPECT_TRUE(HiddenFiles(dir.path()).empty());

  // Naming the clip itself, even with --force, never overwrites it.
  ::link(clip.c_str(), dir.File("same.mkv").c_str());
  r = Zrvtool({"export", "--force", clip, dir.File("same.mkv")});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.err.find("is the clip itself"), std::string::npos) << r.err;
  EXPECT_TRUE(ReadFile(clip) == clipBytes);
}

TEST(ExportContract, ABatchExportsTheGoodClipsAndReportsTheBadOne) {
  TempDir dir;
  const std::string one = MakeClip(dir, "one.zrv", {"--frames", "2"});
  const std::string three = MakeClip(dir, "three.zrv", {"--frames", "3", "--sound", "tone"});
  WriteFile(dir.File("two.zrv"), Bytes(100, 0x20));
  ::mkdir(dir.File("out").c_str(), 0755);
  const ProgramResult r = Zrvtool({"export", "--json", "--to", "mkv", "--out-dir",
                                   dir.File("out/"), one, dir.File("two.zrv"), three});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(CountLines(r.err), 1) << r.err;
  EXPECT_NE(r.err.find("two.zrv"), std::string::npos);
  EXPECT_TRUE(FileExists(dir.File("out/one.mkv")));
  EXPECT_FALSE(FileExists(dir.File("out/two.mkv")));
  EXPECT_TRUE(FileExists(dir.File("out/three.mkv")));
  EXPECT_TRUE(HiddenFiles(dir.File("out")).empty());

  ASSERT_EQ(CountLines(r.out), 3) << r.out;
  std::istringstream lines(r.out);
  std::string line;
  std::getline(lines, line);
  EXPECT_NE(line.find("\"output\":\"" + dir.File("out/one.mkv") + "\",\"ok\":true,\"frames\":2"),
            std::string::npos)
      << line;
  std::getline(lines, line);
  EXPECT_NE(line.find("\"ok\":false"), std::string::npos) << line;
  EXPECT_NE(line.find("\"error\":\""), std::string::npos) << line;
  std::getline(lines, line);
  EXPECT_NE(line.find("\"ok\":true,\"frames\":3"), std::string::npos) << line;
  const size_t bytesAt = line.find("\"bytes\":");
  EXPECT_EQ(std::stoull(line.substr(bytesAt + 8)), ReadFile(dir.File("out/three.mkv")).size());
}

TEST(ExportContract, UsageErrors) {
  TempDir dir;
  const std::string clip = MakeClip(dir, "a.zrv", {"--frames", "1"});
  const std::vector<std::vector<std::string>> wrong = {
      {"export"},
      {"export", clip},
      {"export", clip, dir.File("a.avi")},
      {"export", clip, dir.File("a.mp4"), dir.File("b.mp4")},
      {"export", "--to", "mp4", clip},
      {"export", "--out-dir", dir.path(), clip},
      {"export", "--to", "webm", "--out-dir", dir.path(), clip},
      {"export", "--to", "mkv", "--out-dir", dir.path()},
      {"export", "--crf", "60", clip, dir.File("a.mp4")},
      {"export", "--crf", "20", clip, dir.File("a.mkv")},
      {"export", "--fast", clip, dir.File("a.mp4")},
  };
  for (const auto& args : wrong) {
    const ProgramResult r = Zrvtool(args);
    EXPECT_EQ(r.exitCode, 2) << args.back() << ": " << r.err;
  }
  const ProgramResult help = Zrvtool({"export", "--help"});
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_NE(help.out.find("default 20"), std::string::npos) << help.out;
}

TEST(ExportContract, ProgressIsDrawnOnATerminalOnly) {
  TempDir dir;
  const std::string a = MakeClip(dir, "a.zrv", {"--frames", "4"});
  const std::string b = MakeClip(dir, "b.zrv", {"--frames", "4"});
  // script gives the command a terminal; what it draws comes back on stdout.
  const std::string command = BuiltProgram("zrvtool") + " export --to mkv --out-dir " +
                              dir.path() + " " + a + " " + b;
  const ProgramResult r = RunProgram({"/usr/bin/script", "-qec", command, "/dev/null"});
  EXPECT_EQ(r.exitCode, 0) << r.out;
  EXPECT_NE(r.out.find("4/4 frames"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("total: 2 of 2 clips exported"), std::string::npos) << r.out;
}

TEST(ExportContract, CtrlCLeavesNoPartialFile) {
  TempDir dir;
  const std::string clip = MakeClip(dir, "long.zrv", {"--frames", "1500", "--size", "320x240"});
  const std::string out = dir.File("long.mp4");
  const std::string program = BuiltProgram("zrvtool");
  std::vector<char*> argv = {const_cast<char*>(program.c_str()), const_cast<char*>("export"),
                             const_cast<char*>(clip.c_str()), const_cast<char*>(out.c_str()),
                             nullptr};
  pid_t pid = 0;
  ASSERT_EQ(::posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv.data(), environ), 0);
  // Interrupted once its unfinished file is there.
  for (int i = 0; i < 200 && HiddenFiles(dir.path()).empty(); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  ASSERT_FALSE(HiddenFiles(dir.path()).empty()) << "the export did not start in time";
  ::kill(pid, SIGINT);
  int status = 0;
  ASSERT_EQ(::waitpid(pid, &status, 0), pid);
  EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGINT) << status;
  EXPECT_FALSE(FileExists(out));
  EXPECT_TRUE(HiddenFiles(dir.path()).empty());
}

}  // namespace
