// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
#include "ui/about_dialog.h"

#include <QApplication>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <algorithm>

#include "ui/about_texts.h"
#include "ui/dialog_units.h"
#include "ui/language.h"
#include "ui/link_static.h"
#include "ui/site.h"

namespace {

const MessagePair kCaption{"关于 ZRV Player", "About ZRV Player"};
const MessagePair kProductLine{"ZRV Player 1.8 版，版权所有 (C) 2026 Qorvex",
                               "ZRV Player V1.8, Copyright (C) 2026 Qorvex"};
const MessagePair kContactLine{"联系方式：", "Mail："};
const MessagePair kSiteLine{"或访问：", "or Visit："};
const MessagePair kHistoryButton{"版本历史", "Version history"};
const MessagePair kThanksButton{"感谢", "Thanks"};
// What screen readers call the text box before a button has filled it.
const MessagePair kTextBoxName{"内容", "contents"};

QString Text(const MessagePair& pair) { return QString::fromUtf8(pair.Text()); }

// The text box takes typed digits only; every other typed character is
// refused. Enter goes to the dialog (its default button) and Tab moves on, as
// in any dialog.
class CDigitsOnlyEdit : public QPlainTextEdit {
 public:
  using QPlainTextEdit::QPlainTextEdit;

 protected:
  void keyPressEvent(QKeyEvent* event) override {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
      event->ignore();
      return;
    }
    const bool command = event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    if (!command && !IsDigits(event->text())) {
      QApplication::beep();
      return;
    }
    QPlainTextEdit::keyPressEvent(event);
  }

  void inputMethodEvent(QInputMethodEvent* event) override {
    if (!IsDigits(event->commitString())) {
      event->setCommitString(QString());
    }
    QPlainTextEdit::inputMethodEvent(event);
  }

 private:
  // Empty or control-only texts (arrows, Backspace, Delete) pass.
  static bool IsDigits(const QString& typed) {
    for (const QChar ch : typed) {
      if (ch.isPrint() && (ch < u'0' || ch > u'9')) return false;
    }
    return true;
  }
};

}  // namespace

void ShowAboutDialog(QWidget* parent, const QIcon& icon) {
  CAboutDlg dialog(parent, icon);
  dialog.exec();
}

CAboutDlg::CAboutDlg(QWidget* parent, const QIcon& icon) : QDialog(parent) { OnInitDialog(icon); }

QWidget* CAboutDlg::GetDlgItem(int id) const {
  switch (id) {
    case IDC_ABOUT_PRODUCT: return m_product;
    case IDC_ABOUT_CONTACT: return m_linkContact;
    case IDC_ABOUT_SITE: return m_linkSite;
    case IDC_ABOUT_INTRO: return m_buttonIntro;
    case IDC_ABOUT_HISTORY: return m_buttonHistory;
    case IDC_ABOUT_THANKS: return m_buttonThanks;
    case IDC_ABOUT_TEXT: return m_edit;
    default: return nullptr;
  }
}

void CAboutDlg::OnInitDialog(const QIcon& icon) {
  CreateControls(icon);
  SetLanguageTexts();

  m_linkContact->SetTarget(QStringLiteral("mailto:") + QString::fromLatin1(kContactAddress));
  m_linkContact->SetUnderlined(false);
  m_linkSite->SetTarget(SiteAddress());
  m_linkSite->SetUnderlined(false);
  FitToTexts();

  // Start small: the text box is cut off until a button asks for it.
  m_rcEdit = m_edit->contentsRect();
  m_rcWindow = geometry();
  setFixedSize(m_rcWindow.width(), m_rcWindow.height() - m_rcEdit.height() - 16);
  m_bExpanded = false;

  m_pEditFont = m_edit->font();
  m_fontThanks = QFont(QStringLiteral("Arial"));
  m_fontThanks.setStyleHint(QFont::SansSerif);
  m_fontThanks.setPixelSize(16);
  m_fontThanks.setBold(true);
  m_fontThanks.setItalic(true);
}

