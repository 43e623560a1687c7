// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QSlider>
#include <QTimer>
#include <QWindow>

#include "desktop/language_id.h"
#include "image/image_warning.h"
#include "ui/message_box.h"
#include "ui/language.h"
#include "player/control_ids.h"
#include "tests/player/player_fixture.h"

namespace {

std::string TextOf(QWidget* w) {
  // A mnemonic's marker is drawn as an underline, not read as a letter.
  if (auto* b = qobject_cast<QPushButton*>(w)) return QString(b->text()).remove(u'&').toStdString();
  return static_cast<QLabel*>(w)->text().toStdString();
}

}  // namespace

TEST(LanguageId, LocalesMapToWindowsIds) {
  EXPECT_EQ(LanguageIdFromLocale("zh_CN"), 0x0804);
  EXPECT_EQ(LanguageIdFromLocale("zh_CN.UTF-8"), 0x0804);
  EXPECT_EQ(LanguageIdFromLocale("zh_TW.UTF-8"), 0x0404);
  EXPECT_EQ(LanguageIdFromLocale("zh_HK"), 0x0C04);
  EXPECT_EQ(LanguageIdFromLocale("zh_SG"), 0x1004);
  EXPECT_EQ(LanguageIdFromLocale("en_US.UTF-8"), 0x0409);
  EXPECT_EQ(LanguageIdFromLocale("en_GB@euro"), 0x0809);
  EXPECT_EQ(LanguageIdFromLocale("de_DE.UTF-8"), 0x0407);
  EXPECT_EQ(LanguageIdFromLocale("C"), 0x0409);
  EXPECT_EQ(LanguageIdFromLocale("POSIX"), 0x0409);
  EXPECT_EQ(LanguageIdFromLocale(""), 0x0409);

  EXPECT_EQ(InterfaceLanguageFor(0x0804), kLanguageChinese);
  for (uint16_t id : {0x0404, 0x0C04, 0x1004, 0x0409}) EXPECT_EQ(InterfaceLanguageFor(id), kLanguageEnglish);

  // LC_ALL comes before LC_MESSAGES, which comes before LANG.
  setenv("LANG", "zh_CN.UTF-8", 1);
  setenv("LC_MESSAGES", "zh_TW.UTF-8", 1);
  setenv("LC_ALL", "", 1);
  EXPECT_EQ(SystemDefaultLangID(), 0x0404);
  unsetenv("LC_MESSAGES");
  EXPECT_EQ(SystemDefaultLangID(), 0x0804);
  unsetenv("LANG");
  unsetenv("LC_ALL");
  EXPECT_EQ(SystemDefaultLangID(), 0x0409);
}

TEST_F(PlayerTest, ChineseWindowKeepsTheResourceTexts) {
  CPlayerDlg& w = StartWindow("zh_CN.UTF-8");
  EXPECT_EQ(UiLanguage, kLanguageChinese);
  EXPECT_EQ(TextOf(w.control(ids::kStatusLine)), "欢迎使用ZRV Player");
  EXPECT_EQ(TextOf(w.control(ids::kOpenButton)), "打开");
  EXPECT_EQ(TextOf(w.control(ids::kDistillButton)), "提取");
  EXPECT_EQ(w.action(ids::kAlwaysOnTop)->text().toStdString(), "总在最前");
  EXPECT_EQ(w.control(ids::kPositionSlider)->toolTip().toStdString(), "暂停时拖动有效");
  EXPECT_EQ(w.control(ids::kVolumeSlider)->toolTip().toStdString(), "音量调节（左小右大）");
  EXPECT_EQ(w.windowTitle().toStdString(), "ZRV Player V1.8");
}

