// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
#include "export/muxer.h"

#include <string>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

#include "ffmpeg/av_error.h"
#include "export/fd_io.h"

namespace {

// The one file the muxer may open by name is its own output, for reading it
// back (MP4's fast start); it gets a second context over the same descriptor.
int OpenOwnOutput(AVFormatContext* context, AVIOContext** io, const char* url, int flags,
                  AVDictionary** /*options*/) {
  if (flags != AVIO_FLAG_READ || !context->url || std::string(url) != context->url) return AVERROR(EPERM);
  const auto* output = static_cast<const AVIOContext*>(context->opaque);
  *io = OpenFdIo(FdIoDescriptor(output), false);
  return *io ? 0 : AVERROR(ENOMEM);
}

int CloseOwnOutput(AVFormatContext* /*context*/, AVIOContext* io) { return CloseFdIo(&io); }

// ISO 8601 in UTC, as the containers' creation time field takes it.
std::string CreationTimeText(const timespec& time) {
  std::tm utc{};
  gmtime_r(&time.tv_sec, &utc);
  char text[40];
  std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &utc);
  return std::string(text) + ".000000Z";
}

}  // namespace

Muxer::~Muxer() {
  // An unfinished file is abandoned without its index: it is dropped anyway.
  if (m_context) avformat_free_context(m_context);
  CloseFdIo(&m_output);
}

bool Muxer::Create(const char* formatName, int fd, const std::string& name, std::string& error) {
  // The URL only names the output for the muxer's own use; no protocol reads it.
  const std::string url = "fd:" + std::to_string(fd);
  const int made = avformat_alloc_output_context2(&m_context, nullptr, formatName, url.c_str());
  if (made < 0 || !m_context) {
    error = std::string("this FFmpeg cannot write ") + formatName + " files";
    return false;
  }
  m_fastStart = std::string(formatName) == "mp4";
  m_output = OpenFdIo(fd, true);
  if (!m_output) {
    error = "cannot write '" + name + "': " + AvErrorText(AVERROR(ENOMEM));
    return false;
  }
  m_context->pb = m_output;
  m_context->flags |= AVFMT_FLAG_CUSTOM_IO;
  m_context->opaque = m_output;
  m_context->io_open = OpenOwnOutput;
  m_context->io_close2 = CloseOwnOutput;
  return true;
}

bool Muxer::WantsGlobalHeaders() const {
  return (m_context->oformat->flags & AVFMT_GLOBALHEADER) != 0;
}

AVStream* Muxer::AddStream(const AVCodecContext* encoder) {
  AVStream* stream = avformat_new_stream(m_context, nullptr);
  if (!stream) return nullptr;
  if (avcodec_parameters_from_context(stream->codecpar, encoder) < 0) return nullptr;
  stream->time_base = encoder->time_base;
  return stream;
}

AVStream* Muxer::AddStream(const AVCodecParameters* parameters, int timeBaseDen) {
  AVStream* stream = avformat_new_stream(m_context, nullptr);
  if (!stream) return nullptr;
  if (avcodec_parameters_copy(stream->codecpar, parameters) < 0) return nullptr;
  stream->time_base = AVRational{1, timeBaseDen};
  return stream;
}

bool Muxer::Start(const std::string& title, const timespec& created, std::string& error) {
  av_dict_set(&m_context->metadata, "title", title.c_str(), 0);
  av_dict_set(&m_context->metadata, "creation_time", CreationTimeText(created).c_str(), 0);
  AVDictionary* options = nullptr;
  if (m_fastStart) av_dict_set(&options, "movflags", "+faststart", 0);
  // Matroska's optional checksums would cost as much as the rest of the
  // muxing; the frames carry their own markers and FLAC its own checksums.
  else
    av_dict_set(&options, "write_crc32", "0", 0);
  const int written = avformat_write_header(m_context, &options);
  av_dict_free(&options);
  if (written < 0) {
    error = "cannot start the output file: " + AvErrorText(written);
    return false;
  }
  m_started = true;
  return true;
}

bool Muxer::Write(AVPacket* packet, AVStream* stream, int fromTimeBaseDen, std::string& error) {
  packet->stream_index = stream->index;
  av_packet_rescale_ts(packet, AVRational{1, fromTimeBaseDen}, stream->time_base);
  const int written = av_interleaved_write_frame(m_context, packet);
  if (written < 0) {
    error = "cannot write the output file: " + AvErrorText(written);
    return false;
  }
  return true;
}

bool Muxer::Finish(std::string& error) {
  m_started = false;
  const int ended = av_write_trailer(m_context);
  m_context->pb = nullptr;
  const int closed = CloseFdIo(&m_output);
  if (ended < 0 || closed < 0) {
    error = "cannot finish the output file: " + AvErrorText(ended < 0 ? ended : closed);
    return false;
  }
  return true;
}
