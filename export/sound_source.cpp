#include "export/sound_source.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "audio/amr_reader.h"
#include "container/private_folder.h"

namespace {

bool WriteTrack(const uint8_t* data, size_t size, const std::string& path) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  const bool written = std::fwrite(data, 1, size, f) == size;
  return std::fclose(f) == 0 && written;
}

}  // namespace

bool SoundSource::Count(const ClipSource& clip) {
  const FrameIndex& index = clip.index();
  if (!index.hasSound) return true;
  m_track = clip.bytes().data() + index.audioStart;
  m_trackSize = size_t(index.audioEnd) - index.audioStart + 1;
  // Counted from the frames, without decoding: a track of no known kind
  // counts as no sound, as the player plays it.
  const int64_t blocks = AmrCountBlocks(m_track, m_trackSize);
  if (blocks <= 0) return true;
  // Only the wide-band magics go on with '-' ("#!AMR-WB").
  m_rate = m_track[5] == '-' ? 16000 : 8000;
  m_samples = blocks * (m_rate / 50);
  return true;
}

bool SoundSource::Open(std::string& error) {
  if (!usable()) return true;
  // The decoder reads files: the track goes into a private temporary
  // folder, which goes as soon as the decoder holds the file open.
  PrivateFolder folder;
  const std::string path = folder.made() ? folder.File("track.amr") : std::string();
  if (path.empty() || !WriteTrack(m_track, m_trackSize, path)) {
    error = "no temporary file can be made for the sound track in '" + TemporaryFolder() +
            "': " + std::strerror(errno);
    return false;
  }
  if (!m_decoder.Open(path.c_str()) || !m_decoder.Start()) {
    error = "the sound track cannot be decoded: no decoder for it";
    return false;
  }
  return true;
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
