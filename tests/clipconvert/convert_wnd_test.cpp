// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// The converter window on Qt's offscreen platform: adding clips, converting
// them in both formats (the videos read back by ffprobe), cancelling, a bad
// clip among good ones, existing outputs, closing while converting, and both
// languages.
#include <QComboBox>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>
#include <algorithm>
#include <chrono>
#include <filesystem>
#include <unistd.h>

#include "tests/clipconvert/convert_fixture.h"
#include "tools/clipconvert/export_failure_text.h"

namespace {

QString Q(const std::string& text) { return QString::fromStdString(text); }

using Streams = std::vector<std::string>;

TEST_F(ConvertWindowTest, ClipsComeFromTheFileDialogAFolderAndADropOnceEach) {
  std::filesystem::create_directories(dir.File("folder/inner"));
  MakeClip(dir.File("single.zrv"), {"--frames", "40", "--sound", "tone"});
  MakeClip(dir.File("folder/inner/deep.gzrv"), {"--frames", "20", "--layout", "shared-header"});
  std::filesystem::rename(dir.File("folder/inner/deep.gzrv"), dir.File("folder/inner/deep.GZRV"));
  MakeClip(dir.File("folder/top.zrv"), {"--frames", "3"});
  WriteFile(dir.File("folder/readme.txt"), {'h', 'i'});
  MakeClip(dir.File("dropped.zrv"), {"--frames", "5"});
  OpenWindow();
  EXPECT_FALSE(window->convertButton()->isEnabled());  // nothing to convert yet

  chosenClips = {Q(dir.File("single.zrv"))};
  window->addFilesButton()->click();
  chosenFolder = Q(dir.File("folder"));
  window->addFolderButton()->click();
  // The same clip again, from the dialog and inside a dropped folder, is not added twice.
  window->addFilesButton()->click();
  window->OnDropFiles({Q(dir.File("dropped.zrv")), Q(dir.File("folder"))});
  ASSERT_TRUE(WaitFor([this] { return window->filesBeingRead() == 0; }));

  ASSERT_EQ(window->list()->topLevelItemCount(), 4);
  const std::vector<std::vector<QString>> expected = {
      {"single.zrv", "40", "0:05", "yes"},  // 8 frames a second with the tone
      {"deep.GZRV", "20", "0:04", "no"},    // no sound: 200 ms a frame
      {"top.zrv", "3", "0:01", "no"},
      {"dropped.zrv", "5", "0:01", "no"},
  };
  for (int row = 0; row < 4; ++row) {
    for (int column = 0; column < 4; ++column)
      EXPECT_EQ(window->cellText(row, ClipColumn(column)), expected[row][column]) << row << "," << column;
    EXPECT_EQ(Result(row), "");
  }
  EXPECT_TRUE(window->convertButton()->isEnabled());

  // Removing the selected clips.
  window->list()->topLevelItem(1)->setSelected(true);
  window->list()->topLevelItem(2)->setSelected(true);
  window->removeButton()->click();
  ASSERT_EQ(window->list()->topLevelItemCount(), 2);
  EXPECT_EQ(window->cellText(1, columnName), "dropped.zrv");
}

TEST_F(ConvertWindowTest, BothFormatsHoldEveryFrameAndTheSoundBesideTheClipsOrInTheChosenFolder) {
  MakeClip(dir.File("sound.zrv"), {"--frames", "40", "--sound", "tone"});
  MakeClip(dir.File("silent.gzrv"), {"--frames", "21", "--layout", "shared-header"});
  OpenWindow();
  Add({Q(dir.File("sound.zrv")), Q(dir.File("silent.gzrv"))});
  EXPECT_FALSE(window->openFolderButton()->isEnabled());

  // MP4 beside each clip: H.264 and AAC.
  ASSERT_EQ(window->formatBox()->currentText(), "MP4 - plays everywhere");
  ConvertAll();
  EXPECT_EQ(ProbeStreams(dir.File("sound.mp4"))[0], "h264,video,40");
  EXPECT_EQ(ProbeStreams(dir.File("sound.mp4"))[1].rfind("aac,audio,", 0), 0u);
  EXPECT_EQ(ProbeStreams(dir.File("silent.mp4")), Streams({"h264,video,21"}));
  for (int row = 0; row < 2; ++row) EXPECT_TRUE(Result(row).startsWith("done, ")) << Result(row).toStdString();
  EXPECT_TRUE(Result(0).endsWith(" KB"));
  EXPECT_EQ(window->fileProgress()->value(), window->fileProgress()->maximum());
  EXPECT_EQ(window->listProgress()->value(), window->listProgress()->maximum());
  EXPECT_EQ(window->statusText(), "finished: 2 converted, 0 failed");
  EXPECT_TRUE(replaceAsked.empty());

  // MKV into one chosen folder: the JPEG frames as they are, FLAC sound.
  std::filesystem::create_directories(dir.File("out"));
  chosenFolder = Q(dir.File("out"));
  window->oneFolderChoice()->click();  // asks for the folder at once
  EXPECT_EQ(window->outputFolder(), Q(dir.File("out")));
  window->formatBox()->setCurrentIndex(1);
  ASSERT_EQ(window->formatBox()->currentText(), "MKV - lossless");
  ConvertAll();
  const Streams mkv = ProbeStreams(dir.File("out/sound.mkv"));
  ASSERT_EQ(mkv.size(), 2u);
  EXPECT_EQ(mkv[0], "mjpeg,video,40");
  EXPECT_EQ(mkv[1].rfind("flac,audio,", 0), 0u);
  EXPECT_EQ(ProbeStreams(dir.File("out/silent.mkv")), Streams({"mjpeg,video,21"}));
  EXPECT_EQ(FolderEntries(dir.File("out")), (std::vector<std::string>{"silent.mkv", "sound.mkv"}));

  // The button shows where the videos went.
  ASSERT_TRUE(window->openFolderButton()->isEnabled());
  window->openFolderButton()->click();
  EXPECT_EQ(shownFolders, std::vector<QString>({Q(dir.File("out"))}));
}

TEST_F(ConvertWindowTest, AClipWhoseSoundDoesNotDecodeIsListedAndConvertedWithoutIt) {
  MakeClip(dir.File("hoarse.zrv"), {"--frames", "16", "--sound", "tone"});
  // "#!AMR" stays, so the scan still sees a track, but of no known kind.
  Bytes clip = ReadFile(dir.File("hoarse.zrv"));
  const std::string magic = "#!AMR\n";
  const auto track = std::search(clip.begin(), clip.end(), magic.begin(), magic.end());
  ASSERT_NE(track, clip.end());
  track[5] = 'X';
  WriteFile(dir.File("hoarse.zrv"), clip);
  OpenWindow();
  Add({Q(dir.File("hoarse.zrv"))});
  EXPECT_EQ(window->cellText(0, columnSound), "cannot be decoded");
  EXPECT_EQ(window->cellText(0, columnLength), "0:03");  // 200 ms a frame
  ConvertAll();
  EXPECT_EQ(ProbeStreams(dir.File("hoarse.mp4")), Streams({"h264,video,16"}));
}

TEST_F(ConvertWindowTest, CancelStopsTheClipInTheMiddleAndLeavesNoPartialFile) {
  std::filesystem::create_directories(dir.File("clips"));
  MakeClip(dir.File("clips/long.zrv"), {"--frames", "1500", "--size", "320x240", "--sound", "tone"});
  MakeClip(dir.File("clips/next.zrv"), {"--frames", "10"});
  const std::vector<std::string> before = FolderEntries(dir.File("clips"));
  OpenWindow();
  Add({Q(dir.File("clips"))});

  window->convertButton()->click();
  EXPECT_TRUE(window->converting());
  EXPECT_FALSE(window->convertButton()->isEnabled());
  EXPECT_FALSE(window->removeButton()->isEnabled());
  ASSERT_TRUE(window->cancelButton()->isEnabled());
  // Some frames in: the unfinished file is open, with no name in the folder yet.
  ASSERT_TRUE(WaitFor([this] { return window->fileProgress()->value() >= 20; }));
  const int reached = window->fileProgress()->value();
  EXPECT_TRUE(HoldsPendingFile(::getpid(), dir.File("clips")));
  EXPECT_EQ(FolderEntries(dir.File("clips")), before);
  window->cancelButton()->click();
  ASSERT_TRUE(WaitFor([this] { return !window->converting(); }, 30));

  EXPECT_LT(window->fileProgress()->value(), window->fileProgress()->maximum());
  EXPECT_LT(window->fileProgress()->value(), reached + 200);
  EXPECT_EQ(window->listProgress()->value(), window->fileProgress()->value());  // the first of two
  EXPECT_EQ(Result(0), "cancelled");
  EXPECT_EQ(Result(1), "cancelled");  // never started
  EXPECT_EQ(FolderEntries(dir.File("clips")), before);
  EXPECT_EQ(window->statusText(), "cancelled: 0 converted");
  EXPECT_FALSE(window->openFolderButton()->isEnabled());
  EXPECT_TRUE(window->convertButton()->isEnabled());

  // The window converts again afterwards.
  window->list()->topLevelItem(0)->setSelected(true);
  window->removeButton()->click();
  ConvertAll();
  EXPECT_EQ(ProbeStreams(dir.File("clips/next.mp4")), Streams({"h264,video,10"}));
}

TEST_F(ConvertWindowTest, ABadClipSaysWhyAndTheOthersConvert) {
  MakeClip(dir.File("first.zrv"), {"--frames", "12", "--sound", "tone"});
  WriteFile(dir.File("text.zrv"), {'n', 'o', 't', ' ', 'a', ' ', 'c', 'l', 'i', 'p'});
  // A frame start and then nothing that decodes: found by the scan, refused by the export.
  WriteFile(dir.File("broken.zrv"), {0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x10, 'J', 'F', 'I', 'F', 0, 1, 2, 3});
  MakeClip(dir.File("last.zrv"), {"--frames", "7"});
  OpenWindow();
  Add({Q(dir.File("first.zrv")), Q(dir.File("text.zrv")), Q(dir.File("broken.zrv")), Q(dir.File("missing.zrv")),
       Q(dir.File("last.zrv"))});
  ASSERT_EQ(window->list()->topLevelItemCount(), 4);  // a missing file is not listed
  EXPECT_EQ(Result(1), "not a ZRV clip: it holds no frame");
  EXPECT_EQ(window->cellText(1, columnFrames), "");
  EXPECT_EQ(window->cellText(2, columnFrames), "1");

  ConvertAll();
  EXPECT_TRUE(Result(0).startsWith("done, "));
  EXPECT_EQ(Result(1), "not a ZRV clip: it holds no frame");
  EXPECT_TRUE(Result(2).contains("broken.zrv' cannot be exported: none of its frames can be decoded"))
      << Result(2).toStdString();
  EXPECT_TRUE(Result(3).startsWith("done, "));
  EXPECT_EQ(window->statusText(), "finished: 2 converted, 2 failed");
  EXPECT_EQ(ProbeStreams(dir.File("last.mp4")), Streams({"h264,video,7"}));
  EXPECT_FALSE(FileExists(dir.File("text.mp4")));
  EXPECT_FALSE(FileExists(dir.File("broken.mp4")));
  EXPECT_EQ(FolderEntries(dir.path()).size(), 6u);  // four clips, two videos
}

TEST_F(ConvertWindowTest, AnExistingVideoIsReplacedOnlyWhenTheUserSaysSo) {
  for (const char* name : {"a.zrv", "b.zrv", "c.zrv"}) MakeClip(dir.File(name), {"--frames", "6"});
  const Bytes mine = {'m', 'i', 'n', 'e'};
  WriteFile(dir.File("a.mp4"), mine);
  WriteFile(dir.File("b.mp4"), mine);
  OpenWindow();
  Add({Q(dir.File("a.zrv")), Q(dir.File("b.zrv")), Q(dir.File("c.zrv"))});

  replaceAnswer = ReplaceAnswer::keep;
  ConvertAll();
  EXPECT_EQ(replaceAsked, std::vector<QString>({Q(dir.File("a.mp4")), Q(dir.File("b.mp4"))}));
  EXPECT_EQ(ReadFile(dir.File("a.mp4")), mine);
  EXPECT_EQ(ReadFile(dir.File("b.mp4")), mine);
  EXPECT_EQ(Result(0), "skipped: '" + Q(dir.File("a.mp4")) + "' already exists");
  EXPECT_EQ(ProbeStreams(dir.File("c.mp4")), Streams({"h264,video,6"}));

  // Keep all: asked once for the three.
  replaceAsked.clear();
  replaceAnswer = ReplaceAnswer::keepAll;
  ConvertAll();
  EXPECT_EQ(replaceAsked.size(), 1u);
  EXPECT_EQ(ReadFile(dir.File("a.mp4")), mine);

  // Replace this one, then keep the next: only a.mp4 is new.
  replaceAsked.clear();
  int question = 0;
  window->m_askReplace = [&](const QString& output) {
    replaceAsked.push_back(output);
    return question++ == 0 ? ReplaceAnswer::replace : ReplaceAnswer::keep;
  };
  ConvertAll();
  EXPECT_EQ(replaceAsked.size(), 3u);
  EXPECT_EQ(ProbeStreams(dir.File("a.mp4")), Streams({"h264,video,6"}));
  EXPECT_EQ(ReadFile(dir.File("b.mp4")), mine);

  // Replace all.
  replaceAsked.clear();
  window->m_askReplace = [&](const QString& output) {
    replaceAsked.push_back(output);
    return ReplaceAnswer::replaceAll;
  };
  ConvertAll();
  EXPECT_EQ(replaceAsked.size(), 1u);
  EXPECT_EQ(ProbeStreams(dir.File("b.mp4")), Streams({"h264,video,6"}));
  EXPECT_EQ(window->statusText(), "finished: 3 converted, 0 failed");
}

TEST_F(ConvertWindowTest, TwoClipsOfOneNameNeverWriteTheSameFile) {
  std::filesystem::create_directories(dir.File("one"));
  std::filesystem::create_directories(dir.File("two"));
  std::filesystem::create_directories(dir.File("out"));
  MakeClip(dir.File("one/clip.zrv"), {"--frames", "4"});
  MakeClip(dir.File("two/clip.zrv"), {"--frames", "9"});
  OpenWindow();
  Add({Q(dir.File("one/clip.zrv")), Q(dir.File("two/clip.zrv"))});
  chosenFolder = Q(dir.File("out"));
  window->chooseFolderButton()->click();
  ConvertAll();
  EXPECT_TRUE(Result(0).startsWith("done, "));
  EXPECT_EQ(Result(1), "another clip in the list is converted to '" + Q(dir.File("out/clip.mp4")) + "'");
  EXPECT_EQ(ProbeStreams(dir.File("out/clip.mp4")), Streams({"h264,video,4"}));
  EXPECT_TRUE(replaceAsked.empty());
}

TEST_F(ConvertWindowTest, ClosingWhileConvertingAsksThenStopsCleanly) {
  MakeClip(dir.File("long.zrv"), {"--frames", "1500", "--size", "320x240"});
  OpenWindow();
  Add({Q(dir.File("long.zrv"))});
  window->convertButton()->click();
  ASSERT_TRUE(WaitFor([this] { return window->fileProgress()->value() >= 10; }));

  closeAnswer = false;  // keep converting
  EXPECT_FALSE(window->close());
  EXPECT_EQ(closeAsked, 1);
  EXPECT_TRUE(window->converting());
  EXPECT_TRUE(window->isVisible());

  closeAnswer = true;
  EXPECT_TRUE(window->close());
  EXPECT_EQ(closeAsked, 2);
  EXPECT_FALSE(window->converting());
  EXPECT_EQ(Result(0), "cancelled");
  EXPECT_EQ(FolderEntries(dir.path()), std::vector<std::string>({"long.zrv"}));

  // Nothing of the stopped run arrives later, and an idle window closes unasked.
  WaitFor([] { return false; }, 0.3);
  EXPECT_EQ(Result(0), "cancelled");
  window->show();
  EXPECT_TRUE(window->close());
  EXPECT_EQ(closeAsked, 2);
}

// A clip of `frames` frames whose track is `minutes` of AMR-NB frames that
// carry no speech (one byte each): long sound in a small file.
void MakeLongSoundClip(const std::string& path, int frames, int minutes, const std::string& scratch) {
  static const char kMagic[] = "#!AMR\n";
  Bytes track(sizeof kMagic - 1 + size_t(minutes) * 60 * 50, 0x7C);
  std::copy(kMagic, kMagic + sizeof kMagic - 1, track.begin());
  WriteFile(scratch, track);
  MakeClip(path, {"--frames", std::to_string(frames), "--sound", scratch});
}

double SecondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

TEST_F(ConvertWindowTest, AnHourOfSoundIsListedByItsFramesAndTooShortASoundIsLeftOut) {
  MakeLongSoundClip(dir.File("hour.zrv"), 3, 60, dir.File("hour.amr"));
  OpenWindow();
  Add({Q(dir.File("hour.zrv"))});
  EXPECT_EQ(window->cellText(0, columnFrames), "3");
  EXPECT_EQ(window->cellText(0, columnLength), "1:00:00");
  EXPECT_EQ(window->cellText(0, columnSound), "yes");
  // Frames of less than a millisecond leave the sound out, as the export times them.
  WriteFile(dir.File("ten.amr"), {'#', '!', 'A', 'M', 'R', '\n', 0x7C, 0x7C, 0x7C, 0x7C, 0x7C, 0x7C, 0x7C, 0x7C,
                                   0x7C, 0x7C});  // 200 ms
  MakeClip(dir.File("crowded.zrv"), {"--frames", "300", "--sound", dir.File("ten.amr")});
  Add({Q(dir.File("crowded.zrv"))});
  EXPECT_EQ(window->cellText(1, columnSound), "cannot be decoded");
  EXPECT_EQ(window->cellText(1, columnLength), "1:00");
}

TEST_F(ConvertWindowTest, ClosingDuringALongSoundStopsAtOnce) {
  // Four frames of 75 s each: most of the work is the sound between two frames.
  MakeLongSoundClip(dir.File("speech.zrv"), 4, 5, dir.File("speech.amr"));
  OpenWindow();
  Add({Q(dir.File("speech.zrv"))});
  const auto start = std::chrono::steady_clock::now();
  window->convertButton()->click();
  ASSERT_TRUE(WaitFor([this] { return window->fileProgress()->value() >= 250; }));
  const double firstFrame = SecondsSince(start);  // the first 75 s of sound

  closeAnswer = true;
  const auto closing = std::chrono::steady_clock::now();
  EXPECT_TRUE(window->close());
  const double closed = SecondsSince(closing);
  // Stopping inside the second frame's sound takes far less than encoding it.
  EXPECT_LT(closed, firstFrame / 2) << "first frame " << firstFrame << " s, close " << closed << " s";
  EXPECT_EQ(Result(0), "cancelled");
  EXPECT_EQ(FolderEntries(dir.path()), (std::vector<std::string>{"speech.amr", "speech.zrv"}));
}

TEST(ExportFailureText, EveryFailureReadsInChineseWithItsNamesAndInEnglishAsZrvtoolSaysIt) {
  const uint8_t saved = UiLanguage;
  for (int kind = int(ExportProblem::badQuality); kind <= int(ExportProblem::failed); ++kind) {
    ExportFailure failure = MakeFailure(ExportProblem(kind), "/视频/a.zrv", "No such file or directory");
    failure.number = 51;
    failure.width = 8000;
    failure.height = 64;
    UiLanguage = kLanguageEnglish;
    const QString english = ExportFailureText(failure);
    EXPECT_EQ(english.toStdString(), ExportFailureSentence(failure));
    UiLanguage = kLanguageChinese;
    const QString chinese = ExportFailureText(failure);
    EXPECT_NE(chinese, english) << kind;
    // Chinese words, and the names the failure concerns.
    EXPECT_TRUE(std::any_of(chinese.begin(), chinese.end(), [](QChar c) { return c.unicode() >= 0x4E00; }))
        << kind;
    const QString named = kind == int(ExportProblem::badQuality)       ? QString("51")
                          : kind == int(ExportProblem::framesTooLarge) ? QString("8000 x 64")
                                                                       : QString::fromUtf8("/视频/a.zrv");
    EXPECT_TRUE(chinese.contains(named)) << kind;
    const bool detailed = kind == int(ExportProblem::failed) || kind == int(ExportProblem::clipUnreadable) ||
                          kind == int(ExportProblem::folderNotWritable) || kind == int(ExportProblem::cannotName);
    EXPECT_EQ(chinese.contains("No such file or directory"), detailed) << kind;
  }
  UiLanguage = saved;
}

TEST_F(ConvertWindowTest, ChineseAndEnglishTexts) {
  MakeClip(dir.File("good.zrv"), {"--frames", "8", "--sound", "tone"});
  WriteFile(dir.File("bad.zrv"), {'x'});
  // Found by the scan, refused by the export: the export's failure in the window's language.
  WriteFile(dir.File("broken.zrv"), {0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x10, 'J', 'F', 'I', 'F', 0, 1, 2, 3});
  struct Case {
    uint8_t language;
    const char *title, *mp4, *mkv, *convert, *sound, *bad, *broken, *done, *status;
  };
  const Case cases[] = {
      {kLanguageChinese, "视频转换", "MP4 - 到处都能播放", "MKV - 无损", "转换", "有",
       "不是 ZRV 短片：里面没有任何帧", "”无法导出：它的帧都无法解码", "完成，", "转换结束：1 个成功，2 个失败"},
      {kLanguageEnglish, "Video Convert", "MP4 - plays everywhere", "MKV - lossless", "Convert", "yes",
       "not a ZRV clip: it holds no frame", "' cannot be exported: none of its frames can be decoded", "done, ",
       "finished: 1 converted, 2 failed"},
  };
  for (const Case& c : cases) {
    std::filesystem::remove(dir.File("good.mkv"));
    OpenWindow(c.language);
    EXPECT_EQ(window->windowTitle(), QString::fromUtf8(c.title));
    EXPECT_EQ(window->formatBox()->itemText(0), QString::fromUtf8(c.mp4));
    EXPECT_EQ(window->formatBox()->itemText(1), QString::fromUtf8(c.mkv));
    EXPECT_EQ(window->convertButton()->text(), QString::fromUtf8(c.convert));
    Add({Q(dir.File("good.zrv")), Q(dir.File("bad.zrv")), Q(dir.File("broken.zrv"))});
    EXPECT_EQ(window->cellText(0, columnSound), QString::fromUtf8(c.sound));
    window->formatBox()->setCurrentIndex(1);
    ConvertAll();
    EXPECT_TRUE(Result(0).startsWith(QString::fromUtf8(c.done))) << Result(0).toStdString();
    EXPECT_EQ(Result(1), QString::fromUtf8(c.bad));
    EXPECT_TRUE(Result(2).endsWith(QString::fromUtf8(c.broken))) << Result(2).toStdString();
    EXPECT_EQ(window->statusText(), QString::fromUtf8(c.status));
    EXPECT_EQ(ProbeStreams(dir.File("good.mkv"))[0], "mjpeg,video,8");
  }
}

}  // namespace
