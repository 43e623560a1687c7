// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// Opening a clip, taking a dropped file, and what closing the window releases.
#include <QPushButton>
#include <QSlider>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <utility>

#include "audio/amr_track.h"
#include "audio/frame_interval.h"
#include "audio/mixer_volume.h"
#include "container/clip_file.h"
#include "player/display_name.h"
#include "player/picture_area.h"
#include "player/player_dlg.h"
#include "player/texts.h"

namespace {

constexpr const char* kAmrFile = "zrvplayer_tmp.amr";
constexpr const char* kWavFile = "zrvplayer_tmp.wav";
constexpr const char* kFrameFile = "zrvplayer_tmp.jpg";

bool WriteBytes(const std::string& path, const uint8_t* bytes, size_t size) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  const bool written = std::fwrite(bytes, 1, size, f) == size;
  return (std::fclose(f) == 0) && written;
}

// The length of the clip's sound in blocks of 20 ms, counted from the
// frames without decoding; -1 for a track that cannot be converted: one of
// no known kind, or one that claims more sound than a clip of its size can
// carry (one-byte no-data frames claim hours in a megabyte). Converting such
// a track would write hundreds of megabytes; the clip plays without sound.
int64_t ConvertibleBlocks(const PlayerSession& s) {
  const int64_t blocks = AmrCountBlocks(s.fileData.data() + s.index.audioStart,
                                        size_t(s.index.audioEnd) - s.index.audioStart + 1);
  if (blocks > 0 && double(blocks) * 20 > LongestSoundMs(s.fileData.size())) return -1;
  return blocks;
}

}  // namespace

bool CPlayerDlg::OnOpen() {
  // 1. The path: handed over by a drop or the command line, or asked for.
  std::string path, name;
  if (!m_strPendingPath.empty()) {
    path = std::exchange(m_strPendingPath, {});
    name = DisplayNameFromPath(path);
  } else {
    std::optional<ChosenFile> chosen = m_chooseOpenFile(QString::fromUtf8(texts::kOpenFilter.Text()));
    if (!chosen) return false;
    path = chosen->path;
    name = DisplayNameFromFileName(chosen->fileName);
  }

  // 2.-5. Read it: whole when it is small, else as far as its first frame,
  // the rest being read and indexed in the background while that frame is
  // shown. A file that cannot be opened leaves the loaded clip playing; past
  // that point the old clip is given up.
  PlayerSession& s = m_session;
  auto reading = std::make_unique<ClipReading>();
  if (!reading->Open(path)) {
    SetStatus(std::string(texts::kOpenErrorBefore.Text()) + name + texts::kOpenErrorAfter.Text());
    return false;
  }
  // The old clip's reading fills the block that the new clip takes over.
  s.reading.reset();
  s.indexing = false;
  ++m_openings;
  s.state = stateNoFile;
  if (s.index.hasSound) {
    // The old clip's sound must not play on without its clip.
    s.soundConversion.Cancel();
    m_wave.Close();
    s.index.hasSound = false;
  }
  const bool atOnce = reading->length() <= m_readAtOnceBytes;
  ReadStatus status = reading->Allocate(s.fileData);
  if (status == ReadStatus::ok)
    status = atOnce ? reading->ReadRest(s.index) : reading->ReadFirstFrame(s.index);
  if (status == ReadStatus::noMemory) {
    SetStatus(texts::kNoMemory.Text());
    UpdateControls();
    return false;
  }
  if (status != ReadStatus::ok) {
    FailReading(name);
    return false;
  }

  // 6.-7. Index it (done while reading).
  if (s.index.frameCount == 0) {
    SetStatus(name + texts::kNoFrameAfter.Text());
    UpdateControls();
    s.fileData.Release();
    return false;
  }

  // 8. The sound track, once the clip is indexed whole.
  if (atOnce && !StartSound(speedNormal)) return false;

  // 9.-13. Ready to play, showing frame 0.
  s.currentFrame = 0;
  s.state = stateLoaded;
  if (!atOnce) {
    // Play waits for the frame count; the slider and status line show it
    // when it is known.
    s.indexing = true;
    s.reading = std::move(reading);
    m_openName = name;
    const uint64_t opening = m_openings;
    s.reading->ReadRestInBackground(s.wholeIndex, [this, opening](ReadStatus result) {
      QMetaObject::invokeMethod(
          this, [this, opening, result] { OnClipRead(opening, result); }, Qt::QueuedConnection);
    });
    SetStatus({});
  }
  UpdateControls();
  m_position->setRange(0, static_cast<int>(s.index.frameCount) - 2);
  m_position->setValue(0);
  setWindowTitle(QString::fromStdString(name));
  if (atOnce) ShowLoaded();
  ShowFrame();
  return true;
}

