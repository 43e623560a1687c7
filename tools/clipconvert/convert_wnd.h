// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// The Video Convert window: the converter window with a list of clips (their
// frames, length and sound, as the export will time them), the choice of
// MP4 or MKV, and the export library doing the work.
#pragma once

#include "export/export.h"
#include "tools/converter/converter_wnd.h"

class QComboBox;

// The list's columns.
enum ClipColumn : int { columnName, columnFrames, columnLength, columnSound, columnResult, columnCount };

class CConvertWnd : public CConverterWnd {
  Q_OBJECT

 public:
  explicit CConvertWnd(QWidget* parent = nullptr);

  QComboBox* formatBox() const { return m_format; }

 protected:
  QString OutputExtension() const override;
  ConvertOne PrepareRun(QString& refusal) override;
  void UpdateOwnControls(bool idle) override;

 private:
  ExportFormat format() const;

  QComboBox* m_format = nullptr;
};

// What the list shows of a clip; read on the reading thread.
RowFacts ReadClipRowFacts(const std::string& path, const std::atomic<bool>* cancel = nullptr);
