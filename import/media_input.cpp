// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
#include "import/media_input.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unistd.h>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/avstring.h>
}

#include "ffmpeg/av_error.h"
#include "image/image_limits.h"
#include "import/video_file.h"

namespace {

constexpr int kIoBufferSize = 64 * 1024;

// The containers a video comes in, by FFmpeg's demuxer names. Everything
// else is refused, above all what names other files or addresses
// (concatenation scripts, HLS and DASH playlists, SDP and RTSP sessions,
// image-sequence patterns) and what draws text as a picture.
constexpr const char* kVideoContainers =
    "mov,matroska,avi,mpeg,mpegts,flv,asf,ogg,gif,jpeg_pipe,png_pipe,bmp_pipe,webp_pipe";

// The demuxer opens nothing but the one file: no references to other files
// or addresses that a movie's data may name.
int RefuseOtherFiles(AVFormatContext*, AVIOContext**, const char*, int, AVDictionary**) {
  return AVERROR(EPERM);
}

const uint8_t* DisplayMatrixOf(const AVStream* stream) {
#if LIBAVCODEC_VERSION_INT >= AV_VERSION_INT(60, 30, 100)
  // FFmpeg 6.1 moved stream side data into the codec parameters; 7 removed the old call.
  const AVPacketSideData* data = av_packet_side_data_get(
      stream->codecpar->coded_side_data, stream->codecpar->nb_coded_side_data, AV_PKT_DATA_DISPLAYMATRIX);
  return data && data->size >= 9 * sizeof(int32_t) ? data->data : nullptr;
#else
  size_t size = 0;
  const uint8_t* matrix = av_stream_get_side_data(stream, AV_PKT_DATA_DISPLAYMATRIX, &size);
  return size >= 9 * sizeof(int32_t) ? matrix : nullptr;
#endif
}

DisplayTurn TurnOf(const AVStream* stream) {
  const uint8_t* matrix = DisplayMatrixOf(stream);
  if (!matrix) return {};
  int32_t entries[9];
  std::memcpy(entries, matrix, sizeof entries);
  return TurnOfDisplayMatrix(entries);
}

// False, with the size in `size`, when a video stream declares frames beyond
// what the readers take.
bool DeclaredSizesAllowed(const AVFormatContext* format, std::string& size) {
  for (unsigned i = 0; i < format->nb_streams; ++i) {
    const AVCodecParameters* p = format->streams[i]->codecpar;
    if (p->codec_type != AVMEDIA_TYPE_VIDEO || p->width <= 0 || p->height <= 0) continue;
    if (ImageAreaAllowed(uint64_t(p->width), uint64_t(p->height))) continue;
    size = std::to_string(p->width) + " x " + std::to_string(p->height);
    return false;
  }
  return true;
}

// Decoding at a fraction of the size (MJPEG's lowres) while the picture
// stays at least twice the size wanted: the scaler's result is the same,
// for a part of the work.
int LowresFor(const AVCodec* codec, const AVCodecParameters* p, int width, int height) {
  const int wanted = 2 * std::max(width, height);
  int lowres = 0;
  while (lowres < codec->max_lowres && std::min(p->width, p->height) >> (lowres + 1) >= wanted) ++lowres;
  return lowres;
}

bool OpenDecoder(AVStream* stream, AVCodecContext*& context, const std::string& path,
                 std::string& error, ImportFailure& failure, int lowres = 0) {
  const AVCodec* codec = avcodec_find_decoder(stream->codecpar->codec_id);
  if (!codec) {
    failure = {ImportProblem::formatNotDecodable, path, avcodec_get_name(stream->codecpar->codec_id)};
    error = ImportFailureSentence(failure);
    return false;
  }
  context = avcodec_alloc_context3(codec);
  if (!context || avcodec_parameters_to_context(context, stream->codecpar) < 0) {
    failure = {ImportProblem::outOfMemory, path, "decode"};
    error = ImportFailureSentence(failure);
    return false;
  }
  context->pkt_timebase = stream->time_base;
  // A frame larger than any reader of the program takes is refused by the
  // decoder before it allocates it.
  context->max_pixels = int64_t(kMaxImagePixels);
  // One thread: frame threads cost a quarter more CPU time for the same work.
  context->thread_count = 1;
  context->lowres = lowres;
  const int opened = avcodec_open2(context, codec, nullptr);
  if (opened < 0) {
    failure = {ImportProblem::cannotDecode, path, AvErrorText(opened)};
    error = ImportFailureSentence(failure);
    return false;
  }
  return true;
}

}  // namespace

bool MediaInput::Reading::Stopped() const {
  return (cancel && cancel->load(std::memory_order_relaxed)) || std::chrono::steady_clock::now() > deadline;
}

