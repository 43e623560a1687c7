// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// The hyperlink control: colours and hover, fitting to the text, and what a
// click does with the desktop, with $BROWSER and when both fail.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QStandardPaths>
#include <QWidget>
#include <filesystem>
#include <memory>
#include <unistd.h>

#include "tests/support/test_support.h"
#include "tests/ui/ui_test_support.h"
#include "ui/link_static.h"

namespace {

const QColor kLinkColour(0, 0, 238);
const QColor kHoverColour(0, 128, 255);
const QString kMailTarget = QStringLiteral("mailto:zrvplayer@qorvex.example");

void SendMouse(QWidget* widget, QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons held) {
  QMouseEvent event(type, QPointF(at), QPointF(widget->mapToGlobal(at)), button, held, Qt::NoModifier);
  QApplication::sendEvent(widget, &event);
}

void MoveOver(QWidget* widget, QPoint at, Qt::MouseButtons held = Qt::NoButton) {
  SendMouse(widget, QEvent::MouseMove, at, Qt::NoButton, held);
}

void Click(QWidget* widget) {
  const QPoint centre = widget->rect().center();
  SendMouse(widget, QEvent::MouseButtonPress, centre, Qt::LeftButton, Qt::LeftButton);
  SendMouse(widget, QEvent::MouseButtonRelease, centre, Qt::LeftButton, Qt::NoButton);
}

QColor DrawnColour(const QWidget* widget) { return widget->palette().color(QPalette::WindowText); }

// A desktop for xdg-open in which nothing is known: no desktop environment,
// no applications, no default handlers. A test may register one.
class EmptyDesktop {
 public:
  EmptyDesktop()
      : m_data("XDG_DATA_HOME", m_dir.File("data")), m_dataDirs("XDG_DATA_DIRS", m_dir.File("none")),
        m_config("XDG_CONFIG_HOME", m_dir.File("config")), m_configDirs("XDG_CONFIG_DIRS", m_dir.File("none")),
        m_current("XDG_CURRENT_DESKTOP", std::nullopt), m_session("DESKTOP_SESSION", std::nullopt),
        m_display("DISPLAY", std::nullopt), m_wayland("WAYLAND_DISPLAY", std::nullopt) {
    std::filesystem::create_directories(m_dir.File("data/applications"));
    std::filesystem::create_directories(m_dir.File("config"));
  }

  // `program` becomes the default application for `scheme`.
  void RegisterHandler(const std::string& scheme, const std::string& program) {
    const std::string entry = "[Desktop Entry]\nType=Application\nName=Recorder\nExec=\"" + program +
                              "\" %u\nMimeType=x-scheme-handler/" + scheme + ";\n";
    WriteFile(m_dir.File("data/applications/recorder.desktop"), Bytes(entry.begin(), entry.end()));
    const std::string list = "[Default Applications]\nx-scheme-handler/" + scheme + "=recorder.desktop\n";
    WriteFile(m_dir.File("config/mimeapps.list"), Bytes(list.begin(), list.end()));
  }

 private:
  TempDir m_dir;
  ScopedEnv m_data, m_dataDirs, m_config, m_configDirs, m_current, m_session, m_display, m_wayland;
};

class LinkStaticTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // The click goes through the real xdg-open.
    ASSERT_FALSE(QStandardPaths::findExecutable(QStringLiteral("xdg-open")).isEmpty());
  }

  // A link standing in a window at (40, 30), 300 x 20, as a dialog places it.
  CLinkStatic* MakeLink(const QString& text, Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignTop) {
    auto* link = new CLinkStatic(&m_window);
    link->setText(text);
    link->setAlignment(alignment);
    link->setGeometry(40, 30, 300, 20);
    link->PreSubclassWindow();
    return link;
  }

  EmptyDesktop m_desktop;
  QWidget m_window;
  RecordedMessages m_messages;
};

