// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// The ZRV Changer window on Qt's offscreen platform, with videos that ffmpeg
// makes at test time: the list and its facts, the target's choices, real
// conversions read back through the container's index, Cancel, the replace
// answers, Play, both languages, and what both converter windows offer the
// keyboard and screen readers.
#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QRegularExpression>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QStandardPaths>
#include <QTreeWidget>
#include <filesystem>

#include "container/file_block.h"
#include "container/frame_index.h"
#include "tests/clipconvert/convert_fixture.h"
#include "tools/zrvchanger/changer_wnd.h"
#include "tools/zrvchanger/import_failure_text.h"
#include "ui/dialog_units.h"

namespace {

QString Q(const std::string& text) { return QString::fromStdString(text); }

// A video of `seconds` of ffmpeg's moving test picture at `size`, with a
// 440 Hz tone unless `silent`, in the container that `path`'s extension names.
void MakeVideo(const std::string& path, double seconds, const std::string& size = "320x240",
               bool silent = false) {
  std::vector<std::string> command = {QStandardPaths::findExecutable("ffmpeg").toStdString(), "-v", "error",
                                      "-f", "lavfi", "-i",
                                      "testsrc2=size=" + size + ":rate=25:duration=" + std::to_string(seconds)};
  if (!silent) command.insert(command.end(), {"-f", "lavfi", "-i", "sine=frequency=440:duration=" + std::to_string(seconds)});
  command.insert(command.end(), {"-pix_fmt", "yuv420p", "-shortest", path});
  const ProgramResult made = RunProgram(command);
  ASSERT_EQ(made.exitCode, 0) << made.err;
}

struct ClipRead {
  uint32_t frames = 0;
  bool sound = false;
  bool sharedHeader = false;
  int width = 0, height = 0;  // of the first frame
};

// The clip as the player indexes it, and its first frame's size.
ClipRead ReadClip(const std::string& path) {
  ClipRead read;
  FileBlock bytes;
  if (ReadWholeFile(path, bytes) != ReadStatus::ok) return read;
  FrameIndex index;
  BuildFrameIndex(bytes.data(), uint32_t(bytes.size()), index);
  read.frames = index.frameCount;
  read.sound = index.hasSound;
  read.sharedHeader = index.sharedHeader;
  // The first frame's SOF0 marker holds its height and width.
  for (uint32_t i = index.frameOffsets[0]; i + 8 < index.frameOffsets[1]; ++i) {
    if (bytes.data()[i] == 0xFF && bytes.data()[i + 1] == 0xC0) {
      read.height = bytes.data()[i + 5] << 8 | bytes.data()[i + 6];
      read.width = bytes.data()[i + 7] << 8 | bytes.data()[i + 8];
      break;
    }
  }
  return read;
}

class ChangerWindowTest : public testing::Test {
 protected:
  void TearDown() override {
    window.reset();
    UiLanguage = m_savedLanguage;
  }

  void OpenWindow(uint8_t language = kLanguageEnglish) {
    UiLanguage = language;
    window = std::make_unique<CChangerWnd>();
    window->m_chooseFiles = [this] { return chosenFiles; };
    window->m_chooseFolder = [this](const QString&) { return chosenFolder; };
    window->m_askReplace = [this](const QString& output) {
      replaceAsked.push_back(output);
      return replaceAnswer;
    };
    window->m_askStopAndClose = [] { return true; };
    window->m_playClip = [this](const QString& clip) {
      played.push_back(clip);
      return true;
    };
    window->show();
  }
  void Add(const QStringList& paths) {
    window->AddPaths(paths);
    ASSERT_TRUE(WaitFor([this] { return window->filesBeingRead() == 0; }));
  }
  void ConvertAll() {
    ASSERT_TRUE(window->convertButton()->isEnabled());
    window->convertButton()->click();
    ASSERT_TRUE(WaitFor([this] { return !window->converting(); }, 240));
  }
  QString Cell(int row, VideoColumn column) const { return window->cellText(row, column); }
  CChangerOptions& target() { return *window->target(); }

  TempDir dir;
  std::unique_ptr<CChangerWnd> window;
  QStringList chosenFiles;
  QString chosenFolder;
  std::vector<QString> replaceAsked;
  ReplaceAnswer replaceAnswer = ReplaceAnswer::keep;
  std::vector<QString> played;

