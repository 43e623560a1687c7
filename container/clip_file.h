// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// Loading a clip: the one way every command, the export and the windows read
// a clip, whole into memory, and index its frames.
#pragma once

#include <cstdint>
#include <ctime>
#include <string>

#include "container/file_block.h"
#include "container/frame_index.h"

struct LoadedClip {
  FileBlock bytes;
  FrameIndex index;
  timespec modified{};  // the file's modification time
};

enum class ClipLoadStatus {
  ok,
  unreadable,  // it cannot even be looked at (missing, no permission); see `systemError`
  notRegular,  // a folder, a pipe or a device: refused at once, never waited on
  cannotOpen,
  tooLarge,    // no memory for it, or 4 GiB and more
  cutShort,    // fewer bytes arrived than the file holds
  noFrame,     // read, but it holds no frame
};

// Reads the file at `path` whole and indexes it. `systemError` receives
// errno when the status is `unreadable` (it may be null).
ClipLoadStatus LoadClipFile(const std::string& path, LoadedClip& clip, int* systemError = nullptr);

// One English sentence that names the file, e.g. "'/x/a.zrv' is not a ZRV
// clip: it holds no frame".
std::string ClipLoadSentence(const std::string& path, ClipLoadStatus status, int systemError);

// The longest sound a clip of `clipBytes` bytes is taken to carry: a
// millisecond a byte (a recording's frames and sound together take far
// more), and ten minutes whatever its size. A track of one-byte no-data
// frames can claim hours in a megabyte; converting or encoding all of it
// would write hundreds of megabytes and take minutes, so such a track is
// refused by what would convert it.
double LongestSoundMs(uint64_t clipBytes);
// The most bytes the frames of a clip of `clipBytes` bytes may come to once
// each is handed on whole (a shared-header frame with the header in front):
// 48 times the clip, and 64 MB whatever its size. A large shared header and
// thousands of tiny frames would otherwise make gigabytes of a megabyte.
uint64_t LargestFramesBytes(uint64_t clipBytes);
// "5 h 33 min", "12 min 3 s": a sound's length for a message.
std::string SoundLengthText(double ms);