int MediaInput::Read(void* opaque, uint8_t* buffer, int size) {
  Reading& r = *static_cast<Reading*>(opaque);
  // Checked here too: FFmpeg asks its interrupt callback only in some loops.
  if (r.Stopped()) return AVERROR_EXIT;
  for (;;) {
    const ssize_t got = ::pread(r.fd, buffer, size_t(size), off_t(r.position));
    if (got > 0) {
      r.position += got;
      return int(got);
    }
    if (got == 0) return AVERROR_EOF;
    if (errno != EINTR) return AVERROR(errno);
  }
}

int64_t MediaInput::Seek(void* opaque, int64_t offset, int whence) {
  Reading& r = *static_cast<Reading*>(opaque);
  if (whence & AVSEEK_SIZE) return r.size;
  int64_t at = 0;
  switch (whence & ~AVSEEK_FORCE) {
    case SEEK_SET: at = offset; break;
    case SEEK_CUR: at = r.position + offset; break;
    case SEEK_END: at = r.size + offset; break;
    default: return AVERROR(EINVAL);
  }
  if (at < 0) return AVERROR(EINVAL);
  r.position = at;
  return at;
}

int MediaInput::Interrupted(void* opaque) {
  return static_cast<const Reading*>(opaque)->Stopped() ? 1 : 0;
}

MediaInput::~MediaInput() {
  avcodec_free_context(&m_videoDecoder);
  avcodec_free_context(&m_audioDecoder);
  avformat_close_input(&m_format);
  if (m_io) av_freep(&m_io->buffer);
  avio_context_free(&m_io);
}

bool MediaInput::Fail(ImportProblem problem, std::string detail, std::string& error) {
  if (m_reading.cancel && m_reading.cancel->load(std::memory_order_relaxed))
    m_failure = {ImportProblem::cancelled, m_path, {}};
  else if (m_reading.Stopped())
    m_failure = {ImportProblem::notAVideo, m_path, "its reading took longer than " + std::to_string(kOpenSeconds) + " s"};
  else
    m_failure = {problem, m_path, std::move(detail)};
  error = ImportFailureSentence(m_failure);
  return false;
}

