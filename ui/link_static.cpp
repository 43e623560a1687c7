// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
#include "ui/link_static.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>
#include <QDir>
#include <QFileInfo>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QProcess>
#include <QStandardPaths>
#include <QStringList>
#include <QUrl>

#include "ui/desktop_open.h"
#include "ui/dialog_units.h"
#include "ui/message_box.h"

namespace {

// In a $BROWSER command "%s" stands for the target and "%%" for a single "%".
QString FillPlaceholder(const QString& argument, const QString& target, bool* filled) {
  QString result;
  for (qsizetype i = 0; i < argument.size(); ++i) {
    if (argument[i] == u'%' && i + 1 < argument.size()) {
      if (argument[i + 1] == u's') {
        result += target;
        *filled = true;
        ++i;
        continue;
      }
      if (argument[i + 1] == u'%') {
        result += u'%';
        ++i;
        continue;
      }
    }
    result += argument[i];
  }
  return result;
}

// Starts one browser command (program and arguments) detached. The checks in
// front of the start tell the user why a browser could not be started, in the
// codes of the error box.
int StartBrowser(const QStringList& command) {
  QString program = command.first();
  if (!program.contains(u'/')) {
    program = QStandardPaths::findExecutable(program);
    if (program.isEmpty()) return kOpenErrorFileNotFound;
  } else {
    const QFileInfo info(program);
    if (!info.absoluteDir().exists()) return kOpenErrorPathNotFound;
    if (!info.exists()) return kOpenErrorFileNotFound;
    if (info.isDir() || !info.isExecutable()) return kOpenErrorAccessDenied;
  }
  // What is left once the file exists and may be run: it is no program.
  if (!QProcess::startDetached(program, command.mid(1))) return kOpenErrorBadFormat;
  return kOpenSucceeded;
}

// The fallback when the desktop cannot open the target; `desktopResult` stands
// when $BROWSER names no command.
int OpenWithBrowserVariable(const QString& target, int desktopResult) {
  int result = desktopResult;
  const QStringList commands = qEnvironmentVariable("BROWSER").split(u':', Qt::SkipEmptyParts);
  for (const QString& entry : commands) {
    QStringList command = QProcess::splitCommand(entry);
    if (command.isEmpty()) continue;
    // The command is split before the target goes in, so that no blank or
    // quote in the target can turn into another argument.
    bool filled = false;
    for (qsizetype i = 1; i < command.size(); ++i) command[i] = FillPlaceholder(command[i], target, &filled);
    if (!filled) command.append(target);
    result = StartBrowser(command);
    if (result > 32) break;
  }
  return result;
}

}  // namespace

QString OpenErrorText(int code) {
  switch (static_cast<unsigned>(code)) {
    case 0: return QStringLiteral("The operating system is out\nof memory or resources.");
    case 2: return QStringLiteral("The specified file was not found.");
    case 3: return QStringLiteral("The specified path was not found.");
    case 5: return QStringLiteral("The operating system denied\naccess to the specified file.");
    case 8: return QStringLiteral("There was not enough memory to complete the operation.");
    case 11: return QStringLiteral("The .EXE file is invalid\n(non-Win32 .EXE or error in .EXE image).");
    case 26: return QStringLiteral("A sharing violation occurred. ");
    case 27: return QStringLiteral("The filename association is\nincomplete or invalid.");
    case 28: return QStringLiteral("The DDE transaction could not\nbe completed because the request timed out.");
    case 29: return QStringLiteral("The DDE transaction failed.");
    case 30:
      return QStringLiteral(
          "The DDE transaction could not\nbe completed because other DDE transactions\nwere being processed.");
    case 31: return QStringLiteral("There is no application associated\nwith the given filename extension.");
    case 32: return QStringLiteral("The specified dynamic-link library was not found.");
    default: return QStringLiteral("Unknown Error (%1) occurred.").arg(code);
  }
}

namespace {

// A screen reader meets the control as a link: named by its text, described
// by its target, and pressed as a click would press it.
class LinkAccessible : public QAccessibleWidget {
 public:
  explicit LinkAccessible(CLinkStatic* link) : QAccessibleWidget(link, QAccessible::Link) {}

  QString text(QAccessible::Text kind) const override {
    const auto* link = static_cast<const CLinkStatic*>(widget());
    if (kind == QAccessible::Name) return link->text();
    if (kind == QAccessible::Description) return link->Target();
    return QAccessibleWidget::text(kind);
  }

  QStringList actionNames() const override { return QStringList{pressAction()} + QAccessibleWidget::actionNames(); }
  void doAction(const QString& name) override {
    // After the call has returned, so that a box about a failure does not
    // hold the caller's request open.
    if (name == pressAction()) {
      QMetaObject::invokeMethod(static_cast<CLinkStatic*>(widget()), &CLinkStatic::Activate, Qt::QueuedConnection);
      return;
    }
    QAccessibleWidget::doAction(name);
  }
};

QAccessibleInterface* LinkFactory(const QString&, QObject* object) {
  if (auto* link = qobject_cast<CLinkStatic*>(object)) return new LinkAccessible(link);
  return nullptr;
}

}  // namespace

