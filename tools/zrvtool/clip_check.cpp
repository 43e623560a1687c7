#include "tools/zrvtool/clip_check.h"

#include <algorithm>

#include "container/clip_file.h"

// Reads the written clip back as the player will and compares. On a
// difference `why` says what makes the player see something else.
bool ScanAgrees(const std::string& path, const ExpectedClip& expected, const FrameSource& source,
                std::string& why) {
  LoadedClip clip;
  const ClipLoadStatus status = LoadClipFile(path, clip);
  if (status != ClipLoadStatus::ok && status != ClipLoadStatus::noFrame) {
    why = "cannot read the clip back";
    return false;
  }
  const FrameIndex& index = clip.index;
  const std::vector<uint32_t>& offsets = expected.frameOffsets;
  // The frame that holds byte `at` of the clip.
  auto frameAt = [&](uint32_t at) {
    return uint32_t(std::upper_bound(offsets.begin(), offsets.end(), at) - offsets.begin()) - 1;
  };
  if (index.hasSound && (!expected.hasSound || index.audioStart != expected.audioStart)) {
    why = source.Name(frameAt(index.audioStart)) +
          " holds the text \"#!AMR\", which a player takes for the start of the sound track";
    return false;
  }
  const size_t starts = std::max<size_t>(offsets.size(), index.frameCount);
  for (uint32_t k = 0; k < starts; ++k) {
    if (k < index.frameCount && k < offsets.size() && index.frameOffsets[k] == offsets[k]) continue;
    if (k >= index.frameCount) {
      why = "a player finds only " + std::to_string(index.frameCount) + " frames in it";
      return false;
    }
    // A frame start that is not one of ours lies inside one of our frames.
    why = source.Name(frameAt(index.frameOffsets[k])) +
          " holds the bytes FF D8 inside it (an embedded thumbnail?), which a player takes for "
          "the start of another frame";
    return false;
  }
  if (index.sharedHeader != expected.sharedHeader) {
    why = expected.sharedHeader
              ? "the first frame has no header in front of its scan, so there is nothing to share"
              : source.Name(0) + " and " + source.Name(1) +
                    " begin with different segments, so a player would take the clip for the "
                    "shared-header layout";
    return false;
  }
  if (expected.sharedHeader && index.headerLength != expected.headerLength) {
    why = "the header of " + source.Name(0) +
          " holds the bytes FF DA in front of its scan, so a player would cut the shared header "
          "short";
    return false;
  }
  if (index.hasSound != expected.hasSound) {
    why = "a player would not find the sound track";
    return false;
  }
  return true;
}
