// SPDX-License-Identifier: GPL-3.0-or-later
#include "import/import.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <limits>
#include <memory>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/log.h>
}

#include "audio/amr_encoder.h"
#include "container/clip_writer.h"
#include "container/frame_index.h"
#include "export/av_error.h"
#include "image/image_limits.h"
#include "image/jpeg_encoder.h"
#include "import/import_timing.h"
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
      m_result.error = "the import of " + m_name + " was cancelled";
      return true;
    }
    return false;
  }
  void Progress(int permille) {
    permille = std::clamp(permille, 0, 1000);
    if (m_options.progress && permille != m_lastPermille) m_options.progress(permille);
    m_lastPermille = permille;
  }
  // Fails with the English sentence `error`, and the kind of failure, which
  // concerns the video unless it is an output problem.
  bool Refuse(ImportProblem problem, const std::string& error, const std::string& detail = {}) {
    const bool aboutOutput = problem == ImportProblem::outputIsVideo || problem == ImportProblem::cannotWrite;
    m_result.failure = {problem, aboutOutput ? m_output : m_video, detail};
    m_result.error = error;
    return false;
  }
  bool Refuse(const MediaInput& input, const std::string& error) {
    m_result.failure = input.failure();
    m_result.cancelled = m_result.failure.problem == ImportProblem::cancelled;
    m_result.error = error;
    return false;
  }

  bool ReadTimeLine(FirstPass& pass);
  bool DecodeAudio(AVPacket* packet);
  bool WriteFrames();
  bool Emit(const AVFrame* frame, uint64_t serial);

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
  uint64_t m_encodedSerial = 0;  // the decoded frame m_jpeg shows; 0 for none
  uint32_t m_next = 0;           // the next clip frame
};

bool Importer::DecodeAudio(AVPacket* packet) {
  AVCodecContext* decoder = m_input->audioDecoder();
  if (avcodec_send_packet(decoder, packet) < 0) return true;  // a damaged packet is silence
  while (avcodec_receive_frame(decoder, m_audioFrame) == 0) {
    const int64_t at = m_audioFrame->best_effort_timestamp;
    const double timeMs =
        at == AV_NOPTS_VALUE ? 0 : Ms(at, m_input->audio()->time_base) - m_startMs;
    std::string error;
    const bool added = m_sound.AddFrame(m_audioFrame, timeMs, error);
    av_frame_unref(m_audioFrame);
    if (!added) return Refuse(ImportProblem::soundUnusable, m_name + " cannot be imported: " + error, error);
  }
  return true;
}

// Reads every packet once: the video's time line (without decoding it) and
// the sound, decoded and encoded as it comes.
bool Importer::ReadTimeLine(FirstPass& pass) {
  AVFormatContext* format = m_input->format();
  const AVStream* video = m_input->video();
  const AVStream* audio = m_input->audioDecoder() ? m_input->audio() : nullptr;
  AVPacket* packet = av_packet_alloc();
  if (!packet) return Refuse(ImportProblem::outOfMemory, "not enough memory to import " + m_name);
  const double frameMs = video->avg_frame_rate.num > 0 ? 1000.0 / av_q2d(video->avg_frame_rate) : 40.0;
  bool ok = true;
  for (;;) {
    if (Cancelled()) {
      ok = false;
      break;
    }
    const int read = av_read_frame(format, packet);
    if (read == AVERROR_EOF) break;
    if (read < 0) {
      ok = Refuse(ImportProblem::damaged, m_name + " is damaged or truncated (" + AvErrorText(read) + ")",
                    AvErrorText(read));
      break;
    }
    ++pass.packets;
    if (packet->stream_index == video->index) {
      ++pass.videoPackets;
      const int64_t stamp = packet->pts != AV_NOPTS_VALUE ? packet->pts : packet->dts;
      if (stamp != AV_NOPTS_VALUE) {
        const double lasts = packet->duration > 0 ? Ms(packet->duration, video->time_base) : frameMs;
        pass.videoEndMs = std::max(pass.videoEndMs, Ms(stamp, video->time_base) + lasts - m_startMs);
      }
    } else if (audio && packet->stream_index == audio->index && m_withTrack) {
      ok = DecodeAudio(packet);
    }
    av_packet_unref(packet);
    if (!ok) break;
    Progress(int(kFirstPassPermille * m_input->ReadFraction()));
  }
  if (ok && audio && m_withTrack) ok = DecodeAudio(nullptr);
  av_packet_free(&packet);
  return ok;
}

