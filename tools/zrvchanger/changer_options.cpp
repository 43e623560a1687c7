// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
#include "tools/zrvchanger/changer_options.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QSpinBox>

#include "tools/converter/converter_texts.h"
#include "tools/converter/converter_wnd.h"
#include "tools/zrvchanger/changer_texts.h"

namespace ct = changer_texts;

namespace {

// Without a track the player shows a frame every 200 ms.
constexpr int kSilentFps = 5;

QString Label(const MessagePair& pair) {
  return Text(pair).remove(QChar(':')).remove(QString::fromUtf8("："));
}

QLabel* ExplanationLine() {
  auto* line = new QLabel;
  line->setWordWrap(true);
  // The theme's colour for secondary text, not one of our own.
  line->setForegroundRole(QPalette::PlaceholderText);
  return line;
}

}  // namespace

CChangerOptions::CChangerOptions(QWidget* parent) : QWidget(parent) {
  auto* box = new QGroupBox(Text(ct::kTarget), this);
  auto* outer = new QVBoxLayout(this);
  outer->setContentsMargins(0, 0, 0, 0);
  outer->addWidget(box);
  auto* grid = new QGridLayout(box);
  grid->setColumnStretch(2, 1);
  int row = 0;
  const auto addRow = [&](const MessagePair& label, QWidget* control, QLayout* controls, QLabel* line) {
    auto* name = new QLabel(Text(label));
    name->setBuddy(control);
    grid->addWidget(name, row, 0);
    if (controls)
      grid->addLayout(controls, row, 1);
    else
      grid->addWidget(control, row, 1);
    grid->addWidget(line, row, 2);
    ++row;
  };

  m_size = new QComboBox;
  for (const SizePreset& preset : kSizePresets)
    m_size->addItem(Text(ct::kPictureSize).arg(preset.width).arg(preset.height));
  m_size->addItem(Text(ct::kCustomSize));
  m_size->setCurrentIndex(1);
  m_width = new QSpinBox;
  m_height = new QSpinBox;
  for (QSpinBox* side : {m_width, m_height}) side->setRange(16, 8192);
  m_width->setValue(kDefaultImportWidth);
  m_height->setValue(kDefaultImportHeight);
  Describe(m_width, Text(ct::kWidth), Text(ct::kSizeCustom));
  Describe(m_height, Text(ct::kHeight), Text(ct::kSizeCustom));
  auto* sizeControls = new QHBoxLayout;
  sizeControls->addWidget(m_size);
  sizeControls->addWidget(m_width);
  sizeControls->addWidget(new QLabel("x"));
  sizeControls->addWidget(m_height);
  m_sizeLine = ExplanationLine();
  addRow(ct::kSize, m_size, sizeControls, m_sizeLine);

  m_fit = new QComboBox;
  m_fit->addItem(Text(ct::kFitPad), int(ImportFit::pad));
  m_fit->addItem(Text(ct::kFitCrop), int(ImportFit::crop));
  m_fitLine = ExplanationLine();
  addRow(ct::kFit, m_fit, nullptr, m_fitLine);

  m_fps = new QSpinBox;
  m_fps->setRange(1, 30);
  m_fps->setValue(int(kDefaultImportFps));
  m_fps->setSuffix(Text(ct::kFpsSuffix));
  m_fpsLine = ExplanationLine();
  addRow(ct::kFps, m_fps, nullptr, m_fpsLine);

  m_quality = new QSpinBox;
  m_quality->setRange(1, 100);
  m_quality->setValue(kDefaultImportQuality);
  m_qualityLine = ExplanationLine();
  addRow(ct::kQuality, m_quality, nullptr, m_qualityLine);

  m_sound = new QComboBox;
  m_sound->addItem(Text(ct::kSoundNb), int(ImportSound::amrNb));
  m_sound->addItem(Text(ct::kSoundWb), int(ImportSound::amrWb));
  m_sound->addItem(Text(ct::kSoundNone), int(ImportSound::none));
  m_soundLine = ExplanationLine();
  addRow(ct::kSound, m_sound, nullptr, m_soundLine);

  m_track = new QSpinBox;
  m_track->setRange(0, 16);
  m_track->setSpecialValueText(Text(ct::kTrackDefault));
  m_trackLine = ExplanationLine();
  addRow(ct::kTrack, m_track, nullptr, m_trackLine);

  m_layout = new QComboBox;
  m_layout->addItem(Text(ct::kLayoutPlain), int(ImportLayout::plain));
  m_layout->addItem(Text(ct::kLayoutShared), int(ImportLayout::sharedHeader));
  m_layoutLine = ExplanationLine();
  addRow(ct::kLayout, m_layout, nullptr, m_layoutLine);

  OnSizeChosen(m_size->currentIndex());
  connect(m_size, &QComboBox::currentIndexChanged, this, &CChangerOptions::OnSizeChosen);
  connect(m_sound, &QComboBox::currentIndexChanged, this, &CChangerOptions::OnSoundChosen);
  connect(m_fps, &QSpinBox::valueChanged, this, [this](int fps) {
    if (m_fps->isEnabled()) m_chosenFps = fps;
  });
  for (QComboBox* choice : {m_fit, m_layout})
    connect(choice, &QComboBox::currentIndexChanged, this, &CChangerOptions::ExplainAll);
  ExplainAll();
}

