// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
#include "import/import.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <limits>
#include <memory>
#include <thread>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/log.h>
}

#include "audio/amr_encoder.h"
#include "container/clip_writer.h"
#include "container/frame_content.h"
#include "container/frame_index.h"
#include "ffmpeg/av_error.h"
#include "image/image_limits.h"
#include "image/jpeg_encoder.h"
#include "import/import_timing.h"
#include "import/import_worker.h"
#include "import/media_input.h"
#include "import/picture_fit.h"
#include "import/video_file.h"
#include "import/sound_track.h"

namespace {

constexpr uint32_t kMaxClipFrames = MAX_FRAME_OFFSETS - 1;  // one entry is the end marker
constexpr double kSilentFps = 5;
// Time stamps that claim many more frames of clip than the video holds
// packets are broken (or made to cost): a real video has a packet at least
// every few seconds.
constexpr uint64_t kMaxFramesPerPacket = 100;
// The part of the progress that the first pass (reading, sound) takes.
constexpr int kFirstPassPermille = 250;
// A picture lasts until the next one; the last one its declared duration,
// but no longer than this: a duration is a claim, not content.
constexpr double kLastPictureMaxMs = 5000;
// The clip may be this many times the video's size, and always this large:
// a small file cannot make a large clip however long it claims to be.
constexpr uint64_t kClipBytesPerVideoByte = 48;
constexpr uint64_t kClipBytesFloor = 60'000'000;
// Decoding costs by the pixel: a few hundred kilobytes of video can hold a
// hundred pictures of 8192 x 8192 that all have to be decoded. The first MiB
// of a video may take this many decoded pixels (about two seconds of CPU with
// the slowest decoders, FFV1's), each byte beyond it this many more: real
// videos come to a few hundred pixels a byte, still screen recordings to a
// few thousand.
constexpr uint64_t kDecodedPixelsFirstMiB = 400'000'000;
constexpr uint64_t kDecodedPixelsPerByte = 4000;
// Sound this long before the start is decoded only to prime the decoder.
constexpr double kSoundPrimingMs = 1000;
// Decoded pictures waiting for the worker take at most about this much memory
// (and one picture always may wait).
constexpr uint64_t kWaitingPictureBytes = 24'000'000;
// Below this share of the video's rate a clip shows few of its pictures:
// those that nothing refers to and no clip frame shows are not decoded.
constexpr double kSkipBelowRateShare = 0.5;

using Clock = std::chrono::steady_clock;

double Ms(int64_t timestamp, AVRational timeBase) {
  return double(timestamp) * av_q2d(timeBase) * 1000.0;
}

AmrBand BandOf(ImportSound sound) {
  return sound == ImportSound::amrWb ? AmrBand::wide : AmrBand::narrow;
}

int BitrateOf(const ImportOptions& options) {
  if (options.bitrate != 0) return options.bitrate;
  return AmrModes(BandOf(options.sound)).back();
}

std::string Seconds(double ms) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f s", ms / 1000.0);
  return text;
}

// What the first pass over the file finds: the video's time line and the
// sound track, already encoded.
struct FirstPass {
  uint64_t packets = 0;
  uint64_t videoPackets = 0;
  double videoEndMs = 0;  // after the import's start
};

// A read that fails otherwise than at the end is damage, in either pass.
bool ReadEnded(int read) { return read == AVERROR_EOF; }

class Importer {
 public:
  Importer(const std::string& video, const std::string& output, const ImportOptions& options,
           ImportResult& result)
      : m_video(video), m_output(output), m_options(options), m_result(result),
        m_name("'" + video + "'") {}

  bool Run();