// The controls of the dialog's template, at their places, with the resource
// (Chinese) texts; the links are bound and prepared on those texts.
void CAboutDlg::CreateControls(const QIcon& icon) {
  setFont(DialogFont());
  // Places and sizes follow the dialog font, so larger letters get more room.
  const DialogUnits units(font());
  setWindowTitle(QString::fromUtf8(kCaption.chinese));
  resize(units.ToPixels(231, 187));

  auto* picture = new QLabel(this);
  const QRect iconPlace = units.ToPixels(13, 16, 20, 20);
  const int iconSide = std::max(32, std::min(iconPlace.width(), iconPlace.height()));
  picture->setGeometry(QRect(iconPlace.topLeft(), QSize(iconSide, iconSide)));
  const QIcon shown = icon.isNull() ? QApplication::windowIcon() : icon;
  if (!shown.isNull()) picture->setPixmap(shown.pixmap(iconSide, iconSide));
  picture->setAccessibleName(QStringLiteral("ZRV Player"));

  m_product = new QLabel(QString::fromUtf8(kProductLine.chinese), this);
  m_product->setTextFormat(Qt::PlainText);
  m_product->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  m_product->setMargin(kTextPadding);
  m_product->setGeometry(units.ToPixels(42, 13, 168, 8));

  m_linkContact = new CLinkStatic(this);
  m_linkContact->setText(QString::fromUtf8(kContactLine.chinese) + QString::fromLatin1(kContactAddress));
  m_linkContact->setGeometry(units.ToPixels(42, 25, 130, 8));
  m_linkContact->PreSubclassWindow();

  m_linkSite = new CLinkStatic(this);
  m_linkSite->setText(QString::fromUtf8(kSiteLine.chinese) + SiteAddress());
  m_linkSite->setGeometry(units.ToPixels(42, 37, 153, 8));
  m_linkSite->PreSubclassWindow();

  auto makeButton = [this](const QString& text, const QRect& place) {
    auto* button = new QPushButton(text, this);
    button->setFlat(true);
    button->setAutoDefault(false);
    button->setGeometry(place);
    return button;
  };
  m_buttonIntro = makeButton(QStringLiteral("&ZRV Player"), units.ToPixels(7, 51, 73, 14));
  m_buttonHistory = makeButton(QString::fromUtf8(kHistoryButton.chinese), units.ToPixels(79, 51, 73, 14));
  m_buttonThanks = makeButton(QString::fromUtf8(kThanksButton.chinese), units.ToPixels(151, 51, 73, 14));
  m_buttonThanks->setDefault(true);
  connect(m_buttonIntro, &QPushButton::clicked, this, &CAboutDlg::OnIntro);
  connect(m_buttonHistory, &QPushButton::clicked, this, &CAboutDlg::OnHistory);
  connect(m_buttonThanks, &QPushButton::clicked, this, &CAboutDlg::OnThanks);

  m_edit = new CDigitsOnlyEdit(this);
  m_edit->setGeometry(units.ToPixels(7, 73, 217, 107));
  m_edit->setLineWrapMode(QPlainTextEdit::NoWrap);
  m_edit->setTabChangesFocus(true);
  // Tab stops every 32 dialog units, as in any multi-line text box.
  m_edit->setTabStopDistance(units.ToPixels(32, 0).width());
  m_edit->setPlainText(m_strText);
}

// Every text whole in the dialog font: the product line as long as its text,
// each button as wide as its text needs (those to its right move along), and
// the dialog, with its text box, as wide as what it holds.
void CAboutDlg::FitToTexts() {
  const DialogUnits units(font());
  const QSize productText = TextBoxSize(QFontMetrics(m_product->font()), m_product->text());
  m_product->resize(std::max(m_product->width(), productText.width()),
                    std::max(m_product->height(), productText.height()));

  int shift = 0;
  for (QPushButton* button : {m_buttonIntro, m_buttonHistory, m_buttonThanks}) {
    button->move(button->x() + shift, button->y());
    const QSize needed = ButtonSizeForText(button, button->text());
    const int grow = std::max(0, needed.width() - button->width());
    button->resize(button->width() + grow, std::max(button->height(), needed.height()));
    shift += grow;
  }

  int right = 0;
  for (const QWidget* child : {static_cast<QWidget*>(m_product), static_cast<QWidget*>(m_linkContact),
                               static_cast<QWidget*>(m_linkSite), static_cast<QWidget*>(m_buttonThanks)})
    right = std::max(right, child->geometry().right() + 1);
  const int width = std::max(this->width(), right + units.X(7));
  m_edit->resize(m_edit->width() + width - this->width(), m_edit->height());
  resize(width, height());
}

void CAboutDlg::SetLanguageTexts() {
  m_edit->setAccessibleName(Text(kTextBoxName));
  m_product->setText(Text(kProductLine));
  m_linkContact->setText(Text(kContactLine) + QString::fromLatin1(kContactAddress));
  m_linkSite->setText(Text(kSiteLine) + SiteAddress());
  if (UiLanguage != kLanguageEnglish) return;
  setWindowTitle(Text(kCaption));
  // Mnemonics where the English texts have letters for them.
  m_buttonHistory->setText(QStringLiteral("&") + Text(kHistoryButton));
  m_buttonThanks->setText(QStringLiteral("&") + Text(kThanksButton));
}

void CAboutDlg::OnIntro() { ShowText(m_buttonIntro, m_pEditFont, IntroText()); }
void CAboutDlg::OnHistory() { ShowText(m_buttonHistory, m_pEditFont, HistoryText()); }
void CAboutDlg::OnThanks() { ShowText(m_buttonThanks, m_fontThanks, ThanksText()); }

void CAboutDlg::ShowText(const QPushButton* button, const QFont& font, const QString& text) {
  if (!m_bExpanded) Expand();
  // The box is named after the button whose text it shows.
  m_edit->setAccessibleName(QString(button->text()).remove(u'&'));
  m_edit->setFont(font);
  m_edit->setPlainText(text);
}

// Grows by the text box's height and the margin under it, once; the top left
// corner stays where it is.
void CAboutDlg::Expand() {
  m_rcEdit = m_edit->contentsRect();
  m_rcWindow = geometry();
  setFixedSize(m_rcWindow.width(), m_rcWindow.height() + m_rcEdit.height() + 16);
  m_bExpanded = true;
}
