// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// Importing a video into a ZRV clip: any file FFmpeg's libraries read that
// has a video stream becomes JPEG frames back to back, optionally followed by
// an AMR track. The frame rate of the clip comes from its sound: the player
// shows a frame every L / n ms, L the track's length, so the track's length
// (whole 20 ms AMR frames) and the frame count are chosen together, and frame
// k shows the source picture at k x L / n ms.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

#include "import/import_failure.h"

enum class ImportFit {
  pad,   // the whole picture, aspect kept, black bars, centred
  crop,  // the target filled, aspect kept, the overhang cut evenly
};

enum class ImportSound {
  amrNb,  // 8 kHz, AMR-NB (opencore-amrnb)
  amrWb,  // 16 kHz, AMR-WB (vo-amrwbenc)
  none,   // no track: the player's 200 ms rule, 5 frames a second
};

enum class ImportLayout {
  plain,         // every frame a whole JPEG stream
  sharedHeader,  // one header, then each frame's scan
};

inline constexpr int kDefaultImportWidth = 176;
inline constexpr int kDefaultImportHeight = 144;
inline constexpr double kDefaultImportFps = 8;
inline constexpr int kDefaultImportQuality = 75;

// Called once the video and the output are open, before the first byte of
// the video is parsed: where a process gives up the right to open anything
// more. False, with a sentence in `error`, stops the work.
using Confinement = std::function<bool(std::string& error)>;

struct ImportOptions {
  int width = kDefaultImportWidth;    // even or odd, 16 to 8192 a side
  int height = kDefaultImportHeight;
  ImportFit fit = ImportFit::pad;
  double fps = kDefaultImportFps;     // 1 to 30; must be 5 when sound is none
  int quality = kDefaultImportQuality;  // JPEG quality, 1 to 100
  ImportLayout layout = ImportLayout::plain;
  ImportSound sound = ImportSound::amrNb;
  // The AMR mode in bit/s (NB: 4750 to 12200, WB: 6600 to 23850); 0 takes
  // the band's highest.
  int bitrate = 0;
  // The video's sound track to take, counted from 1; 0 takes the one the
  // container marks as default, else the first.
  int audioTrack = 0;
  double startSeconds = 0;      // where in the video to begin
  double durationSeconds = 0;   // how much to take; 0 for all that follows
  bool force = false;           // replace an existing output; without it one is refused
  // Called now and then with the part done, in permille of the time to
  // import, by one of the import's two threads at a time. May be left empty.
  std::function<void(int permille)> progress;
  // Looked at at least every 100 ms of work; once it holds true the import
  // stops and leaves no output. May be null.
  const std::atomic<bool>* cancel = nullptr;
  Confinement confine;  // may be empty
};

// What a video holds, read without decoding it: for the window's list.
struct VideoFacts {
  bool ok = false;
  std::string error;        // when not ok: one sentence for the user
  ImportFailure failure;    // and its kind, for a window that words it itself
  double duration_ms = 0;   // 0 when the container does not say
  int width = 0;            // the picture as shown (rotation applied)
  int height = 0;
  bool sound = false;       // the video has an audio stream
  int soundTracks = 0;      // how many
};

struct ImportResult {
  bool ok = false;
  bool cancelled = false;   // stopped through ImportOptions::cancel
  // When not ok: one sentence for the user that names the video or the
  // output and says what went wrong.
  std::string error;
  ImportFailure failure;    // its kind, for a window that words it itself

  uint32_t frames = 0;      // frames in the clip
  double duration_ms = 0;   // the clip's length: the sound's, or 200 ms a frame
  double fps = 0;           // frames / duration
  bool sound = false;       // the clip has a track
  uint64_t bytes = 0;       // size of the clip written
  double seconds = 0;       // wall-clock time the import took
};

// Validates `options`; an empty string when they are usable, else one
// sentence saying which value is wrong.
std::string CheckImportOptions(const ImportOptions& options);

// Reads the facts of the video at `videoPath`, stopping once `cancel` (may
// be null) holds true; `confine` as for the import.
VideoFacts ReadVideoFacts(const std::string& videoPath, const std::atomic<bool>* cancel = nullptr,
                          const Confinement& confine = {});

// Imports the video at `videoPath` into the clip `outputPath`. The clip is
// written as a pending file in the same folder (see PendingFile), read back
// as the player reads it, and named when complete; on failure, cancellation
// or a kill nothing is left and an existing file of that name is untouched.
// The video is only read.
ImportResult ImportVideo(const std::string& videoPath, const std::string& outputPath,
                         const ImportOptions& options);
