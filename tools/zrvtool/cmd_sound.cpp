// zrvtool sound: a clip's sound track as a WAV file.
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "tools/zrvtool/clip_sound.h"
#include "tools/zrvtool/commands.h"

namespace {

bool SameFile(const std::string& a, const std::string& b) {
  struct stat sa {}, sb {};
  return ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
         sa.st_ino == sb.st_ino;
}

int RunSound(int argc, char** argv) {
  if (argc != 3) return UsageError(kSoundCommand, "expected FILE OUT.wav");
  const std::string clipPath = argv[1], wavPath = argv[2];

  LoadedClip clip;
  if (!LoadClip(clipPath, clip)) return kExitRefused;
  if (SameFile(clipPath, wavPath))
    return Refuse("'" + wavPath + "' is the clip itself; it would be overwritten");

  struct stat st {};
  const bool existed = ::stat(wavPath.c_str(), &st) == 0;
  if (ConvertClipSound(clipPath, clip, wavPath)) return kExitOk;
  // A half-written file of our own would pass for the sound track.
  if (!existed && ::stat(wavPath.c_str(), &st) == 0 && S_ISREG(st.st_mode)) ::unlink(wavPath.c_str());
  return kExitRefused;
}

}  // namespace

const Command kSoundCommand = {"sound", "FILE OUT.wav",
                               "convert the clip's AMR sound track to a 16-bit PCM WAV file",
                               RunSound};
