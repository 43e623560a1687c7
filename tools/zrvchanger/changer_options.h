// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// The target of the ZRV Changer: picture size (a preset or a size of one's
// own), fit, frame rate, picture quality, sound, sound track and layout, each with a line
// that says what the chosen value means.
#pragma once

#include <QWidget>

#include "import/import.h"

class QComboBox;
class QLabel;
class QSpinBox;

// The preset sizes, in the order the size box lists them; the custom entry follows.
struct SizePreset {
  int width;
  int height;
};
inline constexpr SizePreset kSizePresets[] = {{128, 96}, {176, 144}, {220, 176}, {320, 240}};
inline constexpr int kCustomSizeIndex = 4;

class CChangerOptions : public QWidget {
  Q_OBJECT

 public:
  explicit CChangerOptions(QWidget* parent = nullptr);

  // The options as chosen (progress, cancel and force left empty).
  ImportOptions options() const;

  QComboBox* sizeBox() const { return m_size; }
  QSpinBox* widthBox() const { return m_width; }
  QSpinBox* heightBox() const { return m_height; }
  QComboBox* fitBox() const { return m_fit; }
  QSpinBox* fpsBox() const { return m_fps; }
  QSpinBox* qualityBox() const { return m_quality; }
  QComboBox* soundBox() const { return m_sound; }
  QSpinBox* trackBox() const { return m_track; }
  QComboBox* layoutBox() const { return m_layout; }
  // The explanation shown beside `control`.
  QString explanationOf(const QWidget* control) const;

 private:
  void OnSizeChosen(int index);
  void OnSoundChosen(int index);
  // Shows `text` as the explanation of `control`, and gives it to screen readers.
  void Explain(QWidget* control, QLabel* line, const QString& text);
  void ExplainAll();

  QComboBox* m_size = nullptr;
  QSpinBox* m_width = nullptr;
  QSpinBox* m_height = nullptr;
  QComboBox* m_fit = nullptr;
  QSpinBox* m_fps = nullptr;
  QSpinBox* m_quality = nullptr;
  QComboBox* m_sound = nullptr;
  QSpinBox* m_track = nullptr;  // 0: the video's default track
  QComboBox* m_layout = nullptr;
  QLabel* m_sizeLine = nullptr;
  QLabel* m_fitLine = nullptr;
  QLabel* m_fpsLine = nullptr;
  QLabel* m_qualityLine = nullptr;
  QLabel* m_soundLine = nullptr;
  QLabel* m_trackLine = nullptr;
  QLabel* m_layoutLine = nullptr;
  int m_chosenFps = int(kDefaultImportFps);  // restored when sound comes back
};
