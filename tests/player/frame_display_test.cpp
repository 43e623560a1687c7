// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
#include <QImage>

#include "player/control_ids.h"
#include "player/frame_geometry.h"
#include "tests/player/player_fixture.h"
#include "ui/dialog_units.h"

namespace {

bool IsBlack(QRgb c) { return (c & 0xFFFFFF) == 0; }

// Whether every pixel of the columns [x0, x1) is black.
bool ColumnsBlack(const QImage& image, int x0, int x1) {
  for (int y = 0; y < image.height(); ++y)
    for (int x = x0; x < x1; ++x)
      if (!IsBlack(image.pixel(x, y))) return false;
  return true;
}

int NonBlackColumns(const QImage& image) {
  int count = 0;
  for (int x = 0; x < image.width(); ++x) count += ColumnsBlack(image, x, x + 1) ? 0 : 1;
  return count;
}

}  // namespace

TEST(FrameGeometry, ZoomRulesOfThePictureArea) {
  // Fit: bars left and right only, 264 x 216 at (42, 0).
  FrameGeometry g = ComputeFrameGeometry(176, 144, 348, 216, zoomFit);
  EXPECT_EQ(g.width, 264);
  EXPECT_EQ(g.height, 216);
  EXPECT_EQ(g.left, 42);
  EXPECT_EQ(g.right, 42);
  EXPECT_EQ(g.top, 0);
  EXPECT_EQ(g.bottom, 0);

  // Same aspect as the area: it fills it.
  g = ComputeFrameGeometry(174, 108, 348, 216, zoomFit);
  EXPECT_EQ(g.width, 348);
  EXPECT_EQ(g.height, 216);

  // Larger than the area at actual size: squeezed, not cropped.
  g = ComputeFrameGeometry(640, 480, 348, 216, zoomNormal);
  EXPECT_EQ(g.width, 348);
  EXPECT_EQ(g.height, 216);

  // Eight tenths.
  g = ComputeFrameGeometry(176, 144, 348, 216, zoomSmall);
  EXPECT_EQ(g.width, 140);
  EXPECT_EQ(g.height, 115);
  EXPECT_EQ(g.left, 104);
  EXPECT_EQ(g.right, 104);
  EXPECT_EQ(g.top, 50);
  EXPECT_EQ(g.bottom, 51);  // the odd pixel goes to the bottom

  // One pixel to spare: no left margin, one on the right.
  g = ComputeFrameGeometry(347, 216, 348, 216, zoomNormal);
  EXPECT_EQ(g.left, 0);
  EXPECT_EQ(g.right, 1);
}

TEST_F(PlayerTest, PictureAreaShowsTheFrameByZoom) {
  CPlayerDlg& w = StartWindow();
  const QImage& picture = w.picture();
  // The picture area is 232 x 133 dialog units of the window's font: 348 x
  // 216 pixels for a font whose base units are 6 x 13, larger for larger
  // fonts. The numbers below follow from its size.
  ASSERT_EQ(picture.size(), DialogUnits(w.font()).ToPixels(232, 133));
  const int W = picture.width();
  const int H = picture.height();
  ASSERT_GT(W * 144, H * 176);  // wider than a 176 x 144 frame: fit leaves side bars
  // Without a clip a repaint paints the whole area black, even over the
  // frame of a clip that a failed open has just given up.
  MakeClip(m_dir.File("a.zrv"), {"--frames", "10"});
  ASSERT_TRUE(Open(m_dir.File("a.zrv")));
  ASSERT_EQ(NonBlackColumns(picture), 176);
  WriteFile(m_dir.File("noise.zrv"), Bytes(100, 0x41));
  ASSERT_FALSE(Open(m_dir.File("noise.zrv")));
  ASSERT_EQ(w.session().state, stateNoFile);
  w.OnPaint();
  EXPECT_TRUE(ColumnsBlack(picture, 0, W));

  ASSERT_TRUE(Open(m_dir.File("a.zrv")));
  // Actual size: 176 columns of picture in the middle.
  EXPECT_EQ(NonBlackColumns(picture), 176);
  EXPECT_TRUE(ColumnsBlack(picture, 0, (W - 176) / 2));

  w.OnZoomBig();  // shown at once while not playing
  // Fit: as high as the area, the width in proportion, bars left and right.
  const int fitWidth = static_cast<int>(176 * (static_cast<double>(H) / 144 + 0.001) + 0.001);
  EXPECT_TRUE(ColumnsBlack(picture, 0, (W - fitWidth) / 2));
  EXPECT_TRUE(ColumnsBlack(picture, (W - fitWidth) / 2 + fitWidth, W));
  EXPECT_EQ(NonBlackColumns(picture), fitWidth);
  EXPECT_TRUE(w.action(ids::kZoomBig)->isChecked());
  EXPECT_FALSE(w.action(ids::kZoomNormal)->isChecked());

  w.OnZoomSmall();
  EXPECT_EQ(NonBlackColumns(picture), 140);
}

TEST_F(PlayerTest, DistillNamesAndOverwrites) {
  CPlayerDlg& w = StartWindow();
  MakeClip(m_dir.File("a.zrv"), {"--frames", "10"});
  ASSERT_TRUE(Open(m_dir.File("a.zrv")));
  w.OnPlay();
  for (int i = 0; i < 3; ++i) w.OnTimer(ids::kPlaybackTimer);
  w.OnPause();  // frame 2 on screen, 3 next

  ProgramResult r =
      RunProgram({BuiltProgram("zrvtool"), "frame", m_dir.File("a.zrv"), "3", m_dir.File("ref.jpg")});
  ASSERT_EQ(r.exitCode, 0);
  const Bytes frame3 = ReadFile(m_dir.File("ref.jpg"));

  const struct {
    const char* chosen;
    const char* saved;
  } names[] = {{"frame.JPG", "frame.JPG.jpg"},
               {"jpgframe", "jpgframe"},
               {"myjpg.png", "myjpg.png"},
               {"frame", "frame.jpg"}};
  for (const auto& n : names) {
    AnswerSave(m_dir.File(n.chosen));
    w.OnDistill();
    EXPECT_EQ(ReadFile(m_dir.File(n.saved)), frame3) << n.chosen;
  }
  // Saving again over a file replaces it without a question.
  WriteFile(m_dir.File("frame.jpg"), Bytes(100000, 1));
  AnswerSave(m_dir.File("frame"));
  w.OnDistill();
  EXPECT_EQ(ReadFile(m_dir.File("frame.jpg")), frame3);

  const QString before = w.statusText();
  AnswerSave("");
  w.OnDistill();
  EXPECT_EQ(w.statusText(), before);
  AnswerSave(m_dir.File("no/such/folder/x.jpg"));
  w.OnDistill();
  EXPECT_EQ(w.statusText().toStdString(), "save image error!");
}
