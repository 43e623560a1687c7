// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
#include "export/clip_source.h"

#include <cstring>

#include "container/frame_file.h"

bool ClipSource::Load(const std::string& path, ExportFailure& failure) {
  int systemError = 0;
  const ClipLoadStatus status = LoadClipFile(path, m_clip, &systemError);
  const auto fail = [&](ExportProblem problem, std::string detail = {}) {
    failure = MakeFailure(problem, path, std::move(detail));
    return false;
  };
  switch (status) {
    case ClipLoadStatus::ok:
      return true;
    case ClipLoadStatus::unreadable:
      return fail(ExportProblem::clipUnreadable, std::strerror(systemError));
    case ClipLoadStatus::notRegular:
      return fail(ExportProblem::clipNotRegular);
    case ClipLoadStatus::cannotOpen:
      return fail(ExportProblem::clipCannotOpen);
    case ClipLoadStatus::tooLarge:
      return fail(ExportProblem::clipTooLarge);
    case ClipLoadStatus::cutShort:
      return fail(ExportProblem::clipCutShort);
    case ClipLoadStatus::noFrame:
      return fail(ExportProblem::notAClip);
  }
  return fail(ExportProblem::clipCannotOpen);
}

const uint8_t* ClipSource::FrameStream(uint32_t k, size_t& length) {
  const FrameStreamPieces pieces = FrameStreamOf(m_clip.bytes.data(), m_clip.index, k);
  length = size_t(pieces.length());
  if (pieces.headLength == 0) return pieces.body;
  // A shared-header frame: the first frame's header, then the frame's body.
  m_rebuilt.resize(length);
  std::memcpy(m_rebuilt.data(), pieces.head, pieces.headLength);
  std::memcpy(m_rebuilt.data() + pieces.headLength, pieces.body, pieces.bodyLength);
  return m_rebuilt.data();
}

bool ClipSource::Holds(const uint8_t* data) const {
  const uint8_t* begin = m_clip.bytes.data();
  return data >= begin && data < begin + m_clip.bytes.size();
}

std::string ClipTitle(const std::string& path) {
  const size_t slash = path.rfind('/');
  std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  const size_t dot = name.rfind('.');
  if (dot != std::string::npos && dot > 0) name.resize(dot);
  return name;
}