 private:
  bool Cancelled() {
    if (m_options.cancel && m_options.cancel->load(std::memory_order_relaxed)) {
      m_result.cancelled = true;
      m_result.failure = {ImportProblem::cancelled, m_video, {}};
      m_result.error = ImportFailureSentence(m_result.failure);
      return true;
    }
    return false;
  }
  // Called on the worker: progress and refusals are the worker's while the
  // frames are written.
  void Progress(int permille) {
    permille = std::clamp(permille, 0, 1000);
    if (m_options.progress && permille != m_lastPermille) m_options.progress(permille);
    m_lastPermille = permille;
  }
  // Fails with the kind of failure, which concerns the video unless it is
  // an output problem, and its sentence.
  bool Refuse(ImportProblem problem, const std::string& detail = {}) {
    const bool aboutOutput = problem == ImportProblem::outputIsVideo || problem == ImportProblem::cannotWrite;
    ImportResult& result = Outcome();
    result.failure = {problem, aboutOutput ? m_output : m_video, detail};
    result.error = ImportFailureSentence(result.failure);
    return false;
  }
  // Where a refusal goes: the worker's own, taken over once it has stopped.
  ImportResult& Outcome() { return std::this_thread::get_id() == m_worker.id() ? m_workerResult : m_result; }
  bool Refuse(const MediaInput& input) {
    m_result.failure = input.failure();
    m_result.cancelled = m_result.failure.problem == ImportProblem::cancelled;
    m_result.error = ImportFailureSentence(m_result.failure);
    return false;
  }

  bool ReadTimeLine(FirstPass& pass);
  bool DeclaredJpegSizeAllowed(const AVPacket* packet);
  bool ClipWithinBound(size_t frameBytes);
  bool DecodingWithinBound(uint64_t pixels);
  bool DecodeAudio(AVPacket* packet);
  bool WriteFrames();
  bool Queue(const AVFrame* frame, uint64_t serial);
  bool Emit(const AVFrame* frame);
  bool Shown(const AVPacket* packet) const;

  const std::string& m_video;
  const std::string& m_output;
  const ImportOptions& m_options;
  ImportResult& m_result;
  const std::string m_name;
  int m_lastPermille = -1;

  bool m_withTrack = false;
  SoundTrackBuilder m_sound;
  AVFrame* m_audioFrame = nullptr;
  double m_startMs = 0;  // in the video's own time
  double m_limitMs = std::numeric_limits<double>::infinity();
  ImportTiming m_timing;

  MediaInput* m_input = nullptr;
  ClipWriter m_clip;
  std::unique_ptr<PictureFitter> m_fitter;
  std::unique_ptr<JpegEncoder> m_encoder;
  std::vector<uint8_t> m_jpeg;
  uint32_t m_next = 0;           // the next clip frame to write (on the worker)
  uint32_t m_queued = 0;         // the next clip frame to hand to the worker
  uint64_t m_queuedSerial = 0;   // the decoded picture last handed over; 0 for none
  size_t m_backlog = 1;          // clip frames that may wait for the worker
  uint64_t m_trackBytes = 0;
  uint64_t m_decodedPixels = 0;

  ImportResult m_workerResult;   // the worker's refusal
  std::atomic<bool> m_workerFailed{false};
  // Declared last: stopped first, while everything its tasks touch lives.
  ImportWorker m_worker;
};

bool Importer::DecodeAudio(AVPacket* packet) {
  AVCodecContext* decoder = m_input->audioDecoder();
  const int sent = avcodec_send_packet(decoder, packet);
  if (sent == AVERROR(ENOMEM)) return Refuse(ImportProblem::outOfMemory);
  // A packet the decoder refuses is a gap in the sound: silence.
  if (sent < 0 && packet) return true;
  while (avcodec_receive_frame(decoder, m_audioFrame) == 0) {
    const int64_t at = m_audioFrame->best_effort_timestamp;
    const double timeMs =
        at == AV_NOPTS_VALUE ? 0 : Ms(at, m_input->audio()->time_base) - m_startMs;
    std::string error;
    const bool added = m_sound.AddFrame(m_audioFrame, timeMs, error);
    av_frame_unref(m_audioFrame);
    if (!added) return Refuse(ImportProblem::soundUnusable, error);
  }
  std::string error;
  if (!packet && !m_sound.Drain(error))
    return Refuse(ImportProblem::soundUnusable, error);
  return true;
}