ImportOptions CChangerOptions::options() const {
  ImportOptions options;
  options.width = m_width->value();
  options.height = m_height->value();
  options.fit = ImportFit(m_fit->currentData().toInt());
  options.fps = m_fps->value();
  options.quality = m_quality->value();
  options.sound = ImportSound(m_sound->currentData().toInt());
  if (options.sound != ImportSound::none) options.audioTrack = m_track->value();
  options.layout = ImportLayout(m_layout->currentData().toInt());
  return options;
}

QString CChangerOptions::explanationOf(const QWidget* control) const {
  const std::pair<const QWidget*, const QLabel*> lines[] = {
      {m_size, m_sizeLine}, {m_width, m_sizeLine},       {m_height, m_sizeLine}, {m_fit, m_fitLine},
      {m_fps, m_fpsLine},   {m_quality, m_qualityLine}, {m_sound, m_soundLine}, {m_track, m_trackLine}, {m_layout, m_layoutLine}};
  for (const auto& [shown, line] : lines)
    if (shown == control) return line->text();
  return {};
}

void CChangerOptions::OnSizeChosen(int index) {
  const bool custom = index == kCustomSizeIndex;
  if (!custom && index >= 0) {
    m_width->setValue(kSizePresets[index].width);
    m_height->setValue(kSizePresets[index].height);
  }
  // The sides are typed only for a size of one's own; a preset shows its own.
  m_width->setEnabled(custom);
  m_height->setEnabled(custom);
  ExplainAll();
}

void CChangerOptions::OnSoundChosen(int) {
  const bool silent = ImportSound(m_sound->currentData().toInt()) == ImportSound::none;
  // Without a track the player's 200 ms a frame is the only rate there is.
  m_fps->setEnabled(!silent);
  m_fps->setValue(silent ? kSilentFps : m_chosenFps);
  m_track->setEnabled(!silent);
  ExplainAll();
}

void CChangerOptions::Explain(QWidget* control, QLabel* line, const QString& text) {
  line->setText(text);
  const QString name = control == m_size ? Label(ct::kSize)
                       : control == m_fit ? Label(ct::kFit)
                       : control == m_fps ? Label(ct::kFps)
                       : control == m_quality ? Label(ct::kQuality)
                       : control == m_sound ? Label(ct::kSound)
                       : control == m_track ? Label(ct::kTrack)
                                            : Label(ct::kLayout);
  Describe(control, name, text);
}

void CChangerOptions::ExplainAll() {
  static constexpr MessagePair kSizeLines[] = {ct::kSize128, ct::kSize176, ct::kSize220, ct::kSize320,
                                               ct::kSizeCustom};
  const int size = std::clamp(m_size->currentIndex(), 0, kCustomSizeIndex);
  Explain(m_size, m_sizeLine, Text(kSizeLines[size]));
  Explain(m_fit, m_fitLine, Text(m_fit->currentIndex() == 0 ? ct::kFitPadTip : ct::kFitCropTip));
  Explain(m_fps, m_fpsLine, Text(m_fps->isEnabled() ? ct::kFpsTip : ct::kFpsSilentTip));
  Explain(m_quality, m_qualityLine, Text(ct::kQualityTip));
  static constexpr MessagePair kSoundLines[] = {ct::kSoundNbTip, ct::kSoundWbTip, ct::kSoundNoneTip};
  Explain(m_sound, m_soundLine, Text(kSoundLines[std::clamp(m_sound->currentIndex(), 0, 2)]));
  Explain(m_track, m_trackLine, Text(ct::kTrackTip));
  Explain(m_layout, m_layoutLine, Text(m_layout->currentIndex() == 0 ? ct::kLayoutPlainTip : ct::kLayoutSharedTip));
}
