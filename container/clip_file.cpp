#include "container/clip_file.h"

#include <cerrno>
#include <cstring>
#include <sys/stat.h>

ClipLoadStatus LoadClipFile(const std::string& path, LoadedClip& clip, int* systemError) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) {
    if (systemError) *systemError = errno;
    return ClipLoadStatus::unreadable;
  }
  if (!S_ISREG(st.st_mode)) return ClipLoadStatus::notRegular;
  clip.modified = st.st_mtim;
  switch (ReadWholeFile(path, clip.bytes)) {
    case ReadStatus::ok:
      break;
    case ReadStatus::cannotOpen:
      return ClipLoadStatus::cannotOpen;
    case ReadStatus::noMemory:
      return ClipLoadStatus::tooLarge;
    case ReadStatus::shortRead:
      return ClipLoadStatus::cutShort;
  }
  BuildFrameIndex(clip.bytes.data(), uint32_t(clip.bytes.size()), clip.index);
  return clip.index.frameCount == 0 ? ClipLoadStatus::noFrame : ClipLoadStatus::ok;
}

std::string ClipLoadSentence(const std::string& path, ClipLoadStatus status, int systemError) {
  const std::string name = "'" + path + "'";
  switch (status) {
    case ClipLoadStatus::ok: break;
    case ClipLoadStatus::unreadable: return name + " cannot be read: " + std::strerror(systemError);
    case ClipLoadStatus::notRegular: return name + " is not a regular file";
    case ClipLoadStatus::cannotOpen: return name + " cannot be opened for reading";
    case ClipLoadStatus::tooLarge: return name + " is too large to be read into memory";
    case ClipLoadStatus::cutShort: return name + " could not be read to its end";
    case ClipLoadStatus::noFrame: return name + " is not a ZRV clip: it holds no frame";
  }
  return name + " was read";
}
