// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
#include "tools/clipconvert/convert_wnd.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>

#include "tools/clipconvert/clip_paths.h"
#include "tools/clipconvert/convert_texts.h"
#include "tools/clipconvert/export_failure_text.h"
#include "tools/converter/converter_paths.h"
#include "tools/converter/converter_texts.h"
#include "ui/dialog_units.h"

namespace ct = convert_texts;

namespace {

ConverterKind VideoConvertKind() {
  ConverterKind kind;
  kind.words = {ct::kTitle,     ct::kEmptyHint, ct::kListName,        ct::kBesideClips,
                ct::kBesideClipsTip, ct::kThisClip,  ct::kAllClips, ct::kAddFilesCaption,
                ct::kClipFilter, ct::kAskClose, ct::kSameOutput};
  kind.factColumns = {ct::kColumnFrames, converter_texts::kColumnLength, ct::kColumnSound};
  kind.takesFromFolder = HasClipExtension;
  kind.readFacts = ReadClipRowFacts;
  return kind;
}

RowOutcome ExportOne(const std::string& clip, const std::string& output, bool replace, ExportFormat format,
                     const ProgressReport& progress, const std::atomic<bool>* cancel) {
  ExportOptions options;
  options.format = format;
  options.force = replace;
  options.cancel = cancel;
  options.progress = [&progress](uint32_t done, uint32_t total) {
    progress(total ? int(uint64_t(done) * 1000 / total) : 1000);
  };
  const ExportResult result = ExportClip(clip, output, options);
  RowOutcome outcome;
  outcome.ok = result.ok;
  outcome.cancelled = result.cancelled;
  if (!result.ok)
    outcome.result = ExportFailureText(result.failure);
  else if (result.damaged_frames > 0)
    outcome.result = Text(ct::kDamagedFrames).arg(SizeText(result.bytes)).arg(result.damaged_frames);
  else
    outcome.result = Text(ct::kDone).arg(SizeText(result.bytes));
  return outcome;
}

}  // namespace

RowFacts ReadClipRowFacts(const std::string& path, const std::atomic<bool>*) {
  const ClipExportFacts clip = ReadClipExportFacts(path);
  RowFacts facts;
  if (!clip.ok) {
    switch (clip.failure.problem) {
      case ExportProblem::notAClip:
        facts.problem = Text(ct::kNoFrame);
        break;
      case ExportProblem::clipTooLarge:
        facts.problem = Text(ct::kTooLarge);
        break;
      case ExportProblem::failed:
        facts.problem = ExportFailureText(clip.failure);
        break;
      default:
        facts.problem = Text(ct::kCannotRead);
    }
    return facts;
  }
  facts.cells = {QString::number(clip.frames), LengthText(uint64_t(clip.duration_ms + 0.5)),
                 Text(!clip.hasSound ? ct::kSoundNo : clip.soundUsable ? ct::kSoundYes : ct::kSoundUnusable)};
  return facts;
}

CConvertWnd::CConvertWnd(QWidget* parent) : CConverterWnd(VideoConvertKind(), parent) {
  auto* options = new QWidget;
  m_format = new QComboBox(options);
  m_format->addItem(Text(ct::kFormatMp4), int(ExportFormat::mp4));
  m_format->addItem(Text(ct::kFormatMkv), int(ExportFormat::mkv));
  Describe(m_format, Text(ct::kFormat).remove(QChar(':')).remove(QString::fromUtf8("：")), Text(ct::kFormatTip));
  auto* label = new QLabel(Text(ct::kFormat), options);
  label->setBuddy(m_format);
  auto* row = new QHBoxLayout(options);
  row->setContentsMargins(0, 0, 0, 0);
  row->addWidget(label);
  row->addWidget(m_format);
  row->addStretch();
  PlaceOwnControls(options, {});
  // One line of options: a shorter window, in dialog units of its font.
  resize(DialogUnits(font()).ToPixels(434, 274));
}

ExportFormat CConvertWnd::format() const { return ExportFormat(m_format->currentData().toInt()); }

QString CConvertWnd::OutputExtension() const { return QString::fromLatin1(ExportFormatExtension(format())); }

ConvertOne CConvertWnd::PrepareRun(QString&) {
  return [format = format()](const std::string& clip, const std::string& output, bool replace,
                             const ProgressReport& progress, const std::atomic<bool>* cancel) {
    return ExportOne(clip, output, replace, format, progress, cancel);
  };
}

void CConvertWnd::UpdateOwnControls(bool idle) {
  if (m_format) m_format->setEnabled(idle);
}
