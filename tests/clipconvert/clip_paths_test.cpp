// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// Which files the converter takes, where their videos go, and how lengths and
// sizes read.
#include <filesystem>
#include <gtest/gtest.h>

#include "tests/support/test_support.h"
#include "tools/clipconvert/clip_paths.h"
#include "tools/converter/converter_paths.h"

namespace {

QString Q(const std::string& text) { return QString::fromStdString(text); }

TEST(ClipPaths, AFolderGivesItsClipsAtEveryDepthWhateverTheCaseOfTheirExtension) {
  TempDir dir;
  std::filesystem::create_directories(dir.File("top/deeper/deepest"));
  for (const char* name : {"top/b.zrv", "top/a.GZRV", "top/deeper/deepest/c.Zrv", "top/notes.txt",
                           "top/deeper/clip.zrv.bak", "top/deeper/gzrv"})
    WriteFile(dir.File(name), {1});
  std::filesystem::create_directories(dir.File("top/folder.zrv"));  // a folder is no clip

  const QStringList clips = ClipsUnder(Q(dir.File("top")));
  EXPECT_EQ(clips, QStringList({Q(dir.File("top/a.GZRV")), Q(dir.File("top/b.zrv")),
                                Q(dir.File("top/deeper/deepest/c.Zrv"))}));
}

TEST(ClipPaths, AFileIsTakenAsItIsAndAMissingPathGivesNothing) {
  TempDir dir;
  WriteFile(dir.File("picked.dat"), {1});
  // The user picked it, so its name does not matter; the path comes back clean.
  EXPECT_EQ(ClipsUnder(Q(dir.path() + "/./picked.dat")), QStringList({Q(dir.File("picked.dat"))}));
  EXPECT_TRUE(ClipsUnder(Q(dir.File("missing.zrv"))).isEmpty());
}

TEST(ClipPaths, TheFirstArgumentOfThePlayerAddsNothingOtherArgumentsAreClips) {
  EXPECT_TRUE(FileArguments({}).isEmpty());
  EXPECT_TRUE(FileArguments({"qorvex"}).isEmpty());
  EXPECT_EQ(FileArguments({"a.zrv"}), QStringList({"a.zrv"}));
  EXPECT_EQ(FileArguments({"a.zrv", "dir"}), QStringList({"a.zrv", "dir"}));
}

TEST(ClipPaths, TheVideoIsNamedAfterTheClipBesideItOrInTheChosenFolder) {
  EXPECT_EQ(VideoPathFor("/clips/holiday.zrv", "", ExportFormat::mp4), "/clips/holiday.mp4");
  EXPECT_EQ(VideoPathFor("/clips/holiday.gzrv", "", ExportFormat::mkv), "/clips/holiday.mkv");
  EXPECT_EQ(VideoPathFor("/clips/2008.05.01.zrv", "/out", ExportFormat::mp4), "/out/2008.05.01.mp4");
  EXPECT_EQ(VideoPathFor("/clips/家.zrv", "/视频", ExportFormat::mkv), "/视频/家.mkv");
}

TEST(ClipPaths, LengthsAndSizesRead) {
  EXPECT_EQ(LengthText(0), "0:00");
  EXPECT_EQ(LengthText(12000), "0:12");
  EXPECT_EQ(LengthText(12499), "0:12");
  EXPECT_EQ(LengthText(59500), "1:00");
  EXPECT_EQ(LengthText(725000), "12:05");
  EXPECT_EQ(LengthText(3723000), "1:02:03");
  EXPECT_EQ(SizeText(100), "1 KB");
  EXPECT_EQ(SizeText(50 * 1024), "50 KB");
  EXPECT_EQ(SizeText(uint64_t(12.4 * 1024 * 1024)), "12.4 MB");
  EXPECT_EQ(SizeText(uint64_t(3) << 30), "3.0 GB");
}

}  // namespace
