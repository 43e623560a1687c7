// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
#include "container/clip_file.h"

#include <algorithm>
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

double LongestSoundMs(uint64_t clipBytes) {
  constexpr double kMsPerByte = 1.0;
  constexpr double kAnyClipMs = 10 * 60 * 1000;
  return std::max(kAnyClipMs, kMsPerByte * double(clipBytes));
}

uint64_t LargestFramesBytes(uint64_t clipBytes) {
  constexpr uint64_t kBytesPerClipByte = 48;
  constexpr uint64_t kAnyClipBytes = 64'000'000;
  return std::max(kAnyClipBytes, kBytesPerClipByte * clipBytes);
}

std::string SoundLengthText(double ms) {
  const auto seconds = int64_t(ms / 1000);
  if (seconds >= 3600)
    return std::to_string(seconds / 3600) + " h " + std::to_string(seconds / 60 % 60) + " min";
  return std::to_string(seconds / 60) + " min " + std::to_string(seconds % 60) + " s";
}
