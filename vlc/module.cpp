// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// The VLC 3 demux module: ZRV clips as a motion JPEG video stream and an AMR
// sound stream, with their length, seeking and title. VLC's own decoders
// (avcodec for both) do the decoding.
#include <cstdarg>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include <vlc_common.h>
#include <vlc_plugin.h>
#include <vlc_demux.h>
#include <vlc_meta.h>

#include "vlc/clip_demuxer.h"

namespace {

// Above VLC's ES demuxer (155), which is itself above the image (10) and
// MJPEG (5) demuxers that would otherwise take a clip's first picture.
constexpr int kPriority = 160;
// How far into a stream the probe may look: the sniffing rule's own limit.
constexpr uint64_t kPeekLimit = 16u << 20;
// The sound track is read through a window of this size, so that its
// 20 ms blocks do not cost a read each.
constexpr uint32_t kSoundWindow = 64 * 1024;

// The stream's first bytes, peeked in growing steps so that the probe
// costs what it looks at and no more than twice that.
class Peeker {
 public:
  explicit Peeker(stream_t* s) : m_s(s) {}
  const uint8_t* operator()(uint64_t offset, uint32_t size) {
    const uint64_t need = offset + size;
    if (need > kPeekLimit) return nullptr;
    if (need > m_have && !m_atEnd) {
      const uint64_t want = std::min(kPeekLimit, std::max(need, 2 * m_have));
      const ssize_t got = vlc_stream_Peek(m_s, &m_data, size_t(want));
      if (got < 0) return nullptr;
      m_have = uint64_t(got);
      m_atEnd = m_have < want;
    }
    return need <= m_have ? m_data + offset : nullptr;
  }

