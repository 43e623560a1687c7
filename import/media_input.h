// A video file opened for the import: our own reading of the file (regular
// files only, nothing else opened on its behalf), FFmpeg's demuxer on it,
// its video stream (and the first sound stream) and their decoders.
#pragma once

#include <cstdint>
#include <string>

#include "import/import_failure.h"

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

  // Opens `path` and finds its streams. On failure `error` says why in a
  // sentence that names the file.
  bool Open(const std::string& path, std::string& error);

  AVFormatContext* format() const { return m_format; }
  AVStream* video() const { return m_video; }
  AVStream* audio() const { return m_audio; }  // null without sound

  // The picture's clockwise rotation for display, 0, 90, 180 or 270, from
  // the stream's display matrix.
  int rotation() const { return m_rotation; }
  // The size as shown: rotation applied.
  int shownWidth() const;
  int shownHeight() const;
  // The container's idea of the video's length in ms; 0 when it has none.
  double declaredDurationMs() const;

  // Opens a decoder for the video (or the audio) stream. False, with
  // `error`, when FFmpeg has none for its codec.
  bool OpenVideoDecoder(std::string& error);
  bool OpenAudioDecoder(std::string& error);
  // The kind of the last failure of Open or of a decoder's opening.
  const ImportFailure& failure() const { return m_failure; }
  AVCodecContext* videoDecoder() const { return m_videoDecoder; }
  AVCodecContext* audioDecoder() const { return m_audioDecoder; }

  // The file's bytes read so far as a part of its size, 0 to 1.
  double ReadFraction() const;

 private:
  int m_fd = -1;
  int64_t m_size = 0;
  AVIOContext* m_io = nullptr;
  AVFormatContext* m_format = nullptr;
  AVStream* m_video = nullptr;
  AVStream* m_audio = nullptr;
  AVCodecContext* m_videoDecoder = nullptr;
  AVCodecContext* m_audioDecoder = nullptr;
  int m_rotation = 0;
  std::string m_path;
  ImportFailure m_failure;
};
