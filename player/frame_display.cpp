// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// Showing the current frame, repainting, the zoom commands and saving a frame.
#include <QAction>

#include "container/frame_file.h"
#include "player/control_ids.h"
#include "player/frame_draw.h"
#include "player/picture_area.h"
#include "player/player_dlg.h"
#include "player/texts.h"

void CPlayerDlg::ShowFrame() {
  const PlayerSession& s = m_session;
  const FrameDrawResult result =
      DrawFrame(s.fileData.data(), s.index, s.currentFrame, m_tempDir.File("zrvplayer_tmp.jpg"),
                m_picture->dc(), s.zoomMode);
  if (result == FrameDrawResult::notWritten) SetStatus(texts::kPlayError.Text());
  if (result == FrameDrawResult::drawn)
    m_picture->setAccessibleDescription(
        QString::asprintf(texts::kPictureFrame.Text(), static_cast<int>(s.currentFrame) + 1));
  m_picture->Present();
}

// A repaint of the window shows the current frame anew, or a black picture
// area when no clip is loaded.
void CPlayerDlg::OnPaint() {
  if (m_session.state != stateNoFile) {
    ShowFrame();
  } else {
    CSoftwareDC& dc = m_picture->dc();
    dc.SelectSolidBrush(0x000000);
    dc.Rectangle(0, 0, dc.Width(), dc.Height());
    m_picture->Present();
  }
}

void CPlayerDlg::SetZoom(int zoomMode, int commandId) {
  m_session.zoomMode = zoomMode;
  if (m_session.state != statePlaying) ShowFrame();
  CheckOne(commandId, {ids::kZoomBig, ids::kZoomNormal, ids::kZoomSmall});
}

void CPlayerDlg::OnZoomBig() { SetZoom(zoomFit, ids::kZoomBig); }
void CPlayerDlg::OnZoomNormal() { SetZoom(zoomNormal, ids::kZoomNormal); }
void CPlayerDlg::OnZoomSmall() { SetZoom(zoomSmall, ids::kZoomSmall); }

// Saves frame currentFrame as a JPEG file in the folder the user chose; a
// name without "jpg" in it gets ".jpg".
void CPlayerDlg::OnDistill() {
  std::optional<ChosenFile> chosen = m_chooseSaveFile(QString::fromUtf8(texts::kSaveFilter.Text()));
  if (!chosen) return;
  std::string name = chosen->fileName;
  if (name.find("jpg") == std::string::npos) name += ".jpg";
  const size_t slash = chosen->path.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : chosen->path.substr(0, slash);
  if (!WriteFrameFile(m_session.fileData.data(), m_session.index, m_session.currentFrame,
                      folder + "/" + name))
    SetStatus(texts::kSaveError.Text());
}
