// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// The player window: one dialog with the picture, the position and volume
// sliders, the status line, the transport buttons and the menu.
#pragma once

#include <QDialog>
#include <QImage>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "audio/frame_interval.h"
#include "audio/mci_wave.h"
#include "image/image_warning.h"
#include "player/player_session.h"
#include "player/temp_dir.h"

class CMixerVolume;
class RunningCompanions;
enum class Companion;
class PictureArea;
class QAction;
class QLabel;
class QMenu;
class QMenuBar;
class QPushButton;
class QSlider;
class QTimer;

#include "player/file_dialogs.h"

class CPlayerDlg : public QDialog {
  Q_OBJECT

 public:
  explicit CPlayerDlg(QWidget* parent = nullptr);
  ~CPlayerDlg() override;

  // Language, desktop integration, texts, placement, volume, controls, tool
  // tips, the temporary folder and the command line's file, in that order.
  // `arguments` are the program's arguments after its own name.
  bool OnInitDialog(const QStringList& arguments = {});

  // Handlers, one per command.
  bool OnOpen();
  void OnDropFiles(const QStringList& localFiles);
  void OnCancel();
  void OnPlay();
  void OnPause();
  void OnTimer(int timerId);
  void OnReleasedCaptureSlider();
  void OnReleasedCaptureVolume();
  void OnSpeedQuick();
  void OnSpeedNormal();
  void OnSpeedSlow();
  void OnZoomBig();
  void OnZoomNormal();
  void OnZoomSmall();
  void OnDistill();
  void OnAlwaysOnTop();
  void OnAbout();
  void OnCheckVersion();
  void OnManual();
  void OnVideoConvert();
  void OnZrvChanger();

  void UpdateControls();
  void ShowFrame();
  void OnPaint();

  // File dialogs, replaceable so that tests can answer them.
  std::function<std::optional<ChosenFile>(const QString& filter)> m_chooseOpenFile;
  std::function<std::optional<ChosenFile>(const QString& filter)> m_chooseSaveFile;

  // What the tests and the tools look at.
  const PlayerSession& session() const { return m_session; }
  CMciWave& wave() { return m_wave; }
  QAction* action(int commandId) const;
  QWidget* control(int controlId) const;
  const QImage& picture() const;
  QString statusText() const;
  const std::string& privateTempDir() const { return m_tempDir.path(); }
  PrivateTempDir& tempDir() { return m_tempDir; }
  bool alwaysOnTop() const { return m_alwaysOnTop; }
  // Whether the window is placed on top now: always on top is chosen and no
  // companion that it started runs.
  bool placedOnTop() const;
  RunningCompanions& companions() { return *m_companions; }
  QMenu* contextMenu() const { return m_contextMenu; }
  QTimer* playbackTimer() const { return m_timer; }

  std::string m_strPendingPath;
  // Clips up to this size are read and indexed whole before the open
  // returns; larger ones from their first frame on, the rest in the
  // background.
  uint64_t m_readAtOnceBytes = 8 << 20;

 protected:
  void reject() override;
  void closeEvent(QCloseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void changeEvent(QEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void OnOpenCommand() { OnOpen(); }
  void CreateControls();
  void CreateMenu();
  void FitButtonsToTexts();
  void SetAccessibleTexts();
  void SetEnglishTexts();
  void PlaceOnTop(bool onTop);
  void UpdateOnTop();
  void StartCompanionAbove(Companion companion);
  void SetStatus(const std::string& text);
  void SetStatusFormat(const char* format, ...);
  void ReleaseFile();
  void FailReading(const std::string& name);
  bool StartSound(int speed);
  void ShowLoaded();
  void OnClipRead(uint64_t opening, ReadStatus status);
  void SetSpeed(int speedMode, int commandId);
  void SetZoom(int zoomMode, int commandId);
  void CheckOne(int chosen, std::initializer_list<int> group);
  void StartSoundAtCurrentFrame();
  uint32_t SoundLength();

  PlayerSession m_session;
  CMciWave m_wave;
  uint32_t m_soundLength = kUnknownSoundLength;  // of the loaded clip's converted sound, ms
  uint64_t m_openings = 0;  // opens begun, so that a late end of reading knows its clip
  std::string m_openName;   // the display name of the clip being read
  std::unique_ptr<CMixerVolume> m_volume;
  PrivateTempDir m_tempDir;
  bool m_alwaysOnTop = true;
  RunningCompanions* m_companions = nullptr;  // owned by the window
  bool m_manualHandedOver = false;  // stepped down for the manual's viewer
  bool m_leftForManual = false;     // the user has been away since then
  ImageWarningHandler m_previousImageWarning;
  bool m_imageWarningInstalled = false;
  bool m_closed = false;

  QTimer* m_timer = nullptr;
  QWidget* m_client = nullptr;
  PictureArea* m_picture = nullptr;
  QSlider* m_position = nullptr;
  QSlider* m_volumeSlider = nullptr;
  QLabel* m_status = nullptr;
  QLabel* m_volumeIcon = nullptr;
  QPushButton* m_open = nullptr;
  QPushButton* m_play = nullptr;
  QPushButton* m_pause = nullptr;
  QPushButton* m_distill = nullptr;
  std::unique_ptr<QPushButton> m_default;
  QMenuBar* m_menuBar = nullptr;
  QMenu* m_contextMenu = nullptr;
  std::map<int, QAction*> m_actions;
  std::map<int, QMenu*> m_popups;  // by their place: 0..3 on the bar, 10 and 11 inside Play
};