// Reads every packet once: the video's time line (without decoding it) and
// the sound, decoded and encoded as it comes. Stops once both streams have
// passed the part asked for.
bool Importer::ReadTimeLine(FirstPass& pass) {
  AVFormatContext* format = m_input->format();
  const AVStream* video = m_input->video();
  const AVStream* audio = m_input->audioDecoder() ? m_input->audio() : nullptr;
  AVPacket* packet = av_packet_alloc();
  if (!packet) return Refuse(ImportProblem::outOfMemory);
  const double frameMs = video->avg_frame_rate.num > 0 ? 1000.0 / av_q2d(video->avg_frame_rate) : 40.0;
  const bool sound = audio && m_withTrack;
  double videoAtMs = -std::numeric_limits<double>::infinity(), soundAtMs = videoAtMs;
  bool ok = true;
  for (;;) {
    if (Cancelled()) {
      ok = false;
      break;
    }
    const int read = av_read_frame(format, packet);
    if (ReadEnded(read)) break;
    if (read < 0) {
      ok = Refuse(ImportProblem::damaged, AvErrorText(read));
      break;
    }
    ++pass.packets;
    const int64_t stamp = packet->pts != AV_NOPTS_VALUE ? packet->pts : packet->dts;
    if (packet->stream_index == video->index) {
      ++pass.videoPackets;
      if (pass.videoPackets == 1) ok = DeclaredJpegSizeAllowed(packet);
      if (stamp != AV_NOPTS_VALUE) {
        const double lasts = packet->duration > 0 ? Ms(packet->duration, video->time_base) : frameMs;
        videoAtMs = Ms(stamp, video->time_base) - m_startMs;
        pass.videoEndMs = std::max(pass.videoEndMs, videoAtMs + std::min(lasts, kLastPictureMaxMs));
      }
    } else if (sound && packet->stream_index == audio->index) {
      if (stamp != AV_NOPTS_VALUE) {
        soundAtMs = Ms(stamp, audio->time_base) - m_startMs;
        const double endsMs = soundAtMs + (packet->duration > 0 ? Ms(packet->duration, audio->time_base) : 0);
        // Sound well before the start needs no decoding.
        if (endsMs < -kSoundPrimingMs) {
          av_packet_unref(packet);
          continue;
        }
      }
      ok = DecodeAudio(packet);
    }
    av_packet_unref(packet);
    if (!ok) break;
    // A second past the end: pictures come out of order by a few frames.
    const double doneMs = m_limitMs + kSoundPrimingMs;
    if (videoAtMs > doneMs && (!sound || soundAtMs > doneMs)) break;
    Progress(int(kFirstPassPermille * m_input->ReadFraction()));
  }
  if (ok && sound) ok = DecodeAudio(nullptr);
  av_packet_free(&packet);
  return ok;
}

// A JPEG video's size is in its first frame's header; one too large is
// refused by the decoder before the size is known to say it.
bool Importer::DeclaredJpegSizeAllowed(const AVPacket* packet) {
  if (m_input->video()->codecpar->codec_id != AV_CODEC_ID_MJPEG) return true;
  JpegSegmentWalk walk;
  walk.Feed(packet->data, uint64_t(packet->size));
  if (walk.width() == 0 || walk.height() == 0 || ImageAreaAllowed(uint64_t(walk.width()), uint64_t(walk.height())))
    return true;
  return Refuse(ImportProblem::framesTooLarge, std::to_string(walk.width()) + " x " + std::to_string(walk.height()));
}

// Hands the next clip frame, showing the decoded picture `serial`, to the
// worker: a picture is drawn and encoded once, however many frames show it.
bool Importer::Queue(const AVFrame* frame, uint64_t serial) {
  if (m_workerFailed.load(std::memory_order_relaxed)) return false;
  std::shared_ptr<AVFrame> picture;
  if (serial != m_queuedSerial) {
    picture.reset(av_frame_clone(frame), [](AVFrame* f) { av_frame_free(&f); });
    if (!picture) return Refuse(ImportProblem::outOfMemory);
    m_queuedSerial = serial;
  }
  ++m_queued;
  m_worker.Post(
      [this, picture] {
        if (!m_workerFailed.load(std::memory_order_relaxed) && !Emit(picture.get())) m_workerFailed = true;
      },
      m_backlog);
  return true;
}