void CPlayerDlg::FailReading(const std::string& name) {
  SetStatus(std::string(texts::kReadErrorBefore.Text()) + name + texts::kReadErrorAfter.Text());
  m_session.state = stateNoFile;
  UpdateControls();
  m_session.fileData.Release();
}

// The sound track: cut out, and converted in the background while the clip
// is shown and played. Its length, counted from the blocks, sets the pace at
// once, at `speed`. False, with the clip given up, when the track cannot be
// cut out.
bool CPlayerDlg::StartSound(int speed) {
  PlayerSession& s = m_session;
  uint32_t soundMs = kUnknownSoundLength;
  if (s.index.hasSound) {
    s.soundConversion.Cancel();
    const std::string amrPath = m_tempDir.File(kAmrFile);
    const std::string wavPath = m_tempDir.File(kWavFile);
    if (!WriteBytes(amrPath, s.fileData.data() + s.index.audioStart,
                    s.index.audioEnd - s.index.audioStart + 1)) {
      SetStatus(texts::kAudioError.Text());
      s.state = stateNoFile;
      UpdateControls();
      s.fileData.Release();
      return false;
    }
    // A conversion that fails must not leave the previous clip's sound to be
    // played with this one.
    std::remove(wavPath.c_str());
    const int64_t blocks = ConvertibleBlocks(s);
    m_wave.m_strPath = wavPath;
    if (blocks >= 0 && s.soundConversion.Start(amrPath, wavPath, blocks)) {
      // The length is the track's, so the pace is the same whether or not a
      // sound output could be opened for it.
      m_wave.OpenStream(s.soundConversion.pcm());
      soundMs = uint32_t(std::min<int64_t>(blocks * 20, int64_t(kUnknownSoundLength) - 1));
    }
  }
  m_soundLength = soundMs;
  s.interval = FrameInterval(s.index.hasSound, soundMs, s.index.frameCount,
                             static_cast<SpeedMode>(speed));
  return true;
}

void CPlayerDlg::ShowLoaded() {
  const PlayerSession& s = m_session;
  SetStatusFormat(s.index.hasSound ? texts::kLoadedSound.Text() : texts::kLoadedSilent.Text(),
                  static_cast<int>(s.index.frameCount));
}

// The rest of a large clip is read and indexed: what waited for the frame
// count is set up as the open would have, without touching what the user
// chose meanwhile.
void CPlayerDlg::OnClipRead(uint64_t opening, ReadStatus status) {
  PlayerSession& s = m_session;
  if (opening != m_openings || !s.indexing) return;
  s.indexing = false;
  s.reading.reset();
  if (status != ReadStatus::ok) {
    FailReading(m_openName);
    return;
  }
  s.index.Swap(s.wholeIndex);
  if (!StartSound(s.speedMode)) return;
  m_position->setRange(0, static_cast<int>(s.index.frameCount) - 2);
  ShowLoaded();
  if (s.state == stateLoaded) m_play->setEnabled(true);
}

void CPlayerDlg::OnDropFiles(const QStringList& localFiles) {
  if (localFiles.isEmpty()) return;
  m_strPendingPath = localFiles.first().toStdString();
  OnOpen();
}

void CPlayerDlg::OnCancel() {
  if (m_closed) return;
  m_closed = true;
  if (m_timer) m_timer->stop();
  m_volume.reset();
  // Before the clip's memory goes: a reading may still fill it.
  m_session.reading.reset();
  m_session.indexing = false;
  if (m_session.state != stateNoFile) {
    if (m_session.index.hasSound) {
      // At once, whatever is left of the conversion.
      m_session.soundConversion.Cancel();
      m_wave.Close();
      std::remove(m_tempDir.File(kAmrFile).c_str());
      std::remove(m_tempDir.File(kWavFile).c_str());
    }
    std::remove(m_tempDir.File(kFrameFile).c_str());
    m_session.fileData.Release();
  }
  m_session.soundConversion.Cancel();
  m_wave.Close();
  m_tempDir.Remove();
  QDialog::reject();
}
