// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
#include "tools/zrvchanger/video_files.h"

#include <QFileInfo>

#include "import/import.h"
#include "tools/zrvchanger/helper_import.h"
#include "tools/converter/converter_paths.h"
#include "tools/converter/converter_texts.h"
#include "tools/zrvchanger/changer_texts.h"
#include "tools/zrvchanger/import_failure_text.h"

namespace ct = changer_texts;

bool HasVideoExtension(const QString& path) {
  static const QStringList kExtensions = {"mp4", "m4v", "mov", "3gp", "3g2", "mkv", "webm", "avi",
                                          "gif", "mpg", "mpeg", "wmv", "flv", "ogv", "ts"};
  return kExtensions.contains(QFileInfo(path).suffix().toLower());
}

RowFacts ReadVideoRowFacts(const std::string& helper, const std::string& path, const std::atomic<bool>* cancel) {
  const VideoFacts video = ReadFactsInHelper(helper, path, cancel);
  RowFacts facts;
  if (!video.ok) {
    facts.problem = Text(ct::kFailed).arg(ImportFailureText(video.failure, video.error));
    return facts;
  }
  facts.cells = {video.duration_ms > 0 ? LengthText(uint64_t(video.duration_ms + 0.5)) : Text(ct::kUnknownLength),
                 Text(ct::kPictureSize).arg(video.width).arg(video.height)};
  return facts;
}
