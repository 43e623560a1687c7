#include "import/media_input.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/display.h>
}

#include "export/av_error.h"
#include "image/image_limits.h"

namespace {

constexpr int kIoBufferSize = 64 * 1024;

int ReadFile(void* opaque, uint8_t* buffer, int size) {
  const int fd = *static_cast<int*>(opaque);
  for (;;) {
    const ssize_t got = ::read(fd, buffer, size_t(size));
    if (got > 0) return int(got);
    if (got == 0) return AVERROR_EOF;
    if (errno != EINTR) return AVERROR(errno);
  }
}

int64_t SeekFile(void* opaque, int64_t offset, int whence) {
  const int fd = *static_cast<int*>(opaque);
  if (whence & AVSEEK_SIZE) {
    struct stat st {};
    return ::fstat(fd, &st) == 0 ? int64_t(st.st_size) : AVERROR(errno);
  }
  const off_t at = ::lseek(fd, off_t(offset), whence & ~AVSEEK_FORCE);
  return at < 0 ? AVERROR(errno) : int64_t(at);
}

// The demuxer opens nothing but the one file: no references to other files
// or addresses that a playlist or a movie's data references may name.
int RefuseOtherFiles(AVFormatContext*, AVIOContext**, const char*, int, AVDictionary**) {
  return AVERROR(EPERM);
}

int RotationOf(const AVStream* stream) {
  const uint8_t* matrix = av_stream_get_side_data(stream, AV_PKT_DATA_DISPLAYMATRIX, nullptr);
  if (!matrix) return 0;
  const double counterClockwise = av_display_rotation_get(reinterpret_cast<const int32_t*>(matrix));
  if (std::isnan(counterClockwise)) return 0;
  // To the nearest quarter turn, clockwise.
  int clockwise = int(std::lround(-counterClockwise / 90.0)) * 90 % 360;
  if (clockwise < 0) clockwise += 360;
  return clockwise;
}

// False, with `error`, when a video stream declares frames beyond what the
// readers take.
bool DeclaredSizesAllowed(const AVFormatContext* format, const std::string& name, std::string& error) {
  for (unsigned i = 0; i < format->nb_streams; ++i) {
    const AVCodecParameters* p = format->streams[i]->codecpar;
    if (p->codec_type != AVMEDIA_TYPE_VIDEO || p->width <= 0 || p->height <= 0) continue;
    if (ImageAreaAllowed(uint64_t(p->width), uint64_t(p->height))) continue;
    error = name + " declares frames of " + std::to_string(p->width) + " x " +
            std::to_string(p->height) + ", larger than the 8192 x 8192 that can be read";
    return false;
  }
  return true;
}

bool OpenDecoder(AVStream* stream, AVCodecContext*& context, const std::string& path,
                 std::string& error, ImportFailure& failure) {
  const AVCodec* codec = avcodec_find_decoder(stream->codecpar->codec_id);
  if (!codec) {
    failure = {ImportProblem::formatNotDecodable, path, avcodec_get_name(stream->codecpar->codec_id)};
    error = "'" + path + "' uses a " +
            (stream->codecpar->codec_type == AVMEDIA_TYPE_VIDEO ? "video" : "sound") +
            " format that cannot be decoded (" + avcodec_get_name(stream->codecpar->codec_id) + ")";
    return false;
  }
  context = avcodec_alloc_context3(codec);
  if (!context || avcodec_parameters_to_context(context, stream->codecpar) < 0) {
    failure = {ImportProblem::outOfMemory, path, {}};
    error = "not enough memory to decode '" + path + "'";
    return false;
  }
  context->pkt_timebase = stream->time_base;
  // A frame larger than any reader of the program takes is refused by the
  // decoder before it allocates it.
  context->max_pixels = int64_t(kMaxImagePixels);
  // One thread: frame threads cost a quarter more CPU time for the same work.
  context->thread_count = 1;
  const int opened = avcodec_open2(context, codec, nullptr);
  if (opened < 0) {
    failure = {ImportProblem::formatNotDecodable, path, AvErrorText(opened)};
    error = "'" + path + "' cannot be decoded: " + AvErrorText(opened);
    return false;
  }
  return true;
}

}  // namespace

MediaInput::~MediaInput() {
  avcodec_free_context(&m_videoDecoder);
  avcodec_free_context(&m_audioDecoder);
  avformat_close_input(&m_format);
  if (m_io) av_freep(&m_io->buffer);
  avio_context_free(&m_io);
  if (m_fd >= 0) ::close(m_fd);
}

