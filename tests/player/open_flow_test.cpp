// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
#include <QAction>
#include <QApplication>
#include <QThread>
#include <QDir>
#include <QLabel>
#include <QSlider>
#include <QTimer>
#include <cstdio>
#include <sys/stat.h>

#include "player/control_ids.h"
#include "tests/player/player_fixture.h"

namespace {

std::string Title(CPlayerDlg& w) { return w.windowTitle().toStdString(); }
std::string Status(CPlayerDlg& w) { return w.statusText().toStdString(); }

// Lets the window take what came from other threads until `done`.
bool ProcessEventsUntil(const std::function<bool()>& done) {
  for (int i = 0; i < 2000 && !done(); ++i) {
    QApplication::processEvents(QEventLoop::AllEvents, 10);
    QThread::msleep(5);
  }
  return done();
}

bool ShowsAPicture(const QImage& picture) {
  for (int y = 0; y < picture.height(); ++y)
    for (int x = 0; x < picture.width(); ++x)
      if ((picture.pixel(x, y) & 0xFFFFFF) != 0) return true;
  return false;
}

}  // namespace

TEST_F(PlayerTest, EveryOpenFailureIsNamedAndLeavesNoFile) {
  CPlayerDlg& w = StartWindow();
  WriteFile(m_dir.File("empty.zrv"), {});
  WriteFile(m_dir.File("noise.zrv"), Bytes(5000, 0x41));

  struct Case {
    std::string path;
    std::string message;
  } cases[] = {
      {m_dir.File("missing.zrv"), "open'missing'file error!"},
      {m_dir.path(), "open'zrvtest'file error!"},  // a folder; its name is zrvtest.XXXXXX
      {m_dir.File("empty.zrv"), "emptyfile not accord to demands!"},
      {m_dir.File("noise.zrv"), "noisefile not accord to demands!"},
  };
  for (const Case& c : cases) {
    EXPECT_FALSE(Open(c.path));
    EXPECT_EQ(Status(w), c.message);
    EXPECT_EQ(w.session().state, stateNoFile);
    EXPECT_EQ(Title(w), "ZRV Player V1.8");
    EXPECT_FALSE(w.control(ids::kPlayButton)->isEnabled());
  }

  // Cancelling the dialog changes nothing at all, not even while a clip plays.
  MakeClip(m_dir.File("tone.zrv"), {"--frames", "24", "--sound", "tone"});
  ASSERT_TRUE(Open(m_dir.File("tone.zrv")));
  w.OnPlay();
  for (int i = 0; i < 9; ++i) w.OnTimer(ids::kPlaybackTimer);
  const std::string before = Status(w);
  EXPECT_FALSE(Open(""));
  EXPECT_EQ(Status(w), before);
  EXPECT_EQ(Title(w), "tone");
  EXPECT_EQ(w.session().state, statePlaying);
  EXPECT_EQ(w.session().currentFrame, 9u);
  EXPECT_TRUE(w.wave().m_bPlaying);
}

TEST_F(PlayerTest, NamedPipeIsRefusedAtOnceAndTheClipPlaysOn) {
  CPlayerDlg& w = StartWindow();
  MakeClip(m_dir.File("tone.zrv"), {"--frames", "24", "--sound", "tone"});
  ASSERT_TRUE(Open(m_dir.File("tone.zrv")));
  w.OnPlay();
  ASSERT_EQ(::mkfifo(m_dir.File("pipe.zrv").c_str(), 0600), 0);

  // Nothing ever writes to the pipe: waiting for a writer would freeze the
  // window for good.
  EXPECT_FALSE(Open(m_dir.File("pipe.zrv")));
  EXPECT_EQ(Status(w), "open'pipe'file error!");
  EXPECT_EQ(w.session().state, statePlaying);
  EXPECT_EQ(Title(w), "tone");
  w.OnDropFiles({QString::fromStdString(m_dir.File("pipe.zrv"))});
  EXPECT_EQ(Status(w), "open'pipe'file error!");
  EXPECT_EQ(w.session().state, statePlaying);
  EXPECT_EQ(w.session().index.frameCount, 24u);
}

TEST_F(PlayerTest, FileNamesAreShownAsTheyAreNotAsMarkup) {
  CPlayerDlg& w = StartWindow();
  EXPECT_FALSE(Open(m_dir.File("<b>x.zrv")));
  EXPECT_EQ(Status(w), "open'<b>x'file error!");

  // The status line must look exactly like a plain-text label of that text:
  // as markup the tags would vanish and the x turn bold.
  auto* status = static_cast<QLabel*>(w.control(ids::kStatusLine));
  QLabel plain(status->parentWidget());
  plain.setTextFormat(Qt::PlainText);
  plain.setGeometry(status->geometry());
  plain.setText(status->text());
  EXPECT_TRUE(status->grab().toImage() == plain.grab().toImage());
  plain.setTextFormat(Qt::RichText);
  EXPECT_FALSE(status->grab().toImage() == plain.grab().toImage());
}

