// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
#include "import/import_failure.h"

namespace {

std::string Quoted(const std::string& path) { return "'" + path + "'"; }

}  // namespace

std::string ImportFailureSentence(const ImportFailure& f) {
  const std::string name = Quoted(f.path);
  const std::string tooLarge = "larger than the 8192 x 8192 that can be read";
  switch (f.problem) {
    case ImportProblem::none:
      return {};
    case ImportProblem::badOptions:
    case ImportProblem::cannotWrite:
      return f.detail;
    case ImportProblem::cannotOpen:
      return "cannot open " + name + ": " + f.detail;
    case ImportProblem::notRegular:
      return name + " is not a regular file";
    case ImportProblem::notAVideo:
      return name + " is not a video that can be read" + (f.detail.empty() ? "" : " (" + f.detail + ")");
    case ImportProblem::otherFormat:
      return name + " is not a video file: it reads as " + f.detail + ", which is not imported";
    case ImportProblem::singlePicture:
      return name + " is a single picture, not a video";
    case ImportProblem::noVideoStream:
      return name + " has no video stream";
    case ImportProblem::framesTooLarge:
      return f.detail.empty() ? name + " holds frames " + tooLarge
                              : name + " declares frames of " + f.detail + ", " + tooLarge;
    case ImportProblem::formatNotDecodable:
      return name + " uses a video format that cannot be decoded (" + f.detail + ")";
    case ImportProblem::cannotDecode:
      return name + " cannot be decoded: " + f.detail;
    case ImportProblem::damaged:
      return name + " is damaged or truncated (" + f.detail + ")";
    case ImportProblem::truncated:
      return name + " is truncated: " + f.detail;
    case ImportProblem::implausibleTimes:
      return name + " is damaged: " + f.detail;
    case ImportProblem::noVideoFrames:
      return name + " holds no video frames";
    case ImportProblem::noDecodableFrame:
      return "no frame of " + name + " can be decoded";
    case ImportProblem::tooLong:
      return name + " is too long for one clip: " + f.detail;
    case ImportProblem::clipTooLarge:
      return name + " cannot be imported: its clip would be " + f.detail;
    case ImportProblem::tooCostly:
      return name + " cannot be imported: " + f.detail;
    case ImportProblem::startBeyondEnd:
      return "--start lies beyond the end of " + name + " (" + f.detail + ")";
    case ImportProblem::soundUnusable:
      return name + " cannot be imported: " + f.detail;
    case ImportProblem::encoderUnavailable:
      return "the AMR encoder cannot start";
    case ImportProblem::outputIsVideo:
      return name + " is the video itself; it is never overwritten";
    case ImportProblem::outOfMemory:
      return "not enough memory to " + (f.detail.empty() ? std::string("import") : f.detail) + " " + name;
    case ImportProblem::cannotStart:
      return "the import of " + name + " cannot start: " + f.detail;
    case ImportProblem::stopped:
      return "the import of " + name + " stopped: " + f.detail;
    case ImportProblem::cancelled:
      return "the import of " + name + " was cancelled";
  }
  return {};
}
