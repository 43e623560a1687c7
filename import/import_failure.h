// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// Why an import failed, as a kind and the file it concerns, beside the
// English sentence that zrvtool prints: a window words the kind in its own
// language and names the file in it.
#pragma once

#include <string>

enum class ImportProblem {
  none,
  badOptions,          // a chosen value is out of range; the sentence says which
  cannotOpen,          // `path` cannot be opened; `detail` is the system's reason
  notRegular,          // `path` is a folder, a pipe or a device
  notAVideo,           // `path` is no file the libraries read; `detail` is their account, or empty
  noVideoStream,       // `path` holds no video stream (sound only, or a cover picture)
  framesTooLarge,      // `path` holds or declares frames beyond 8192 x 8192
  formatNotDecodable,  // `path` uses a format no decoder takes; `detail` names it
  damaged,             // `path` is damaged or truncated; the sentence says how
  noDecodableFrame,    // no frame of `path` decodes
  tooLong,             // `path` holds more than one clip takes at the chosen rate
  startBeyondEnd,      // the chosen start lies beyond the end of `path`
  soundUnusable,       // the sound of `path` cannot be converted; the sentence says why
  outputIsVideo,       // `path` (the output) is the video itself
  cannotWrite,         // the clip `path` cannot be made or written; the sentence says why
  outOfMemory,         // not enough memory to import `path`
  cancelled,           // the import of `path` was cancelled
};

struct ImportFailure {
  ImportProblem problem = ImportProblem::none;
  std::string path;    // the video, or the clip for an output problem
  std::string detail;  // the system's or the libraries' account, in English; may be empty
};
