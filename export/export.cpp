#include "export/export.h"

#include <chrono>
#include <cstring>
#include <functional>
#include <strings.h>
#include <sys/stat.h>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/log.h>
}

#include "export/audio_encoder.h"
#include "export/clip_source.h"
#include "export/export_timing.h"
#include "container/pending_file.h"
#include "export/muxer.h"
#include "export/sound_source.h"
#include "export/video_encoder.h"
#include "image/jpeg_rgb.h"

namespace {

// Writes one frame, k, shown from `pts` for `duration` video ticks.
using FrameWriter = std::function<bool(uint32_t k, int64_t pts, int64_t duration, std::string&)>;

// What one export holds while it runs.
struct ExportRun {
  ClipSource clip;
  SoundSource sound;
  ExportTiming timing;
  Muxer muxer;
  AudioEncoder audio;
  // Set where a failure is of a kind of its own; any other is `failed`.
  ExportFailure failure;
};

bool Cancelled(const ExportOptions& options) {
  return options.cancel && options.cancel->load(std::memory_order_relaxed);
}

// Every frame in order, with the sound encoded just ahead of the pictures
// so that the interleaving queue stays short.
bool WriteFrames(ExportRun& run, const ExportOptions& options, const FrameWriter& writeFrame,
                 ExportResult& result, std::string& error) {
  const ExportTiming& timing = run.timing;
  const bool withSound = timing.withSound();
  std::vector<int16_t> block;
  int64_t soundDone = 0;
  const auto encodeSoundUpTo = [&](int64_t target) {
    while (soundDone < target && run.sound.NextBlock(block)) {
      // A frame may last minutes of sound: cancel is looked at every block.
      if (Cancelled(options)) {
        result.cancelled = true;
        return false;
      }
      const size_t instants = block.size() / size_t(run.sound.channels());
      if (!run.audio.Add(block.data(), instants, run.muxer, error)) return false;
      soundDone += int64_t(instants);
    }
    return true;
  };
  for (uint32_t k = 0; k < timing.frames; ++k) {
    if (Cancelled(options)) {
      result.cancelled = true;
      return false;
    }
    if (withSound && !encodeSoundUpTo(timing.FrameStartSample(k + 1))) return false;
    const int64_t pts = timing.FrameStartTicks(k);
    if (!writeFrame(k, pts, timing.FrameStartTicks(k + 1) - pts, error)) return false;
    result.frames = k + 1;
    if (options.progress) options.progress(k + 1, timing.frames);
  }
  if (withSound) {
    if (!encodeSoundUpTo(INT64_MAX) || !run.audio.Finish(run.muxer, error)) return false;
  }
  return true;
}

bool OpenSound(ExportRun& run, const char* codecName, std::string& error) {
  if (!run.timing.withSound()) return true;
  if (!run.audio.Open(codecName, run.sound.channels(), run.sound.sampleRate(),
                      run.muxer.WantsGlobalHeaders(), error))
    return false;
  AVStream* stream = run.muxer.AddStream(run.audio.context());
  if (!stream) {
    error = "not enough memory for the sound stream";
    return false;
  }
  run.audio.SetStream(stream);
  return true;
}

// MP4: every frame decoded in full colour and encoded as H.264; a frame that
// does not decode (or has another size) repeats the picture before it.
bool WriteMp4(ExportRun& run, const std::string& path, const std::string& title,
              const ExportOptions& options, ExportResult& result, std::string& error) {
  RgbPicture picture(0, 0);
  Yuv420Picture planes;
  int width = 0, height = 0;
  for (uint32_t k = 0; k < run.clip.frameCount() && width == 0; ++k) {
    size_t length = 0;
    const uint8_t* stream = run.clip.FrameStream(k, length);
    // Told before anything is decoded: a size that no player decodes.
    int declaredWidth = 0, declaredHeight = 0;
    if (ReadJpegSize(stream, length, declaredWidth, declaredHeight) &&
        !H264FrameSizeSupported(declaredWidth, declaredHeight)) {
      run.failure.problem = ExportProblem::framesTooLarge;
      run.failure.width = declaredWidth;
      run.failure.height = declaredHeight;
      return false;
    }
    if (DecodeJpegRgb(stream, length, picture)) {
      width = picture.width;
      height = picture.height;
    }
  }
  if (width == 0) {
    run.failure.problem = ExportProblem::noDecodableFrame;
    return false;
  }
  if (!run.muxer.Create("mp4", path, error)) return false;
  uint64_t fpsNum, fpsDen;
  run.timing.Fps(fpsNum, fpsDen);
  H264Encoder video;
  if (!video.Open(width, height, int64_t(fpsNum), int64_t(fpsDen), int(kVideoTicksPerSecond),
                  options.crf, run.muxer.WantsGlobalHeaders(), error))
    return false;
  AVStream* videoStream = run.muxer.AddStream(video.context());
  if (!videoStream) {
    error = "not enough memory for the video stream";
    return false;
  }
  video.SetStream(videoStream);
  if (!OpenSound(run, "aac", error) || !run.muxer.Start(title, run.clip.modified(), error))
    return false;

  const auto writeFrame = [&](uint32_t k, int64_t pts, int64_t duration, std::string& why) {
    size_t length = 0;
    const uint8_t* stream = run.clip.FrameStream(k, length);
    // Camera frames are 4:2:0: their planes go to the encoder as stored.
    if (DecodeJpegYuv420(stream, length, planes) && planes.width == width && planes.height == height)
      return video.Encode(planes, pts, duration, run.muxer, why);
    const bool decoded = DecodeJpegRgb(stream, length, picture) && picture.width == width &&
                         picture.height == height;
    if (!decoded) ++result.damaged_frames;
    return video.Encode(decoded ? &picture : nullptr, pts, duration, run.muxer, why);
  };
  return WriteFrames(run, options, writeFrame, result, error) && video.Finish(run.muxer, error) &&
         run.muxer.Finish(error);
}

// Keeps the clip's memory alive for the packets that point into it: the
// clip outlives the muxer, so there is nothing to free.
void KeepClipBytes(void*, uint8_t*) {}

// Points `packet` at a frame's bytes, without a copy when they lie in the
// clip itself.
bool FillPacket(AVPacket* packet, const uint8_t* data, size_t length, bool inClip) {
  if (!inClip) {
    if (av_new_packet(packet, int(length)) < 0) return false;
    std::memcpy(packet->data, data, length);
    return true;
  }
  packet->buf = av_buffer_create(const_cast<uint8_t*>(data), length, KeepClipBytes, nullptr,
                                 AV_BUFFER_FLAG_READONLY);
  if (!packet->buf) return false;
  packet->data = packet->buf->data;
  packet->size = int(length);
  return true;
}

// MKV: the frames' standalone JPEG streams as MJPEG packets, byte for byte.
bool WriteMkv(ExportRun& run, const std::string& path, const std::string& title,
              const ExportOptions& options, ExportResult& result, std::string& error) {
  int width = 0, height = 0;
  for (uint32_t k = 0; k < run.clip.frameCount() && width == 0; ++k) {
    size_t length = 0;
    const uint8_t* stream = run.clip.FrameStream(k, length);
    if (!ReadJpegSize(stream, length, width, height)) width = 0;
  }
  if (width == 0) {
    run.failure.problem = ExportProblem::noDecodableFrame;
    return false;
  }
  if (!run.muxer.Create("matroska", path, error)) return false;
  AVCodecParameters* parameters = avcodec_parameters_alloc();
  if (!parameters) {
    error = "not enough memory for the video stream";
    return false;
  }
  parameters->codec_type = AVMEDIA_TYPE_VIDEO;
  parameters->codec_id = AV_CODEC_ID_MJPEG;
  parameters->width = width;
  parameters->height = height;
  AVStream* videoStream = run.muxer.AddStream(parameters, int(kVideoTicksPerSecond));
  avcodec_parameters_free(&parameters);
  if (!videoStream) {
    error = "not enough memory for the video stream";
    return false;
  }
  if (!OpenSound(run, "flac", error) || !run.muxer.Start(title, run.clip.modified(), error))
    return false;

  AVPacket* packet = av_packet_alloc();
  if (!packet) {
    error = "not enough memory for a video packet";
    return false;
  }
  const auto writeFrame = [&](uint32_t k, int64_t pts, int64_t duration, std::string& why) {
    size_t length = 0;
    const uint8_t* stream = run.clip.FrameStream(k, length);
    if (!FillPacket(packet, stream, length, stream >= run.clip.bytes().data() &&
                                                stream < run.clip.bytes().data() + run.clip.bytes().size())) {
      why = "not enough memory for a video packet";
      return false;
    }
    packet->pts = packet->dts = pts;
    packet->duration = duration;
    packet->flags |= AV_PKT_FLAG_KEY;
    const bool written = run.muxer.Write(packet, videoStream, int(kVideoTicksPerSecond), why);
    av_packet_unref(packet);
    return written;
  };
  const bool ok = WriteFrames(run, options, writeFrame, result, error) && run.muxer.Finish(error);
  av_packet_free(&packet);
  return ok;
}

// What went wrong with the output file, as the export names it.
ExportFailure OutputFailure(const PendingFile& output) {
  const PendingFailure& pending = output.failure();
  const auto problem = [&] {
    switch (pending.problem) {
      case PendingProblem::isFolder:
        return ExportProblem::outputIsFolder;
      case PendingProblem::exists:
        return ExportProblem::outputExists;
      case PendingProblem::folderNotWritable:
        return ExportProblem::folderNotWritable;
      case PendingProblem::cannotWrite:
        return ExportProblem::cannotWrite;
      case PendingProblem::cannotName:
      case PendingProblem::none:
        break;
    }
    return ExportProblem::cannotName;
  }();
  return MakeFailure(problem, pending.path, pending.reason);
}

// The frames' timing: by the track's samples when it is usable.
ExportTiming TimingOf(const ExportRun& run) {
  return MakeExportTiming(run.clip.frameCount(), run.sound.usable() ? run.sound.samples() : -1,
                          run.sound.usable() ? run.sound.sampleRate() : 0);
}

double SecondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

bool ExportFormatFromPath(const std::string& path, ExportFormat& format) {
  const size_t slash = path.rfind('/');
  const size_t dot = path.rfind('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return false;
  const char* extension = path.c_str() + dot + 1;
  if (strcasecmp(extension, "mp4") == 0)
    format = ExportFormat::mp4;
  else if (strcasecmp(extension, "mkv") == 0)
    format = ExportFormat::mkv;
  else
    return false;
  return true;
}

const char* ExportFormatExtension(ExportFormat format) {
  return format == ExportFormat::mp4 ? "mp4" : "mkv";
}

ExportResult ExportClip(const std::string& clipPath, const std::string& outputPath,
                        const ExportOptions& options) {
  const auto start = std::chrono::steady_clock::now();
  // The libraries' own messages would repeat, less clearly, what the result says.
  av_log_set_level(AV_LOG_QUIET);
  ExportResult result;
  std::string error;
  const auto finish = [&](const ExportFailure& failure = {}) {
    if (failure.problem != ExportProblem::none) result.failure = failure;
    result.error = ExportFailureSentence(result.failure);
    result.seconds = SecondsSince(start);
    return result;
  };
  const auto fail = [&](ExportProblem problem, std::string detail = {}) {
    result.failure = MakeFailure(problem, clipPath, std::move(detail));
    return finish();
  };
  if (options.format == ExportFormat::mp4 && (options.crf < 0 || options.crf > kMaxCrf)) {
    result.failure = MakeFailure(ExportProblem::badQuality);
    result.failure.number = kMaxCrf;
    return finish();
  }

  ExportRun run;
  PendingFile output;
  if (SameExistingFile(outputPath, clipPath)) {
    result.failure = MakeFailure(ExportProblem::outputIsClip, outputPath);
    return finish();
  }
  if (!run.clip.Load(clipPath, result.failure)) return finish();
  if (!output.Create(outputPath, options.force, error)) return finish(OutputFailure(output));
  if (!run.sound.Prepare(run.clip, error)) return fail(ExportProblem::failed, error);
  run.timing = TimingOf(run);
  result.duration_ms = run.timing.DurationMs();
  run.timing.Fps(result.fps_num, result.fps_den);
  result.fps = double(result.fps_num) / double(result.fps_den);
  result.sound = run.timing.withSound();

  const std::string title = ClipTitle(clipPath);
  const bool written =
      options.format == ExportFormat::mp4
          ? WriteMp4(run, output.path(), title, options, result, error)
          : WriteMkv(run, output.path(), title, options, result, error);
  if (!written) {
    if (result.cancelled) return fail(ExportProblem::cancelled);
    if (run.failure.problem != ExportProblem::none) {
      run.failure.path = clipPath;
      result.failure = run.failure;
      return finish();
    }
    return fail(ExportProblem::failed, error);
  }
  if (!output.Publish(error, &run.clip.modified())) return finish(OutputFailure(output));
  struct stat st {};
  if (::stat(outputPath.c_str(), &st) == 0) result.bytes = uint64_t(st.st_size);
  result.ok = true;
  return finish();
}

ClipExportFacts ReadClipExportFacts(const std::string& clipPath) {
  ClipExportFacts facts;
  ExportRun run;
  std::string error;
  if (!run.clip.Load(clipPath, facts.failure)) return facts;
  if (!run.sound.Prepare(run.clip, error)) {
    facts.failure = MakeFailure(ExportProblem::failed, clipPath, error);
    return facts;
  }
  const ExportTiming timing = TimingOf(run);
  facts.ok = true;
  facts.frames = timing.frames;
  facts.hasSound = run.clip.index().hasSound;
  facts.soundUsable = timing.withSound();
  facts.duration_ms = timing.DurationMs();
  return facts;
}
