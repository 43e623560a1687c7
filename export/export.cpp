// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
#include "export/export.h"

#include <algorithm>
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
#include "container/frame_timing.h"
#include "container/pending_file.h"
#include "export/muxer.h"
#include "export/sound_source.h"
#include "export/video_encoder.h"
#include "container/frame_content.h"
#include "image/jpeg_rgb.h"

namespace {

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

// What becomes of one frame of the clip in the video.
enum class FrameFate {
  picture,    // a picture of its own
  same,       // the frame before it again, byte for byte: that picture lasts longer
  damaged,    // no picture in it: the picture before it lasts longer
  otherSize,  // a picture of another size than the video's
};

// Writes frame k, shown from `pts`, and says what became of it.
using FrameWriter = std::function<bool(uint32_t k, int64_t pts, FrameFate& fate, std::string&)>;

// Every frame in order, with the sound encoded just ahead of the pictures
// so that the interleaving queue stays short.
bool WriteFrames(ExportRun& run, const ExportOptions& options, const FrameWriter& writeFrame,
                 ExportResult& result, std::string& error) {
  const ExportTiming& timing = run.timing;
  const bool withSound = timing.withSound();
  std::vector<int16_t> block;
  int64_t soundDone = 0;
  const auto encodeSoundUpTo = [&](int64_t target) {
    while (soundDone < target) {
      // A long track between two frames is no reason to wait for a cancel.
      if (Cancelled(options)) {
        result.cancelled = true;
        return false;
      }
      if (!run.sound.NextBlock(block)) break;
      const size_t instants = block.size() / size_t(run.sound.channels());
      if (!run.audio.Add(block.data(), instants, run.muxer, error)) return false;
      soundDone += int64_t(instants);
    }
    return true;
  };
  FrameFate before = FrameFate::damaged;
  for (uint32_t k = 0; k < timing.frames; ++k) {
    if (Cancelled(options)) {
      result.cancelled = true;
      return false;
    }
    if (withSound && !encodeSoundUpTo(timing.FrameStartSample(k + 1))) return false;
    FrameFate fate = FrameFate::picture;
    if (!writeFrame(k, timing.FrameStartTicks(k), fate, error)) return false;
    // A repeat shares the fate of the frame it repeats.
    if (fate == FrameFate::same && before != FrameFate::picture) fate = before;
    if (fate == FrameFate::damaged) ++result.damaged_frames;
    if (fate == FrameFate::otherSize && result.other_size_frames++ == 0)
      result.first_other_size_frame = k;
    if (fate != FrameFate::same) before = fate;
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
  if (!run.sound.Open(error) ||
      !run.audio.Open(codecName, run.sound.channels(), run.sound.sampleRate(),
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

std::string Megabytes(uint64_t bytes) {
  return std::to_string((bytes + 500'000) / 1'000'000) + " MB";
}

// Frames that need a decoder or a packet of their own: those with a picture
// that do not repeat the frame before them.
bool NeedsWriting(const FrameContent& content, uint32_t k) {
  return content.HasScanData(k) && !content.RepeatsPrevious(k);
}

// Refuses a clip whose frames, each given the shared header, would come to
// more than a clip of its size may make.
bool FramesWithinBound(const ClipSource& clip, const FrameContent& content, std::string& error) {
  const uint64_t limit = LargestFramesBytes(clip.bytes().size());
  uint64_t total = 0;
  for (uint32_t k = 0; k < clip.frameCount() && total <= limit; ++k)
    if (NeedsWriting(content, k)) total += FrameStreamLength(clip.index(), k);
  if (total <= limit) return true;
  error = "its frames, each given the shared header of " + std::to_string(clip.index().headerLength) +
          " bytes, would come to more than " + Megabytes(limit) + ", the most a clip of " +
          std::to_string(clip.bytes().size()) + " bytes may make";
  return false;
}

// MP4: every frame decoded to 4:2:0 planes and encoded as H.264; a frame
// that holds no picture, repeats the one before, does not decode or has
// another size lengthens the picture before it.
bool WriteMp4(ExportRun& run, const PendingFile& output, const std::string& title,
              const ExportOptions& options, ExportResult& result, std::string& error) {
  const FrameContent content(run.clip.bytes().data(), run.clip.index());
  Yuv420Picture planes;
  int width = 0, height = 0, largeWidth = 0, largeHeight = 0, damagedWidth = 0, damagedHeight = 0;
  // The size is that of the first frame that decodes whole (as in the MKV);
  // a frame whose header declares a size no player takes is passed over
  // before it is decoded.
  for (uint32_t k = 0; k < run.clip.frameCount() && width == 0; ++k) {
    int declaredWidth = 0, declaredHeight = 0;
    if (!content.DeclaredSize(k, declaredWidth, declaredHeight) || content.RepeatsPrevious(k))
      continue;
    // A side of 0 declares no picture at all, not one too large.
    if (declaredWidth <= 0 || declaredHeight <= 0) continue;
    if (!H264FrameSizeSupported(declaredWidth, declaredHeight)) {
      if (largeWidth == 0) largeWidth = declaredWidth, largeHeight = declaredHeight;
      continue;
    }
    size_t length = 0;
    const uint8_t* stream = run.clip.FrameStream(k, length);
    bool clean = false;
    if (DecodeJpegPlanes(stream, length, planes, declaredWidth, declaredHeight, &clean) != PlanesDecode::ok)
      continue;
    if (clean) {
      width = planes.width;
      height = planes.height;
    } else if (damagedWidth == 0) {
      damagedWidth = planes.width;
      damagedHeight = planes.height;
    }
  }
  if (width == 0) {
    width = damagedWidth;
    height = damagedHeight;
  }
  if (width == 0 && largeWidth != 0) {
    run.failure.problem = ExportProblem::framesTooLarge;
    run.failure.width = largeWidth;
    run.failure.height = largeHeight;
    return false;
  }
  if (width == 0) {
    run.failure.problem = ExportProblem::noDecodableFrame;
    return false;
  }
  result.width = width;
  result.height = height;
  if (!run.muxer.Create("mp4", output.fd(), output.destination(), error)) return false;
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

  const auto writeFrame = [&](uint32_t k, int64_t pts, FrameFate& fate, std::string& why) {
    if (!content.HasScanData(k))
      fate = FrameFate::damaged;
    else if (content.RepeatsPrevious(k))
      fate = FrameFate::same;
    else {
      size_t length = 0;
      const uint8_t* stream = run.clip.FrameStream(k, length);
      switch (DecodeJpegPlanes(stream, length, planes, width, height)) {
        case PlanesDecode::ok:
          return video.Show(&planes, pts, run.muxer, why);
        case PlanesDecode::otherSize:
          fate = FrameFate::otherSize;
          if (result.other_size_frames == 0) {
            result.other_width = planes.width;
            result.other_height = planes.height;
          }
          break;
        case PlanesDecode::failed:
          fate = FrameFate::damaged;
          break;
      }
    }
    // Black until the first picture.
    return k != 0 || video.Show(nullptr, pts, run.muxer, why);
  };
  return WriteFrames(run, options, writeFrame, result, error) &&
         video.Finish(run.timing.FrameStartTicks(run.timing.frames), run.muxer, error) &&
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
// A frame that holds no picture, repeats the one before or has another size
// than the video makes the packet before it last longer instead of a packet
// of its own.
bool WriteMkv(ExportRun& run, const PendingFile& output, const std::string& title,
              const ExportOptions& options, ExportResult& result, std::string& error) {
  const FrameContent content(run.clip.bytes().data(), run.clip.index());
  int width = 0, height = 0, damagedWidth = 0, damagedHeight = 0;
  // The track's size is that of the first frame that decodes whole; a frame
  // whose data runs out may carry a header that lies about its size. Only
  // when no frame decodes whole does the first that decodes at all count.
  for (uint32_t k = 0; k < run.clip.frameCount() && width == 0; ++k) {
    if (!NeedsWriting(content, k)) continue;
    size_t length = 0;
    const uint8_t* stream = run.clip.FrameStream(k, length);
    int w = 0, h = 0;
    bool clean = false;
    if (!JpegDecodes(stream, length, w, h, clean)) continue;
    if (clean) {
      width = w;
      height = h;
    } else if (damagedWidth == 0) {
      damagedWidth = w;
      damagedHeight = h;
    }
  }
  if (width == 0) {
    width = damagedWidth;
    height = damagedHeight;
  }
  if (width == 0) {
    run.failure.problem = ExportProblem::noDecodableFrame;
    return false;
  }
  result.width = width;
  result.height = height;
  if (!run.muxer.Create("matroska", output.fd(), output.destination(), error)) return false;
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
  // The packet is written once the next one (or the end) says how long it lasts.
  int64_t pendingFrame = -1, pendingPts = 0;
  const auto writePending = [&](int64_t until, std::string& why) {
    if (pendingFrame < 0) return true;
    size_t length = 0;
    const uint8_t* stream = run.clip.FrameStream(uint32_t(pendingFrame), length);
    if (!FillPacket(packet, stream, length, run.clip.Holds(stream))) {
      why = "not enough memory for a video packet";
      return false;
    }
    packet->pts = packet->dts = pendingPts;
    packet->duration = until - pendingPts;
    packet->flags |= AV_PKT_FLAG_KEY;
    const bool written = run.muxer.Write(packet, videoStream, int(kVideoTicksPerSecond), why);
    av_packet_unref(packet);
    return written;
  };
  const auto writeFrame = [&](uint32_t k, int64_t pts, FrameFate& fate, std::string& why) {
    int declaredWidth = 0, declaredHeight = 0;
    if (!content.DeclaredSize(k, declaredWidth, declaredHeight)) {
      fate = FrameFate::damaged;
      return true;
    }
    if (content.RepeatsPrevious(k)) {
      fate = FrameFate::same;
      return true;
    }
    // Players take the track's size from its first packets: a frame of
    // another size would show combed or stretched.
    if (declaredWidth != width || declaredHeight != height) {
      fate = FrameFate::otherSize;
      if (result.other_size_frames == 0) {
        result.other_width = declaredWidth;
        result.other_height = declaredHeight;
      }
      return true;
    }
    // The first packet is shown from the start, over any frames before it
    // that had no picture of the video's size.
    const bool first = pendingFrame < 0;
    if (!writePending(pts, why)) return false;
    pendingFrame = k;
    pendingPts = first ? 0 : pts;
    return true;
  };
  const bool ok = WriteFrames(run, options, writeFrame, result, error) &&
                  writePending(run.timing.FrameStartTicks(run.timing.frames), error) &&
                  run.muxer.Finish(error);
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
                          run.sound.usable() ? run.sound.countedRate() : 0);
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
  // Refused before anything is written: frames or sound that no clip of
  // its size can hold.
  const FrameContent content(run.clip.bytes().data(), run.clip.index());
  if (!FramesWithinBound(run.clip, content, error)) return fail(ExportProblem::outputBeyondBound, error);
  run.sound.Count(run.clip);
  const double soundMs =
      run.sound.usable() ? double(run.sound.samples()) * 1000.0 / double(run.sound.countedRate()) : 0;
  if (soundMs > LongestSoundMs(run.clip.bytes().size()))
    return fail(ExportProblem::soundTooLong,
                "its sound track would last " + SoundLengthText(soundMs) + ", longer than a clip of " +
                    std::to_string(run.clip.bytes().size()) +
                    " bytes can hold (a second a kilobyte, or ten minutes)");
  if (!output.Create(outputPath, options.force, error)) return finish(OutputFailure(output));
  run.timing = TimingOf(run);
  result.duration_ms = run.timing.DurationMs();
  run.timing.Fps(result.fps_num, result.fps_den);
  result.fps = double(result.fps_num) / double(result.fps_den);
  result.sound = run.timing.withSound();

  const std::string title = ClipTitle(clipPath);
  const bool written =
      options.format == ExportFormat::mp4
          ? WriteMp4(run, output, title, options, result, error)
          : WriteMkv(run, output, title, options, result, error);
  // A cancel that came after the last frame still leaves nothing.
  if (written && Cancelled(options)) result.cancelled = true;
  if (!written || result.cancelled) {
    if (result.cancelled) return fail(ExportProblem::cancelled);
    if (run.failure.problem != ExportProblem::none) {
      run.failure.path = clipPath;
      result.failure = run.failure;
      return finish();
    }
    return fail(ExportProblem::failed, error);
  }
  struct stat st {};
  if (::fstat(output.fd(), &st) == 0) result.bytes = uint64_t(st.st_size);
  if (!output.Publish(error, &run.clip.modified())) return finish(OutputFailure(output));
  result.ok = true;
  return finish();
}

ClipExportFacts ReadClipExportFacts(const std::string& clipPath) {
  ClipExportFacts facts;
  ExportRun run;
  if (!run.clip.Load(clipPath, facts.failure)) return facts;
  run.sound.Count(run.clip);
  const ExportTiming timing = TimingOf(run);
  facts.ok = true;
  facts.frames = timing.frames;
  facts.hasSound = run.clip.index().hasSound;
  facts.soundUsable = timing.withSound();
  facts.duration_ms = timing.DurationMs();
  return facts;
}