// On the worker: writes the next clip frame, showing `frame`, or the picture
// of the frame before when it is null.
bool Importer::Emit(const AVFrame* frame) {
  if (frame) {
    if (!m_fitter->Draw(frame) || !m_encoder->EncodeYuv420(m_fitter->picture(), m_jpeg))
      return Refuse(ImportProblem::cannotWrite, "a frame of " + m_name + " cannot be converted");
  }
  if (!ClipWithinBound(m_jpeg.size())) return false;
  std::string why;
  const FrameNamer name = [](uint32_t k) { return "frame " + std::to_string(k); };
  if (!m_clip.AddFrame(m_jpeg.data(), m_jpeg.size(), name, why)) return Refuse(ImportProblem::cannotWrite, why);
  ++m_next;
  Progress(kFirstPassPermille + int(int64_t(1000 - kFirstPassPermille) * m_next / m_timing.frames));
  return true;
}

// The clip so far, this frame, and the frames still to come at this frame's
// size: a clip beyond the bound is refused as soon as its first frame
// shows it coming, not once it is written.
bool Importer::ClipWithinBound(size_t frameBytes) {
  const uint64_t bound = std::max(kClipBytesFloor, kClipBytesPerVideoByte * uint64_t(m_input->fileSize()));
  const uint64_t expected = m_clip.size() + uint64_t(m_timing.frames - m_next) * frameBytes + m_trackBytes;
  if (m_clip.size() + frameBytes + m_trackBytes <= bound && (m_next > 0 || expected <= bound)) return true;
  return Refuse(ImportProblem::clipTooLarge, std::to_string(expected / 1'000'000) + " MB, more than " +
                                                 std::to_string(bound / 1'000'000) + " MB for a video of its size");
}

// The pictures decoded so far and this one, against what a video of this
// size may cost.
bool Importer::DecodingWithinBound(uint64_t pixels) {
  constexpr uint64_t kMiB = 1 << 20;
  const uint64_t size = uint64_t(std::max<int64_t>(m_input->fileSize(), 0));
  const uint64_t bound = kDecodedPixelsFirstMiB + kDecodedPixelsPerByte * (size > kMiB ? size - kMiB : 0);
  m_decodedPixels += pixels;
  if (m_decodedPixels <= bound) return true;
  return Refuse(ImportProblem::tooCostly, "its pictures come to more than " + std::to_string(bound / 1'000'000) +
                                              " million pixels, the most decoded for a video of " +
                                              std::to_string((size + 1023) / 1024) + " KB");
}

// The first clip frame whose time is `timeMs` or later (frames when none
// is), by the same comparison that hands pictures to frames: rounding in
// FramesBefore must not move a picture off the frame that shows it.
uint32_t FirstFrameFrom(const ImportTiming& timing, double timeMs) {
  uint32_t k = timing.FramesBefore(timeMs);
  while (k > 0 && timing.FrameTimeMs(k - 1) >= timeMs) --k;
  while (k < timing.frames && timing.FrameTimeMs(k) < timeMs) ++k;
  return k;
}

// Whether a clip frame falls within the time `packet`'s picture is shown,
// by its duration; without one it may be.
bool Importer::Shown(const AVPacket* packet) const {
  const int64_t stamp = packet->pts != AV_NOPTS_VALUE ? packet->pts : packet->dts;
  const int64_t lasts = packet->duration;
  if (stamp == AV_NOPTS_VALUE || lasts <= 0 || stamp > std::numeric_limits<int64_t>::max() - lasts) return true;
  // The end as the next picture's time stamp would give it, rounding included.
  const AVRational timeBase = m_input->video()->time_base;
  return FirstFrameFrom(m_timing, Ms(stamp, timeBase) - m_startMs) <
         FirstFrameFrom(m_timing, Ms(stamp + lasts, timeBase) - m_startMs);
}