TEST_F(PlayerTest, EnglishWindowHasEveryEnglishTextAndTheSameStates) {
  for (const char* locale : {"en_US.UTF-8", "zh_TW.UTF-8", "C"}) {
    CPlayerDlg& w = StartWindow(locale);
    EXPECT_EQ(UiLanguage, kLanguageEnglish) << locale;
    EXPECT_EQ(TextOf(w.control(ids::kStatusLine)), "Welcome to using ZRV Player");
    EXPECT_EQ(TextOf(w.control(ids::kOpenButton)), "open");
    EXPECT_EQ(TextOf(w.control(ids::kPlayButton)), "play");
    EXPECT_EQ(TextOf(w.control(ids::kPauseButton)), "pause");
    EXPECT_EQ(TextOf(w.control(ids::kDistillButton)), "distill");
    EXPECT_EQ(w.control(ids::kPositionSlider)->toolTip().toStdString(), "drag valid when pausing");
    EXPECT_EQ(w.control(ids::kVolumeSlider)->toolTip().toStdString(), "adjust volume");

    const std::pair<int, const char*> items[] = {
        {ids::kFileOpen, "open"},          {ids::kFileQuit, "quit"},
        {ids::kSpeedQuick, "quick"},       {ids::kSpeedNormal, "normal"},
        {ids::kSpeedSlow, "slow"},         {ids::kZoomBig, "big"},
        {ids::kZoomNormal, "normal"},      {ids::kZoomSmall, "small"},
        {ids::kAlwaysOnTop, "always on top"}, {ids::kToolVideoConvert, "Video Convert"},
        {ids::kToolZrvChanger, "ZRV Changer"}, {ids::kHelpCheckVersion, "check new version"},
        {ids::kHelpManual, "software manual"}, {ids::kHelpAbout, "about"},
    };
    for (const auto& [id, text] : items) EXPECT_EQ(w.action(id)->iconText().toStdString(), text);

    // The states after start-up are those of the Chinese window.
    for (int id : {ids::kSpeedQuick, ids::kSpeedNormal, ids::kSpeedSlow, ids::kZoomBig,
                   ids::kZoomNormal, ids::kZoomSmall})
      EXPECT_FALSE(w.action(id)->isEnabled()) << id;
    EXPECT_TRUE(w.action(ids::kSpeedNormal)->isChecked());
    EXPECT_TRUE(w.action(ids::kZoomNormal)->isChecked());
    EXPECT_FALSE(w.action(ids::kSpeedQuick)->isChecked());
    EXPECT_TRUE(w.action(ids::kAlwaysOnTop)->isChecked());
    EXPECT_TRUE(w.windowFlags() & Qt::WindowStaysOnTopHint);

    const QList<QAction*> context = w.contextMenu()->actions();
    ASSERT_EQ(context.size(), 2);
    EXPECT_TRUE(context[0]->isSeparator());
    EXPECT_EQ(context[1]->text().toStdString(), "About ZRV Player");
  }
}

TEST_F(PlayerTest, EscapeAndEnterDoNothingAndOnTopToggles) {
  CPlayerDlg& w = StartWindow();
  w.show();
  for (int key : {Qt::Key_Escape, Qt::Key_Return, Qt::Key_Enter}) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(&w, &press);
    EXPECT_TRUE(w.isVisible()) << key;
  }
  const QRect place = w.geometry();
  w.OnAlwaysOnTop();
  EXPECT_FALSE(w.alwaysOnTop());
  EXPECT_FALSE(w.action(ids::kAlwaysOnTop)->isChecked());
  EXPECT_FALSE(w.windowFlags() & Qt::WindowStaysOnTopHint);
  EXPECT_EQ(w.geometry().size(), place.size());
  w.OnAlwaysOnTop();
  EXPECT_TRUE(w.action(ids::kAlwaysOnTop)->isChecked());
  EXPECT_TRUE(w.windowFlags() & Qt::WindowStaysOnTopHint);

  // Quit closes through the same clean-up as the close box.
  w.action(ids::kFileQuit)->trigger();
  EXPECT_FALSE(w.isVisible());
  EXPECT_TRUE(w.privateTempDir().empty());
}