TEST_F(PlayerTest, WithoutAPrivateFolderNothingIsWrittenAnywhereElse) {
  CPlayerDlg& w = StartWindow();
  MakeClip(m_dir.File("tone.zrv"), {"--frames", "10", "--sound", "tone"});
  MakeClip(m_dir.File("quiet.zrv"), {"--frames", "10"});
  w.tempDir().Remove();
  for (const char* name : {"zrvplayer_tmp.amr", "zrvplayer_tmp.wav", "zrvplayer_tmp.jpg"})
    std::remove((std::string("/") + name).c_str());

  // The sound cannot be prepared, and a silent clip's frame cannot be shown;
  // each says so, and the window goes on working.
  EXPECT_FALSE(Open(m_dir.File("tone.zrv")));
  EXPECT_EQ(Status(w), "dispose audio error!");
  EXPECT_EQ(w.session().state, stateNoFile);
  EXPECT_TRUE(Open(m_dir.File("quiet.zrv")));
  EXPECT_EQ(Status(w), "play error!");
  for (const char* name : {"zrvplayer_tmp.amr", "zrvplayer_tmp.wav", "zrvplayer_tmp.jpg"})
    EXPECT_FALSE(FileExists(std::string("/") + name)) << name;

  ASSERT_TRUE(w.tempDir().Create(m_dir.path()));
  EXPECT_TRUE(Open(m_dir.File("tone.zrv")));
  EXPECT_EQ(Status(w), "have sound...total 10 frames");
}

TEST_F(PlayerTest, FailedOpenWhilePlayingKeepsOrDropsTheOldClipAsItShould) {
  CPlayerDlg& w = StartWindow();
  MakeClip(m_dir.File("tone.zrv"), {"--frames", "24", "--sound", "tone"});
  ASSERT_TRUE(Open(m_dir.File("tone.zrv")));
  w.OnPlay();
  for (int i = 0; i < 9; ++i) w.OnTimer(ids::kPlaybackTimer);
  ASSERT_TRUE(w.wave().m_bPlaying);

  // A file that cannot be opened: the old clip plays on.
  EXPECT_FALSE(Open(m_dir.File("missing.zrv")));
  EXPECT_EQ(w.session().state, statePlaying);
  EXPECT_EQ(Title(w), "tone");
  EXPECT_TRUE(w.wave().m_bPlaying);

  // A file without frames: the old clip is gone, and so is its sound.
  WriteFile(m_dir.File("noise.zrv"), Bytes(100, 0x41));
  EXPECT_FALSE(Open(m_dir.File("noise.zrv")));
  EXPECT_EQ(w.session().state, stateNoFile);
  EXPECT_FALSE(w.wave().m_bPlaying);
  EXPECT_EQ(w.wave().m_wDeviceID, 0);
  EXPECT_FALSE(w.session().index.hasSound);
}

TEST_F(PlayerTest, OpeningSetsTitleStatusSliderAndInterval) {
  CPlayerDlg& w = StartWindow();
  MakeClip(m_dir.File("quiet.gzrv"), {"--frames", "12"});
  ASSERT_TRUE(Open(m_dir.File("quiet.gzrv")));
  EXPECT_EQ(Title(w), "quiet");
  EXPECT_EQ(Status(w), "no sound...total 12 frames");
  EXPECT_EQ(w.session().interval, 200u);
  auto* slider = static_cast<QSlider*>(w.control(ids::kPositionSlider));
  EXPECT_EQ(slider->minimum(), 0);
  EXPECT_EQ(slider->maximum(), 10);

  // Speed and zoom go back to normal with the next clip. 10 s of sound over
  // 73 frames plays at 142 ms a frame.
  w.OnSpeedSlow();
  w.OnZoomBig();
  WriteToneWav(m_dir.File("ten.wav"), 10000);
  MakeClip(m_dir.File("sound.zrv"), {"--frames", "73", "--sound", m_dir.File("ten.wav")});
  ASSERT_TRUE(Open(m_dir.File("sound.zrv")));
  EXPECT_EQ(Status(w), "have sound...total 73 frames");
  EXPECT_EQ(w.wave().GetLength(), 10000u);
  EXPECT_EQ(w.session().interval, 142u);
  EXPECT_EQ(w.session().speedMode, speedNormal);
  EXPECT_EQ(w.session().zoomMode, zoomNormal);
  EXPECT_TRUE(w.action(ids::kSpeedNormal)->isChecked());
  EXPECT_FALSE(w.action(ids::kSpeedSlow)->isChecked());
  EXPECT_TRUE(w.action(ids::kZoomNormal)->isChecked());

  // One frame: the slider's range ends below its start.
  MakeClip(m_dir.File("one.zrv"), {"--frames", "1"});
  ASSERT_TRUE(Open(m_dir.File("one.zrv")));
  EXPECT_EQ(slider->maximum(), slider->minimum());
}

