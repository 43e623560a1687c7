// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// What assistive technologies read of the player window, as Qt hands it to
// them: names and descriptions in the interface's language, the slider
// values, the frame the picture shows, no hidden button, the mnemonics, the
// tab order and a layout that follows the window's font.
#include <QAccessible>
#include <QAccessibleValueInterface>
#include <QAction>
#include <QApplication>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSlider>
#include <set>

#include "player/control_ids.h"
#include "tests/player/player_fixture.h"
#include "ui/dialog_units.h"

namespace {

QAccessibleInterface* Accessible(QWidget* w) { return QAccessible::queryAccessibleInterface(w); }
std::string Name(QWidget* w) { return Accessible(w)->text(QAccessible::Name).toStdString(); }
std::string Description(QWidget* w) { return Accessible(w)->text(QAccessible::Description).toStdString(); }

// Every accessible object below `root`, depth first.
void Collect(QAccessibleInterface* root, std::vector<QAccessibleInterface*>& out) {
  for (int i = 0; i < root->childCount(); ++i) {
    QAccessibleInterface* child = root->child(i);
    if (!child) continue;
    out.push_back(child);
    Collect(child, out);
  }
}

// The letter after each "&" of the texts: the mnemonics.
std::vector<QChar> Mnemonics(const QStringList& texts) {
  std::vector<QChar> letters;
  for (const QString& text : texts) {
    const qsizetype at = text.indexOf(u'&');
    if (at >= 0 && at + 1 < text.size()) letters.push_back(text[at + 1].toLower());
  }
  return letters;
}

bool Unique(const std::vector<QChar>& letters) { return std::set<QChar>(letters.begin(), letters.end()).size() == letters.size(); }

}  // namespace

TEST_F(PlayerTest, ControlsAreNamedInTheInterfaceLanguage) {
  for (const char* locale : {"en_US.UTF-8", "zh_CN.UTF-8"}) {
    const bool english = std::string(locale) == "en_US.UTF-8";
    CPlayerDlg& w = StartWindow(locale);
    EXPECT_EQ(Name(w.control(ids::kPicture)), english ? "picture" : "画面");
    EXPECT_EQ(Name(w.control(ids::kPositionSlider)), english ? "position" : "播放位置");
    EXPECT_EQ(Description(w.control(ids::kPositionSlider)), english ? "drag valid when pausing" : "暂停时拖动有效");
    EXPECT_EQ(Name(w.control(ids::kVolumeSlider)), english ? "volume" : "音量");
    EXPECT_EQ(Description(w.control(ids::kVolumeSlider)), english ? "adjust volume" : "音量调节（左小右大）");
    EXPECT_EQ(Name(w.control(ids::kOpenButton)), english ? "open" : "打开");
    EXPECT_EQ(Name(w.control(ids::kStatusLine)), english ? "Welcome to using ZRV Player" : "欢迎使用ZRV Player");

    // Every object of the window has a name; the hidden default button is
    // not one of them.
    std::vector<QAccessibleInterface*> all;
    Collect(Accessible(&w), all);
    EXPECT_GE(all.size(), 10u);
    for (QAccessibleInterface* object : all) {
      const QString name = object->text(QAccessible::Name);
      // Containers (the client area, the menus' pop-ups) need no name of their own.
      if (object->role() == QAccessible::Separator) continue;
      if (object->childCount() > 0 && object->role() != QAccessible::MenuItem) continue;
      EXPECT_FALSE(name.isEmpty()) << locale << " role " << object->role();
      EXPECT_FALSE(name.startsWith(QStringLiteral("Button"))) << name.toStdString();
    }
    EXPECT_EQ(w.control(ids::kDefaultButton)->parent(), nullptr);
  }
}

