// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
#include "export/export_failure.h"

#include "export/video_encoder.h"

namespace {

std::string Quoted(const std::string& path) { return "'" + path + "'"; }

}  // namespace

std::string ExportFailureSentence(const ExportFailure& f) {
  const std::string name = Quoted(f.path);
  switch (f.problem) {
    case ExportProblem::none:
      return {};
    case ExportProblem::badQuality:
      return "the quality (crf) must be between 0 and " + std::to_string(f.number);
    case ExportProblem::clipUnreadable:
      return name + " cannot be read: " + f.detail;
    case ExportProblem::clipNotRegular:
      return name + " is not a regular file";
    case ExportProblem::clipCannotOpen:
      return name + " cannot be opened for reading";
    case ExportProblem::clipTooLarge:
      return name + " is too large to be read into memory";
    case ExportProblem::clipCutShort:
      return name + " could not be read to its end";
    case ExportProblem::notAClip:
      return name + " is not a ZRV clip: it holds no frame";
    case ExportProblem::outputIsClip:
      return name + " is the clip itself; it is never overwritten";
    case ExportProblem::outputExists:
      return name + " already exists; it is left as it is";
    case ExportProblem::outputIsFolder:
      return name + " is a folder";
    case ExportProblem::folderNotWritable:
      return "cannot write in the folder " + name + ": " + f.detail;
    case ExportProblem::cannotWrite:
      return "cannot write " + name;
    case ExportProblem::cannotName:
      return "cannot name the finished file " + name + ": " + f.detail;
    case ExportProblem::framesTooLarge:
      return name + " cannot be exported: its frames of " + std::to_string(f.width) + " x " +
             std::to_string(f.height) +
             " are larger than an MP4 that plays everywhere can hold (" + kH264FrameSizeLimit +
             "); export it to MKV";
    case ExportProblem::noDecodableFrame:
      return name + " cannot be exported: none of its frames can be decoded";
    case ExportProblem::outputBeyondBound:
    case ExportProblem::soundTooLong:
      return name + " cannot be exported: " + f.detail;
    case ExportProblem::cancelled:
      return "the export of " + name + " was cancelled";
    case ExportProblem::failed:
      return name + " cannot be exported: " + f.detail;
  }
  return {};
}
