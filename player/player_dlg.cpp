// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// The player window's controls, menu and event routing.
#include "player/player_dlg.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QMimeData>
#include <QPushButton>
#include <QSlider>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

#include "audio/mixer_volume.h"
#include "player/control_ids.h"
#include "ui/icons.h"
#include "player/percent_slider.h"
#include "player/picture_area.h"
#include "player/texts.h"
#include "player/window_role.h"
#include "ui/dialog_units.h"
#include "ui/running_companions.h"

CPlayerDlg::CPlayerDlg(QWidget* parent) : QDialog(parent) {
  setWindowTitle(texts::kTitle);
  // The program's main window: an ordinary top-level window to the window
  // manager and to screen readers, though the class is a dialog's.
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                 Qt::WindowCloseButtonHint);
  AnnouncePlayerAsMainWindow();
  setAcceptDrops(true);
  setWindowIcon(ProgramIcon(128));
  CreateControls();
  CreateMenu();
  m_companions = new RunningCompanions(this);
  connect(m_companions, &RunningCompanions::allEnded, this, &CPlayerDlg::UpdateOnTop);
  // Until a file is chosen the dialogs of the desktop are asked.
  m_chooseOpenFile = [this](const QString& filter) { return AskForFile(this, filter, false); };
  m_chooseSaveFile = [this](const QString& filter) { return AskForFile(this, filter, true); };
}

CPlayerDlg::~CPlayerDlg() {
  if (!m_closed) OnCancel();
  if (m_imageWarningInstalled) SetImageWarningHandler(std::move(m_previousImageWarning));
}

// The template's controls, placed in dialog units of the window's font, so
// that a larger font makes a larger window rather than cut texts.
void CPlayerDlg::CreateControls() {
  const DialogUnits units(font());
  m_client = new QWidget(this);
  m_client->setFixedSize(units.ToPixels(234, 190));

  const QRect pictureRect = units.ToPixels(1, 0, 232, 133);
  m_picture = new PictureArea(pictureRect.size(), m_client);
  m_picture->move(pictureRect.topLeft());
  m_picture->onRepaint = [this] { OnPaint(); };

  m_position = new QSlider(Qt::Horizontal, m_client);
  m_position->setGeometry(units.ToPixels(1, 133, 232, 13));
  m_position->setTickPosition(QSlider::NoTicks);
  m_position->installEventFilter(this);

  m_status = new QLabel(texts::kResourceStatus, m_client);
  // File names and messages are shown as they are, never as markup.
  m_status->setTextFormat(Qt::PlainText);
  m_status->setGeometry(units.ToPixels(1, 152, 232, 11));

  m_volumeIcon = new QLabel(m_client);
  m_volumeIcon->setObjectName("volumeIcon");
  m_volumeIcon->setGeometry(units.ToPixels(7, 163, 20, 20));
  const int iconSide = std::min(m_volumeIcon->width(), m_volumeIcon->height());
  m_volumeIcon->setPixmap(ProgramIcon(149).pixmap(iconSide, iconSide));
  m_volumeIcon->setAlignment(Qt::AlignCenter);

  m_volumeSlider = new QSlider(Qt::Horizontal, m_client);
  m_volumeSlider->setGeometry(units.ToPixels(29, 167, 73, 13));
  m_volumeSlider->setTickPosition(QSlider::NoTicks);
  m_volumeSlider->installEventFilter(this);
  ReportValueAsPercent(m_volumeSlider);

  auto button = [this](const char* text, QRect place, bool enabled) {
    auto* b = new QPushButton(QString::fromUtf8(text), m_client);
    b->setGeometry(place);
    b->setEnabled(enabled);
    b->setAutoDefault(false);
    return b;
  };
  m_open = button(texts::kOpenButton.chinese, units.ToPixels(111, 166, 23, 14), true);
  m_play = button(texts::kPlayButton.chinese, units.ToPixels(141, 166, 23, 14), false);
  m_pause = button(texts::kPauseButton.chinese, units.ToPixels(171, 166, 23, 14), false);
  m_distill = button(texts::kDistillButton.chinese, units.ToPixels(201, 166, 32, 14), false);
  // Enter presses this default button, to which no command is bound. It is
  // never shown, so it stays out of the window altogether: no parent, and so
  // nothing for a screen reader to find.
  m_default = std::make_unique<QPushButton>(QStringLiteral("Button1"));
  m_default->setDefault(true);

  // Tab goes through the window from top to bottom, left to right.
  setTabOrder(m_position, m_volumeSlider);
  setTabOrder(m_volumeSlider, m_open);
  setTabOrder(m_open, m_play);
  setTabOrder(m_play, m_pause);
  setTabOrder(m_pause, m_distill);

  connect(m_open, &QPushButton::clicked, this, [this] { OnOpen(); });
  connect(m_play, &QPushButton::clicked, this, &CPlayerDlg::OnPlay);
  connect(m_pause, &QPushButton::clicked, this, &CPlayerDlg::OnPause);
  connect(m_distill, &QPushButton::clicked, this, &CPlayerDlg::OnDistill);

  m_menuBar = new QMenuBar(this);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->setMenuBar(m_menuBar);
  layout->addWidget(m_client);
  layout->setSizeConstraint(QLayout::SetFixedSize);
}