 private:
  stream_t* m_s;
  const uint8_t* m_data = nullptr;
  uint64_t m_have = 0;
  bool m_atEnd = false;
};

struct DemuxState {
  ClipDemuxer clip;
  std::string title;
  es_out_id_t* video = nullptr;
  es_out_id_t* sound = nullptr;
  std::vector<uint8_t> head;  // the shared header, when the clip has one
  std::vector<uint8_t> window;
  uint32_t windowStart = 0;
  bool warnedLarge = false;
};

bool ReadAt(stream_t* s, uint32_t offset, uint8_t* into, uint32_t size) {
  if (vlc_stream_Tell(s) != offset && vlc_stream_Seek(s, offset) != VLC_SUCCESS) return false;
  return vlc_stream_Read(s, into, size) == ssize_t(size);
}

// `size` bytes of the sound track at `offset`, from the window (moved there
// when they are not in it).
const uint8_t* SoundBytes(demux_t* demux, DemuxState& state, uint32_t offset, uint32_t size) {
  const uint32_t end = state.clip.layout().trackOffset() + state.clip.layout().trackSize();
  if (offset < state.windowStart || offset + size > state.windowStart + state.window.size()) {
    const uint32_t length = std::max(size, std::min(kSoundWindow, end - offset));
    state.window.resize(length);
    if (!ReadAt(demux->s, offset, state.window.data(), length)) {
      state.window.clear();
      return nullptr;
    }
    state.windowStart = offset;
  }
  return state.window.data() + (offset - state.windowStart);
}

block_t* ReadUnit(demux_t* demux, DemuxState& state, const ClipUnit& unit) {
  block_t* block = block_Alloc(size_t(unit.headLength) + unit.size);
  if (!block) return nullptr;
  bool read;
  if (unit.kind == ClipUnit::kSound) {
    const uint8_t* bytes = SoundBytes(demux, state, unit.offset, unit.size);
    if ((read = bytes != nullptr)) memcpy(block->p_buffer, bytes, unit.size);
  } else {
    // A shared-header frame gets the header put back in front of it.
    if (unit.headLength) memcpy(block->p_buffer, state.head.data(), unit.headLength);
    read = ReadAt(demux->s, unit.offset, block->p_buffer + unit.headLength, unit.size);
  }
  if (!read) {
    block_Release(block);
    return nullptr;
  }
  block->i_pts = block->i_dts = VLC_TS_0 + unit.startUs;
  block->i_length = unit.lengthUs;
  return block;
}

// Hands out units until a frame has gone or kUnitsPerCall have: the sound's
// 20 ms blocks, one a call, would cost more in VLC's input loop than in
// reading them.
//
// The clock reference is set once a call, at the start of its first unit and
// before it is sent. Once a call: VLC ends its buffering at a reference and
// stops calling while paused, so a later reference of the same call would
// find the paused clock late, buffer again, and run on to the end of the
// clip (a seek while paused showed a frame seconds past the one asked for).
// Before the units: after a seek the clock has no reference until one is
// set, and a decoder that dates a unit sent before it gets no time for it;
// VLC then never showed that picture while paused.
constexpr int kUnitsPerCall = 16;

int Demux(demux_t* demux) {
  DemuxState& state = *reinterpret_cast<DemuxState*>(demux->p_sys);
  for (int sent = 0; sent < kUnitsPerCall; ++sent) {
    const ClipUnit unit = state.clip.Next();
    if (unit.kind == ClipUnit::kNone) return sent ? VLC_DEMUXER_SUCCESS : VLC_DEMUXER_EOF;
    if (sent == 0) es_out_SetPCR(demux->out, VLC_TS_0 + unit.startUs);
    es_out_id_t* es = unit.kind == ClipUnit::kFrame ? state.video : state.sound;
    bool selected = true;
    es_out_Control(demux->out, ES_OUT_GET_ES_STATE, es, &selected);
    if (!selected) continue;  // played without it (--no-audio): not even read
    block_t* block = ReadUnit(demux, state, unit);
    if (!block) {
      msg_Err(demux, "the clip could not be read: it became shorter or unreadable");
      return VLC_DEMUXER_EGENERIC;
    }
    if (unit.kind == ClipUnit::kFrame && !PictureFitsDecoder(block->p_buffer, block->i_buffer)) {
      // The frame keeps its time; the picture before it stays on show.
      if (!state.warnedLarge) msg_Warn(demux, "frames larger than 4096 x 4096 are not shown");
      state.warnedLarge = true;
      block_Release(block);
      continue;
    }
    es_out_Send(demux->out, es, block);
    if (unit.kind == ClipUnit::kFrame) break;
  }
  return VLC_DEMUXER_SUCCESS;
}

int Control(demux_t* demux, int query, va_list args) {
  DemuxState& state = *reinterpret_cast<DemuxState*>(demux->p_sys);
  ClipDemuxer& clip = state.clip;
  switch (query) {
    case DEMUX_GET_LENGTH:
      *va_arg(args, int64_t*) = clip.LengthUs();
      return VLC_SUCCESS;
    case DEMUX_GET_TIME:
      *va_arg(args, int64_t*) = clip.TimeUs();
      return VLC_SUCCESS;
    case DEMUX_SET_TIME:
      clip.Seek(va_arg(args, int64_t));
      return VLC_SUCCESS;
    case DEMUX_GET_POSITION:
      *va_arg(args, double*) = clip.LengthUs() ? double(clip.TimeUs()) / double(clip.LengthUs()) : 0.0;
      return VLC_SUCCESS;
    case DEMUX_SET_POSITION:
      clip.Seek(int64_t(va_arg(args, double) * double(clip.LengthUs())));
      return VLC_SUCCESS;
    case DEMUX_GET_FPS: {
      int32_t numerator, denominator;
      clip.layout().FrameRate(numerator, denominator);
      *va_arg(args, double*) = double(numerator) / double(denominator);
      return VLC_SUCCESS;
    }
    case DEMUX_GET_META: {
      if (state.title.empty()) return VLC_EGENERIC;
      vlc_meta_SetTitle(va_arg(args, vlc_meta_t*), state.title.c_str());
      return VLC_SUCCESS;
    }
    default:
      // Pausing, pacing and the stream's own answers.
      return demux_vaControlHelper(demux->s, 0, -1, 0, 1, query, args);
  }
}

void AddStreams(demux_t* demux, DemuxState& state) {
  const ClipLayout& layout = state.clip.layout();
  es_format_t video;
  // As motion JPEG, avcodec decodes the frames; as JPEG, VLC's libjpeg
  // decoder took twice the CPU.
  es_format_Init(&video, VIDEO_ES, VLC_CODEC_MJPG);
  video.video.i_width = video.video.i_visible_width = layout.width();
  video.video.i_height = video.video.i_visible_height = layout.height();
  int32_t numerator, denominator;
  layout.FrameRate(numerator, denominator);
  video.video.i_frame_rate = unsigned(numerator);
  video.video.i_frame_rate_base = unsigned(denominator);
  state.video = es_out_Add(demux->out, &video);
  es_format_Clean(&video);
  if (!state.clip.hasSound()) return;
  es_format_t sound;
  es_format_Init(&sound, AUDIO_ES, layout.wideBand() ? VLC_CODEC_AMR_WB : VLC_CODEC_AMR_NB);
  sound.audio.i_rate = unsigned(layout.sampleRate());
  sound.audio.i_channels = 1;
  sound.audio.i_physical_channels = AOUT_CHAN_CENTER;
  state.sound = es_out_Add(demux->out, &sound);
  es_format_Clean(&sound);
}

int Open(vlc_object_t* object) {
  demux_t* demux = reinterpret_cast<demux_t*>(object);
  const char* path = demux->psz_file ? demux->psz_file : demux->psz_location;
  const StreamHints hints{path ? path : "", demux_IsForced(demux, "zrv")};
  uint64_t size = 0;
  bool seekable = false;
  if (vlc_stream_GetSize(demux->s, &size) != VLC_SUCCESS || size == 0) return VLC_EGENERIC;
  Peeker peek(demux->s);
  if (!ClaimStream(std::ref(peek), size, hints)) return VLC_EGENERIC;
  // The clip is indexed front to back, then read where its frames lie.
  vlc_stream_Control(demux->s, STREAM_CAN_SEEK, &seekable);
  if (!seekable) {
    msg_Err(demux, "ZRV clip not played: it must be read from a seekable source");
    return VLC_EGENERIC;
  }

  DemuxState* state = new (std::nothrow) DemuxState;
  if (!state) return VLC_ENOMEM;
  std::vector<uint8_t> piece;
  const ReadClipBytes read = [&](uint32_t offset, uint32_t length) -> const uint8_t* {
    piece.resize(length);
    return ReadAt(demux->s, offset, piece.data(), length) ? piece.data() : nullptr;
  };
  std::string why;
  bool opened = state->clip.Open(read, size, why);
  const ClipLayout& layout = state->clip.layout();
  if (opened && layout.sharedHeader() && layout.frames() > 1) {
    state->head.resize(layout.Frame(1).headLength);
    opened = ReadAt(demux->s, 0, state->head.data(), uint32_t(state->head.size()));
    if (!opened) why = "the clip could not be read whole";
  }
  if (!opened || vlc_stream_Seek(demux->s, 0) != VLC_SUCCESS) {
    msg_Err(demux, "ZRV clip not played: %s", why.c_str());
    delete state;
    return VLC_EGENERIC;
  }
  if (path) state->title = TitleOf(path);
  msg_Dbg(demux, "%u frames, %lld us, %s layout, sound %s", layout.frames(),
          static_cast<long long>(state->clip.LengthUs()), layout.sharedHeader() ? "shared-header" : "plain",
          state->clip.hasSound() ? (layout.wideBand() ? "AMR-WB" : "AMR-NB") : "none");

  demux->p_sys = reinterpret_cast<demux_sys_t*>(state);
  AddStreams(demux, *state);
  demux->pf_demux = Demux;
  demux->pf_control = Control;
  return VLC_SUCCESS;
}

void Close(vlc_object_t* object) {
  demux_t* demux = reinterpret_cast<demux_t*>(object);
  delete reinterpret_cast<DemuxState*>(demux->p_sys);
}

}  // namespace

vlc_module_begin()
  set_shortname("ZRV")
  set_description("ZRV clip demuxer")
  set_category(CAT_INPUT)
  set_subcategory(SUBCAT_INPUT_DEMUX)
  set_capability("demux", kPriority)
  set_callbacks(Open, Close)
  add_shortcut("zrv")
vlc_module_end()