TEST_F(LinkStaticTest, PreparedLinkTargetsItsTextWithLinkColourHandAndTip) {
  CLinkStatic* link = MakeLink(QStringLiteral("http://www.qorvex.example/"));
  EXPECT_EQ(link->Target(), QStringLiteral("http://www.qorvex.example/"));
  EXPECT_EQ(link->toolTip(), link->Target());
  EXPECT_EQ(link->cursor().shape(), Qt::PointingHandCursor);
  EXPECT_TRUE(link->font().underline());
  EXPECT_EQ(DrawnColour(link), kLinkColour);

  // A link given a target before it is prepared shows the target as its text.
  auto* untitled = new CLinkStatic(&m_window);
  untitled->SetTarget(kMailTarget);
  untitled->PreSubclassWindow();
  EXPECT_EQ(untitled->text(), kMailTarget);
  EXPECT_EQ(untitled->toolTip(), kMailTarget);
}

TEST_F(LinkStaticTest, HoverColourFromFirstMoveUntilThePointerLeaves) {
  CLinkStatic* link = MakeLink(QStringLiteral("网址"));
  MoveOver(link, QPoint(2, 2));
  EXPECT_TRUE(link->IsHovered());
  EXPECT_EQ(DrawnColour(link), kHoverColour);
  MoveOver(link, QPoint(3, 3));
  EXPECT_EQ(DrawnColour(link), kHoverColour);

  QEvent leave(QEvent::Leave);
  QApplication::sendEvent(link, &leave);
  EXPECT_FALSE(link->IsHovered());
  EXPECT_EQ(DrawnColour(link), kLinkColour);

  // With a button held the moves stay with the link outside it too.
  MoveOver(link, QPoint(2, 2), Qt::LeftButton);
  MoveOver(link, QPoint(-5, 40), Qt::LeftButton);
  EXPECT_FALSE(link->IsHovered());
  EXPECT_EQ(DrawnColour(link), kLinkColour);
}

TEST_F(LinkStaticTest, FitsToItsTextKeepingTheAlignedEdge) {
  const QString text = QStringLiteral("或访问：http://www.qorvex.example/");

  CLinkStatic* left = MakeLink(text);
  // The text's own size and a pixel all round for the focus rectangle.
  const QFontMetrics metrics(left->font());
  const int width = metrics.horizontalAdvance(text) + 2;
  const int height = metrics.height() + 2;
  ASSERT_LT(width, 300);
  EXPECT_EQ(left->geometry(), QRect(40, 30, width, height));

  CLinkStatic* centred = MakeLink(text, Qt::AlignHCenter | Qt::AlignTop);
  const int inset = (300 - width) / 2;
  EXPECT_EQ(centred->geometry(), QRect(40 + inset, 30, 300 - 2 * inset, height));

  CLinkStatic* right = MakeLink(text, Qt::AlignRight | Qt::AlignTop);
  EXPECT_EQ(right->geometry(), QRect(340 - width, 30, width, height));

  CLinkStatic* middle = MakeLink(text, Qt::AlignLeft | Qt::AlignVCenter);
  const int drop = (20 - height) / 2;
  EXPECT_EQ(middle->geometry(), QRect(40, 30 + drop, width, 20 - 2 * drop));
}

TEST_F(LinkStaticTest, NewTargetRefitsToTheTextAndRetips) {
  CLinkStatic* link = MakeLink(QStringLiteral("x"));
  link->setText(QStringLiteral("联系方式：zrvplayer@qorvex.example"));
  link->SetTarget(kMailTarget);
  link->SetUnderlined(false);
  EXPECT_FALSE(link->font().underline());
  EXPECT_EQ(link->toolTip(), kMailTarget);
  EXPECT_EQ(link->width(), QFontMetrics(link->font()).horizontalAdvance(link->text()) + 2);
}

TEST(OpenErrorText, CodesOfTheTableAndUnknownCodes) {
  EXPECT_EQ(OpenErrorText(26), QStringLiteral("A sharing violation occurred. "));
  EXPECT_EQ(OpenErrorText(31),
            QStringLiteral("There is no application associated\nwith the given filename extension."));
  EXPECT_EQ(OpenErrorText(2), QStringLiteral("The specified file was not found."));
  EXPECT_EQ(OpenErrorText(1), QStringLiteral("Unknown Error (1) occurred."));
  EXPECT_EQ(OpenErrorText(4), QStringLiteral("Unknown Error (4) occurred."));
  EXPECT_EQ(OpenErrorText(-1), QStringLiteral("Unknown Error (-1) occurred."));
}