TEST_F(PlayerTest, OnTopTogglesWhileTheProgramRunsWithoutEndingIt) {
  // The program shows its window and runs until the window closes; a window
  // hidden on the way would end that run, and with it the program.
  CPlayerDlg& w = StartWindow();
  bool stillRunning = false;
  QRect placeBefore, placeAfter;
  QTimer::singleShot(50, &w, [&] {
    placeBefore = w.geometry();
    w.action(ids::kAlwaysOnTop)->trigger();
    EXPECT_FALSE(w.action(ids::kAlwaysOnTop)->isChecked());
    EXPECT_FALSE(w.windowFlags() & Qt::WindowStaysOnTopHint);
    w.action(ids::kAlwaysOnTop)->trigger();
    EXPECT_TRUE(w.action(ids::kAlwaysOnTop)->isChecked());
    EXPECT_TRUE(w.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(w.windowHandle()->flags() & Qt::WindowStaysOnTopHint);
    QTimer::singleShot(50, &w, [&] {
      stillRunning = w.isVisible();
      placeAfter = w.geometry();
      w.action(ids::kFileQuit)->trigger();
    });
  });
  QObject::connect(&w, &QDialog::finished, qApp, &QCoreApplication::quit);
  w.show();
  QApplication::exec();
  EXPECT_TRUE(stillRunning);
  EXPECT_EQ(placeAfter, placeBefore);
}

TEST_F(PlayerTest, TheWindowIsAnOrdinaryMainWindow) {
  CPlayerDlg& w = StartWindow();
  w.show();
  ASSERT_TRUE(w.isVisible());
  ASSERT_NE(w.windowHandle(), nullptr);
  // To the window manager: a normal top-level window without a modal state.
  EXPECT_EQ(w.windowHandle()->type(), Qt::Window);
  EXPECT_EQ(w.windowHandle()->modality(), Qt::NonModal);
  EXPECT_FALSE(w.isModal());
  // To screen readers: a frame (Qt's window role), named by its title.
  QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(&w);
  ASSERT_NE(accessible, nullptr);
  EXPECT_EQ(accessible->role(), QAccessible::Window);
  EXPECT_EQ(accessible->text(QAccessible::Name), w.windowTitle());
  // The rest as it was: minimise and close boxes, no maximise box, on top.
  const Qt::WindowFlags flags = w.windowHandle()->flags();
  EXPECT_TRUE(flags & Qt::WindowMinimizeButtonHint);
  EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
  EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
  EXPECT_TRUE(flags & Qt::WindowStaysOnTopHint);
  w.action(ids::kFileQuit)->trigger();
}

TEST_F(PlayerTest, TheImageLayersWarningIsAMessageBoxOverTheWindow) {
  std::vector<MessageBoxRequest> boxes;
  SetMessageBoxShower([&boxes](const MessageBoxRequest& r) { boxes.push_back(r); });
  {
    CPlayerDlg& w = StartWindow();
    ShowImageWarning("CImageImpl::imagePalette already exists!");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text.toStdString(), "CImageImpl::imagePalette already exists!");
    EXPECT_EQ(boxes[0].caption.toStdString(), "ZRV Player");
    EXPECT_EQ(boxes[0].parent, &w);
    m_window.reset();
  }
  // Once the window is gone the warning no longer goes to it.
  ShowImageWarning("after");
  EXPECT_EQ(boxes.size(), 1u);
  SetMessageBoxShower({});
}

