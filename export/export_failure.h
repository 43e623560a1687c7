// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// Why an export failed, as a kind and the names it concerns rather than a
// finished sentence, so that every front end words it in its own language:
// zrvtool prints ExportFailureSentence, the converter window its own texts.
#pragma once

#include <string>

enum class ExportProblem {
  none,
  badQuality,         // the crf is out of range; `number` is the highest allowed
  clipUnreadable,     // `path` (the clip) cannot be read; `detail` is the system's reason
  clipNotRegular,     // `path` is a folder, a pipe or a device
  clipCannotOpen,     // `path` cannot be opened for reading
  clipTooLarge,       // `path` does not fit in memory
  clipCutShort,       // `path` could not be read to its end
  notAClip,           // `path` holds no frame
  outputIsClip,       // `path` (the output) is the clip itself
  outputExists,       // `path` (the output) exists and replacing was not asked
  outputIsFolder,     // `path` (the output) is a folder
  folderNotWritable,  // nothing can be written in the folder `path`; `detail` says why
  cannotWrite,        // the output `path` did not receive all its bytes
  cannotName,         // the finished file cannot take the name `path`; `detail` says why
  framesTooLarge,     // the clip `path` has frames of `width` x `height`, beyond what MP4 players take
  noDecodableFrame,   // none of the frames of `path` decodes
  outputBeyondBound,  // the frames of `path` would make far more than a clip of its size may; `detail` says how much
  soundTooLong,       // the track of `path` claims more sound than a clip of its size holds; `detail` says how much
  cancelled,          // the export of `path` was cancelled
  failed,             // the export of `path` failed; `detail` is the libraries' account (English)
};

struct ExportFailure {
  ExportProblem problem = ExportProblem::none;
  std::string path;
  std::string detail;
  int number = 0;
  int width = 0;
  int height = 0;
};

inline ExportFailure MakeFailure(ExportProblem problem, std::string path = {}, std::string detail = {}) {
  ExportFailure failure;
  failure.problem = problem;
  failure.path = std::move(path);
  failure.detail = std::move(detail);
  return failure;
}

// The failure as one English sentence that names the file, e.g.
// "'/x/a.mp4' already exists; it is left as it is".
std::string ExportFailureSentence(const ExportFailure& failure);
