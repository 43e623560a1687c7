#include "export/clip_source.h"

#include <cerrno>
#include <cstring>
#include <sys/stat.h>

#include "container/frame_file.h"

bool ClipSource::Load(const std::string& path, ExportFailure& failure) {
  const auto fail = [&](ExportProblem problem, std::string detail = {}) {
    failure = MakeFailure(problem, path, std::move(detail));
    return false;
  };
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) {
    return fail(ExportProblem::clipUnreadable, std::strerror(errno));
  }
  if (!S_ISREG(st.st_mode)) {
    return fail(ExportProblem::clipNotRegular);
  }
  m_modified = st.st_mtim;
  switch (ReadWholeFile(path, m_bytes)) {
    case ReadStatus::ok:
      break;
    case ReadStatus::cannotOpen:
      return fail(ExportProblem::clipCannotOpen);
    case ReadStatus::noMemory:
      return fail(ExportProblem::clipTooLarge);
    case ReadStatus::shortRead:
      return fail(ExportProblem::clipCutShort);
  }
  BuildFrameIndex(m_bytes.data(), uint32_t(m_bytes.size()), m_index);
  if (m_index.frameCount == 0) {
    return fail(ExportProblem::notAClip);
  }
  return true;
}

const uint8_t* ClipSource::FrameStream(uint32_t k, size_t& length) {
  const FrameStreamPieces pieces = FrameStreamOf(m_bytes.data(), m_index, k);
  length = size_t(pieces.length());
  if (pieces.headLength == 0) return pieces.body;
  // A shared-header frame: the first frame's header, then the frame's body.
  m_rebuilt.resize(length);
  std::memcpy(m_rebuilt.data(), pieces.head, pieces.headLength);
  std::memcpy(m_rebuilt.data() + pieces.headLength, pieces.body, pieces.bodyLength);
  return m_rebuilt.data();
}

std::string ClipTitle(const std::string& path) {
  const size_t slash = path.rfind('/');
  std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  const size_t dot = name.rfind('.');
  if (dot != std::string::npos && dot > 0) name.resize(dot);
  return name;
}