TEST_F(PlayerTest, DroppedAndCommandLineFilesOpenWithoutAsking) {
  MakeClip(m_dir.File("a.zrv"), {"--frames", "5"});
  MakeClip(m_dir.File("b.zrv"), {"--frames", "6"});
  ASSERT_EQ(std::rename(m_dir.File("b.zrv").c_str(), m_dir.File("b.dat").c_str()), 0);

  // A relative path on the command line is taken from the current folder.
  const QString here = QDir::currentPath();
  QDir::setCurrent(QString::fromStdString(m_dir.path()));
  CPlayerDlg& w = StartWindow("en_US.UTF-8", {"a.zrv"});
  QDir::setCurrent(here);
  EXPECT_EQ(w.session().state, stateLoaded);
  EXPECT_EQ(Title(w), "a");

  // Any extension is read; of several dropped files only the first counts.
  w.m_chooseOpenFile = [](const QString&) -> std::optional<ChosenFile> {
    ADD_FAILURE() << "a drop must not ask";
    return std::nullopt;
  };
  w.OnDropFiles({QString::fromStdString(m_dir.File("b.dat")),
                 QString::fromStdString(m_dir.File("a.zrv")), "/nonexistent"});
  EXPECT_EQ(Title(w), "b");
  EXPECT_EQ(w.session().index.frameCount, 6u);
  EXPECT_TRUE(w.m_strPendingPath.empty());
}

TEST_F(PlayerTest, ClosingRemovesThePrivateFolder) {
  CPlayerDlg& w = StartWindow();
  const std::string folder = w.privateTempDir();
  ASSERT_FALSE(folder.empty());
  EXPECT_EQ(folder.rfind(m_dir.path(), 0), 0u);  // inside $TMP
  MakeClip(m_dir.File("tone.zrv"), {"--frames", "10", "--sound", "tone"});
  ASSERT_TRUE(Open(m_dir.File("tone.zrv")));
  EXPECT_TRUE(FileExists(folder + "/zrvplayer_tmp.wav"));
  EXPECT_TRUE(FileExists(folder + "/zrvplayer_tmp.jpg"));

  w.OnCancel();
  EXPECT_FALSE(FileExists(folder));
  EXPECT_EQ(w.wave().m_wDeviceID, 0);
  // The clip itself is only ever read.
  EXPECT_TRUE(FileExists(m_dir.File("tone.zrv")));
}

// A clip beyond what is read at once: the open returns with its first frame
// on screen; play waits for the frame count, and the status line, slider and
// pace come when the rest is read, as an open at once sets them.
TEST_F(PlayerTest, ALargeClipShowsItsFirstFrameAtOnceAndItsCountWhenRead) {
  CPlayerDlg& w = StartWindow();
  WriteToneWav(m_dir.File("ten.wav"), 10000);
  MakeClip(m_dir.File("sound.zrv"), {"--frames", "73", "--sound", m_dir.File("ten.wav")});
  MakeClip(m_dir.File("quiet.zrv"), {"--frames", "12"});
  auto* slider = static_cast<QSlider*>(w.control(ids::kPositionSlider));
  QWidget* play = w.control(ids::kPlayButton);
  w.m_readAtOnceBytes = 0;

  ASSERT_TRUE(Open(m_dir.File("sound.zrv")));
  ASSERT_TRUE(w.session().indexing);
  EXPECT_EQ(Title(w), "sound");
  EXPECT_EQ(w.session().state, stateLoaded);
  EXPECT_TRUE(ShowsAPicture(w.picture()));
  EXPECT_EQ(Status(w), "");
  EXPECT_FALSE(play->isEnabled());
  w.OnPlay();
  EXPECT_EQ(w.session().state, stateLoaded);

  ASSERT_TRUE(ProcessEventsUntil([&] { return !w.session().indexing; }));
  EXPECT_EQ(Status(w), "have sound...total 73 frames");
  EXPECT_EQ(w.session().index.frameCount, 73u);
  EXPECT_EQ(slider->maximum(), 71);
  EXPECT_EQ(w.wave().GetLength(), 10000u);
  EXPECT_EQ(w.session().interval, 142u);
  EXPECT_TRUE(play->isEnabled());

  // Another clip opened while one is read: the first one's end changes
  // nothing, whenever it comes.
  ASSERT_TRUE(Open(m_dir.File("sound.zrv")));
  ASSERT_TRUE(Open(m_dir.File("quiet.zrv")));
  ASSERT_TRUE(ProcessEventsUntil([&] { return !w.session().indexing; }));
  for (int i = 0; i < 20; ++i) QApplication::processEvents();
  EXPECT_EQ(Title(w), "quiet");
  EXPECT_EQ(Status(w), "no sound...total 12 frames");
  EXPECT_EQ(w.session().interval, 200u);
  EXPECT_FALSE(w.session().index.hasSound);

  // Closing while a clip is read stops the reading first.
  const std::string folder = w.privateTempDir();
  ASSERT_TRUE(Open(m_dir.File("sound.zrv")));
  w.OnCancel();
  EXPECT_FALSE(FileExists(folder));
  EXPECT_EQ(w.session().reading, nullptr);
}
