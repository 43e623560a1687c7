#include "tools/clipconvert/clip_facts.h"

#include <filesystem>

#include "audio/frame_interval.h"
#include "container/frame_index.h"
#include "tools/zrvtool/cli.h"
#include "tools/zrvtool/clip_sound.h"

ClipFacts ReadClipFacts(const std::string& path) {
  ClipFacts facts;
  // A pipe or a device named here would keep the reader waiting.
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) {
    facts.problem = ClipProblem::cannotRead;
    return facts;
  }
  LoadedClip clip;
  switch (ReadWholeFile(path, clip.bytes)) {
    case ReadStatus::ok:
      break;
    case ReadStatus::noMemory:
      facts.problem = ClipProblem::tooLarge;
      return facts;
    case ReadStatus::cannotOpen:
    case ReadStatus::shortRead:
      facts.problem = ClipProblem::cannotRead;
      return facts;
  }
  BuildFrameIndex(clip.bytes.data(), static_cast<uint32_t>(clip.bytes.size()), clip.index);
  const FrameIndex& index = clip.index;
  if (index.frameCount == 0) {
    facts.problem = ClipProblem::noFrame;
    return facts;
  }
  facts.frames = index.frameCount;
  facts.sound = index.hasSound;
  const uint32_t soundMs = ClipSoundLengthMs(clip);
  // A track too short to give each frame a millisecond is left out of the
  // video, as one that does not convert.
  facts.soundUsable = soundMs != kUnknownSoundLength && soundMs >= index.frameCount;
  // Without a usable track the player's interval falls back to 200 ms a
  // frame, and so does the exported video.
  facts.lengthMs = facts.soundUsable
                       ? soundMs
                       : uint64_t(index.frameCount) *
                             FrameInterval(false, kUnknownSoundLength, index.frameCount, speedNormal);
  return facts;
}
