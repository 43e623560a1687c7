// What the converter's list shows of a clip: its frames, its length and its
// sound, read with the player's container and audio code.
#pragma once

#include <cstdint>
#include <string>

enum class ClipProblem {
  none,
  cannotRead,  // missing, unreadable, not a regular file, or cut short
  tooLarge,    // no memory for it, or 4 GiB and more
  noFrame,     // read, but no JPEG frame in it: not a ZRV clip
};

struct ClipFacts {
  ClipProblem problem = ClipProblem::none;
  uint32_t frames = 0;
  bool sound = false;        // the clip holds a sound track
  bool soundUsable = false;  // ... and it converts and lasts, so the video carries it
  // How long the converted video lasts: the sound's length, or the player's
  // 200 ms a frame when there is no usable sound.
  uint64_t lengthMs = 0;
};

// Reads the clip whole, indexes it and converts its sound track to learn its
// length, as `zrvtool info` does. The clip is only read.
ClipFacts ReadClipFacts(const std::string& path);
