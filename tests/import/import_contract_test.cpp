// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// zrvtool import's contract: refusals in one line that leave nothing,
// --force, batches, usage errors, Ctrl-C; and the library's progress,
// cancel flag and video facts that the window relies on.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "import/import.h"
#include "tests/import/import_sources.h"

extern char** environ;

namespace {

int CountLines(const std::string& text) { return int(std::count(text.begin(), text.end(), '\n')); }

void ExpectOneLineRefusal(const ProgramResult& r, const std::string& says) {
  EXPECT_EQ(r.exitCode, 1) << r.err;
  EXPECT_EQ(CountLines(r.err), 1) << r.err;
  EXPECT_EQ(r.err.rfind("zrvtool: ", 0), 0u) << r.err;
  EXPECT_NE(r.err.find(says), std::string::npos) << r.err;
}

TEST(ImportContract, WhatIsNoVideoIsRefusedAndNothingIsLeft) {
  TempDir dir;
  WriteFile(dir.File("text.mp4"), Bytes(400, 'a'));
  Ffmpeg({"-f", "lavfi", "-i", "sine=duration=1", "-c:a", "aac", dir.File("sound.m4a")});
  // A default MP4 keeps its index at the end: the first half has none.
  const Bytes whole = ReadFile(TestVideo("mp4.mp4"));
  WriteFile(dir.File("half.mp4"), Bytes(whole.begin(), whole.begin() + long(whole.size() / 2)));
  ::mkfifo(dir.File("fifo.mp4").c_str(), 0600);
  // Frames of 8200 x 8200, more than any reader takes, in a file of a few kilobytes.
  Ffmpeg({"-f", "lavfi", "-i", "color=black:size=8200x8200:rate=1:duration=1", "-c:v", "png",
          dir.File("huge.mkv")});
  const struct {
    std::string video, says;
  } cases[] = {
      {dir.File("text.mp4"), "is not a video that can be read"},
      {dir.File("sound.m4a"), "has no video stream"},
      {dir.File("half.mp4"), "is not a video that can be read"},
      {dir.File("fifo.mp4"), "is not a regular file"},
      {"/dev/zero", "is not a regular file"},
      {dir.File("huge.mkv"), "8192 x 8192"},
      {dir.File("missing.mp4"), "cannot open"},
  };
  ::mkdir(dir.File("out").c_str(), 0700);
  for (const auto& c : cases) {
    const std::string out = dir.File("out/x.zrv");
    ExpectOneLineRefusal(Import({c.video, out}), c.says);
    EXPECT_FALSE(FileExists(out)) << c.video;
  }
  EXPECT_TRUE(HiddenFiles(dir.File("out")).empty());
}

// A file that cannot grow (a full disk; here a size limit, whose signal is
// ignored as a full disk sends none) is refused with the system's reason.
TEST(ImportContract, AWriteThatFailsSaysTheSystemsReason) {
  TempDir dir;
  const ProgramResult r = RunProgram({"/bin/bash", "-c", "trap '' XFSZ; ulimit -f 16; exec \"$0\" \"$@\"",
                                      BuiltProgram("zrvtool"), "import", TestVideo("mute.mp4"), dir.File("full.zrv")});
  ExpectOneLineRefusal(r, "cannot write '" + dir.File("full.zrv") + "': File too large");
  EXPECT_FALSE(FileExists(dir.File("full.zrv")));
  EXPECT_TRUE(HiddenFiles(dir.path()).empty());
}

TEST(ImportContract, AnExistingOutputIsKeptWithoutForceAndTheVideoNeverOverwritten) {
  TempDir dir;
  const std::string out = dir.File("old.zrv");
  WriteFile(out, Bytes{'o', 'l', 'd'});
  ExpectOneLineRefusal(Import({TestVideo("mute.mp4"), out}), "already exists");
  EXPECT_TRUE(ReadFile(out) == (Bytes{'o', 'l', 'd'}));
  ASSERT_EQ(Import({"--force", TestVideo("mute.mp4"), out}).exitCode, 0);
  EXPECT_EQ(InfoOf(out).frames, 16);

  const std::string video = dir.File("copy.gzrv");
  WriteFile(video, ReadFile(TestVideo("mute.mp4")));
  const Bytes before = ReadFile(video);
  ExpectOneLineRefusal(Import({"--force", video, video}), "is the video itself");
  EXPECT_TRUE(ReadFile(video) == before);
  EXPECT_TRUE(HiddenFiles(dir.path()).empty());
}

TEST(ImportContract, ABatchImportsTheGoodVideosAndReportsTheBadOne) {
  TempDir dir;
  WriteFile(dir.File("bad.mp4"), Bytes(100, 0));
  ::mkdir(dir.File("out").c_str(), 0755);
  const ProgramResult r = Import({"--json", "--out-dir", dir.File("out/"), TestVideo("mute.mp4"),
                                  dir.File("bad.mp4"), TestVideo("vfr.mkv")});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(CountLines(r.err), 1) << r.err;
  EXPECT_NE(r.err.find("bad.mp4"), std::string::npos);
  EXPECT_TRUE(FileExists(dir.File("out/mute.zrv")));
  EXPECT_FALSE(FileExists(dir.File("out/bad.zrv")));
  EXPECT_TRUE(FileExists(dir.File("out/vfr.zrv")));
  EXPECT_TRUE(HiddenFiles(dir.File("out")).empty());
  // One JSON line a video, in order, with every key.
  ASSERT_EQ(CountLines(r.out), 3) << r.out;
  for (const char* key : {"\"video\":", "\"output\":", "\"ok\":", "\"frames\":", "\"duration_ms\":",
                          "\"fps\":", "\"sound\":", "\"bytes\":", "\"seconds\":"})
    EXPECT_NE(r.out.find(key), std::string::npos) << key;
  const size_t second = r.out.find('\n') + 1;
  EXPECT_NE(r.out.find("\"ok\":false", second), std::string::npos);
  EXPECT_NE(r.out.find("\"error\":", second), std::string::npos);
}

TEST(ImportContract, WrongOptionsAreUsageErrors) {
  const std::string video = TestVideo("mute.mp4");
  const std::vector<std::vector<std::string>> wrong = {
      {video},
      {video, "out.mp4"},
      {"--fps", "0", video, "o.zrv"},
      {"--fps", "31", video, "o.zrv"},
      {"--sound", "none", "--fps", "8", video, "o.zrv"},
      {"--bitrate", "13", video, "o.zrv"},
      {"--bitrate", "23.85", video, "o.zrv"},
      {"--sound", "amr-wb", "--bitrate", "12.2", video, "o.zrv"},
      {"--size", "8x8", video, "o.zrv"},
      {"--size", "176", video, "o.zrv"},
      {"--quality", "0", video, "o.zrv"},
      {"--fit", "zoom", video, "o.zrv"},
      {"--layout", "mixed", video, "o.zrv"},
      {"--sound", "mp3", video, "o.zrv"},
      {"--start", "-1", video, "o.zrv"},
      {"--start", "1:75", video, "o.zrv"},
      {"--duration", "soon", video, "o.zrv"},
      {"--wobble", video, "o.zrv"},
      {"--out-dir", "/tmp"},
  };
  for (const auto& args : wrong) {
    const ProgramResult r = Import(args);
    EXPECT_EQ(r.exitCode, 2) << args[0] << " " << args[1];
    // The message, then the usage (two lines for the two forms).
    EXPECT_EQ(r.err.rfind("zrvtool import: ", 0), 0u) << r.err;
    EXPECT_LE(CountLines(r.err), 2) << r.err;
  }
  // The help names the command's options, from zrvtool and its helper alike.
  const ProgramResult help = Import({"--help"});
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_NE(help.out.find("--sound amr-nb|amr-wb|none"), std::string::npos) << help.out;
  EXPECT_NE(Zrvtool({"--help"}).out.find("zrvtool import"), std::string::npos);
}

TEST(ImportContract, CtrlCStopsWithinHalfASecondAndLeavesNothing) {
  TempDir dir;
  // Large frames from a longer video keep the import busy for a few seconds.
  Ffmpeg({"-f", "lavfi", "-i", "testsrc2=size=640x480:rate=30:duration=12", "-c:v", "libx264",
          "-preset", "ultrafast", dir.File("long.mp4")});
  const std::string out = dir.File("long.zrv");
  const std::string program = BuiltProgram("zrvtool");
  const std::string video = dir.File("long.mp4");
  std::vector<char*> argv = {const_cast<char*>(program.c_str()), const_cast<char*>("import"),
                             const_cast<char*>("--size"),        const_cast<char*>("1280x960"),
                             const_cast<char*>("--fps"),         const_cast<char*>("30"),
                             const_cast<char*>(video.c_str()),   const_cast<char*>(out.c_str()),
                             nullptr};
  pid_t pid = 0;
  ASSERT_EQ(::posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv.data(), environ), 0);
  const bool started = AwaitPendingFile(pid, dir.path(), 4);
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  ASSERT_TRUE(started) << "the import did not start in time";
  const auto sent = std::chrono::steady_clock::now();
  ::kill(pid, SIGINT);
  int status = 0;
  ASSERT_EQ(::waitpid(pid, &status, 0), pid);
  const double waited = std::chrono::duration<double>(std::chrono::steady_clock::now() - sent).count();
  EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGINT) << status;
  EXPECT_LT(waited, 0.5);
  EXPECT_FALSE(FileExists(out));
  EXPECT_TRUE(HiddenFiles(dir.path()).empty());
}

