// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// The About dialog: its texts in both languages, the small start and the one
// growth, the font of each text, the links, and its three long texts.
#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <iconv.h>

#include "tests/ui/ui_test_support.h"
#include "ui/about_dialog.h"
#include "ui/about_texts.h"
#include "ui/dialog_units.h"
#include "ui/language.h"
#include "ui/link_static.h"

namespace {

// A button's text as it reads on screen: a mnemonic's marker is an underline.
QString Visible(const QPushButton* button) { return QString(button->text()).remove(u'&'); }

QString Shown(const QString& text) {
  // The text box keeps lines, not their CR LF ends.
  return QString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

// Size in the GBK encoding, in which the texts were first written.
size_t GbkBytes(const QString& text) {
  QByteArray utf8 = text.toUtf8();
  iconv_t converter = iconv_open("GBK", "UTF-8");
  if (converter == reinterpret_cast<iconv_t>(-1)) return 0;
  std::string out(utf8.size() * 2 + 16, '\0');
  char* in = utf8.data();
  size_t inLeft = static_cast<size_t>(utf8.size());
  char* outPtr = out.data();
  size_t outLeft = out.size();
  const size_t result = iconv(converter, &in, &inLeft, &outPtr, &outLeft);
  iconv_close(converter);
  if (result == static_cast<size_t>(-1)) return 0;
  return out.size() - outLeft;
}

class AboutDialogTest : public ::testing::Test {
 protected:
  QLabel* Label(CAboutDlg& dialog, int id) { return qobject_cast<QLabel*>(dialog.GetDlgItem(id)); }
  CLinkStatic* Link(CAboutDlg& dialog, int id) { return qobject_cast<CLinkStatic*>(dialog.GetDlgItem(id)); }
  QPushButton* Button(CAboutDlg& dialog, int id) { return qobject_cast<QPushButton*>(dialog.GetDlgItem(id)); }
  QPlainTextEdit* TextBox(CAboutDlg& dialog) { return qobject_cast<QPlainTextEdit*>(dialog.GetDlgItem(IDC_ABOUT_TEXT)); }

  const ScopedEnv m_site{"ZRVPLAYER_SITE", std::nullopt};
};

TEST_F(AboutDialogTest, ChineseTextsAndLinks) {
  CAboutDlg dialog;
  EXPECT_EQ(dialog.windowTitle(), QStringLiteral("关于 ZRV Player"));
  EXPECT_EQ(Label(dialog, IDC_ABOUT_PRODUCT)->text(), QStringLiteral("ZRV Player 1.8 版，版权所有 (C) 2026 Qorvex"));

  CLinkStatic* contact = Link(dialog, IDC_ABOUT_CONTACT);
  EXPECT_EQ(contact->text(), QStringLiteral("联系方式：zrvplayer@qorvex.example"));
  EXPECT_EQ(contact->Target(), QStringLiteral("mailto:zrvplayer@qorvex.example"));
  EXPECT_EQ(contact->toolTip(), contact->Target());
  EXPECT_FALSE(contact->font().underline());

  CLinkStatic* site = Link(dialog, IDC_ABOUT_SITE);
  EXPECT_EQ(site->text(), QStringLiteral("或访问：http://www.qorvex.example/"));
  EXPECT_EQ(site->Target(), QStringLiteral("http://www.qorvex.example/"));
  EXPECT_FALSE(site->font().underline());
  // Fitted to their texts from the template's left edge.
  EXPECT_EQ(site->x(), DialogUnits(DialogFont()).X(42));
  EXPECT_EQ(site->width(), QFontMetrics(site->font()).horizontalAdvance(site->text()) + 2 * kTextPadding);

  EXPECT_EQ(Visible(Button(dialog, IDC_ABOUT_INTRO)), QStringLiteral("ZRV Player"));
  EXPECT_EQ(Visible(Button(dialog, IDC_ABOUT_HISTORY)), QStringLiteral("版本历史"));
  EXPECT_EQ(Visible(Button(dialog, IDC_ABOUT_THANKS)), QStringLiteral("感谢"));
  EXPECT_TRUE(Button(dialog, IDC_ABOUT_THANKS)->isDefault());
  EXPECT_EQ(TextBox(dialog)->toPlainText(), QStringLiteral(" "));
}

TEST_F(AboutDialogTest, EnglishTextsButChineseLongTexts) {
  const ScopedLanguage english(kLanguageEnglish);
  CAboutDlg dialog;
  EXPECT_EQ(dialog.windowTitle(), QStringLiteral("About ZRV Player"));
  EXPECT_EQ(Label(dialog, IDC_ABOUT_PRODUCT)->text(), QStringLiteral("ZRV Player V1.8, Copyright (C) 2026 Qorvex"));
  EXPECT_EQ(Link(dialog, IDC_ABOUT_CONTACT)->text(), QStringLiteral("Mail：zrvplayer@qorvex.example"));
  EXPECT_EQ(Link(dialog, IDC_ABOUT_SITE)->text(), QStringLiteral("or Visit：http://www.qorvex.example/"));
  EXPECT_EQ(Visible(Button(dialog, IDC_ABOUT_INTRO)), QStringLiteral("ZRV Player"));
  EXPECT_EQ(Visible(Button(dialog, IDC_ABOUT_HISTORY)), QStringLiteral("Version history"));
  EXPECT_EQ(Visible(Button(dialog, IDC_ABOUT_THANKS)), QStringLiteral("Thanks"));

  Button(dialog, IDC_ABOUT_HISTORY)->click();
  EXPECT_EQ(TextBox(dialog)->toPlainText(), Shown(HistoryText()));
  EXPECT_TRUE(TextBox(dialog)->toPlainText().contains(QStringLiteral("1.8版修改：")));
}

TEST_F(AboutDialogTest, OpensSmallAndGrowsOnceByTheTextBox) {
  CAboutDlg dialog;
  QPlainTextEdit* box = TextBox(dialog);
  // As high as the template, and at least as wide: wider where a text needs it.
  const QSize fromTemplate = DialogUnits(DialogFont()).ToPixels(231, 187);
  EXPECT_GE(dialog.width(), fromTemplate.width());
  const QSize full(dialog.width(), fromTemplate.height());
  const int boxClient = box->contentsRect().height();

  // Small: header and buttons, the text box below the bottom edge.
  EXPECT_EQ(dialog.size(), QSize(full.width(), full.height() - boxClient - 16));
  EXPECT_LE(Button(dialog, IDC_ABOUT_HISTORY)->geometry().bottom(), dialog.height());
  EXPECT_GE(box->y(), dialog.height());
  EXPECT_FALSE(dialog.IsExpanded());

  Button(dialog, IDC_ABOUT_HISTORY)->click();
  EXPECT_EQ(dialog.size(), full);
  EXPECT_TRUE(dialog.IsExpanded());
  EXPECT_LE(box->geometry().bottom(), dialog.height());

  Button(dialog, IDC_ABOUT_THANKS)->click();
  Button(dialog, IDC_ABOUT_INTRO)->click();
  EXPECT_EQ(dialog.size(), full);
}

TEST_F(AboutDialogTest, EachButtonShowsItsTextInItsFont) {
  CAboutDlg dialog;
  QPlainTextEdit* box = TextBox(dialog);
  const QFont dialogFont = box->font();

  Button(dialog, IDC_ABOUT_HISTORY)->click();
  EXPECT_EQ(box->toPlainText(), Shown(HistoryText()));
  EXPECT_EQ(box->font(), dialogFont);

  Button(dialog, IDC_ABOUT_THANKS)->click();
  EXPECT_EQ(box->toPlainText(), Shown(ThanksText()));
  EXPECT_EQ(box->font().family(), QStringLiteral("Arial"));
  EXPECT_EQ(box->font().pixelSize(), 16);
  EXPECT_TRUE(box->font().bold());
  EXPECT_TRUE(box->font().italic());
  EXPECT_FALSE(box->font().underline());

  Button(dialog, IDC_ABOUT_INTRO)->click();
  EXPECT_EQ(box->toPlainText(), Shown(IntroText()));
  EXPECT_EQ(box->font(), dialogFont);
}

TEST_F(AboutDialogTest, TextBoxTakesDigitsAndEnterPressesThanks) {
  CAboutDlg dialog;
  dialog.show();  // a default button works only when it can be seen
  QPlainTextEdit* box = TextBox(dialog);
  box->setPlainText(QString());
  for (const auto& [key, text] : {std::pair{Qt::Key_A, QStringLiteral("a")}, std::pair{Qt::Key_7, QStringLiteral("7")},
                                  std::pair{Qt::Key_Space, QStringLiteral(" ")}}) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(box, &press);
  }
  EXPECT_EQ(box->toPlainText(), QStringLiteral("7"));

  QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
  QApplication::sendEvent(box, &enter);
  EXPECT_EQ(box->toPlainText(), Shown(ThanksText()));
}

TEST_F(AboutDialogTest, SiteVariableReachesLinkAndThanks) {
  const ScopedEnv site("ZRVPLAYER_SITE", "http://mirror.example.com:8080/zrv/");
  CAboutDlg dialog;
  EXPECT_EQ(Link(dialog, IDC_ABOUT_SITE)->text(), QStringLiteral("或访问：http://mirror.example.com:8080/zrv/"));
  EXPECT_EQ(Link(dialog, IDC_ABOUT_SITE)->Target(), QStringLiteral("http://mirror.example.com:8080/zrv/"));
  EXPECT_TRUE(ThanksText().contains(QStringLiteral("网址：mirror.example.com")));
}

TEST_F(AboutDialogTest, EveryOpeningStartsSmallAndEscapeCloses) {
  std::vector<int> heightsAtOpening;
  QTimer inspector;
  inspector.setInterval(10);
  QObject::connect(&inspector, &QTimer::timeout, [&] {
    auto* dialog = qobject_cast<CAboutDlg*>(QApplication::activeModalWidget());
    if (!dialog) return;
    heightsAtOpening.push_back(dialog->height());
    dialog->OnHistory();
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(dialog, &escape);
  });
  // Should the dialog not close, the test fails instead of hanging.
  QTimer watchdog;
  watchdog.setSingleShot(true);
  QObject::connect(&watchdog, &QTimer::timeout, [] {
    if (QWidget* modal = QApplication::activeModalWidget()) modal->close();
  });

  QWidget window;
  inspector.start();
  for (int opening = 0; opening < 2; ++opening) {
    watchdog.start(5000);
    ShowAboutDialog(&window);
  }
  const int small = DialogUnits(DialogFont()).Y(187) -
                    CAboutDlg().GetDlgItem(IDC_ABOUT_TEXT)->contentsRect().height() - 16;
  EXPECT_EQ(heightsAtOpening, (std::vector<int>{small, small}));
}

TEST(AboutTexts, IntroAndHistoryAreTheOriginalTexts) {
  // Their sizes in GBK, the encoding they were written in, and their line counts.
  EXPECT_EQ(GbkBytes(IntroText()), 202u);
  EXPECT_EQ(GbkBytes(HistoryText()), 587u);
  EXPECT_EQ(IntroText().count(QStringLiteral("\r\n")), 14);
  EXPECT_EQ(HistoryText().count(QStringLiteral("\r\n")), 36);
  EXPECT_TRUE(HistoryText().startsWith(QStringLiteral("\r\nZRV Player升级记录：\r\n1.8版修改：\r\n\t修正")));
  EXPECT_TRUE(HistoryText().endsWith(QStringLiteral("\t实现zrv文件播放\r\n\r\n")));
}

TEST(AboutTexts, ThanksPictureNamesTheSiteHost) {
  const ScopedEnv site("ZRVPLAYER_SITE", std::nullopt);
  const QString thanks = ThanksText();
  ASSERT_TRUE(thanks.endsWith(QStringLiteral("\r\n")));
  const QStringList lines = thanks.chopped(2).split(QStringLiteral("\r\n"));
  ASSERT_EQ(lines.size(), 12);
  EXPECT_TRUE(lines.first().startsWith(QStringLiteral("特别感谢")));
  EXPECT_EQ(lines.last(), QString(30, QChar(0x256C)));
  EXPECT_TRUE(thanks.contains(QStringLiteral("我们共同的ZRV家园")));
  EXPECT_TRUE(thanks.contains(QStringLiteral("网址：www.qorvex.example")));
  for (const QString& line : lines) EXPECT_FALSE(line.contains(u'\n') || line.contains(u'\r'));
}

}  // namespace