// Decodes the video and writes clip frame k as the latest picture shown at
// or before k x L / n. Pictures that stand alone (intra-only formats) are
// decoded only when a clip frame shows them; of the others, when the clip
// takes far fewer than the video has, those that no clip frame shows and
// no picture refers to are left out by the decoder. The decoding runs here,
// the drawing, encoding and writing on the worker.
bool Importer::WriteFrames() {
  AVCodecContext* decoder = m_input->videoDecoder();
  const AVStream* video = m_input->video();
  const AVCodecDescriptor* codec = avcodec_descriptor_get(video->codecpar->codec_id);
  const bool standAlone = codec && (codec->props & AV_CODEC_PROP_INTRA_ONLY);
  const double videoFps = video->avg_frame_rate.num > 0 ? av_q2d(video->avg_frame_rate) : 0;
  const bool skipUnshown = !standAlone && videoFps > 0 && m_timing.Fps() <= kSkipBelowRateShare * videoFps;
  const uint64_t pictureBytes =
      uint64_t(std::max(1, video->codecpar->width)) * uint64_t(std::max(1, video->codecpar->height)) * 3 / 2 + 1;
  m_backlog = size_t(std::clamp<uint64_t>(kWaitingPictureBytes / pictureBytes, 1, 4));
  AVPacket* packet = av_packet_alloc();
  AVPacket* waiting = av_packet_alloc();  // a standalone picture not yet known to be needed
  AVFrame* frame = av_frame_alloc();
  AVFrame* held = av_frame_alloc();  // the latest picture before the next clip frame's time
  const auto freeAll = [&]() {
    av_packet_free(&packet);
    av_packet_free(&waiting);
    av_frame_free(&frame);
    av_frame_free(&held);
  };
  if (!packet || !waiting || !frame || !held) {
    freeAll();
    return Refuse(ImportProblem::outOfMemory);
  }
  uint64_t serial = 0, heldSerial = 0, decoded = 0;
  bool ok = true, ended = false;
  const auto takeFrames = [&]() {
    while (ok && m_queued < m_timing.frames && avcodec_receive_frame(decoder, frame) == 0) {
      if (!ImageAreaAllowed(uint64_t(frame->width), uint64_t(frame->height))) {
        ok = Refuse(ImportProblem::framesTooLarge);
        break;
      }
      if (!DecodingWithinBound(uint64_t(frame->width) * uint64_t(frame->height))) {
        ok = false;
        break;
      }
      ++serial;
      const int64_t at = frame->best_effort_timestamp;
      const double timeMs = at == AV_NOPTS_VALUE ? 0 : Ms(at, video->time_base) - m_startMs;
      while (ok && m_queued < m_timing.frames && m_timing.FrameTimeMs(m_queued) < timeMs) {
        ok = Queue(heldSerial ? held : frame, heldSerial ? heldSerial : serial);
        if (ok && Cancelled()) ok = false;
      }
      av_frame_unref(held);
      av_frame_move_ref(held, frame);
      heldSerial = serial;
    }
  };
  // The decoder's account of a packet: a damaged one is a missing picture,
  // as a damaged sound packet is silence; no memory ends the import.
  const auto send = [&](const AVPacket* p) {
    const int sent = avcodec_send_packet(decoder, p);
    if (sent == AVERROR(ENOMEM)) ok = Refuse(ImportProblem::outOfMemory);
    ++decoded;
    takeFrames();
  };
  const auto timeOf = [&](const AVPacket* p) {
    const int64_t stamp = p->pts != AV_NOPTS_VALUE ? p->pts : p->dts;
    return stamp == AV_NOPTS_VALUE ? 0.0 : Ms(stamp, video->time_base) - m_startMs;
  };
  while (ok && m_queued < m_timing.frames && !ended) {
    if (Cancelled() || m_workerFailed.load(std::memory_order_relaxed)) {
      ok = false;
      break;
    }
    const int read = av_read_frame(m_input->format(), packet);
    if (read < 0) {
      ended = true;
      if (!ReadEnded(read)) {
        ok = Refuse(ImportProblem::damaged, AvErrorText(read));
        break;
      }
      if (waiting->data) send(waiting);
      if (ok) send(nullptr);
    } else if (packet->stream_index == video->index) {
      if (!standAlone) {
        if (skipUnshown) decoder->skip_frame = Shown(packet) ? AVDISCARD_DEFAULT : AVDISCARD_NONREF;
        send(packet);
      } else {
        // The waiting picture is shown when a clip frame falls between it
        // and this one; the first one always is.
        if (waiting->data && (decoded == 0 || FirstFrameFrom(m_timing, timeOf(waiting)) <
                                                  FirstFrameFrom(m_timing, timeOf(packet))))
          send(waiting);
        av_packet_unref(waiting);
        av_packet_move_ref(waiting, packet);
      }
    }
    av_packet_unref(packet);
  }
  if (ok && heldSerial == 0) ok = Refuse(ImportProblem::noDecodableFrame);
  // The video's last picture stays until the clip ends.
  while (ok && m_queued < m_timing.frames) {
    ok = Queue(held, heldSerial);
    if (ok && Cancelled()) ok = false;
  }
  freeAll();
  // The frames handed over are written (a cancel drops them): a refusal of
  // an earlier frame on the worker is the one the import gives.
  if (m_result.cancelled)
    m_worker.Stop();
  else
    m_worker.Wait();
  if (m_workerFailed) {
    // Without a thread of its own the worker refused into m_result itself.
    if (m_worker.id() == std::thread::id()) return false;
    m_result.failure = m_workerResult.failure;
    m_result.error = m_workerResult.error;
    return false;
  }
  return ok;
}

