// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
#include "tools/zrvchanger/changer_wnd.h"

#include <QProcess>
#include <QPushButton>
#include <QTreeWidget>

#include "import/import.h"
#include "tools/converter/converter_paths.h"
#include "tools/converter/converter_texts.h"
#include "tools/zrvchanger/changer_texts.h"
#include "tools/zrvchanger/helper_import.h"
#include "tools/zrvchanger/import_failure_text.h"
#include "tools/zrvchanger/video_files.h"
#include "ui/help_and_tools.h"

namespace ct = changer_texts;

namespace {

// The helper process that reads and imports the videos, beside this
// program (or on PATH).
std::string HelperProgram() {
  static const std::string helper = [] {
    const QString found = FindProgram("zrvtool-export");
    return found.isEmpty() ? std::string("zrvtool-export") : found.toStdString();
  }();
  return helper;
}

ConverterKind ZrvChangerKind() {
  ConverterKind kind;
  kind.words = {ct::kTitle,        ct::kEmptyHint, ct::kListName,  ct::kBesideVideos,
                ct::kBesideVideosTip, ct::kThisVideo, ct::kAllVideos, ct::kAddFilesCaption,
                ct::kVideoFilter,  ct::kAskClose,  ct::kSameOutput};
  kind.factColumns = {converter_texts::kColumnLength, ct::kColumnPicture};
  kind.takesFromFolder = HasVideoExtension;
  // Each import is a process of its own that mostly keeps one core busy.
  kind.atOnce = 2;
  kind.readFacts = [helper = HelperProgram()](const std::string& path, const std::atomic<bool>* cancel) {
    return ReadVideoRowFacts(helper, path, cancel);
  };
  return kind;
}

RowOutcome ImportOne(const std::string& video, const std::string& output, bool replace, ImportOptions options,
                     const ProgressReport& progress, const std::atomic<bool>* cancel) {
  options.force = replace;
  const ImportResult result = ImportInHelper(HelperProgram(), video, output, options, progress, cancel);
  RowOutcome outcome;
  outcome.ok = result.ok;
  outcome.cancelled = result.cancelled;
  outcome.result = result.ok ? Text(ct::kDone).arg(SizeText(result.bytes)).arg(result.frames)
                             : Text(ct::kFailed).arg(ImportFailureText(result.failure, result.error));
  return outcome;
}

}  // namespace

bool PlayInPlayer(const QString& clip) {
  const QString player = FindProgram("zrvplayer");
  return !player.isEmpty() && QProcess::startDetached(player, {clip});
}

CChangerWnd::CChangerWnd(QWidget* parent) : CConverterWnd(ZrvChangerKind(), parent) {
  m_playClip = PlayInPlayer;
  m_options = new CChangerOptions;
  m_play = new QPushButton(Text(ct::kPlay));
  Describe(m_play, Text(ct::kPlay), Text(ct::kPlayTip));
  connect(m_play, &QPushButton::clicked, this, &CChangerWnd::OnPlay);
  connect(list(), &QTreeWidget::itemActivated, this, [this] {
    if (m_play->isEnabled()) OnPlay();
  });
  PlaceOwnControls(m_options, {m_play});
}

void CChangerWnd::OnPlay() {
  const QString clip = convertedOutput(currentRow());
  if (!clip.isEmpty()) m_playClip(clip);
}

QString CChangerWnd::OutputExtension() const { return "zrv"; }

ConvertOne CChangerWnd::PrepareRun(QString& refusal) {
  const ImportOptions options = m_options->options();
  const std::string wrong = CheckImportOptions(options);
  if (!wrong.empty()) {
    refusal = QString::fromStdString(wrong);
    return {};
  }
  return [options](const std::string& video, const std::string& output, bool replace,
                   const ProgressReport& progress, const std::atomic<bool>* cancel) {
    return ImportOne(video, output, replace, options, progress, cancel);
  };
}

void CChangerWnd::UpdateOwnControls(bool idle) {
  if (!m_options) return;  // still being made
  m_options->setEnabled(idle);
  m_play->setEnabled(!convertedOutput(currentRow()).isEmpty());
}
