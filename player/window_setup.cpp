// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// Setting the window up: language, texts, placement, volume, tool tips, and
// the commands that belong to the window itself.
#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QSlider>
#include <QWindow>

#include "desktop/desktop_integration.h"
#include "desktop/language_id.h"
#include "audio/mixer_volume.h"
#include "image/image_warning.h"
#include "player/control_ids.h"
#include "player/picture_area.h"
#include "player/player_dlg.h"
#include "player/texts.h"
#include "ui/message_box.h"

namespace {

QString Text(const MessagePair& pair) { return QString::fromUtf8(pair.Text()); }

// The English texts get keyboard mnemonics: the letter after the marker is
// underlined and reached with Alt, and the text reads as before. The Chinese
// texts have no letter to mark without adding one, so they keep none.
QString WithMnemonic(const MessagePair& pair, char letter) {
  QString text = Text(pair);
  const qsizetype at = text.indexOf(QChar::fromLatin1(letter), 0, Qt::CaseInsensitive);
  if (at >= 0) text.insert(at, u'&');
  return text;
}

}  // namespace

bool CPlayerDlg::OnInitDialog(const QStringList& arguments) {
  UiLanguage = InterfaceLanguageFor(SystemDefaultLangID());
  // The image layer's one warning is a message box over this window.
  m_previousImageWarning = SetImageWarningHandler([this](const char* message) {
    ShowMessageBox(this, QString::fromUtf8(message), QMessageBox::NoIcon);
  });
  m_imageWarningInstalled = true;

  // The entry that a window's system menu would carry: at the end of the
  // window's context menu, after a separator.
  m_contextMenu = new QMenu(this);
  m_contextMenu->addSeparator();
  QAction* about = m_contextMenu->addAction(Text(texts::kAboutEntry));
  about->setData(ids::kSystemAbout);
  connect(about, &QAction::triggered, this, &CPlayerDlg::OnAbout);

  const QString executable = QCoreApplication::applicationFilePath();
  WriteFileAssociation(DataHome(), executable.toStdString(),
                       (QCoreApplication::applicationDirPath() + "/icons").toStdString());

  m_status->setText(Text(texts::kWelcome));
  if (UiLanguage == kLanguageEnglish) SetEnglishTexts();
  FitButtonsToTexts();

  PlaceOnTop(true);
  m_actions[ids::kAlwaysOnTop]->setChecked(true);

  m_volume = std::make_unique<CMixerVolume>(MIXERLINE_COMPONENTTYPE_DST_SPEAKERS,
                                            MIXER_NO_SOURCE_LINE, MIXERCONTROL_CONTROLTYPE_VOLUME);
  m_volumeSlider->setRange(0, static_cast<int>(VOLUME_SLIDER_MAX));
  m_volumeSlider->setValue(static_cast<int>(m_volume->GetValue()));

  UpdateControls();

  m_position->setToolTip(Text(texts::kPositionTip));
  m_volumeSlider->setToolTip(Text(texts::kVolumeTip));
  SetAccessibleTexts();

  // A private folder for the temporary files; if the temporary folder takes
  // none, the system's is tried before playing gives up.
  if (!m_tempDir.Create(ReadTempDir())) m_tempDir.Create("/tmp");

  if (!arguments.isEmpty() && !arguments.first().isEmpty()) {
    // Relative paths are made whole, so the title always has the file's name.
    m_strPendingPath = QFileInfo(arguments.first()).absoluteFilePath().toStdString();
    OnOpen();
  }
  return true;
}

void CPlayerDlg::SetEnglishTexts() {
  // The menu bar takes Alt+F, P, T and H; the buttons take the others.
  m_open->setText(WithMnemonic(texts::kOpenButton, 'o'));
  m_play->setText(WithMnemonic(texts::kPlayButton, 'l'));
  m_pause->setText(WithMnemonic(texts::kPauseButton, 'u'));
  m_distill->setText(WithMnemonic(texts::kDistillButton, 'd'));

  const struct {
    int place;
    MessagePair text;
    char mnemonic;
  } popups[] = {
      {0, texts::kMenuFile, 'f'},   {1, texts::kMenuPlay, 'p'},   {2, texts::kMenuTool, 't'},
      {3, texts::kMenuHelp, 'h'},   {10, texts::kMenuSpeed, 's'}, {11, texts::kMenuShow, 'h'},
  };
  for (const auto& popup : popups) m_popups[popup.place]->setTitle(WithMnemonic(popup.text, popup.mnemonic));

  // A renamed item comes out enabled and unchecked; the steps that follow set
  // the states again.
  const struct {
    int id;
    MessagePair text;
    char mnemonic;
  } items[] = {
      {ids::kFileOpen, texts::kItemOpen, 'o'},
      {ids::kFileQuit, texts::kItemQuit, 'q'},
      {ids::kSpeedQuick, texts::kItemQuick, 'q'},
      {ids::kSpeedNormal, texts::kItemNormalSpeed, 'n'},
      {ids::kSpeedSlow, texts::kItemSlow, 's'},
      {ids::kZoomBig, texts::kItemBig, 'b'},
      {ids::kZoomNormal, texts::kItemNormalZoom, 'n'},
      {ids::kZoomSmall, texts::kItemSmall, 's'},
      {ids::kAlwaysOnTop, texts::kItemOnTop, 'a'},
      {ids::kToolVideoConvert, texts::kItemVideoConvert, 'v'},
      {ids::kToolZrvChanger, texts::kItemZrvChanger, 'z'},
      {ids::kHelpAbout, texts::kItemAbout, 'a'},
      {ids::kHelpCheckVersion, texts::kItemCheckVersion, 'c'},
      {ids::kHelpManual, texts::kItemManual, 's'},
  };
  for (const auto& item : items) {
    QAction* a = m_actions[item.id];
    a->setText(WithMnemonic(item.text, item.mnemonic));
    a->setEnabled(true);
    a->setChecked(false);
  }
}

// Top-most or not, keeping the window where it is and as large as it is.
// Changing the flag through the widget would re-create a visible window,
// hiding it on the way, and a hidden modal dialog ends its run: once the
// native window exists, the flag goes to it directly and the widget only
// records it.
void CPlayerDlg::PlaceOnTop(bool onTop) {
  QWindow* native = windowHandle();
  if (!native) {
    setWindowFlag(Qt::WindowStaysOnTopHint, onTop);
    return;
  }
  Qt::WindowFlags flags = windowFlags();
  flags.setFlag(Qt::WindowStaysOnTopHint, onTop);
  overrideWindowFlags(flags);
  native->setFlags(flags);
}

// Names for the controls that show no text, in the interface's language;
// each slider's tool tip is its description.
void CPlayerDlg::SetAccessibleTexts() {
  m_picture->setAccessibleName(Text(texts::kPictureName));
  m_position->setAccessibleName(Text(texts::kPositionName));
  m_position->setAccessibleDescription(m_position->toolTip());
  m_volumeSlider->setAccessibleName(Text(texts::kVolumeName));
  m_volumeSlider->setAccessibleDescription(m_volumeSlider->toolTip());
  m_volumeIcon->setAccessibleName(Text(texts::kVolumeIconName));
}

void CPlayerDlg::OnAlwaysOnTop() {
  m_alwaysOnTop = !m_alwaysOnTop;
  UpdateOnTop();
  m_actions[ids::kAlwaysOnTop]->setChecked(m_alwaysOnTop);
}

void CPlayerDlg::OnReleasedCaptureVolume() {
  if (m_volume) m_volume->SetValue(static_cast<uint32_t>(m_volumeSlider->value()));
}