TEST_F(LinkStaticTest, ClickWithNothingToOpenItBeepsAndSaysWhy) {
  // xdg-open runs and finds nothing for the target, with no desktop and on
  // GNOME; $BROWSER is not set either.
  const ScopedEnv browser("BROWSER", std::nullopt);
  for (const char* desktop : {static_cast<const char*>(nullptr), "GNOME"}) {
    const ScopedEnv current("XDG_CURRENT_DESKTOP", desktop ? std::optional<std::string>(desktop) : std::nullopt);
    m_messages.clear();
    CLinkStatic* link = MakeLink(QStringLiteral("http://www.qorvex.example/"));
    Click(link);
    ASSERT_EQ(m_messages.boxes().size(), 1u);
    const MessageBoxRequest& box = m_messages.boxes()[0];
    EXPECT_EQ(box.text, QStringLiteral("Unable to open hyperlink:\n\nThere is no application associated\n"
                                       "with the given filename extension."));
    EXPECT_EQ(box.icon, QMessageBox::Warning);
    EXPECT_EQ(box.caption, QStringLiteral("ZRV Player"));
    EXPECT_EQ(box.parent, &m_window);
    EXPECT_FALSE(link->IsOpened());
    EXPECT_EQ(DrawnColour(link), kLinkColour);
  }
}

TEST_F(LinkStaticTest, DesktopOpensTheTargetWithoutTheBrowserVariable) {
  TempDir dir;
  const std::string browser = dir.File("browser");
  const std::string mailer = dir.File("mailer");
  WriteArgumentRecorder(browser);
  WriteArgumentRecorder(mailer);
  const ScopedEnv variable("BROWSER", browser);
  m_desktop.RegisterHandler("mailto", mailer);
  // On GNOME, xdg-open hands the target to the registered default application.
  const ScopedEnv gnome("XDG_CURRENT_DESKTOP", "GNOME");

  CLinkStatic* link = MakeLink(QStringLiteral("联系方式：zrvplayer@qorvex.example"));
  link->SetTarget(kMailTarget);
  Click(link);
  EXPECT_EQ(RecordedArguments(mailer), (std::vector<std::string>{kMailTarget.toStdString()}));
  EXPECT_TRUE(link->IsOpened());
  EXPECT_TRUE(m_messages.boxes().empty());
  EXPECT_FALSE(FileExists(ArgumentsFile(browser)));
}

TEST_F(LinkStaticTest, TargetThatTheDesktopCannotOpenGoesToTheBrowserVariable) {
  // xdg-open starts, finds no handler for the scheme and says so: the
  // browser named by $BROWSER gets the target instead.
  TempDir dir;
  const std::string browser = dir.File("browser");
  WriteArgumentRecorder(browser);
  const ScopedEnv variable("BROWSER", browser);
  CLinkStatic* link = MakeLink(QStringLiteral("site"));
  link->SetTarget(QStringLiteral("http://www.qorvex.example/"));
  Click(link);
  EXPECT_EQ(RecordedArguments(browser), (std::vector<std::string>{"http://www.qorvex.example/"}));
  EXPECT_TRUE(link->IsOpened());
  EXPECT_TRUE(m_messages.boxes().empty());
}

TEST_F(LinkStaticTest, BrowserVariableGetsTheTargetAsOneArgument) {
  TempDir dir;
  const std::string browser = dir.File("my browser");
  WriteArgumentRecorder(browser);
  // A target that a shell would split and run: it must arrive whole.
  const QString target = QStringLiteral("http://www.qorvex.example/a b;touch \"x\"");

  {
    const ScopedEnv variable("BROWSER", "\"" + browser + "\" --new-window=%s %%s");
    CLinkStatic* link = MakeLink(QStringLiteral("site"));
    link->SetTarget(target);
    Click(link);
    EXPECT_EQ(RecordedArguments(browser),
              (std::vector<std::string>{"--new-window=" + target.toStdString(), "%s"}));
    EXPECT_TRUE(link->IsOpened());
    EXPECT_EQ(DrawnColour(link), kLinkColour);
  }
  ::unlink(ArgumentsFile(browser).c_str());
  {
    // Without a placeholder the target goes last; a missing first browser is
    // passed over.
    const ScopedEnv variable("BROWSER", "no-such-browser-here:\"" + browser + "\" --private");
    CLinkStatic* link = MakeLink(QStringLiteral("site"));
    link->SetTarget(target);
    Click(link);
    EXPECT_EQ(RecordedArguments(browser), (std::vector<std::string>{"--private", target.toStdString()}));
    EXPECT_TRUE(link->IsOpened());
  }
  EXPECT_TRUE(m_messages.boxes().empty());
}

