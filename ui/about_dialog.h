// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// CAboutDlg: the About dialog. The product line, a contact link and a site
// link, and three buttons that fill a text box with the introduction, the
// version history or the thanks. It opens small, with the text box cut off,
// and grows once to its full height when one of the buttons is first pressed.
#pragma once

#include <QDialog>
#include <QFont>
#include <QIcon>
#include <QRect>
#include <QString>

class CLinkStatic;
class QLabel;
class QPlainTextEdit;
class QPushButton;

// Control ids of the dialog's template.
inline constexpr int IDC_ABOUT_PRODUCT = 1019;
inline constexpr int IDC_ABOUT_CONTACT = 1015;
inline constexpr int IDC_ABOUT_SITE = 1013;
inline constexpr int IDC_ABOUT_INTRO = 1016;
inline constexpr int IDC_ABOUT_HISTORY = 1014;
inline constexpr int IDC_ABOUT_THANKS = 1017;
inline constexpr int IDC_ABOUT_TEXT = 1008;

// Opens a new About dialog over `parent` and returns when the user has closed
// it (Escape or the close box). Every opening starts small again. `icon` is
// the picture beside the product line; without one the application's icon is
// shown. For menu item 32780 and the About entry of the window's menu.
void ShowAboutDialog(QWidget* parent, const QIcon& icon = QIcon());

class CAboutDlg : public QDialog {
  Q_OBJECT

 public:
  explicit CAboutDlg(QWidget* parent = nullptr, const QIcon& icon = QIcon());

  // The control with the template's id, or null.
  QWidget* GetDlgItem(int id) const;
  bool IsExpanded() const { return m_bExpanded; }

  // Button handlers: each makes sure the dialog is at full height, then shows
  // its text in its font.
  void OnIntro();
  void OnHistory();
  void OnThanks();

 private:
  void OnInitDialog(const QIcon& icon);
  void CreateControls(const QIcon& icon);
  void SetLanguageTexts();
  void FitToTexts();
  void ShowText(const QPushButton* button, const QFont& font, const QString& text);
  void Expand();

  QLabel* m_product = nullptr;
  CLinkStatic* m_linkContact = nullptr;
  CLinkStatic* m_linkSite = nullptr;
  QPushButton* m_buttonIntro = nullptr;
  QPushButton* m_buttonHistory = nullptr;
  QPushButton* m_buttonThanks = nullptr;
  QPlainTextEdit* m_edit = nullptr;

  QString m_strText = QStringLiteral(" ");  // what the text box holds at first
  QRect m_rcEdit;                           // the text box's inside, measured before each resize
  QRect m_rcWindow;                         // the dialog, measured before each resize
  QFont m_pEditFont;                        // the text box's own font: the dialog font
  QFont m_fontThanks;                       // bold italic Arial for the thanks
  bool m_bExpanded = false;                 // grown to full height
};
