#include "tools/zrvtool/clip_sound.h"

#include <cstdio>

#include "audio/amr_reader.h"
#include "audio/amr_to_wav.h"
#include "audio/frame_interval.h"
#include "container/private_folder.h"

namespace {

bool WriteTrack(const LoadedClip& clip, const std::string& path) {
  const FrameIndex& index = clip.index;
  const size_t size = size_t(index.audioEnd) - index.audioStart + 1;
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  const bool written = std::fwrite(clip.bytes.data() + index.audioStart, 1, size, f) == size;
  return std::fclose(f) == 0 && written;
}

// Converts the track into `wavPath`. On failure `why` completes a sentence
// that begins with the clip's name, or is empty when the WAV file could not
// be written.
bool Convert(const LoadedClip& clip, const PrivateFolder& folder, const std::string& wavPath,
             std::string& why) {
  if (!clip.index.hasSound) {
    why = "has no sound";
    return false;
  }
  const std::string amrPath = folder.File("track.amr");
  if (!folder.made() || !WriteTrack(clip, amrPath)) {
    why = "has a sound track, but no temporary file can be made for it";
    return false;
  }
  AmrReader* probe = AmrOpen(amrPath.c_str());
  if (!probe) {
    why = "has a sound track of no known kind";
    return false;
  }
  AmrClose(probe);
  if (!ConvertAmrToWav(amrPath.c_str(), wavPath.c_str())) {
    why.clear();
    return false;
  }
  return true;
}

}  // namespace

bool ConvertClipSound(const std::string& clipPath, const LoadedClip& clip,
                      const std::string& wavPath, const std::string& cannotWrite) {
  PrivateFolder folder;
  std::string why;
  if (Convert(clip, folder, wavPath, why)) return true;
  Refuse(why.empty() ? cannotWrite : "'" + clipPath + "' " + why);
  return false;
}

uint32_t ClipSoundLengthMs(const LoadedClip& clip) {
  const FrameIndex& index = clip.index;
  if (!index.hasSound) return kUnknownSoundLength;
  // Counted from the frames: each block is 20 ms of the converted track,
  // whatever it holds, so nothing is decoded and no file is written.
  const int64_t blocks = AmrCountBlocks(clip.bytes.data() + index.audioStart,
                                        size_t(index.audioEnd) - index.audioStart + 1);
  if (blocks < 0) return kUnknownSoundLength;
  const int64_t ms = blocks * 20;
  return ms < int64_t(kUnknownSoundLength) ? uint32_t(ms) : kUnknownSoundLength - 1;
}
