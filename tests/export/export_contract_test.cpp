// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
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
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

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

struct Interrupted {
  int status = 0;
  std::string err;
};

// Runs `args` with stderr to a file, sends `signal` as soon as the export's
// output is open, and waits for the program to end.
Interrupted InterruptExport(const TempDir& dir, const std::vector<std::string>& args, int signal) {
  std::vector<char*> argv;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  const std::string errPath = dir.File("stderr.txt");
  posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  pid_t pid = 0;
  Interrupted result;
  EXPECT_EQ(::posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ), 0);
  posix_spawn_file_actions_destroy(&actions);
  const bool started = AwaitPendingFile(pid, dir.path(), 30);
  EXPECT_TRUE(started) << "the export ended before its output was open";
  if (started) ::kill(pid, signal);
  ::waitpid(pid, &result.status, 0);
  const Bytes err = ReadFile(errPath);
  result.err.assign(err.begin(), err.end());
  return result;
}

// A clip of one frame and ten minutes of sound: all of the sound is
// encoded before that frame, so an interruption falls into the sound.
std::string LongSoundClip(const TempDir& dir) {
  const std::string wav = dir.File("long.wav");
  const ProgramResult sox = RunProgram({"/usr/bin/sox", "-n", "-r", "8000", "-c", "1", "-b", "16", wav,
                                        "synth", "600", "sine", "300-900"});
  EXPECT_EQ(sox.exitCode, 0) << sox.err;
  return MakeClip(dir, "long.zrv", {"--frames", "1", "--sound", wav});
}

TEST(ExportContract, CtrlCDuringTheSoundLeavesNoPartialFileAndSaysSo) {
  TempDir dir;
  const std::string clip = LongSoundClip(dir);
  const std::string out = dir.File("long.mp4");
  const Interrupted r = InterruptExport(dir, {BuiltProgram("zrvtool"), "export", clip, out}, SIGINT);
  EXPECT_TRUE(WIFSIGNALED(r.status) && WTERMSIG(r.status) == SIGINT) << r.status << " " << r.err;
  EXPECT_FALSE(FileExists(out)) << "the export went on to the end";
  EXPECT_TRUE(HiddenFiles(dir.path()).empty());
  EXPECT_NE(r.err.find("interrupted; the unfinished '" + out + "' was removed"), std::string::npos) << r.err;
}

TEST(ExportContract, AHangupIgnoredAtStartStaysIgnored) {
  // As nohup starts it: SIGHUP ignored. The hangup changes nothing.
  TempDir dir;
  const std::string clip = MakeClip(dir, "walk.zrv", {"--frames", "200", "--size", "320x240"});
  const std::string out = dir.File("walk.mp4");
  const Interrupted r = InterruptExport(
      dir, {"/usr/bin/nohup", BuiltProgram("zrvtool"), "export", clip, out}, SIGHUP);
  EXPECT_TRUE(WIFEXITED(r.status) && WEXITSTATUS(r.status) == 0) << r.status << " " << r.err;
  EXPECT_EQ(Probe(out, "v:0", "stream=nb_read_packets").at("nb_read_packets"), "200");

  // Without nohup the hangup ends it like Ctrl-C.
  const std::string again = dir.File("again.mp4");
  const Interrupted h = InterruptExport(dir, {BuiltProgram("zrvtool"), "export", clip, again}, SIGHUP);
  EXPECT_TRUE(WIFSIGNALED(h.status) && WTERMSIG(h.status) == SIGHUP) << h.status << " " << h.err;
  EXPECT_FALSE(FileExists(again));
}

}  // namespace

TEST(ExportContract, FramesTooLargeForAnMp4AreRefusedBeforeDecoding) {
  // A frame whose header declares 8192 x 8192: beyond what H.264 players
  // decode, and the encoder would take gigabytes. The MP4 is refused at once
  // with the way out; the MKV copies the frame as it is.
  TempDir dir;
  Bytes clip = ReadFile(MakeClip(dir, "small.zrv", {"--frames", "1", "--size", "16x16"}));
  bool patched = false;
  for (size_t i = 2; i + 9 < clip.size() && !patched; ++i) {
    if (clip[i] != 0xFF || clip[i + 1] != 0xC0) continue;
    clip[i + 5] = clip[i + 7] = 0x20;  // 8192 = 0x2000
    clip[i + 6] = clip[i + 8] = 0x00;
    patched = true;
  }
  ASSERT_TRUE(patched);
  WriteFile(dir.File("huge.zrv"), clip);
  ProgramResult r = Zrvtool({"export", dir.File("huge.zrv"), dir.File("huge.mp4")});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.err.find("8192 x 8192"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("MKV"), std::string::npos) << r.err;
  EXPECT_FALSE(FileExists(dir.File("huge.mp4")));
  r = Zrvtool({"export", dir.File("huge.zrv"), dir.File("huge.mkv")});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(Probe(dir.File("huge.mkv"), "v:0", "stream=width").at("width"), "8192");
}