bool Importer::Run() {
  if (SameExistingFile(m_output, m_video))
    return Refuse(ImportProblem::outputIsVideo);
  std::string error;
  // Everything the import reads and writes is opened before the first byte
  // of the video is parsed; then the process may give up opening anything.
  VideoFile file;
  if (!file.Open(m_video, m_result.failure, error)) return Refuse(m_result.failure.problem, m_result.failure.detail);
  const ClipLayout layout =
      m_options.layout == ImportLayout::sharedHeader ? ClipLayout::sharedHeader : ClipLayout::plain;
  if (!m_clip.Create(m_output, layout, m_options.force, error)) return Refuse(ImportProblem::cannotWrite, error);
  if (m_options.confine && !m_options.confine(error)) return Refuse(ImportProblem::cannotWrite, error);
  // Made once the process is confined, so that the thread is confined too.
  m_worker.Start();

  MediaInput first;
  if (!first.Open(file, m_options.cancel, error, m_options.audioTrack)) return Refuse(first);
  const AVStream* video = first.video();
  const double originMs = video->start_time != AV_NOPTS_VALUE ? Ms(video->start_time, video->time_base) : 0;
  m_startMs = originMs + m_options.startSeconds * 1000.0;
  if (m_options.durationSeconds > 0) m_limitMs = m_options.durationSeconds * 1000.0;
  m_withTrack = m_options.sound != ImportSound::none;
  if (m_withTrack && !m_sound.Open(BandOf(m_options.sound), BitrateOf(m_options), m_limitMs))
    return Refuse(ImportProblem::encoderUnavailable);
  m_sound.EncodeOn(&m_worker);
  if (m_withTrack && first.audio()) {
    // A sound that cannot be decoded leaves the clip a silent track.
    std::string ignored;
    if (first.OpenAudioDecoder(ignored)) m_audioFrame = av_frame_alloc();
  }

  m_input = &first;
  if (m_options.startSeconds > 0) {
    // The sound before the start is not read either.
    const int64_t target = int64_t(m_startMs / 1000.0 / av_q2d(video->time_base));
    av_seek_frame(first.format(), video->index, target, AVSEEK_FLAG_BACKWARD);
  }
  FirstPass pass;
  const bool read = ReadTimeLine(pass);
  av_frame_free(&m_audioFrame);
  if (!read) return false;
  if (pass.videoPackets == 0) return Refuse(ImportProblem::noVideoFrames);
  const double declaredMs = first.videoDurationMs();
  const double videoEndMs = pass.videoEndMs + m_startMs - originMs;
  // The sound counts while it goes with the picture: after a gap that
  // begins past the picture's end it is left out.
  const double soundEndMs = m_withTrack && first.audioDecoder() ? m_sound.EndWithin(pass.videoEndMs) : 0;
  if (pass.videoPackets == 1 && soundEndMs <= 0)
    return Refuse(ImportProblem::singlePicture);
  // A reading asked to stop early ends early: short of that part only is truncation.
  if (m_options.startSeconds == 0 && declaredMs > 2000 && videoEndMs < std::min(declaredMs, m_limitMs) * 0.9 - 1000)
    return Refuse(ImportProblem::truncated,
                  "it declares " + Seconds(declaredMs) + " of video and holds " + Seconds(videoEndMs));
  const double spanMs = std::min(m_limitMs, std::max(pass.videoEndMs, soundEndMs));
  if (spanMs <= 0)
    return Refuse(ImportProblem::startBeyondEnd, Seconds(videoEndMs));
  const double fps = m_withTrack ? m_options.fps : kSilentFps;
  if (spanMs / 1000.0 * fps > double(kMaxClipFrames))
    return Refuse(ImportProblem::tooLong, "at " + std::to_string(int(fps)) + " frames a second a clip holds at most " +
                                              Seconds(kMaxClipFrames / fps * 1000));
  m_timing = MakeImportTiming(spanMs, fps, m_withTrack);
  if (m_timing.frames > kMaxFramesPerPacket * (pass.packets + 1))
    return Refuse(ImportProblem::implausibleTimes,
                  "its time stamps claim " + Seconds(spanMs) + " for " + std::to_string(pass.packets) + " packets");
  if (m_withTrack) m_sound.Finish(m_timing.TrackFrames());
  m_trackBytes = m_withTrack ? m_sound.track().size() : 0;
  if (Cancelled()) return false;

  // The second pass decodes the pictures.
  MediaInput second;
  if (!second.Open(file, m_options.cancel, error, m_options.audioTrack) ||
      !second.OpenVideoDecoder(m_options.width, m_options.height, error))
    return Refuse(second);
  m_input = &second;
  if (m_options.startSeconds > 0) {
    const AVStream* stream = second.video();
    const int64_t target = int64_t(m_startMs / 1000.0 / av_q2d(stream->time_base));
    av_seek_frame(second.format(), stream->index, target, AVSEEK_FLAG_BACKWARD);
  }
  m_fitter = std::make_unique<PictureFitter>(m_options.width, m_options.height, m_options.fit,
                                             second.turn());
  m_encoder = std::make_unique<JpegEncoder>(m_options.quality);
  if (!WriteFrames()) return false;

  const FrameNamer name = [](uint32_t k) { return "frame " + std::to_string(k); };
  std::string why;
  static const std::vector<uint8_t> kNoTrack;
  if (!m_clip.Finish(m_withTrack ? m_sound.track() : kNoTrack, name, why))
    return Refuse(ImportProblem::cannotWrite, why.rfind("cannot write", 0) == 0 ? why : "cannot make the clip: " + why);
  if (Cancelled()) return false;
  if (!m_clip.Publish(error)) return Refuse(ImportProblem::cannotWrite, error);
  m_result.frames = m_timing.frames;
  m_result.duration_ms = double(m_timing.lengthMs);
  m_result.fps = m_timing.Fps();
  m_result.sound = m_withTrack;
  m_result.bytes = m_clip.size();
  Progress(1000);
  return true;
}

}  // namespace