TEST_F(LinkStaticTest, BrowserThatCannotStartNamesTheReason) {
  TempDir dir;
  const std::string notExecutable = dir.File("browser.txt");
  WriteFile(notExecutable, Bytes{'x'});
  const std::pair<std::string, QString> cases[] = {
      {dir.File("missing/browser"), QStringLiteral("The specified path was not found.")},
      {dir.File("browser"), QStringLiteral("The specified file was not found.")},
      {notExecutable, QStringLiteral("The operating system denied\naccess to the specified file.")},
  };
  for (const auto& [command, reason] : cases) {
    const ScopedEnv variable("BROWSER", command);
    CLinkStatic* link = MakeLink(QStringLiteral("http://www.qorvex.example/"));
    const size_t before = m_messages.boxes().size();
    Click(link);
    ASSERT_EQ(m_messages.boxes().size(), before + 1) << command;
    EXPECT_EQ(m_messages.boxes().back().text, QStringLiteral("Unable to open hyperlink:\n\n") + reason) << command;
    EXPECT_FALSE(link->IsOpened());
  }
}

}  // namespace

TEST_F(LinkStaticTest, KeyboardAndScreenReadersReachTheLink) {
  const ScopedEnv browser("BROWSER", std::nullopt);
  CLinkStatic* link = MakeLink(QStringLiteral("或访问：http://www.qorvex.example/"));
  link->SetTarget(QStringLiteral("http://www.qorvex.example/"));
  EXPECT_TRUE(link->focusPolicy() & Qt::TabFocus);

  // Read as a link: its text as name, its target as description.
  QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(link);
  ASSERT_NE(accessible, nullptr);
  EXPECT_EQ(accessible->role(), QAccessible::Link);
  EXPECT_EQ(accessible->text(QAccessible::Name), link->text());
  EXPECT_EQ(accessible->text(QAccessible::Description), QStringLiteral("http://www.qorvex.example/"));

  // Enter and Space open it as a click does; other keys do nothing.
  for (Qt::Key key : {Qt::Key_Return, Qt::Key_Space, Qt::Key_A}) {
    m_messages.clear();
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(link, &press);
    EXPECT_EQ(m_messages.boxes().size(), key == Qt::Key_A ? 0u : 1u) << key;
  }
  // The screen reader's press opens it once its call has returned.
  m_messages.clear();
  QAccessibleActionInterface* actions = accessible->actionInterface();
  ASSERT_NE(actions, nullptr);
  actions->doAction(QAccessibleActionInterface::pressAction());
  EXPECT_EQ(m_messages.boxes().size(), 0u);
  QApplication::processEvents();
  EXPECT_EQ(m_messages.boxes().size(), 1u);
}

TEST_F(LinkStaticTest, FocusedLinkDrawsTheFocusRectangleRoundItsText) {
  CLinkStatic* link = MakeLink(QStringLiteral("http://www.qorvex.example/"));
  m_window.show();
  m_window.activateWindow();
  QApplication::setActiveWindow(&m_window);
  link->clearFocus();
  ASSERT_FALSE(link->hasFocus());
  const QImage unfocused = link->grab().toImage();
  link->setFocus();
  ASSERT_TRUE(link->hasFocus());
  const QImage focused = link->grab().toImage();
  // The rectangle runs along the edges, where the text leaves a pixel free.
  EXPECT_NE(unfocused, focused);
  int changedOnEdges = 0;
  for (int x = 0; x < focused.width(); ++x)
    changedOnEdges += focused.pixel(x, 0) != unfocused.pixel(x, 0) ? 1 : 0;
  EXPECT_GT(changedOnEdges, focused.width() / 4);
}
