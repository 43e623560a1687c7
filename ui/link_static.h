// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// CLinkStatic: a static text that behaves as a hyperlink. Coloured text, an
// optional underline, a pointing hand and a tool tip that names the target, a
// hover colour from the first movement over it until the pointer leaves, and a
// click that opens the target: through the desktop, else through the browser
// that $BROWSER names, else a beep and a box that says why it failed.
#pragma once

#include <QColor>
#include <QFont>
#include <QLabel>
#include <QString>

// Result codes of opening a target, numbered as the Windows shell numbers
// them: a result above 32 means the target was opened.
inline constexpr int kOpenSucceeded = 33;
inline constexpr int kOpenErrorFileNotFound = 2;
inline constexpr int kOpenErrorPathNotFound = 3;
inline constexpr int kOpenErrorAccessDenied = 5;
inline constexpr int kOpenErrorBadFormat = 11;
inline constexpr int kOpenErrorNoAssociation = 31;

// The text that the error box shows after "Unable to open hyperlink:\n\n"
// (English whatever the interface language is).
QString OpenErrorText(int code);

class CLinkStatic : public QLabel {
  Q_OBJECT

 public:
  explicit CLinkStatic(QWidget* parent = nullptr);

  // The preparation, run once the control stands at its place with its text
  // (the dialog's binding of the item): the target defaults to the text (and
  // the text to the target), the link font is made, the control is fitted to
  // its text, and it gets the hand cursor and the tool tip.
  void PreSubclassWindow();

  // Changes what a click opens; a prepared control is refitted to its current
  // text and its tool tip shows the new target.
  void SetTarget(const QString& target);
  void SetUnderlined(bool underlined);

  const QString& Target() const { return m_strTarget; }
  bool IsUnderlined() const { return m_bUnderlined; }
  bool IsHovered() const { return m_bHover; }
  bool IsOpened() const { return m_bOpened; }
  // The colour the text is drawn in now: hover, else opened, else link.
  QColor TextColour() const;

  // Opens `target` and returns the result code. The desktop's handler comes
  // first; when it has none, each command of $BROWSER (a colon-separated list)
  // is tried in turn, its "%s" replaced by the target or, without one, the
  // target appended as the last argument. The browser is started with an
  // argument list, never through a shell.
  static int OpenTarget(const QString& target);

  // What a click does: opens the target, or tells why it cannot.
  void Activate();

 protected:
  void mouseMoveEvent(QMouseEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  void OnClicked();
  void MarkOpened(bool opened);
  void FitToText();
  void LoadHandCursor();
  void ShowOpenError(int code);
  void SetHover(bool hover);
  void ApplyTextColour();

  QColor m_crLink{0, 0, 238};
  QColor m_crOpened{0, 0, 238};
  QColor m_crHover{0, 128, 255};
  bool m_bHover = false;
  bool m_bOpened = false;
  bool m_bUnderlined = true;
  bool m_bFitText = true;
  bool m_bPrepared = false;
  QString m_strTarget;
  QFont m_fontLink;
};