CLinkStatic::CLinkStatic(QWidget* parent) : QLabel(parent) {
  static const bool accessibleInstalled = [] {
    QAccessible::installFactory(LinkFactory);
    return true;
  }();
  (void)accessibleInstalled;
  // Reached with Tab and opened with Enter or Space, like a button.
  setFocusPolicy(Qt::StrongFocus);
  // A plain static text: no markup, top left, and only the padding that
  // keeps the focus rectangle off the letters, so that the control can be
  // fitted to its text.
  setTextFormat(Qt::PlainText);
  setAlignment(Qt::AlignLeft | Qt::AlignTop);
  setMargin(kTextPadding);
  setIndent(0);
  setMouseTracking(true);
  ApplyTextColour();
}

void CLinkStatic::PreSubclassWindow() {
  if (m_strTarget.isEmpty()) m_strTarget = text();
  if (text().isEmpty()) setText(m_strTarget);
  m_fontLink = font();
  m_fontLink.setUnderline(m_bUnderlined);
  setFont(m_fontLink);
  m_bPrepared = true;
  FitToText();
  LoadHandCursor();
  setToolTip(m_strTarget);
}

void CLinkStatic::SetTarget(const QString& target) {
  m_strTarget = target;
  if (!m_bPrepared) return;
  FitToText();
  setToolTip(m_strTarget);
}

void CLinkStatic::SetUnderlined(bool underlined) {
  m_bUnderlined = underlined;
  if (!m_bPrepared) return;
  m_fontLink = font();
  m_fontLink.setUnderline(m_bUnderlined);
  setFont(m_fontLink);
  update();
}

QColor CLinkStatic::TextColour() const {
  if (m_bHover) return m_crHover;
  return m_bOpened ? m_crOpened : m_crLink;
}

int CLinkStatic::OpenTarget(const QString& target) {
  const int desktop = OpenWithDesktop(target);
  if (desktop > 32) return desktop;
  return OpenWithBrowserVariable(target, desktop);
}

void CLinkStatic::mouseMoveEvent(QMouseEvent* event) {
  QLabel::mouseMoveEvent(event);
  if (!m_bHover) {
    SetHover(true);
  } else if (!rect().contains(event->position().toPoint())) {
    // Only seen while a button is held: the move then stays with us outside.
    SetHover(false);
  }
}

void CLinkStatic::leaveEvent(QEvent* event) {
  QLabel::leaveEvent(event);
  if (m_bHover) SetHover(false);
}

void CLinkStatic::mousePressEvent(QMouseEvent* event) {
  // The press belongs to the link's click; the window behind it does not see it.
  if (event->button() == Qt::LeftButton) {
    event->accept();
    return;
  }
  QLabel::mousePressEvent(event);
}

void CLinkStatic::mouseReleaseEvent(QMouseEvent* event) {
  QLabel::mouseReleaseEvent(event);
  if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) OnClicked();
}

void CLinkStatic::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
      event->accept();
      OnClicked();
      return;
  }
  QLabel::keyPressEvent(event);
}

// The text in the link's colours, and the platform's focus rectangle around
// it while the link has the keyboard focus.
void CLinkStatic::paintEvent(QPaintEvent* event) {
  QLabel::paintEvent(event);
  if (!hasFocus()) return;
  QPainter painter(this);
  QStyleOptionFocusRect option;
  option.initFrom(this);
  // Shown whatever moved the focus here, not only the keyboard: the link
  // has no other sign of being the one that Enter opens.
  option.state |= QStyle::State_KeyboardFocusChange;
  option.backgroundColor = palette().color(QPalette::Window);
  style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
}

void CLinkStatic::Activate() { OnClicked(); }

void CLinkStatic::OnClicked() {
  const int result = OpenTarget(m_strTarget);
  if (result > 32) {
    MarkOpened(true);
    return;
  }
  QApplication::beep();
  ShowOpenError(result);
}

void CLinkStatic::MarkOpened(bool opened) {
  m_bOpened = opened;
  ApplyTextColour();
  update();
}

void CLinkStatic::FitToText() {
  if (!m_bPrepared || !m_bFitText) return;
  const QRect place = geometry();
  int left = place.left();
  int top = place.top();
  int right = left + place.width();
  int bottom = top + place.height();

  const QSize textSize = TextBoxSize(QFontMetrics(m_fontLink), text());
  const int textWidth = textSize.width();
  const int textHeight = textSize.height();

  if (alignment() & Qt::AlignVCenter) {
    const int inset = (place.height() - textHeight) / 2;
    top += inset;
    bottom -= inset;
  } else {
    bottom = top + textHeight;
  }
  if (alignment() & Qt::AlignHCenter) {
    const int inset = (place.width() - textWidth) / 2;
    left += inset;
    right -= inset;
  } else if (alignment() & Qt::AlignRight) {
    left = right - textWidth;
  } else {
    right = left + textWidth;
  }
  setGeometry(left, top, right - left, bottom - top);
}

void CLinkStatic::LoadHandCursor() { setCursor(Qt::PointingHandCursor); }

void CLinkStatic::ShowOpenError(int code) {
  ShowMessageBox(window(), QStringLiteral("Unable to open hyperlink:\n\n") + OpenErrorText(code),
                 QMessageBox::Warning);
}

void CLinkStatic::SetHover(bool hover) {
  m_bHover = hover;
  ApplyTextColour();
  repaint();
}

void CLinkStatic::ApplyTextColour() {
  QPalette colours = palette();
  colours.setColor(QPalette::WindowText, TextColour());
  setPalette(colours);
}