bool Importer::Emit(const AVFrame* frame, uint64_t serial) {
  if (serial != m_encodedSerial) {
    if (!m_fitter->Draw(frame) || !m_encoder->EncodeYuv420(m_fitter->picture(), m_jpeg))
      return Refuse(ImportProblem::cannotWrite, "a frame of " + m_name + " cannot be converted");
    m_encodedSerial = serial;
  }
  std::string why;
  const FrameNamer name = [](uint32_t k) { return "frame " + std::to_string(k); };
  if (!m_clip.AddFrame(m_jpeg.data(), m_jpeg.size(), name, why)) return Refuse(ImportProblem::cannotWrite, why, why);
  ++m_next;
  Progress(kFirstPassPermille + int(int64_t(1000 - kFirstPassPermille) * m_next / m_timing.frames));
  return true;
}

// Decodes the video and writes clip frame k as the latest picture shown at
// or before k x L / n.
bool Importer::WriteFrames() {
  AVCodecContext* decoder = m_input->videoDecoder();
  const AVStream* video = m_input->video();
  AVPacket* packet = av_packet_alloc();
  AVFrame* frame = av_frame_alloc();
  AVFrame* held = av_frame_alloc();  // the latest picture before the next clip frame's time
  if (!packet || !frame || !held) {
    av_packet_free(&packet);
    av_frame_free(&frame);
    av_frame_free(&held);
    return Refuse(ImportProblem::outOfMemory, "not enough memory to import " + m_name);
  }
  uint64_t serial = 0, heldSerial = 0;
  bool ok = true, ended = false;
  const auto takeFrames = [&]() {
    while (ok && m_next < m_timing.frames && avcodec_receive_frame(decoder, frame) == 0) {
      if (!ImageAreaAllowed(uint64_t(frame->width), uint64_t(frame->height))) {
        ok = Refuse(ImportProblem::framesTooLarge,
                    m_name + " holds frames larger than the 8192 x 8192 that can be read");
        break;
      }
      ++serial;
      const int64_t at = frame->best_effort_timestamp;
      const double timeMs = at == AV_NOPTS_VALUE ? 0 : Ms(at, video->time_base) - m_startMs;
      while (ok && m_next < m_timing.frames && m_timing.FrameTimeMs(m_next) < timeMs) {
        ok = Emit(heldSerial ? held : frame, heldSerial ? heldSerial : serial);
        if (ok && Cancelled()) ok = false;
      }
      av_frame_unref(held);
      av_frame_move_ref(held, frame);
      heldSerial = serial;
    }
  };
  while (ok && m_next < m_timing.frames && !ended) {
    if (Cancelled()) {
      ok = false;
      break;
    }
    const int read = av_read_frame(m_input->format(), packet);
    if (read < 0) {
      ended = true;
      avcodec_send_packet(decoder, nullptr);
    } else if (packet->stream_index == video->index) {
      avcodec_send_packet(decoder, packet);  // a damaged packet shows as a missing picture
    }
    av_packet_unref(packet);
    takeFrames();
  }
  if (ok && heldSerial == 0) ok = Refuse(ImportProblem::noDecodableFrame, "no frame of " + m_name + " can be decoded");
  // The video's last picture stays until the clip ends.
  while (ok && m_next < m_timing.frames) {
    ok = Emit(held, heldSerial);
    if (ok && Cancelled()) ok = false;
  }
  av_packet_free(&packet);
  av_frame_free(&frame);
  av_frame_free(&held);
  return ok;
}