bool MediaInput::Open(const std::string& path, std::string& error) {
  m_path = path;
  const std::string name = "'" + path + "'";
  // Opened without waiting, so that a FIFO without a writer does not hang;
  // anything but a regular file is refused.
  m_fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (m_fd < 0) {
    m_failure = {ImportProblem::cannotOpen, path, std::strerror(errno)};
    error = "cannot open " + name + ": " + m_failure.detail;
    return false;
  }
  struct stat st {};
  if (::fstat(m_fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    m_failure = {ImportProblem::notRegular, path, {}};
    error = name + " is not a regular file";
    return false;
  }
  ::fcntl(m_fd, F_SETFL, ::fcntl(m_fd, F_GETFL) & ~O_NONBLOCK);
  m_size = int64_t(st.st_size);

  auto* buffer = static_cast<unsigned char*>(av_malloc(kIoBufferSize));
  m_io = buffer ? avio_alloc_context(buffer, kIoBufferSize, 0, &m_fd, ReadFile, nullptr, SeekFile)
                : nullptr;
  m_format = avformat_alloc_context();
  if (!m_io || !m_format) {
    if (!m_io) av_free(buffer);
    m_failure = {ImportProblem::outOfMemory, path, {}};
    error = "not enough memory to read " + name;
    return false;
  }
  m_format->pb = m_io;
  m_format->flags |= AVFMT_FLAG_CUSTOM_IO;
  m_format->io_open = RefuseOtherFiles;
  const int opened = avformat_open_input(&m_format, path.c_str(), nullptr, nullptr);
  if (opened < 0) {
    // avformat_open_input frees the context on failure.
    m_failure = {ImportProblem::notAVideo, path, AvErrorText(opened)};
    error = name + " is not a video that can be read (" + m_failure.detail + ")";
    return false;
  }
  // Sizes the container declares are refused before the stream search
  // decodes a picture of that size; the decoders it opens refuse larger
  // pictures themselves.
  if (!DeclaredSizesAllowed(m_format, name, error)) {
    m_failure = {ImportProblem::framesTooLarge, path, {}};
    return false;
  }
  const unsigned streams = m_format->nb_streams;
  std::vector<AVDictionary*> limits(streams, nullptr);
  for (AVDictionary*& limit : limits) av_dict_set_int(&limit, "max_pixels", int64_t(kMaxImagePixels), 0);
  const int found = avformat_find_stream_info(m_format, limits.data());
  for (AVDictionary*& limit : limits) av_dict_free(&limit);
  if (found < 0) {
    m_failure = {ImportProblem::notAVideo, path, {}};
    error = name + " is not a video that can be read";
    return false;
  }
  if (!DeclaredSizesAllowed(m_format, name, error)) {
    m_failure = {ImportProblem::framesTooLarge, path, {}};
    return false;
  }
  const int video = av_find_best_stream(m_format, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
  // A cover picture of a sound file is no video.
  if (video < 0 || (m_format->streams[video]->disposition & AV_DISPOSITION_ATTACHED_PIC)) {
    m_failure = {ImportProblem::noVideoStream, path, {}};
    error = name + " has no video stream";
    return false;
  }
  m_video = m_format->streams[video];
  const int audio = av_find_best_stream(m_format, AVMEDIA_TYPE_AUDIO, -1, video, nullptr, 0);
  if (audio >= 0) m_audio = m_format->streams[audio];
  m_rotation = RotationOf(m_video);
  for (unsigned i = 0; i < m_format->nb_streams; ++i) {
    AVStream* stream = m_format->streams[i];
    stream->discard = (stream == m_video || stream == m_audio) ? AVDISCARD_DEFAULT : AVDISCARD_ALL;
  }
  return true;
}

int MediaInput::shownWidth() const {
  return m_rotation % 180 ? m_video->codecpar->height : m_video->codecpar->width;
}

int MediaInput::shownHeight() const {
  return m_rotation % 180 ? m_video->codecpar->width : m_video->codecpar->height;
}

double MediaInput::declaredDurationMs() const {
  if (m_video->duration > 0 && m_video->duration != AV_NOPTS_VALUE)
    return double(m_video->duration) * av_q2d(m_video->time_base) * 1000.0;
  if (m_format->duration > 0 && m_format->duration != AV_NOPTS_VALUE)
    return double(m_format->duration) / 1000.0;
  return 0;
}

bool MediaInput::OpenVideoDecoder(std::string& error) {
  return OpenDecoder(m_video, m_videoDecoder, m_path, error, m_failure);
}

bool MediaInput::OpenAudioDecoder(std::string& error) {
  return m_audio && OpenDecoder(m_audio, m_audioDecoder, m_path, error, m_failure);
}

double MediaInput::ReadFraction() const {
  if (m_size <= 0 || !m_io) return 0;
  return std::min(1.0, double(avio_tell(m_io)) / double(m_size));
}
