// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// Exporting a ZRV clip to a file that plays everywhere: MP4 (H.264 and AAC)
// or MKV (the JPEG frames as they are, the sound as FLAC). Every frame of
// the clip goes out, in order; with sound each frame lasts exactly the
// converted track's length divided by the frame count, without sound 200 ms.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

#include "export/export_failure.h"

enum class ExportFormat {
  mp4,  // H.264 4:2:0 (libx264), AAC, index at the front
  mkv,  // MJPEG packets byte for byte, FLAC sound
};

// The quality for MP4 when none is asked: small phone clips stay small at
// this rate factor and show no visible loss.
inline constexpr int kDefaultCrf = 20;
inline constexpr int kMaxCrf = 51;

// The format that the extension of `path` names (".mp4" or ".mkv", in any
// case). False for any other name.
bool ExportFormatFromPath(const std::string& path, ExportFormat& format);
// "mp4" or "mkv".
const char* ExportFormatExtension(ExportFormat format);

struct ExportOptions {
  ExportFormat format = ExportFormat::mp4;
  int crf = kDefaultCrf;  // MP4 only: 0 (lossless) to kMaxCrf
  bool force = false;     // replace an existing output; without it one is refused
  // Called after each frame is written, with the frames written so far and
  // the clip's frame count; on the exporting thread. May be left empty.
  std::function<void(uint32_t done, uint32_t total)> progress;
  // Looked at between frames and between blocks of sound; once it holds
  // true the export stops, and no output (not even a partial one) is left.
  // May be null.
  const std::atomic<bool>* cancel = nullptr;
};

struct ExportResult {
  bool ok = false;
  bool cancelled = false;  // stopped through ExportOptions::cancel
  // When not ok: what went wrong, and the same as one English sentence that
  // names the clip or the output, e.g. "'/x/a.mp4' already exists; ...".
  ExportFailure failure;
  std::string error;

  uint32_t frames = 0;       // frames written (the clip's frame count when ok)
  double duration_ms = 0;    // the video's length: the sound's, or 200 ms a frame
  double fps = 0;            // frames per second: fps_num / fps_den
  uint64_t fps_num = 0;      // the exact rate as a fraction in lowest terms
  uint64_t fps_den = 1;
  bool sound = false;        // a sound track was written
  // Frames that hold no picture (or, in an MP4, do not decode): the picture
  // before them stays on screen for their time.
  uint32_t damaged_frames = 0;
  int width = 0, height = 0;  // the video's picture size: that of the first frame that decodes
  // Frames that declare another size than the video's: the picture before
  // them stays on screen for their time.
  uint32_t other_size_frames = 0;
  uint32_t first_other_size_frame = 0;  // the first of them, from 0
  int other_width = 0, other_height = 0;  // its size
  uint64_t bytes = 0;        // size of the output file
  double seconds = 0;        // wall-clock time the export took
};

// Exports the clip at `clipPath` to `outputPath` in `options.format`. The
// output is written under a hidden temporary name in the same folder and
// renamed when complete; on failure or cancellation nothing is left and an
// existing file of that name is untouched. The clip is only read. The title
// is the clip's file name without extension; the creation time and the
// output's modification time are the clip's modification time.
//
// What a small clip can make is bounded: frames that hold no picture, and
// frames that repeat the one before byte for byte, lengthen the picture
// before them instead of being written again; a clip whose frames would
// still come to more than LargestFramesBytes allows once each is given the
// shared header, or whose sound lasts longer than LongestSoundMs allows, is
// refused: no recording is like that, and exporting it would write gigabytes
// or take hours.
ExportResult ExportClip(const std::string& clipPath, const std::string& outputPath,
                        const ExportOptions& options);

// What an export of a clip would make of it, learnt without writing anything:
// the clip read and indexed, its sound track's length counted from its AMR
// frames (not decoded), and the frames timed as the export times them.
struct ClipExportFacts {
  bool ok = false;
  ExportFailure failure;     // when not ok
  uint32_t frames = 0;
  bool hasSound = false;     // the clip holds a track
  bool soundUsable = false;  // ... that the video carries: it decodes and gives each frame a millisecond
  double duration_ms = 0;    // the video's length: the sound's, or 200 ms a frame
};
ClipExportFacts ReadClipExportFacts(const std::string& clipPath);