 private:
  uint8_t m_savedLanguage = UiLanguage;
};

TEST_F(ChangerWindowTest, VideosComeFromTheDialogAFolderAndADropWithTheirLengthAndPictureSize) {
  std::filesystem::create_directories(dir.File("folder/inner"));
  MakeVideo(dir.File("phone.mp4"), 2, "320x240");
  MakeVideo(dir.File("folder/inner/web.WEBM"), 1, "160x120", true);
  WriteFile(dir.File("folder/notes.txt"), {'h', 'i'});
  WriteFile(dir.File("folder/fake.avi"), {'n', 'o', 't', ' ', 'a', ' ', 'v', 'i', 'd', 'e', 'o'});
  OpenWindow();
  EXPECT_EQ(window->windowTitle(), "ZRV Changer");
  EXPECT_FALSE(window->convertButton()->isEnabled());

  chosenFiles = {Q(dir.File("phone.mp4"))};
  window->addFilesButton()->click();
  window->OnDropFiles({Q(dir.File("folder")), Q(dir.File("phone.mp4"))});  // phone.mp4 only once
  ASSERT_TRUE(WaitFor([this] { return window->filesBeingRead() == 0; }, 60));

  ASSERT_EQ(window->list()->topLevelItemCount(), 3);
  EXPECT_EQ(Cell(0, videoColumnName), "phone.mp4");
  EXPECT_EQ(Cell(0, videoColumnLength), "0:02");
  EXPECT_EQ(Cell(0, videoColumnPicture), "320 x 240");
  EXPECT_EQ(Cell(0, videoColumnResult), "");
  EXPECT_EQ(Cell(1, videoColumnName), "fake.avi");  // the folder's videos, sorted; not the text file
  EXPECT_FALSE(Cell(1, videoColumnResult).isEmpty());  // why it cannot be converted
  EXPECT_EQ(Cell(1, videoColumnPicture), "");
  EXPECT_EQ(Cell(2, videoColumnName), "web.WEBM");
  EXPECT_EQ(Cell(2, videoColumnPicture), "160 x 120");
  EXPECT_EQ(Cell(2, videoColumnLength), "0:01");
  EXPECT_TRUE(window->convertButton()->isEnabled());

  // Delete and Remove take rows out of the list, never the files.
  window->list()->topLevelItem(1)->setSelected(true);
  window->removeButton()->click();
  ASSERT_EQ(window->list()->topLevelItemCount(), 2);
  EXPECT_TRUE(FileExists(dir.File("folder/fake.avi")));
}

TEST_F(ChangerWindowTest, TheTargetsChoicesAndWhatEachSays) {
  OpenWindow();
  CChangerOptions& t = target();
  // The defaults: 176 x 144, pad, 8 fps, quality 75, AMR-NB, plain.
  EXPECT_EQ(t.sizeBox()->currentText(), "176 x 144");
  ImportOptions o = t.options();
  EXPECT_EQ(o.width, 176);
  EXPECT_EQ(o.height, 144);
  EXPECT_EQ(o.fit, ImportFit::pad);
  EXPECT_EQ(o.fps, 8);
  EXPECT_EQ(o.quality, 75);
  EXPECT_EQ(o.sound, ImportSound::amrNb);
  EXPECT_EQ(o.layout, ImportLayout::plain);
  EXPECT_EQ(CheckImportOptions(o), "");
  EXPECT_FALSE(t.widthBox()->isEnabled());

  // Each preset sets both sides; the explanation follows the choice.
  const QString qcif = t.explanationOf(t.sizeBox());
  const std::pair<int, int> presets[] = {{128, 96}, {176, 144}, {220, 176}, {320, 240}};
  QStringList lines;
  for (int i = 0; i < 4; ++i) {
    t.sizeBox()->setCurrentIndex(i);
    EXPECT_EQ(t.options().width, presets[i].first);
    EXPECT_EQ(t.options().height, presets[i].second);
    lines << t.explanationOf(t.sizeBox());
  }
  EXPECT_EQ(lines.removeDuplicates(), 0);
  EXPECT_EQ(lines[1], qcif);

  // A size of one's own is typed into the two sides.
  t.sizeBox()->setCurrentIndex(t.sizeBox()->count() - 1);
  EXPECT_EQ(t.sizeBox()->currentText(), "Custom");
  ASSERT_TRUE(t.widthBox()->isEnabled());
  t.widthBox()->setValue(100);
  t.heightBox()->setValue(60);
  EXPECT_EQ(t.options().width, 100);
  EXPECT_EQ(t.options().height, 60);
  EXPECT_EQ(t.explanationOf(t.widthBox()), "Any size, 16 to 8192 pixels a side");

  // No sound: 5 frames a second, and the rate cannot be changed; the rate
  // chosen before comes back with the sound.
  t.fpsBox()->setValue(12);
  const QString withSound = t.explanationOf(t.fpsBox());
  t.soundBox()->setCurrentIndex(2);
  EXPECT_EQ(t.soundBox()->currentText(), "none");
  EXPECT_EQ(t.options().sound, ImportSound::none);
  EXPECT_EQ(t.options().fps, 5);
  EXPECT_FALSE(t.fpsBox()->isEnabled());
  EXPECT_NE(t.explanationOf(t.fpsBox()), withSound);
  EXPECT_EQ(CheckImportOptions(t.options()), "");
  t.soundBox()->setCurrentIndex(1);
  EXPECT_EQ(t.options().sound, ImportSound::amrWb);
  EXPECT_EQ(t.options().fps, 12);
  EXPECT_TRUE(t.fpsBox()->isEnabled());

  // The sound track: the video's default one, or the one chosen while
  // there is sound to take it from.
  EXPECT_EQ(t.trackBox()->text(), "default");
  EXPECT_EQ(t.options().audioTrack, 0);
  t.trackBox()->setValue(2);
  EXPECT_EQ(t.options().audioTrack, 2);
  EXPECT_FALSE(t.explanationOf(t.trackBox()).isEmpty());
  t.soundBox()->setCurrentIndex(2);
  EXPECT_FALSE(t.trackBox()->isEnabled());
  EXPECT_EQ(t.options().audioTrack, 0);
  t.soundBox()->setCurrentIndex(1);

  // Fit, quality and layout, each with its own line.
  const QString pad = t.explanationOf(t.fitBox());
  t.fitBox()->setCurrentIndex(1);
  EXPECT_EQ(t.options().fit, ImportFit::crop);
  EXPECT_NE(t.explanationOf(t.fitBox()), pad);
  t.qualityBox()->setValue(40);
  EXPECT_EQ(t.options().quality, 40);
  EXPECT_FALSE(t.explanationOf(t.qualityBox()).isEmpty());
  const QString plain = t.explanationOf(t.layoutBox());
  t.layoutBox()->setCurrentIndex(1);
  EXPECT_EQ(t.options().layout, ImportLayout::sharedHeader);
  EXPECT_NE(t.explanationOf(t.layoutBox()), plain);
  // Screen readers hear the same line.
  EXPECT_EQ(t.layoutBox()->accessibleDescription(), t.explanationOf(t.layoutBox()));
}

TEST_F(ChangerWindowTest, ConvertedClipsReadBackThroughTheIndexAndPlay) {
  MakeVideo(dir.File("phone.mp4"), 2, "320x240");
  MakeVideo(dir.File("mute.mkv"), 2, "160x120", true);
  OpenWindow();
  Add({Q(dir.File("phone.mp4")), Q(dir.File("mute.mkv"))});
  EXPECT_FALSE(window->playButton()->isEnabled());

  // Beside each video, the defaults: 176 x 144 at 8 a second with AMR-NB;
  // the video without sound gets a silent track, so its rate holds too.
  ConvertAll();
  EXPECT_EQ(window->statusText(), "finished: 2 converted, 0 failed");
  for (const char* name : {"phone.zrv", "mute.zrv"}) {
    const ClipRead clip = ReadClip(dir.File(name));
    EXPECT_NEAR(int(clip.frames), 16, 1) << name;
    EXPECT_TRUE(clip.sound) << name;
    EXPECT_FALSE(clip.sharedHeader) << name;
    EXPECT_EQ(clip.width, 176) << name;
    EXPECT_EQ(clip.height, 144) << name;
  }
  EXPECT_TRUE(window->resultText(0).startsWith("done, ")) << window->resultText(0).toStdString();
  EXPECT_EQ(window->fileProgress()->value(), window->fileProgress()->maximum());
  EXPECT_EQ(window->listProgress()->value(), window->listProgress()->maximum());

  // Play opens the finished clip of the current row.
  window->list()->setCurrentItem(window->list()->topLevelItem(0));
  ASSERT_TRUE(window->playButton()->isEnabled());
  window->playButton()->click();
  EXPECT_EQ(played, std::vector<QString>({Q(dir.File("phone.zrv"))}));

  // Into one folder, 128 x 96, no sound (5 a second), shared header.
  std::filesystem::create_directories(dir.File("out"));
  chosenFolder = Q(dir.File("out"));
  window->oneFolderChoice()->click();
  target().sizeBox()->setCurrentIndex(0);
  target().soundBox()->setCurrentIndex(2);
  target().layoutBox()->setCurrentIndex(1);
  ConvertAll();
  const ClipRead silent = ReadClip(dir.File("out/phone.zrv"));
  EXPECT_NEAR(int(silent.frames), 10, 1);
  EXPECT_FALSE(silent.sound);
  EXPECT_TRUE(silent.sharedHeader);
  EXPECT_EQ(silent.width, 128);
  EXPECT_EQ(silent.height, 96);
  EXPECT_EQ(FolderEntries(dir.File("out")), (std::vector<std::string>{"mute.zrv", "phone.zrv"}));
  ASSERT_TRUE(window->openFolderButton()->isEnabled());
}

TEST_F(ChangerWindowTest, CancelLeavesNothingAndAnExistingClipIsReplacedOnlyWhenAsked) {
  MakeVideo(dir.File("long.mp4"), 60, "640x480");
  MakeVideo(dir.File("short.mp4"), 1, "160x120");
  const Bytes mine = {'m', 'i', 'n', 'e'};
  WriteFile(dir.File("short.zrv"), mine);
  const std::vector<std::string> before = FolderEntries(dir.path());
  OpenWindow();
  Add({Q(dir.File("long.mp4")), Q(dir.File("short.mp4"))});

  // Keep the existing clip; cancel the long video part way.
  replaceAnswer = ReplaceAnswer::keep;
  window->convertButton()->click();
  EXPECT_EQ(replaceAsked, std::vector<QString>({Q(dir.File("short.zrv"))}));
  EXPECT_EQ(window->resultText(1), "skipped: '" + Q(dir.File("short.zrv")) + "' already exists");
  ASSERT_TRUE(window->converting());
  ASSERT_TRUE(WaitFor([this] { return window->fileProgress()->value() >= 20; }, 60));
  window->cancelButton()->click();
  ASSERT_TRUE(WaitFor([this] { return !window->converting(); }, 30));
  EXPECT_EQ(window->resultText(0), "cancelled");
  EXPECT_LT(window->fileProgress()->value(), window->fileProgress()->maximum());
  EXPECT_EQ(window->statusText(), "cancelled: 0 converted");
  EXPECT_EQ(FolderEntries(dir.path()), before);
  EXPECT_EQ(ReadFile(dir.File("short.zrv")), mine);

  // Replace it.
  window->list()->topLevelItem(0)->setSelected(true);
  window->removeButton()->click();
  replaceAsked.clear();
  replaceAnswer = ReplaceAnswer::replace;
  ConvertAll();
  EXPECT_EQ(replaceAsked.size(), 1u);
  EXPECT_EQ(ReadClip(dir.File("short.zrv")).width, 176);
  EXPECT_EQ(window->statusText(), "finished: 1 converted, 0 failed");
}

// Two videos at once: a long one first and two short ones after it. The
// second starts beside the first and both short ones are done while the
// long one runs; the bar for one video follows the first one under way, the
// list's bar only rises, and rows and report read as one after another.
TEST_F(ChangerWindowTest, TwoVideosAreConvertedAtOnceWithTheirOwnProgress) {
  MakeVideo(dir.File("long.mp4"), 30, "640x480");
  MakeVideo(dir.File("one.mp4"), 1, "160x120");
  MakeVideo(dir.File("two.mkv"), 1, "160x120", true);
  OpenWindow();
  Add({Q(dir.File("long.mp4")), Q(dir.File("one.mp4")), Q(dir.File("two.mkv"))});
  window->convertButton()->click();
  ASSERT_TRUE(window->converting());

  const QString converting = "converting…";
  const QRegularExpression running("^converting (\\d) of 3$");
  int mostAtOnce = 0, listBar = 0, shownVideo = 0, fileBar = 0;
  bool shortOnesDoneFirst = false, barFollowsItsVideo = true;
  ASSERT_TRUE(WaitFor(
      [&] {
        int atOnce = 0;
        for (int row = 0; row < 3; ++row) atOnce += window->resultText(row) == converting;
        mostAtOnce = std::max(mostAtOnce, atOnce);
        shortOnesDoneFirst = shortOnesDoneFirst || (window->resultText(0) == converting &&
                                                    window->resultText(1).startsWith("done, ") &&
                                                    window->resultText(2).startsWith("done, "));
        EXPECT_GE(window->listProgress()->value(), listBar);
        listBar = window->listProgress()->value();
        const QRegularExpressionMatch match = running.match(window->statusText());
        if (match.hasMatch()) {
          // While the status names the same video its bar only rises.
          const int video = match.captured(1).toInt();
          if (video == shownVideo && window->fileProgress()->value() < fileBar) barFollowsItsVideo = false;
          shownVideo = video;
          fileBar = window->fileProgress()->value();
        }
        return !window->converting();
      },
      240));
  EXPECT_EQ(mostAtOnce, 2);
  EXPECT_TRUE(shortOnesDoneFirst);
  EXPECT_TRUE(barFollowsItsVideo);
  EXPECT_EQ(window->statusText(), "finished: 3 converted, 0 failed");
  for (int row = 0; row < 3; ++row) EXPECT_TRUE(window->resultText(row).startsWith("done, ")) << row;
  EXPECT_EQ(window->fileProgress()->value(), window->fileProgress()->maximum());
  EXPECT_EQ(window->listProgress()->value(), window->listProgress()->maximum());
  EXPECT_NEAR(int(ReadClip(dir.File("long.zrv")).frames), 240, 1);
  EXPECT_NEAR(int(ReadClip(dir.File("two.zrv")).frames), 8, 1);
}

TEST_F(ChangerWindowTest, ChineseTexts) {
  MakeVideo(dir.File("a.mp4"), 1, "160x120");
  OpenWindow(kLanguageChinese);
  EXPECT_EQ(window->windowTitle(), QString::fromUtf8("ZRV 转换"));
  EXPECT_EQ(window->convertButton()->text(), QString::fromUtf8("转换"));
  EXPECT_EQ(window->playButton()->text(), QString::fromUtf8("播放"));
  EXPECT_EQ(window->besideInputsChoice()->text(), QString::fromUtf8("每个视频所在的文件夹"));
  EXPECT_EQ(window->list()->headerItem()->text(videoColumnPicture), QString::fromUtf8("画面"));
  EXPECT_EQ(target().soundBox()->itemText(2), QString::fromUtf8("无声音"));
  EXPECT_EQ(target().sizeBox()->itemText(4), QString::fromUtf8("自定义"));
  target().soundBox()->setCurrentIndex(2);
  EXPECT_EQ(target().explanationOf(target().fpsBox()), QString::fromUtf8("没有声音时，播放器每秒显示 5 个画面"));
  Add({Q(dir.File("a.mp4"))});
  ConvertAll();
  EXPECT_TRUE(window->resultText(0).startsWith(QString::fromUtf8("完成，"))) << window->resultText(0).toStdString();
  EXPECT_EQ(window->statusText(), QString::fromUtf8("转换结束：1 个成功，0 个失败"));
}

// Every control that takes the keyboard has a name for screen readers, and
// Tab visits them in the order the window reads.
void ExpectNamedAndInReadingOrder(QWidget& window, const std::vector<QWidget*>& expectedStart) {
  window.activateWindow();
  std::vector<QWidget*> visited;
  QWidget* w = expectedStart.front();
  for (int step = 0; step < 64; ++step) {
    if (w->isEnabled() && w->isVisible()) visited.push_back(w);
    w = w->nextInFocusChain();
    if (w == expectedStart.front()) break;
  }
  for (QWidget* control : visited) {
    if (!(control->focusPolicy() & Qt::TabFocus)) continue;
    EXPECT_FALSE(control->accessibleName().isEmpty()) << control->metaObject()->className();
  }
  // The expected controls come in this order along the chain.
  size_t at = 0;
  for (QWidget* control : visited)
    if (at < expectedStart.size() && control == expectedStart[at]) ++at;
  EXPECT_EQ(at, expectedStart.size());
}

TEST_F(ChangerWindowTest, BothWindowsNameEveryControlAndTabInReadingOrder) {
  for (uint8_t language : {kLanguageEnglish, kLanguageChinese}) {
    OpenWindow(language);
    CChangerOptions& t = target();
    ExpectNamedAndInReadingOrder(
        *window, {window->addFilesButton(), window->addFolderButton(), window->list(), t.sizeBox(), t.fitBox(),
                  t.fpsBox(), t.qualityBox(), t.soundBox(), t.layoutBox(), window->besideInputsChoice(),
                  window->chooseFolderButton()});
    EXPECT_EQ(t.soundBox()->accessibleName(), language == kLanguageEnglish ? "Sound" : QString::fromUtf8("声音"));
    EXPECT_EQ(window->convertButton()->accessibleDescription(), window->convertButton()->toolTip());
    EXPECT_FALSE(window->convertButton()->accessibleDescription().isEmpty());

    UiLanguage = language;
    CConvertWnd convert;
    convert.show();
    ExpectNamedAndInReadingOrder(convert, {convert.addFilesButton(), convert.addFolderButton(), convert.list(),
                                           convert.formatBox(), convert.besideInputsChoice(),
                                           convert.chooseFolderButton()});
    EXPECT_EQ(convert.formatBox()->accessibleName(), language == kLanguageEnglish ? "Format" : QString::fromUtf8("格式"));
  }
}

// What a screen reader says of a widget: its accessible name.
QString SpokenName(QWidget* widget) {
  QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(widget);
  return accessible ? accessible->text(QAccessible::Name) : QString();
}

// Every text of `window` shown whole at its font: each label and button at
// least as large as its text, each list column at least as wide as its
// header, and the window at least its size in dialog units.
void ExpectRoomForEveryText(CConverterWnd& window, QSize windowUnits) {
  QApplication::processEvents();
  const DialogUnits units(window.font());
  EXPECT_GE(window.width(), units.X(windowUnits.width()));
  EXPECT_GE(window.height(), units.Y(windowUnits.height()));
  for (QLabel* label : window.findChildren<QLabel*>()) {
    if (!label->isVisible() || label->text().isEmpty()) continue;
    const QFontMetrics metrics(label->font());
    EXPECT_GE(label->height(), metrics.height()) << label->text().toStdString();
    if (!label->wordWrap()) {
      EXPECT_GE(label->width(), metrics.horizontalAdvance(label->text())) << label->text().toStdString();
    }
  }
  for (QPushButton* button : window.findChildren<QPushButton*>()) {
    if (!button->isVisible()) continue;
    const QSize needed = ButtonSizeForText(button, button->text());
    EXPECT_GE(button->width(), needed.width()) << button->text().toStdString();
    EXPECT_GE(button->height(), needed.height()) << button->text().toStdString();
  }
  QHeaderView* header = window.list()->header();
  for (int column = 0; column < header->count(); ++column)
    EXPECT_GE(header->sectionSize(column), header->sectionSizeHint(column)) << column;
}

TEST_F(ChangerWindowTest, BothWindowsGrowWithTheirFontInBothLanguages) {
  const QFont saved = QApplication::font();
  for (uint8_t language : {kLanguageEnglish, kLanguageChinese}) {
    int smallWidth = 0;
    for (int points : {9, 22}) {
      QFont font = saved;
      font.setPointSize(points);
      QApplication::setFont(font);
      OpenWindow(language);
      ExpectRoomForEveryText(*window, QSize(446, 320));
      UiLanguage = language;
      CConvertWnd convert;
      convert.show();
      ExpectRoomForEveryText(convert, QSize(434, 274));
      if (points == 9) {
        smallWidth = window->width();
      } else {
        EXPECT_GT(window->width(), smallWidth * 2);
      }
    }
  }
  QApplication::setFont(saved);
}

TEST_F(ChangerWindowTest, ScreenReadersMeetAWindowAndHearTheStatusLineAndTheChosenFolder) {
  for (uint8_t language : {kLanguageEnglish, kLanguageChinese}) {
    chosenFolder.clear();
    OpenWindow(language);
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(window.get());
    ASSERT_NE(accessible, nullptr);
    EXPECT_EQ(accessible->role(), QAccessible::Window);
    EXPECT_EQ(accessible->text(QAccessible::Name), window->windowTitle());

    const QString outputFolder = language == kLanguageEnglish ? "Output folder" : QString::fromUtf8("输出文件夹");
    QLabel* status = nullptr;
    QLabel* folder = nullptr;
    for (QLabel* label : window->findChildren<QLabel*>()) {
      if (label->text() == window->statusText()) status = label;
      if (label->accessibleDescription() == outputFolder) folder = label;
    }
    ASSERT_NE(status, nullptr);
    ASSERT_NE(folder, nullptr);
    EXPECT_EQ(SpokenName(status), window->statusText());
    // No folder chosen: nothing shown, nothing read, the room kept.
    EXPECT_FALSE(folder->isVisible());
    const QRect chooseBefore = window->chooseFolderButton()->geometry();

    const std::string video = dir.File(language == kLanguageEnglish ? "en.mp4" : "zh.mp4");
    MakeVideo(video, 1, "160x120");
    Add({Q(video)});
    ConvertAll();
    EXPECT_EQ(SpokenName(status), window->statusText());
    EXPECT_FALSE(window->statusText().isEmpty());

    chosenFolder = Q(dir.path());
    window->chooseFolderButton()->click();
    EXPECT_TRUE(folder->isVisible());
    EXPECT_EQ(SpokenName(folder), QFileInfo(chosenFolder).absoluteFilePath());
    EXPECT_EQ(SpokenName(window->chooseFolderButton()), window->chooseFolderButton()->text());
    EXPECT_EQ(window->chooseFolderButton()->geometry(), chooseBefore);
  }
}

// A refused video reads in the window's language, in its row before the
// run and as its result after it; the program goes on with the others.
TEST_F(ChangerWindowTest, ARefusedVideoReadsInTheWindowsLanguage) {
  WriteFile(dir.File("notes.mp4"), Bytes(300, 'n'));
  MakeVideo(dir.File("good.mp4"), 1, "160x120");
  const QString notes = Q(dir.File("notes.mp4"));
  const struct {
    uint8_t language;
    QString refused;
  } cases[] = {
      {kLanguageChinese, QString::fromUtf8("转换失败：“%1”不是可以读取的视频").arg(notes)},
      {kLanguageEnglish,
       QString("'%1' is not a video that can be read (Invalid data found when processing input)").arg(notes)},
  };
  for (const auto& c : cases) {
    std::filesystem::remove(dir.File("good.zrv"));
    OpenWindow(c.language);
    Add({notes, Q(dir.File("good.mp4"))});
    EXPECT_EQ(window->resultText(0), c.refused);
    ConvertAll();
    EXPECT_EQ(window->resultText(0), c.refused);
    EXPECT_FALSE(window->convertedOutput(1).isEmpty()) << window->resultText(1).toStdString();
  }
}

// Every kind of refusal has its Chinese sentence, which names the file and
// keeps only the libraries' own account in English; English is the import's
// sentence as zrvtool prints it.
TEST(ImportFailureText, EveryKindReadsInChineseAndEnglishIsTheImportsOwnSentence) {
  const uint8_t saved = UiLanguage;
  for (int kind = int(ImportProblem::badOptions); kind <= int(ImportProblem::cancelled); ++kind) {
    ImportFailure failure{ImportProblem(kind), "/v/clip name.mp4", "Some detail"};
    UiLanguage = kLanguageChinese;
    QString chinese = ImportFailureText(failure, "the sentence");
    EXPECT_FALSE(chinese.isEmpty()) << kind;
    const bool namesTheFile = failure.problem != ImportProblem::badOptions;
    EXPECT_EQ(chinese.contains(QString::fromUtf8("“/v/clip name.mp4”")), namesTheFile) << kind;
    chinese.remove(QString::fromUtf8("/v/clip name.mp4")).remove("Some detail").remove("8192 x 8192");
    EXPECT_FALSE(chinese.contains(QRegularExpression("[A-Za-z]"))) << kind << ": " << chinese.toStdString();
    UiLanguage = kLanguageEnglish;
    EXPECT_EQ(ImportFailureText(failure, "the sentence"), "the sentence");
  }
  // Nothing failed: nothing to say in either language.
  UiLanguage = kLanguageChinese;
  EXPECT_TRUE(ImportFailureText(ImportFailure{}, "").isEmpty());
  UiLanguage = saved;
}

}  // namespace
