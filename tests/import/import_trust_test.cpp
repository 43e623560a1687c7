// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// Files that are no videos but would make FFmpeg read other files or reach
// the network: scripts, playlists, manifests, session descriptions, text.
// zrvtool import refuses each with one line, and strace, watching the whole
// run, sees the import open the file it was given and nothing of the others,
// and make no socket at all.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>

#include "tests/import/import_sources.h"

namespace {

// LeakSanitizer cannot stop a traced process's threads: a sanitizer build
// leaves the leak check out under strace.
constexpr const char* kNoLeakCheck = "ASAN_OPTIONS=detect_leaks=0";

Bytes TextBytes(const std::string& text) { return Bytes(text.begin(), text.end()); }

struct HostileFile {
  const char* name;
  std::string text;  // "SEC" stands for the folder of the private video
};

TEST(ImportTrust, NoVideoMakesTheImportReadAnotherFileOrTheNetwork) {
  TempDir dir;
  const std::string secret = dir.File("sec/private.ts");
  std::filesystem::create_directory(dir.File("sec"));
  ASSERT_EQ(RunProgram({"/usr/bin/ffmpeg", "-v", "error", "-i", TestVideo("mp4.mp4"), "-c", "copy", secret}).exitCode, 0);
  const std::string playlist = "#EXTM3U\n#EXT-X-TARGETDURATION:10\n#EXTINF:3,\nfile://" + secret + "\n#EXT-X-ENDLIST\n";
  WriteFile(dir.File("list.m3u8"), TextBytes(playlist));

  const HostileFile files[] = {
      {"holiday.mp4", "ffconcat version 1.0\nfile sec/private.ts\n"},
      {"notes.txt", "ffconcat version 1.0\nfile sec/private.ts\n"},
      {"trip.mp4", "ffconcat version 1.0\nfile list.m3u8\n"},
      {"playlist.mp4", playlist},
      {"manifest.mp4",
       "<?xml version=\"1.0\"?>\n<MPD xmlns=\"urn:mpeg:dash:schema:mpd:2011\" type=\"static\" "
       "mediaPresentationDuration=\"PT3S\" minBufferTime=\"PT1S\" "
       "profiles=\"urn:mpeg:dash:profile:isoff-on-demand:2011\"><Period><AdaptationSet mimeType=\"video/mp2t\">"
       "<Representation id=\"1\" bandwidth=\"1000\" width=\"320\" height=\"240\"><BaseURL>file://SEC/private.ts"
       "</BaseURL></Representation></AdaptationSet></Period></MPD>\n"},
      {"session.mp4",
       "v=0\no=- 0 0 IN IP4 127.0.0.1\ns=clip\nc=IN IP4 0.0.0.0\nt=0 0\nm=video 5004 RTP/AVP 96\n"
       "a=rtpmap:96 H264/90000\n"},
      {"letter.txt", "Dear all,\nhere are the pictures of the holiday.\n"},
  };
  for (const HostileFile& file : files) {
    std::string text = file.text;
    if (const size_t at = text.find("SEC"); at != std::string::npos) text.replace(at, 3, dir.File("sec"));
    const std::string input = dir.File(file.name);
    WriteFile(input, TextBytes(text));
    const std::string trace = dir.File("trace.log");
    const ProgramResult run = RunProgram({"/usr/bin/env", kNoLeakCheck, "/usr/bin/strace", "-f", "-qq", "-e", "trace=open,openat,openat2,socket,connect,bind",
                                          "-o", trace, BuiltProgram("zrvtool"), "import", input,
                                          dir.File("out.zrv")});
    const Bytes traced = ReadFile(trace);
    const std::string log(traced.begin(), traced.end());
    // strace saw the import at work: it opened the file it was given.
    ASSERT_NE(log.find("\"" + input + "\""), std::string::npos) << file.name << "\n" << log;
    EXPECT_EQ(run.exitCode, 1) << file.name;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << file.name << ": " << run.err;
    EXPECT_NE(run.err.find(file.name), std::string::npos) << run.err;
    EXPECT_EQ(log.find("/sec/"), std::string::npos) << file.name << " opened the private video";
    EXPECT_EQ(log.find("list.m3u8"), std::string::npos) << file.name << " opened the playlist";
    EXPECT_EQ(log.find("socket("), std::string::npos) << file.name << " made a socket";
    EXPECT_FALSE(FileExists(dir.File("out.zrv"))) << file.name;
  }
}

TEST(ImportTrust, TheImportIsConfinedBeforeTheVideoIsParsed) {
  TempDir dir;
  const std::string video = TestVideo("mute.mp4");
  const std::string trace = dir.File("trace.log");
  const ProgramResult run = RunProgram({"/usr/bin/env", kNoLeakCheck, "/usr/bin/strace", "-f", "-qq", "-e", "trace=openat,seccomp,pread64", "-o", trace,
                                        BuiltProgram("zrvtool"), "import", video, dir.File("out.zrv")});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  const Bytes traced = ReadFile(trace);
  const std::string log(traced.begin(), traced.end());
  const size_t opened = log.find("\"" + video + "\"");
  ASSERT_NE(opened, std::string::npos) << log;
  // The descriptor the open returned, then the first read through it.
  const size_t lineEnd = log.find('\n', opened);
  const std::string fd = log.substr(log.rfind("= ", lineEnd) + 2, lineEnd - log.rfind("= ", lineEnd) - 2);
  const size_t confined = log.find("seccomp(SECCOMP_SET_MODE_FILTER", opened);
  const size_t firstRead = log.find("pread64(" + fd + ",", opened);
  ASSERT_NE(confined, std::string::npos) << log;
  ASSERT_NE(firstRead, std::string::npos) << "fd " << fd << "\n" << log;
  EXPECT_LT(opened, confined);
  EXPECT_LT(confined, firstRead);
}

}  // namespace