bool MediaInput::Open(const VideoFile& file, const std::atomic<bool>* cancel, std::string& error, int audioTrack) {
  m_path = file.path();
  m_reading.fd = file.fd();
  m_reading.size = file.size();
  m_reading.cancel = cancel;
  m_reading.deadline = std::chrono::steady_clock::now() + std::chrono::seconds(kOpenSeconds);

  auto* buffer = static_cast<unsigned char*>(av_malloc(kIoBufferSize));
  m_io = buffer ? avio_alloc_context(buffer, kIoBufferSize, 0, &m_reading, Read, nullptr, Seek) : nullptr;
  m_format = avformat_alloc_context();
  if (!m_io || !m_format) {
    if (!m_io) av_free(buffer);
    return Fail(ImportProblem::outOfMemory, "read", error);
  }
  m_format->pb = m_io;
  m_format->flags |= AVFMT_FLAG_CUSTOM_IO;
  m_format->io_open = RefuseOtherFiles;
  m_format->interrupt_callback = {Interrupted, &m_reading};

  // The container is recognised first, so that anything but a video is
  // refused by what it is, before its demuxer runs.
  const AVInputFormat* container = nullptr;
  const int probed = av_probe_input_buffer2(m_io, &container, m_path.c_str(), nullptr, 0, 0);
  if (probed < 0 || !container)
    return Fail(ImportProblem::notAVideo, AvErrorText(probed), error);
  if (av_match_list(container->name, kVideoContainers, ',') <= 0)
    return Fail(ImportProblem::otherFormat, container->long_name ? container->long_name : container->name, error);
  // The same rules for every demuxer a demuxer may open inside: only
  // these containers, and no protocol at all, so that nothing but our own
  // reading of this one file ever reaches FFmpeg.
  AVDictionary* rules = nullptr;
  av_dict_set(&rules, "format_whitelist", kVideoContainers, 0);
  av_dict_set(&rules, "protocol_whitelist", "", 0);
  const int opened = avformat_open_input(&m_format, m_path.c_str(), container, &rules);
  av_dict_free(&rules);
  if (opened < 0)  // avformat_open_input frees the context on failure
    return Fail(ImportProblem::notAVideo, AvErrorText(opened), error);
  // Sizes the container declares are refused before the stream search
  // decodes a picture of that size; the decoders it opens refuse larger
  // pictures themselves.
  if (std::string size; !DeclaredSizesAllowed(m_format, size)) return Fail(ImportProblem::framesTooLarge, size, error);
  const unsigned streams = m_format->nb_streams;
  std::vector<AVDictionary*> limits(streams, nullptr);
  for (AVDictionary*& limit : limits) av_dict_set_int(&limit, "max_pixels", int64_t(kMaxImagePixels), 0);
  const int found = avformat_find_stream_info(m_format, limits.data());
  for (AVDictionary*& limit : limits) av_dict_free(&limit);
  if (found < 0 || m_reading.Stopped())
    return Fail(ImportProblem::notAVideo, {}, error);
  if (std::string size; !DeclaredSizesAllowed(m_format, size)) return Fail(ImportProblem::framesTooLarge, size, error);
  const int video = av_find_best_stream(m_format, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
  // A cover picture of a sound file is no video.
  if (video < 0 || (m_format->streams[video]->disposition & AV_DISPOSITION_ATTACHED_PIC))
    return Fail(ImportProblem::noVideoStream, {}, error);
  m_video = m_format->streams[video];
  AVStream *chosen = nullptr, *first = nullptr, *marked = nullptr;
  for (unsigned i = 0; i < m_format->nb_streams; ++i) {
    AVStream* stream = m_format->streams[i];
    if (stream->codecpar->codec_type != AVMEDIA_TYPE_AUDIO) continue;
    if (++m_audioStreams == audioTrack) chosen = stream;
    if (!first) first = stream;
    if (!marked && (stream->disposition & AV_DISPOSITION_DEFAULT)) marked = stream;
  }
  if (audioTrack > m_audioStreams) {
    // The rule broken names the file: the window shows it as it is.
    m_failure = {ImportProblem::badOptions, m_path,
                 "'" + m_path + "' has " + std::to_string(m_audioStreams) + " sound track" +
                     (m_audioStreams == 1 ? "" : "s") + ", not a sound track " + std::to_string(audioTrack)};
    error = ImportFailureSentence(m_failure);
    return false;
  }
  m_audio = audioTrack > 0 ? chosen : marked ? marked : first;
  m_turn = TurnOf(m_video);
  for (unsigned i = 0; i < m_format->nb_streams; ++i) {
    AVStream* stream = m_format->streams[i];
    stream->discard = (stream == m_video || stream == m_audio) ? AVDISCARD_DEFAULT : AVDISCARD_ALL;
  }
  // The head is read: from here on only cancel stops the reading.
  m_reading.deadline = std::chrono::steady_clock::time_point::max();
  return true;
}

int MediaInput::shownWidth() const {
  return m_turn.sidesSwapped() ? m_video->codecpar->height : m_video->codecpar->width;
}

int MediaInput::shownHeight() const {
  return m_turn.sidesSwapped() ? m_video->codecpar->width : m_video->codecpar->height;
}

double MediaInput::declaredDurationMs() const {
  if (m_video->duration > 0 && m_video->duration != AV_NOPTS_VALUE)
    return double(m_video->duration) * av_q2d(m_video->time_base) * 1000.0;
  if (m_format->duration > 0 && m_format->duration != AV_NOPTS_VALUE)
    return double(m_format->duration) / 1000.0;
  return 0;
}

double MediaInput::videoDurationMs() const {
  if (m_video->duration > 0 && m_video->duration != AV_NOPTS_VALUE)
    return double(m_video->duration) * av_q2d(m_video->time_base) * 1000.0;
  // Matroska gives each stream's length as a tag, H:MM:SS.nnnnnnnnn.
  const AVDictionaryEntry* tag = av_dict_get(m_video->metadata, "DURATION", nullptr, 0);
  unsigned hours = 0, minutes = 0;
  double seconds = 0;
  if (tag && std::sscanf(tag->value, "%u:%u:%lf", &hours, &minutes, &seconds) == 3)
    return ((hours * 60.0 + minutes) * 60.0 + seconds) * 1000.0;
  return 0;
}

bool MediaInput::OpenVideoDecoder(int width, int height, std::string& error) {
  const AVCodec* codec = avcodec_find_decoder(m_video->codecpar->codec_id);
  const int lowres = codec ? LowresFor(codec, m_video->codecpar, width, height) : 0;
  return OpenDecoder(m_video, m_videoDecoder, m_path, error, m_failure, lowres);
}

bool MediaInput::OpenAudioDecoder(std::string& error) {
  return m_audio && OpenDecoder(m_audio, m_audioDecoder, m_path, error, m_failure);
}

double MediaInput::ReadFraction() const {
  if (m_reading.size <= 0 || !m_io) return 0;
  return std::min(1.0, double(avio_tell(m_io)) / double(m_reading.size));
}