VideoFacts ReadVideoFacts(const std::string& videoPath, const std::atomic<bool>* cancel,
                          const Confinement& confine) {
  av_log_set_level(AV_LOG_QUIET);
  VideoFacts facts;
  VideoFile file;
  if (!file.Open(videoPath, facts.failure, facts.error)) return facts;
  if (std::string why; confine && !confine(why)) {
    facts.failure = {ImportProblem::cannotOpen, videoPath, why};
    facts.error = ImportFailureSentence(facts.failure);
    return facts;
  }
  MediaInput input;
  if (!input.Open(file, cancel, facts.error)) {
    facts.failure = input.failure();
    return facts;
  }
  facts.ok = true;
  facts.duration_ms = input.declaredDurationMs();
  facts.width = input.shownWidth();
  facts.height = input.shownHeight();
  facts.sound = input.audio() != nullptr;
  facts.soundTracks = input.audioStreams();
  return facts;
}

ImportResult ImportVideo(const std::string& videoPath, const std::string& outputPath,
                         const ImportOptions& options) {
  const auto start = Clock::now();
  // The libraries' own messages would repeat, less clearly, what the result says.
  av_log_set_level(AV_LOG_QUIET);
  ImportResult result;
  if (const std::string wrong = CheckImportOptions(options); !wrong.empty()) {
    result.failure = {ImportProblem::badOptions, videoPath, wrong};
    result.error = ImportFailureSentence(result.failure);
  } else {
    Importer importer(videoPath, outputPath, options, result);
    result.ok = importer.Run();
    if (result.ok) result.error.clear();
  }
  result.seconds = std::chrono::duration<double>(Clock::now() - start).count();
  return result;
}
