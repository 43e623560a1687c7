#include "ui/about_dialog.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

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
  setWindowTitle(QString::fromUtf8(kCaption.chinese));
  resize(DialogUnitsToPixels(231, 187));

  auto* picture = new QLabel(this);
  const QRect iconPlace = DialogUnitsToPixels(13, 16, 20, 20);
  picture->setGeometry(QRect(iconPlace.topLeft(), QSize(32, 32)));
  const QIcon shown = icon.isNull() ? QApplication::windowIcon() : icon;
  if (!shown.isNull()) picture->setPixmap(shown.pixmap(32, 32));

  m_product = new QLabel(QString::fromUtf8(kProductLine.chinese), this);
  m_product->setTextFormat(Qt::PlainText);
  m_product->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  m_product->setGeometry(DialogUnitsToPixels(42, 13, 168, 8));

  m_linkContact = new CLinkStatic(this);
  m_linkContact->setText(QString::fromUtf8(kContactLine.chinese) + QString::fromLatin1(kContactAddress));
  m_linkContact->setGeometry(DialogUnitsToPixels(42, 25, 130, 8));
  m_linkContact->PreSubclassWindow();

  m_linkSite = new CLinkStatic(this);
  m_linkSite->setText(QString::fromUtf8(kSiteLine.chinese) + SiteAddress());
  m_linkSite->setGeometry(DialogUnitsToPixels(42, 37, 153, 8));
  m_linkSite->PreSubclassWindow();

  auto makeButton = [this](const QString& text, const QRect& place) {
    auto* button = new QPushButton(text, this);
    button->setFlat(true);
    button->setAutoDefault(false);
    button->setGeometry(place);
    return button;
  };
  m_buttonIntro = makeButton(QStringLiteral("ZRV Player"), DialogUnitsToPixels(7, 51, 73, 14));
  m_buttonHistory = makeButton(QString::fromUtf8(kHistoryButton.chinese), DialogUnitsToPixels(79, 51, 73, 14));
  m_buttonThanks = makeButton(QString::fromUtf8(kThanksButton.chinese), DialogUnitsToPixels(151, 51, 73, 14));
  m_buttonThanks->setDefault(true);
  connect(m_buttonIntro, &QPushButton::clicked, this, &CAboutDlg::OnIntro);
  connect(m_buttonHistory, &QPushButton::clicked, this, &CAboutDlg::OnHistory);
  connect(m_buttonThanks, &QPushButton::clicked, this, &CAboutDlg::OnThanks);

  m_edit = new CDigitsOnlyEdit(this);
  m_edit->setGeometry(DialogUnitsToPixels(7, 73, 217, 107));
  m_edit->setLineWrapMode(QPlainTextEdit::NoWrap);
  m_edit->setTabChangesFocus(true);
  // Tab stops every 32 dialog units, as in any multi-line text box.
  m_edit->setTabStopDistance(DialogUnitsToPixels(32, 0).width());
  m_edit->setPlainText(m_strText);
}

void CAboutDlg::SetLanguageTexts() {
  m_product->setText(Text(kProductLine));
  m_linkContact->setText(Text(kContactLine) + QString::fromLatin1(kContactAddress));
  m_linkSite->setText(Text(kSiteLine) + SiteAddress());
  if (UiLanguage != kLanguageEnglish) return;
  setWindowTitle(Text(kCaption));
  m_buttonHistory->setText(Text(kHistoryButton));
  m_buttonThanks->setText(Text(kThanksButton));
}

void CAboutDlg::OnIntro() { ShowText(m_pEditFont, IntroText()); }
void CAboutDlg::OnHistory() { ShowText(m_pEditFont, HistoryText()); }
void CAboutDlg::OnThanks() { ShowText(m_fontThanks, ThanksText()); }

void CAboutDlg::ShowText(const QFont& font, const QString& text) {
  if (!m_bExpanded) Expand();
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
