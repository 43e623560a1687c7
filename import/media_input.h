// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// A video opened for the import: FFmpeg's demuxer over our own reading of
// the one file, its video stream (and the first sound stream) and their
// decoders. Only real media containers are read, never playlists, manifests,
// session descriptions, scripts or text, and FFmpeg may open nothing itself:
// no other file, no address.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <string>

#include "import/display_turn.h"
#include "import/import_failure.h"

class VideoFile;

extern "C" {
struct AVFormatContext;
struct AVIOContext;
struct AVCodecContext;
struct AVStream;
struct AVPacket;
struct AVFrame;
}

class MediaInput {
 public:
  MediaInput() = default;
  ~MediaInput();
  MediaInput(const MediaInput&) = delete;
  MediaInput& operator=(const MediaInput&) = delete;

  // Reads the container of `file` and finds its streams; every read stops
  // once `cancel` (may be null) holds true, and the reading of the
  // container's head (the facts) after kOpenSeconds. On failure `error` says
  // why in a sentence that names the file.
  // The sound is the track `audioTrack` counted from 1 (0: the one marked
  // default, else the first).
  bool Open(const VideoFile& file, const std::atomic<bool>* cancel, std::string& error, int audioTrack = 0);
  static constexpr int kOpenSeconds = 10;

  AVFormatContext* format() const { return m_format; }
  AVStream* video() const { return m_video; }
  AVStream* audio() const { return m_audio; }  // null without sound
  int audioStreams() const { return m_audioStreams; }

  // How the picture is shown, from the stream's display matrix.
  const DisplayTurn& turn() const { return m_turn; }
  // The size as shown: the turn applied.
  int shownWidth() const;
  int shownHeight() const;
  // The container's idea of the video's length in ms; 0 when it has none.
  double declaredDurationMs() const;
  // The video stream's own length in ms (not the longest stream's, as
  // Matroska and MPEG-TS give for the file); 0 when it has none.
  double videoDurationMs() const;
  // The file's size in bytes.
  int64_t fileSize() const { return m_reading.size; }

  // Opens a decoder for the video (or the audio) stream. False, with
  // `error`, when FFmpeg has none for its codec. The video's pictures are
  // wanted at `width` x `height` or larger: a format that can decode them
  // smaller does.
  bool OpenVideoDecoder(int width, int height, std::string& error);
  bool OpenAudioDecoder(std::string& error);
  // The kind of the last failure of Open or of a decoder's opening.
  const ImportFailure& failure() const { return m_failure; }
  AVCodecContext* videoDecoder() const { return m_videoDecoder; }
  AVCodecContext* audioDecoder() const { return m_audioDecoder; }

  // The file's bytes read so far as a part of its size, 0 to 1.
  double ReadFraction() const;

 private:
  // What FFmpeg's read and interrupt callbacks see.
  struct Reading {
    int fd = -1;
    int64_t position = 0;
    int64_t size = 0;
    const std::atomic<bool>* cancel = nullptr;
    std::chrono::steady_clock::time_point deadline = std::chrono::steady_clock::time_point::max();
    bool Stopped() const;
  };
  static int Read(void* opaque, uint8_t* buffer, int size);
  static int64_t Seek(void* opaque, int64_t offset, int whence);
  static int Interrupted(void* opaque);

  // Fails with `problem`, unless the reading was stopped, and its sentence in `error`.
  bool Fail(ImportProblem problem, std::string detail, std::string& error);

  Reading m_reading;
  AVIOContext* m_io = nullptr;
  AVFormatContext* m_format = nullptr;
  AVStream* m_video = nullptr;
  AVStream* m_audio = nullptr;
  AVCodecContext* m_videoDecoder = nullptr;
  AVCodecContext* m_audioDecoder = nullptr;
  DisplayTurn m_turn;
  int m_audioStreams = 0;
  std::string m_path;
  ImportFailure m_failure;
};
