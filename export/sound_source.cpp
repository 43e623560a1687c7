#include "export/sound_source.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

namespace {

// The folder for the track's temporary file: $TMP, else $TMPDIR, else /tmp.
std::string TemporaryFolder() {
  for (const char* name : {"TMP", "TMPDIR"}) {
    const char* value = std::getenv(name);
    if (value && *value) return value;
  }
  return "/tmp";
}

bool WriteAll(int fd, const uint8_t* data, size_t size) {
  while (size > 0) {
    const ssize_t n = ::write(fd, data, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data += n;
    size -= size_t(n);
  }
  return true;
}

}  // namespace

bool SoundSource::Prepare(const ClipSource& clip, std::string& error) {
  const FrameIndex& index = clip.index();
  if (!index.hasSound) return true;
  // The decoder reads files: the track goes into a private temporary one,
  // which is unlinked as soon as the decoder holds it open.
  std::string path = TemporaryFolder() + "/zrv-export-track.XXXXXX";
  const int fd = ::mkstemp(path.data());
  if (fd < 0) {
    error = "no temporary file can be made for the sound track in '" + TemporaryFolder() +
            "': " + std::strerror(errno);
    return false;
  }
  const size_t size = size_t(index.audioEnd) - index.audioStart + 1;
  const bool written = WriteAll(fd, clip.bytes().data() + index.audioStart, size);
  const bool closed = ::close(fd) == 0;
  bool ok = written && closed;
  if (ok) {
    const int64_t blocks = CountAmrBlocks(path.c_str());
    // A track of no known kind counts as no sound, as the player plays it.
    if (blocks > 0 && m_decoder.Open(path.c_str())) {
      if (m_decoder.Start())
        m_samples = blocks * m_decoder.samplesPerBlock();
      else
        ok = false;
    }
  }
  ::unlink(path.c_str());
  if (!ok) error = "the sound track cannot be decoded: no temporary file or decoder for it";
  return ok;
}

bool SoundSource::NextBlock(std::vector<int16_t>& interleaved) {
  if (!m_decoder.Next()) return false;
  const int count = channels(), perBlock = m_decoder.samplesPerBlock();
  const short* const* data = m_decoder.ChannelSamples();
  interleaved.resize(size_t(count) * size_t(perBlock));
  for (int i = 0; i < perBlock; ++i)
    for (int c = 0; c < count; ++c) interleaved[size_t(i) * count + c] = data[c][i];
  return true;
}