TEST_F(PlayerTest, SliderValuesAndThePictureFrameAreRead) {
  CPlayerDlg& w = StartWindow();
  auto* volume = static_cast<QSlider*>(w.control(ids::kVolumeSlider));
  QAccessibleValueInterface* value = Accessible(volume)->valueInterface();
  ASSERT_NE(value, nullptr);
  EXPECT_EQ(value->maximumValue().toInt(), 100);
  volume->setValue(volume->maximum() / 4);
  EXPECT_EQ(value->currentValue().toInt(), 25);
  EXPECT_EQ(Accessible(volume)->text(QAccessible::Value).toStdString(), "25%");
  volume->setValue(volume->maximum());
  EXPECT_EQ(value->currentValue().toInt(), 100);

  MakeClip(m_dir.File("a.zrv"), {"--frames", "10"});
  ASSERT_TRUE(Open(m_dir.File("a.zrv")));
  EXPECT_EQ(Description(w.control(ids::kPicture)), "frame 1");
  w.OnPlay();
  for (int i = 0; i < 4; ++i) w.OnTimer(ids::kPlaybackTimer);
  w.OnPause();
  // Four ticks showed frames 0 to 3; the status line counts the fourth.
  EXPECT_EQ(Description(w.control(ids::kPicture)), "frame 4");
  EXPECT_NE(w.statusText().indexOf(QStringLiteral("current 4 frame")), -1) << w.statusText().toStdString();
  QAccessibleValueInterface* position = Accessible(w.control(ids::kPositionSlider))->valueInterface();
  ASSERT_NE(position, nullptr);
  EXPECT_EQ(position->currentValue().toInt(), 3);
}

TEST_F(PlayerTest, EnglishMnemonicsLeaveTheTextsAsTheyReadAndNeverClash) {
  CPlayerDlg& w = StartWindow();
  QMenuBar* bar = w.findChild<QMenuBar*>();
  ASSERT_NE(bar, nullptr);
  QStringList barTexts;
  for (QAction* top : bar->actions()) {
    barTexts << top->text();
    QStringList items;
    for (QAction* item : top->menu()->actions()) {
      if (item->isSeparator()) continue;
      items << item->text();
      if (item->menu()) {
        QStringList inner;
        for (QAction* a : item->menu()->actions()) inner << a->text();
        EXPECT_EQ(Mnemonics(inner).size(), 3u);
        EXPECT_TRUE(Unique(Mnemonics(inner))) << inner.join(',').toStdString();
      }
    }
    EXPECT_EQ(Mnemonics(items).size(), static_cast<size_t>(items.size())) << items.join(',').toStdString();
    EXPECT_TRUE(Unique(Mnemonics(items))) << items.join(',').toStdString();
  }
  QStringList buttons;
  for (int id : {ids::kOpenButton, ids::kPlayButton, ids::kPauseButton, ids::kDistillButton})
    buttons << static_cast<QPushButton*>(w.control(id))->text();
  // Alt+letter is one command in the whole window: menu bar and buttons share them.
  std::vector<QChar> window = Mnemonics(barTexts);
  for (QChar letter : Mnemonics(buttons)) window.push_back(letter);
  EXPECT_EQ(window.size(), 8u);
  EXPECT_TRUE(Unique(window)) << (barTexts + buttons).join(',').toStdString();
  EXPECT_EQ(w.action(ids::kHelpCheckVersion)->text().toStdString(), "&check new version");

  // The Chinese texts have no letter to mark: they stay exactly as they are.
  CPlayerDlg& chinese = StartWindow("zh_CN.UTF-8");
  EXPECT_EQ(chinese.action(ids::kFileOpen)->text().toStdString(), "打开");
  EXPECT_EQ(static_cast<QPushButton*>(chinese.control(ids::kOpenButton))->text().toStdString(), "打开");
}