TEST(ImportLibrary, ProgressRisesToTheEndAndTheCancelFlagStopsTheImport) {
  TempDir dir;
  std::vector<int> seen;
  ImportOptions options;
  options.progress = [&seen](int permille) { seen.push_back(permille); };
  const ImportResult done = ImportVideo(TestVideo("mp4.mp4"), dir.File("a.zrv"), options);
  ASSERT_TRUE(done.ok) << done.error;
  EXPECT_FALSE(done.cancelled);
  EXPECT_EQ(done.failure.problem, ImportProblem::none);
  ASSERT_FALSE(seen.empty());
  EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
  EXPECT_EQ(seen.back(), 1000);
  EXPECT_EQ(done.frames, uint32_t(InfoOf(dir.File("a.zrv")).frames));
  EXPECT_EQ(done.bytes, ReadFile(dir.File("a.zrv")).size());

  // Cancelled half way through the pictures: no clip, no hidden file.
  std::atomic<bool> cancel{false};
  options.cancel = &cancel;
  options.progress = [&cancel](int permille) {
    if (permille > 500) cancel = true;
  };
  const ImportResult stopped = ImportVideo(TestVideo("mp4.mp4"), dir.File("b.zrv"), options);
  EXPECT_FALSE(stopped.ok);
  EXPECT_TRUE(stopped.cancelled);
  EXPECT_NE(stopped.error.find("cancelled"), std::string::npos) << stopped.error;
  EXPECT_EQ(stopped.failure.problem, ImportProblem::cancelled);
  EXPECT_EQ(stopped.failure.path, TestVideo("mp4.mp4"));
  EXPECT_FALSE(FileExists(dir.File("b.zrv")));
  EXPECT_EQ(HiddenFiles(dir.path()).size(), 0u);

  // Wrong options come back as one sentence before anything is read.
  options = ImportOptions{};
  options.sound = ImportSound::none;
  EXPECT_NE(CheckImportOptions(options).find("5"), std::string::npos);
  const ImportResult refused = ImportVideo(TestVideo("mp4.mp4"), dir.File("c.zrv"), options);
  EXPECT_FALSE(refused.ok);
  EXPECT_EQ(refused.failure.problem, ImportProblem::badOptions);
  EXPECT_EQ(refused.failure.detail, refused.error);
  EXPECT_FALSE(FileExists(dir.File("c.zrv")));
}

