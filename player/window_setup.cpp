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

#include "app/desktop_integration.h"
#include "app/language_id.h"
#include "audio/mixer_volume.h"
#include "image/image_warning.h"
#include "player/control_ids.h"
#include "player/player_dlg.h"
#include "player/texts.h"
#include "ui/message_box.h"

namespace {

QString Text(const MessagePair& pair) { return QString::fromUtf8(pair.Text()); }

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

  PlaceOnTop(true);
  m_actions[ids::kAlwaysOnTop]->setChecked(true);

  m_volume = std::make_unique<CMixerVolume>(MIXERLINE_COMPONENTTYPE_DST_SPEAKERS,
                                            MIXER_NO_SOURCE_LINE, MIXERCONTROL_CONTROLTYPE_VOLUME);
  m_volumeSlider->setRange(0, static_cast<int>(VOLUME_SLIDER_MAX));
  m_volumeSlider->setValue(static_cast<int>(m_volume->GetValue()));

  UpdateControls();

  m_position->setToolTip(Text(texts::kPositionTip));
  m_volumeSlider->setToolTip(Text(texts::kVolumeTip));

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
  m_open->setText(Text(texts::kOpenButton));
  m_play->setText(Text(texts::kPlayButton));
  m_pause->setText(Text(texts::kPauseButton));
  m_distill->setText(Text(texts::kDistillButton));

  const std::pair<int, MessagePair> popups[] = {
      {0, texts::kMenuFile},  {1, texts::kMenuPlay},   {2, texts::kMenuTool},
      {3, texts::kMenuHelp},  {10, texts::kMenuSpeed}, {11, texts::kMenuShow},
  };
  for (const auto& [place, text] : popups) m_popups[place]->setTitle(Text(text));

  // A renamed item comes out enabled and unchecked; the steps that follow set
  // the states again.
  const std::pair<int, MessagePair> items[] = {
      {ids::kFileOpen, texts::kItemOpen},
      {ids::kFileQuit, texts::kItemQuit},
      {ids::kSpeedQuick, texts::kItemQuick},
      {ids::kSpeedNormal, texts::kItemNormalSpeed},
      {ids::kSpeedSlow, texts::kItemSlow},
      {ids::kZoomBig, texts::kItemBig},
      {ids::kZoomNormal, texts::kItemNormalZoom},
      {ids::kZoomSmall, texts::kItemSmall},
      {ids::kAlwaysOnTop, texts::kItemOnTop},
      {ids::kToolVideoConvert, texts::kItemVideoConvert},
      {ids::kToolZrvChanger, texts::kItemZrvChanger},
      {ids::kHelpAbout, texts::kItemAbout},
      {ids::kHelpCheckVersion, texts::kItemCheckVersion},
      {ids::kHelpManual, texts::kItemManual},
  };
  for (const auto& [id, text] : items) {
    QAction* a = m_actions[id];
    a->setText(Text(text));
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

void CPlayerDlg::OnAlwaysOnTop() {
  m_alwaysOnTop = !m_alwaysOnTop;
  UpdateOnTop();
  m_actions[ids::kAlwaysOnTop]->setChecked(m_alwaysOnTop);
}

void CPlayerDlg::OnReleasedCaptureVolume() {
  if (m_volume) m_volume->SetValue(static_cast<uint32_t>(m_volumeSlider->value()));
}