TEST_F(PlayerTest, TabGoesFromTheSlidersToTheButtonsInReadingOrder) {
  CPlayerDlg& w = StartWindow();
  MakeClip(m_dir.File("a.zrv"), {"--frames", "10"});
  ASSERT_TRUE(Open(m_dir.File("a.zrv")));  // play and distill enabled
  std::vector<QWidget*> order;
  QWidget* at = w.control(ids::kPositionSlider);
  for (int i = 0; i < 5; ++i) {
    order.push_back(at);
    do at = at->nextInFocusChain();
    while (!(at->focusPolicy() & Qt::TabFocus) || !at->isEnabled() || at == &w);
  }
  EXPECT_EQ(order, (std::vector<QWidget*>{w.control(ids::kPositionSlider), w.control(ids::kVolumeSlider),
                                          w.control(ids::kOpenButton), w.control(ids::kPlayButton),
                                          w.control(ids::kDistillButton)}));
}

TEST_F(PlayerTest, LayoutFollowsTheWindowFontAndKeepsEveryTextWhole) {
  const QFont original = QApplication::font();
  const int buttonIds[] = {ids::kOpenButton, ids::kPlayButton, ids::kPauseButton, ids::kDistillButton};
  int previousWidth = 0;
  for (int points : {9, 14, 22}) {
    QFont font = original;
    font.setPointSize(points);
    QApplication::setFont(font);
    for (const char* locale : {"en_US.UTF-8", "zh_CN.UTF-8"}) {
      CPlayerDlg& w = StartWindow(locale);
      const DialogUnits units(w.font());
      EXPECT_EQ(w.picture().size(), units.ToPixels(232, 133)) << points;
      for (int id : buttonIds) {
        auto* b = static_cast<QPushButton*>(w.control(id));
        const QSize needed = ButtonSizeForText(b, b->text());
        EXPECT_GE(b->width(), needed.width()) << points << " " << b->text().toStdString();
        EXPECT_GE(b->height(), needed.height()) << points;
      }
      // One row of buttons, apart from each other, inside the window.
      for (int i = 0; i + 1 < 4; ++i)
        EXPECT_LT(w.control(buttonIds[i])->geometry().right(), w.control(buttonIds[i + 1])->x()) << points;
      QWidget* status = w.control(ids::kStatusLine);
      EXPECT_LE(w.control(ids::kDistillButton)->geometry().right(), status->geometry().right());
      EXPECT_GE(status->height(), QFontMetrics(status->font()).height()) << points;
      EXPECT_LE(status->geometry().bottom(), w.control(ids::kOpenButton)->y()) << points;
      if (std::string(locale) == "en_US.UTF-8") {
        EXPECT_GT(w.sizeHint().width(), previousWidth) << points;
        previousWidth = w.sizeHint().width();
      }
    }
  }
  m_window.reset();
  QApplication::setFont(original);
}

TEST_F(PlayerTest, ArrowKeysOnThePositionSliderSeekWhenLetGo) {
  CPlayerDlg& w = StartWindow();
  MakeClip(m_dir.File("a.zrv"), {"--frames", "10"});
  ASSERT_TRUE(Open(m_dir.File("a.zrv")));
  QWidget* position = w.control(ids::kPositionSlider);
  auto key = [position](QEvent::Type type, Qt::Key which, bool repeated = false) {
    QKeyEvent event(type, which, Qt::NoModifier, QString(), repeated);
    QApplication::sendEvent(position, &event);
    QApplication::processEvents();
  };
  // Held down, the key moves the slider without seeking; let go, it seeks.
  key(QEvent::KeyPress, Qt::Key_Right);
  key(QEvent::KeyRelease, Qt::Key_Right, true);
  key(QEvent::KeyPress, Qt::Key_Right, true);
  key(QEvent::KeyPress, Qt::Key_Right, true);
  EXPECT_EQ(w.session().currentFrame, 0u);
  key(QEvent::KeyRelease, Qt::Key_Right);
  EXPECT_EQ(w.session().currentFrame, 3u);
  EXPECT_EQ(w.statusText().toStdString(), "no sound...total 10 frames,current 3 frame");
  EXPECT_EQ(Description(w.control(ids::kPicture)), "frame 4");
  // Other keys are no seek.
  key(QEvent::KeyPress, Qt::Key_End);
  key(QEvent::KeyRelease, Qt::Key_A);
  EXPECT_EQ(w.session().currentFrame, 3u);
}
