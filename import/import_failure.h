// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// Why an import failed, as a kind and the file it concerns rather than a
// finished sentence, so that every front end words it in its own language:
// zrvtool prints ImportFailureSentence, a window its own texts, naming the
// file in them.
#pragma once

#include <string>

enum class ImportProblem {
  none,
  badOptions,          // a chosen value is out of range; `detail` says which, a sentence of its own
  cannotOpen,          // `path` cannot be opened; `detail` is the system's reason
  notRegular,          // `path` is a folder, a pipe or a device
  notAVideo,           // `path` is no file the libraries read; `detail` is their account, or empty
  otherFormat,         // `path` reads as a format that is not imported; `detail` names it
  singlePicture,       // `path` holds a single picture
  noVideoStream,       // `path` holds no video stream (sound only, or a cover picture)
  framesTooLarge,      // `path` holds frames beyond 8192 x 8192; `detail` is the size it declares, or empty
  formatNotDecodable,  // `path` uses a video format no decoder takes; `detail` names it
  cannotDecode,        // the decoder refuses `path`; `detail` is its account
  damaged,             // `path` cannot be read on; `detail` is the libraries' account
  truncated,           // `path` holds less than it declares; `detail` says how much
  implausibleTimes,    // the time stamps of `path` claim far more than its packets; `detail` says how much
  noVideoFrames,       // the video stream of `path` has no packet
  noDecodableFrame,    // no frame of `path` decodes
  tooLong,             // `path` holds more than one clip takes; `detail` is the most at the chosen rate
  clipTooLarge,        // the clip of `path` would be too large for its size; `detail` says how large
  startBeyondEnd,      // the chosen start lies beyond the end of `path`; `detail` is its length
  soundUnusable,       // the sound of `path` cannot be converted; `detail` says why
  encoderUnavailable,  // the AMR encoder for the clip of `path` cannot start
  outputIsVideo,       // `path` (the output) is the video itself
  cannotWrite,         // the clip `path` cannot be made or written; `detail` is the writer's sentence
  outOfMemory,         // not enough memory to import `path`; `detail` names a step (read, decode), or is empty
  cannotStart,         // the process that imports `path` cannot start; `detail` is the system's reason
  stopped,             // the process that imports `path` ended without its result; `detail` says how
  tooCostly,           // decoding `path` would cost more than a video of its size may; `detail` says how much
  cancelled,           // the import of `path` was cancelled; always the last kind
};

struct ImportFailure {
  ImportProblem problem = ImportProblem::none;
  std::string path;    // the video, or the clip for an output problem
  std::string detail;  // the variable part of the sentence, in English; may be empty
};

// The failure as one English sentence, e.g. "'/x/a.mp4' is not a regular file".
std::string ImportFailureSentence(const ImportFailure& failure);