TEST_F(PlayerTest, ChineseMenusAndStatesAfterStartUp) {
  CPlayerDlg& w = StartWindow("zh_CN.UTF-8");
  const std::pair<int, const char*> items[] = {
      {ids::kFileOpen, "打开"},          {ids::kFileQuit, "退出"},
      {ids::kSpeedQuick, "快速"},        {ids::kSpeedNormal, "正常"},
      {ids::kSpeedSlow, "慢速"},         {ids::kZoomBig, "放大"},
      {ids::kZoomNormal, "正常"},        {ids::kZoomSmall, "缩小"},
      {ids::kAlwaysOnTop, "总在最前"},   {ids::kToolVideoConvert, "视频转换"},
      {ids::kToolZrvChanger, "ZRV 转换"}, {ids::kHelpCheckVersion, "检查最新版本"},
      {ids::kHelpManual, "使用说明"},    {ids::kHelpAbout, "关于"},
  };
  for (const auto& [id, text] : items) EXPECT_EQ(w.action(id)->text().toStdString(), text) << id;
  // The menus that hold them.
  auto menuOf = [&w](int id) { return qobject_cast<QMenu*>(w.action(id)->parent())->title().toStdString(); };
  EXPECT_EQ(menuOf(ids::kFileOpen), "文件");
  EXPECT_EQ(menuOf(ids::kSpeedQuick), "速度");
  EXPECT_EQ(menuOf(ids::kZoomBig), "缩放");
  EXPECT_EQ(menuOf(ids::kAlwaysOnTop), "播放");
  EXPECT_EQ(menuOf(ids::kToolVideoConvert), "工具");
  EXPECT_EQ(menuOf(ids::kHelpAbout), "帮助");

  for (int id : {ids::kSpeedQuick, ids::kSpeedNormal, ids::kSpeedSlow, ids::kZoomBig,
                 ids::kZoomNormal, ids::kZoomSmall})
    EXPECT_FALSE(w.action(id)->isEnabled()) << id;
  EXPECT_TRUE(w.action(ids::kSpeedNormal)->isChecked());
  EXPECT_TRUE(w.action(ids::kZoomNormal)->isChecked());
  EXPECT_TRUE(w.action(ids::kAlwaysOnTop)->isChecked());
  EXPECT_FALSE(w.control(ids::kPlayButton)->isEnabled());
  EXPECT_EQ(TextOf(w.control(ids::kPlayButton)), "播放");
  EXPECT_EQ(TextOf(w.control(ids::kPauseButton)), "暂停");
  EXPECT_EQ(w.contextMenu()->actions().back()->text().toStdString(), "关于 ZRV Player");
}

TEST_F(PlayerTest, ChineseMessagesOfOpeningPlayingAndSeeking) {
  CPlayerDlg& w = StartWindow("zh_CN.UTF-8");
  auto status = [&w] { return w.statusText().toStdString(); };
  AnswerOpen(m_dir.File("missing.zrv"));
  EXPECT_FALSE(w.OnOpen());
  EXPECT_EQ(status(), "打开'missing'文件时发生错误!");
  WriteFile(m_dir.File("noise.zrv"), Bytes(5000, 0x41));
  EXPECT_FALSE(Open(m_dir.File("noise.zrv")));
  EXPECT_EQ(status(), "noise文件不符合要求!");

  MakeClip(m_dir.File("quiet.zrv"), {"--frames", "12"});
  ASSERT_TRUE(Open(m_dir.File("quiet.zrv")));
  EXPECT_EQ(status(), "无声音...共12帧");
  w.OnPlay();
  w.OnTimer(ids::kPlaybackTimer);
  EXPECT_EQ(status(), "无声音...共12帧,当前第1帧,帧速为5帧/s");

  MakeClip(m_dir.File("tone.zrv"), {"--frames", "24", "--fps", "8", "--sound", "tone"});
  ASSERT_TRUE(Open(m_dir.File("tone.zrv")));
  EXPECT_EQ(status(), "含有声音...共24帧");
  w.OnPlay();
  for (int i = 0; i < 3; ++i) w.OnTimer(ids::kPlaybackTimer);
  EXPECT_EQ(status(), "含有声音...共24帧,当前第3帧,帧速为8帧/s");
  w.OnPause();
  auto* slider = static_cast<QSlider*>(w.control(ids::kPositionSlider));
  slider->setValue(10);
  w.OnReleasedCaptureSlider();
  EXPECT_EQ(status(), "含有声音...共24帧,当前第10帧");

  // Without a private folder the sound cannot be prepared.
  w.tempDir().Remove();
  EXPECT_FALSE(Open(m_dir.File("tone.zrv")));
  EXPECT_EQ(status(), "处理音频时发生错误!");
}
