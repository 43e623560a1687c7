#include "tools/zrvtool/clip_sound.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <unistd.h>

#include "audio/amr_reader.h"
#include "audio/amr_to_wav.h"
#include "audio/frame_interval.h"
#include "audio/wav_writer.h"

namespace {

// A folder of our own (mode 0700) in $TMP, else $TMPDIR, else /tmp, removed
// with its files when the object goes.
class PrivateFolder {
 public:
  PrivateFolder() {
    std::string base = "/tmp";
    for (const char* name : {"TMP", "TMPDIR"}) {
      const char* value = std::getenv(name);
      if (value && *value) {
        base = value;
        break;
      }
    }
    std::string pattern = base + "/zrvtool.XXXXXX";
    if (::mkdtemp(pattern.data())) m_path = pattern;
  }
  ~PrivateFolder() {
    std::error_code ignored;
    if (!m_path.empty()) std::filesystem::remove_all(m_path, ignored);
  }
  PrivateFolder(const PrivateFolder&) = delete;
  PrivateFolder& operator=(const PrivateFolder&) = delete;

  bool made() const { return !m_path.empty(); }
  std::string File(const char* name) const { return m_path + "/" + name; }

 private:
  std::string m_path;
};

bool WriteTrack(const LoadedClip& clip, const std::string& path) {
  const FrameIndex& index = clip.index;
  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (fd < 0) return false;
  const uint8_t* data = clip.bytes.data() + index.audioStart;
  size_t left = size_t(index.audioEnd) - index.audioStart + 1;
  bool ok = true;
  while (ok && left > 0) {
    ssize_t n = ::write(fd, data, left);
    if (n < 0 && errno == EINTR) continue;
    ok = n > 0;
    if (ok) data += n, left -= size_t(n);
  }
  return ::close(fd) == 0 && ok;
}

// Converts the track into `wavPath`. On failure `why` completes a sentence
// that begins with the clip's name.
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
    why = "has a sound track, but '" + wavPath + "' cannot be written";
    return false;
  }
  return true;
}

// The length of a WAV file that ConvertAmrToWav wrote: data bytes over
// bytes per second.
uint32_t WavLengthMs(const std::string& path) {
  uint8_t header[WAV_HEADER_BYTES];
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return kUnknownSoundLength;
  const bool whole = std::fread(header, 1, sizeof header, f) == sizeof header;
  std::fclose(f);
  const uint32_t byteRate = whole ? WavHeaderField32(header, WAV_BYTE_RATE) : 0;
  if (byteRate == 0) return kUnknownSoundLength;
  const uint64_t ms = uint64_t(WavHeaderField32(header, WAV_DATA_SIZE)) * 1000 / byteRate;
  return ms < kUnknownSoundLength ? uint32_t(ms) : kUnknownSoundLength - 1;
}

}  // namespace

bool ConvertClipSound(const std::string& clipPath, const LoadedClip& clip,
                      const std::string& wavPath) {
  PrivateFolder folder;
  std::string why;
  if (Convert(clip, folder, wavPath, why)) return true;
  Refuse("'" + clipPath + "' " + why);
  return false;
}

uint32_t ClipSoundLengthMs(const LoadedClip& clip) {
  PrivateFolder folder;
  std::string why;
  if (!folder.made()) return kUnknownSoundLength;
  const std::string wavPath = folder.File("track.wav");
  return Convert(clip, folder, wavPath, why) ? WavLengthMs(wavPath) : kUnknownSoundLength;
}