// Each button as wide as its text needs in the window's font and style; the
// buttons to its right move along, and the window, the position slider and
// the status line grow with the row. The picture keeps its size.
void CPlayerDlg::FitButtonsToTexts() {
  int shift = 0;
  for (QPushButton* b : {m_open, m_play, m_pause, m_distill}) {
    b->move(b->x() + shift, b->y());
    const QSize needed = ButtonSizeForText(b, b->text());
    const int grow = std::max(0, needed.width() - b->width());
    b->resize(b->width() + grow, std::max(b->height(), needed.height()));
    shift += grow;
  }
  const int right = m_distill->geometry().right() + 1 + DialogUnits(font()).X(1);
  const int wider = right - m_client->width();
  if (wider <= 0) return;
  m_client->setFixedWidth(right);
  for (QWidget* w : std::initializer_list<QWidget*>{m_position, m_status}) w->resize(w->width() + wider, w->height());
  m_picture->move(m_picture->x() + wider / 2, m_picture->y());
}

void CPlayerDlg::CreateMenu() {
  auto popup = [this](QMenu* parent, int place, const MessagePair& text) {
    QMenu* menu = parent ? parent->addMenu(QString::fromUtf8(text.chinese))
                         : m_menuBar->addMenu(QString::fromUtf8(text.chinese));
    m_popups[place] = menu;
    return menu;
  };
  auto item = [this](QMenu* menu, int id, const MessagePair& text, void (CPlayerDlg::*handler)(),
                     bool checkable = false) {
    QAction* a = menu->addAction(QString::fromUtf8(text.chinese));
    a->setData(id);
    a->setCheckable(checkable);
    connect(a, &QAction::triggered, this, [this, handler] { (this->*handler)(); });
    m_actions[id] = a;
    return a;
  };

  QMenu* file = popup(nullptr, 0, texts::kMenuFile);
  item(file, ids::kFileOpen, texts::kItemOpen, &CPlayerDlg::OnOpenCommand);
  item(file, ids::kFileQuit, texts::kItemQuit, &CPlayerDlg::OnCancel);

  QMenu* play = popup(nullptr, 1, texts::kMenuPlay);
  QMenu* speed = popup(play, 10, texts::kMenuSpeed);
  item(speed, ids::kSpeedQuick, texts::kItemQuick, &CPlayerDlg::OnSpeedQuick, true);
  item(speed, ids::kSpeedNormal, texts::kItemNormalSpeed, &CPlayerDlg::OnSpeedNormal, true);
  item(speed, ids::kSpeedSlow, texts::kItemSlow, &CPlayerDlg::OnSpeedSlow, true);
  QMenu* show = popup(play, 11, texts::kMenuShow);
  item(show, ids::kZoomBig, texts::kItemBig, &CPlayerDlg::OnZoomBig, true);
  item(show, ids::kZoomNormal, texts::kItemNormalZoom, &CPlayerDlg::OnZoomNormal, true);
  item(show, ids::kZoomSmall, texts::kItemSmall, &CPlayerDlg::OnZoomSmall, true);
  play->addSeparator();
  item(play, ids::kAlwaysOnTop, texts::kItemOnTop, &CPlayerDlg::OnAlwaysOnTop, true);

  QMenu* tool = popup(nullptr, 2, texts::kMenuTool);
  item(tool, ids::kToolVideoConvert, texts::kItemVideoConvert, &CPlayerDlg::OnVideoConvert);
  item(tool, ids::kToolZrvChanger, texts::kItemZrvChanger, &CPlayerDlg::OnZrvChanger);

  QMenu* help = popup(nullptr, 3, texts::kMenuHelp);
  item(help, ids::kHelpCheckVersion, texts::kItemCheckVersion, &CPlayerDlg::OnCheckVersion);
  item(help, ids::kHelpManual, texts::kItemManual, &CPlayerDlg::OnManual);
  help->addSeparator();
  item(help, ids::kHelpAbout, texts::kItemAbout, &CPlayerDlg::OnAbout);

  // The initial states of the menu resource.
  for (int id : {ids::kSpeedQuick, ids::kSpeedNormal, ids::kSpeedSlow, ids::kZoomBig,
                 ids::kZoomNormal, ids::kZoomSmall})
    m_actions[id]->setEnabled(false);
  m_actions[ids::kSpeedNormal]->setChecked(true);
  m_actions[ids::kZoomNormal]->setChecked(true);
  m_actions[ids::kAlwaysOnTop]->setChecked(true);
}