TEST(ImportLibrary, VideoFactsGiveTheShownSizeLengthAndSound) {
  const VideoFacts rotated = ReadVideoFacts(TestVideo("rotated.mp4"));
  ASSERT_TRUE(rotated.ok) << rotated.error;
  EXPECT_EQ(rotated.width, 240);
  EXPECT_EQ(rotated.height, 320);
  EXPECT_TRUE(rotated.sound);
  EXPECT_NEAR(rotated.duration_ms, 3000, 60);
  const VideoFacts mute = ReadVideoFacts(TestVideo("mute.mp4"));
  ASSERT_TRUE(mute.ok) << mute.error;
  EXPECT_FALSE(mute.sound);
  EXPECT_EQ(mute.width, 320);
  const VideoFacts none = ReadVideoFacts("/dev/null");
  EXPECT_FALSE(none.ok);
  EXPECT_FALSE(none.error.empty());
}

// Each refusal says its kind and the file it concerns beside its sentence,
// so that a window can word it in its own language; the facts' reading and
// the import agree on the kind.
TEST(ImportLibrary, EveryRefusalGivesItsKindAndTheFileItConcerns) {
  TempDir dir;
  WriteFile(dir.File("text.mp4"), Bytes(400, 'a'));
  Ffmpeg({"-f", "lavfi", "-i", "sine=duration=1", "-c:a", "aac", dir.File("sound.m4a")});
  Ffmpeg({"-f", "lavfi", "-i", "color=black:size=8200x8200:rate=1:duration=1", "-c:v", "png",
          dir.File("huge.mkv")});
  ::mkdir(dir.File("folder.mp4").c_str(), 0700);
  const struct {
    std::string video;
    ImportProblem problem;
    std::string detail;  // empty when none is given
  } cases[] = {
      {dir.File("text.mp4"), ImportProblem::notAVideo, "Invalid data found when processing input"},
      {dir.File("sound.m4a"), ImportProblem::noVideoStream, ""},
      {dir.File("folder.mp4"), ImportProblem::notRegular, ""},
      {dir.File("huge.mkv"), ImportProblem::framesTooLarge, "8200 x 8200"},
      {dir.File("missing.mp4"), ImportProblem::cannotOpen, "No such file or directory"},
  };
  for (const auto& c : cases) {
    const ImportResult result = ImportVideo(c.video, dir.File("x.zrv"), ImportOptions{});
    EXPECT_FALSE(result.ok) << c.video;
    EXPECT_EQ(result.failure.problem, c.problem) << c.video << ": " << result.error;
    EXPECT_EQ(result.failure.path, c.video);
    EXPECT_EQ(result.failure.detail, c.detail) << c.video;
    EXPECT_NE(result.error.find(c.video), std::string::npos) << result.error;
    const VideoFacts facts = ReadVideoFacts(c.video);
    EXPECT_FALSE(facts.ok);
    EXPECT_EQ(facts.failure.problem, c.problem) << c.video;
    EXPECT_EQ(facts.error, result.error);
  }
  // An output problem names the output.
  const std::string video = dir.File("video.mp4");
  WriteFile(video, ReadFile(TestVideo("mute.mp4")));
  const ImportResult itself = ImportVideo(video, video, ImportOptions{});
  EXPECT_EQ(itself.failure.problem, ImportProblem::outputIsVideo);
  EXPECT_EQ(itself.failure.path, video);
  WriteFile(dir.File("taken.zrv"), Bytes(10, 'z'));
  const ImportResult taken = ImportVideo(video, dir.File("taken.zrv"), ImportOptions{});
  EXPECT_EQ(taken.failure.problem, ImportProblem::cannotWrite) << taken.error;
  EXPECT_EQ(taken.failure.path, dir.File("taken.zrv"));
  EXPECT_EQ(ReadFile(dir.File("taken.zrv")), Bytes(10, 'z'));
}

}  // namespace