bool Importer::Run() {
  if (SameExistingFile(m_output, m_video))
    return Refuse(ImportProblem::outputIsVideo, "'" + m_output + "' is the video itself; it is never overwritten");
  std::string error;
  // Everything the import reads and writes is opened before the first byte
  // of the video is parsed; then the process may give up opening anything.
  VideoFile file;
  if (!file.Open(m_video, m_result.failure, error)) return Refuse(m_result.failure.problem, error, m_result.failure.detail);
  const ClipLayout layout =
      m_options.layout == ImportLayout::sharedHeader ? ClipLayout::sharedHeader : ClipLayout::plain;
  if (!m_clip.Create(m_output, layout, m_options.force, error)) return Refuse(ImportProblem::cannotWrite, error, error);
  if (m_options.confine && !m_options.confine(error)) return Refuse(ImportProblem::cannotWrite, error, error);

  MediaInput first;
  if (!first.Open(file, m_options.cancel, error)) return Refuse(first, error);
  const AVStream* video = first.video();
  const double originMs = video->start_time != AV_NOPTS_VALUE ? Ms(video->start_time, video->time_base) : 0;
  m_startMs = originMs + m_options.startSeconds * 1000.0;
  if (m_options.durationSeconds > 0) m_limitMs = m_options.durationSeconds * 1000.0;
  m_withTrack = m_options.sound != ImportSound::none;
  if (m_withTrack && !m_sound.Open(BandOf(m_options.sound), BitrateOf(m_options), m_limitMs))
    return Refuse(ImportProblem::soundUnusable, "the AMR encoder cannot start");
  if (m_withTrack && first.audio()) {
    // A sound that cannot be decoded leaves the clip a silent track.
    std::string ignored;
    if (first.OpenAudioDecoder(ignored)) m_audioFrame = av_frame_alloc();
  }

  m_input = &first;
  FirstPass pass;
  const bool read = ReadTimeLine(pass);
  av_frame_free(&m_audioFrame);
  if (!read) return false;
  if (pass.videoPackets == 0) return Refuse(ImportProblem::noDecodableFrame, m_name + " holds no video frames");
  const double declaredMs = first.declaredDurationMs();
  const double videoEndMs = pass.videoEndMs + m_startMs - originMs;
  if (m_options.startSeconds == 0 && declaredMs > 2000 && videoEndMs < declaredMs * 0.9 - 1000)
    return Refuse(ImportProblem::damaged,
                  m_name + " is truncated: it declares " + Seconds(declaredMs) + " of video and holds " +
                  Seconds(videoEndMs));
  const double soundEndMs = m_withTrack && first.audioDecoder() ? m_sound.endMs() : 0;
  const double spanMs = std::min(m_limitMs, std::max(pass.videoEndMs, soundEndMs));
  if (spanMs <= 0)
    return Refuse(ImportProblem::startBeyondEnd,
                  "--start lies beyond the end of " + m_name + " (" + Seconds(videoEndMs) + ")");
  const double fps = m_withTrack ? m_options.fps : kSilentFps;
  if (spanMs / 1000.0 * fps > double(kMaxClipFrames))
    return Refuse(ImportProblem::tooLong, m_name + " is too long for one clip: at " + std::to_string(int(fps)) +
                  " frames a second a clip holds at most " + Seconds(kMaxClipFrames / fps * 1000));
  m_timing = MakeImportTiming(spanMs, fps, m_withTrack);
  if (m_timing.frames > kMaxFramesPerPacket * (pass.packets + 1))
    return Refuse(ImportProblem::damaged, m_name + " is damaged: its time stamps claim " + Seconds(spanMs) + " for " +
                  std::to_string(pass.packets) + " packets");
  if (m_withTrack) m_sound.Finish(m_timing.TrackFrames());
  if (Cancelled()) return false;

  // The second pass decodes the pictures.
  MediaInput second;
  if (!second.Open(file, m_options.cancel, error) || !second.OpenVideoDecoder(error)) return Refuse(second, error);
  m_input = &second;
  if (m_options.startSeconds > 0) {
    const AVStream* stream = second.video();
    const int64_t target = int64_t(m_startMs / 1000.0 / av_q2d(stream->time_base));
    av_seek_frame(second.format(), stream->index, target, AVSEEK_FLAG_BACKWARD);
  }
  m_fitter = std::make_unique<PictureFitter>(m_options.width, m_options.height, m_options.fit,
                                             second.rotation());
  m_encoder = std::make_unique<JpegEncoder>(m_options.quality);
  if (!WriteFrames()) return false;

  const FrameNamer name = [](uint32_t k) { return "frame " + std::to_string(k); };
  std::string why;
  static const std::vector<uint8_t> kNoTrack;
  if (!m_clip.Finish(m_withTrack ? m_sound.track() : kNoTrack, name, why))
    return Refuse(ImportProblem::cannotWrite, why.rfind("cannot write", 0) == 0 ? why : "cannot make the clip: " + why,
                  why);
  if (Cancelled()) return false;
  if (!m_clip.Publish(error)) return Refuse(ImportProblem::cannotWrite, error, error);
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
  if (confine && !confine(facts.error)) {
    facts.failure = {ImportProblem::cannotOpen, videoPath, facts.error};
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
  return facts;
}

ImportResult ImportVideo(const std::string& videoPath, const std::string& outputPath,
                         const ImportOptions& options) {
  const auto start = Clock::now();
  // The libraries' own messages would repeat, less clearly, what the result says.
  av_log_set_level(AV_LOG_QUIET);
  ImportResult result;
  result.error = CheckImportOptions(options);
  if (!result.error.empty()) result.failure = {ImportProblem::badOptions, videoPath, result.error};
  if (result.error.empty()) {
    Importer importer(videoPath, outputPath, options, result);
    result.ok = importer.Run();
    if (result.ok) result.error.clear();
  }
  result.seconds = std::chrono::duration<double>(Clock::now() - start).count();
  return result;
}