QAction* CPlayerDlg::action(int commandId) const {
  auto it = m_actions.find(commandId);
  return it == m_actions.end() ? nullptr : it->second;
}

QWidget* CPlayerDlg::control(int controlId) const {
  switch (controlId) {
    case ids::kOpenButton: return m_open;
    case ids::kPicture: return m_picture;
    case ids::kPlayButton: return m_play;
    case ids::kPositionSlider: return m_position;
    case ids::kPauseButton: return m_pause;
    case ids::kDistillButton: return m_distill;
    case ids::kStatusLine: return m_status;
    case ids::kDefaultButton: return m_default.get();
    case ids::kVolumeSlider: return m_volumeSlider;
  }
  return nullptr;
}

bool CPlayerDlg::placedOnTop() const { return windowFlags().testFlag(Qt::WindowStaysOnTopHint); }

const QImage& CPlayerDlg::picture() const { return m_picture->image(); }

QString CPlayerDlg::statusText() const { return m_status->text(); }

void CPlayerDlg::SetStatus(const std::string& text) { m_status->setText(QString::fromStdString(text)); }

void CPlayerDlg::CheckOne(int chosen, std::initializer_list<int> group) {
  for (int id : group) m_actions[id]->setChecked(id == chosen);
}

// Every way of closing the window (close box, window manager, quit) ends here.
void CPlayerDlg::reject() {
  if (!m_closed) OnCancel();
}

void CPlayerDlg::closeEvent(QCloseEvent* event) {
  if (!m_closed) OnCancel();
  event->accept();
}

void CPlayerDlg::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Escape:
      event->accept();  // swallowed: Escape does not close the player
      return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      m_default->click();  // bound to nothing
      event->accept();
      return;
  }
  QDialog::keyPressEvent(event);
}

void CPlayerDlg::contextMenuEvent(QContextMenuEvent* event) {
  m_contextMenu->popup(event->globalPos());
  event->accept();
}

void CPlayerDlg::dragEnterEvent(QDragEnterEvent* event) {
  for (const QUrl& url : event->mimeData()->urls()) {
    if (url.isLocalFile()) {
      event->acceptProposedAction();
      return;
    }
  }
}

void CPlayerDlg::dropEvent(QDropEvent* event) {
  QStringList files;
  for (const QUrl& url : event->mimeData()->urls())
    if (url.isLocalFile()) files << url.toLocalFile();
  event->acceptProposedAction();
  OnDropFiles(files);
}

// The sliders act when the mouse button is let go on them, after a drag or a
// click, not on every change of value.
bool CPlayerDlg::eventFilter(QObject* watched, QEvent* event) {
  // Only the left button drags a slider; another button's release is no
  // release of the capture. From the keyboard, letting go of a key that
  // moves the slider is the end of the move.
  const bool mouseDone = event->type() == QEvent::MouseButtonRelease &&
                         static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton;
  bool keyDone = false;
  if (event->type() == QEvent::KeyRelease) {
    const auto* key = static_cast<QKeyEvent*>(event);
    switch (key->key()) {
      case Qt::Key_Left: case Qt::Key_Right: case Qt::Key_Up: case Qt::Key_Down:
      case Qt::Key_PageUp: case Qt::Key_PageDown: case Qt::Key_Home: case Qt::Key_End:
        keyDone = !key->isAutoRepeat();
        break;
      default: break;
    }
  }
  if (mouseDone || keyDone) {
    if (watched == m_position)
      QTimer::singleShot(0, this, &CPlayerDlg::OnReleasedCaptureSlider);
    else if (watched == m_volumeSlider)
      QTimer::singleShot(0, this, &CPlayerDlg::OnReleasedCaptureVolume);
  }
  return QDialog::eventFilter(watched, event);
}
