// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
/**
 * SECTION:element-zrvdemux
 * @title: zrvdemux
 *
 * Splits a ZRV clip (JPEG frames back to back, optionally followed by an AMR
 * sound track) into its frames, as parsed image/jpeg, and its sound, as
 * audio/AMR or audio/AMR-WB. The clip holds no times: the frames share the
 * sound's length evenly, as the player times them, and without sound each
 * lasts 200 ms. The clip is indexed whole before anything plays; from a file
 * only that index is held, from a stream the whole clip (up to 128 MiB).
 *
 * What a clip of a given size may cost is bounded: frames that a shared
 * header would make more than 48 times the clip (and 64 MB) are refused, and
 * a track claiming more than a millisecond of sound a byte (and ten minutes)
 * is left out.
 *
 * ## Example launch line
 * |[
 * gst-launch-1.0 filesrc location=clip.zrv ! zrvdemux name=d \
 *     d.video_0 ! queue ! jpegdec ! videoconvert ! autovideosink \
 *     d.audio_0 ! queue ! amrnbdec ! audioconvert ! audioresample ! autoaudiosink
 * ]|
 */
#include "gst/zrv_demux.h"

#include <gst/base/gstadapter.h>
#include <gst/base/gstflowcombiner.h>

#include <algorithm>
#include <string>

#include "demux/clip_layout.h"

GST_DEBUG_CATEGORY_STATIC(zrv_demux_debug);
#define GST_CAT_DEFAULT zrv_demux_debug

namespace {

// A clip has no index: it is scanned whole before anything plays. Offsets
// are 32-bit: a larger stream is not a clip.
constexpr uint64_t kMaxClipBytes = UINT32_MAX;
// A clip that comes without a file behind it (a pipe, a network stream) is
// gathered whole before it plays: beyond this it is refused rather than held,
// as a program that merely looks at a stream must not spend gigabytes on it.
constexpr uint64_t kMaxGatheredBytes = 128 << 20;
// Bytes asked of upstream at a time in pull mode when its size is unknown.
constexpr guint kPullChunk = 1 << 20;
// Pull mode scans the clip through one buffer of this size, reused piece
// after piece: it stays in the processor's cache, and a clip of any size
// costs no fresh memory, whose pages cost more to fault in than to read.
constexpr uint32_t kIndexPiece = 64 << 10;
// Pull mode takes frames and sound out of stretches of the clip pulled this
// far ahead, so that a buffer costs no call upstream and no copy of its own.
constexpr guint kWindow = 64 << 10;
// AMR blocks per sound buffer: 200 ms, a decoder's usual bite.
constexpr int64_t kBlocksPerBuffer = 10;
// A frame stream shorter than this cannot hold a picture (a JPEG needs its
// start, a quantisation table of 69 bytes, a frame header and a scan): such
// frames keep their time but go nowhere, so that a clip of nothing but
// FF D8 pairs costs no decoder half a million failures.
constexpr uint64_t kShortestPicture = 64;
// Runs of at least this many blocks without speech data (a second) go out
// as a gap, not as frames to decode: a speech encoder's pauses are far
// shorter, and a megabyte of one-byte frames would be hours of sound.
constexpr int64_t kGapBlocks = 50;

GstStaticPadTemplate sink_template =
    GST_STATIC_PAD_TEMPLATE("sink", GST_PAD_SINK, GST_PAD_ALWAYS, GST_STATIC_CAPS("video/x-zrv"));
GstStaticPadTemplate video_template =
    GST_STATIC_PAD_TEMPLATE("video_%u", GST_PAD_SRC, GST_PAD_SOMETIMES,
                            GST_STATIC_CAPS("image/jpeg, parsed = (boolean) true, "
                                            "width = (int) [ 1, 65535 ], height = (int) [ 1, 65535 ], "
                                            "framerate = (fraction) [ 0/1, MAX ]"));
GstStaticPadTemplate audio_template =
    GST_STATIC_PAD_TEMPLATE("audio_%u", GST_PAD_SRC, GST_PAD_SOMETIMES,
                            GST_STATIC_CAPS("audio/AMR, rate = (int) 8000, channels = (int) 1; "
                                            "audio/AMR-WB, rate = (int) 16000, channels = (int) 1"));

// A buffer held mapped for reading.
struct HeldBytes {
  GstBuffer* buffer = nullptr;
  GstMapInfo map{};

  // Takes `taken`; false (and nothing held) when it cannot be mapped.
  bool Hold(GstBuffer* taken) {
    Release();
    if (!gst_buffer_map(taken, &map, GST_MAP_READ)) {
      gst_buffer_unref(taken);
      return false;
    }
    buffer = taken;
    return true;
  }
  void Release() {
    if (!buffer) return;
    gst_buffer_unmap(buffer, &map);
    gst_buffer_unref(buffer);
    buffer = nullptr;
  }
  const uint8_t* data() const { return map.data; }
};

// A stretch of the clip in hand, from which frames or sound go out as
// sub-buffers, shared, not copied.
struct Window {
  GstBuffer* buffer = nullptr;
  guint64 offset = 0;

  bool Holds(guint64 start, guint64 end) const {
    return buffer && start >= offset && end <= offset + gst_buffer_get_size(buffer);
  }
  void Set(GstBuffer* taken, guint64 at) {
    Release();
    buffer = taken;
    offset = at;
  }
  void Release() {
    if (buffer) gst_buffer_unref(buffer);
    buffer = nullptr;
  }
};

// Everything the element knows about the clip it plays. The streaming
// thread writes it; queries and seeks from other threads read the fields
// marked "object lock" under the element's object lock.
struct DemuxState {
  bool pullMode = false;
  GstAdapter* adapter = nullptr;  // bytes gathered so far
  gint64 announcedSize = -1;      // upstream's size in push mode, -1 unknown
  bool sizeAsked = false;

  // A gathered clip (push mode, or a pull whose size upstream does not
  // tell) is held whole and is the one window of frames and sound. A pulled
  // clip is held only in its shared header, and frames and sound come in
  // windows pulled as they are pushed.
  HeldBytes clip;
  HeldBytes head;  // pulled: the header that shared-header frames lack
  Window frames, sound;
  uint32_t clipLength = 0;
  bool errorPosted = false;  // an error of ours is on the bus already
  ClipLayout layout;
  bool ready = false;  // object lock: layout made, pads added
  gint64 duration = -1;  // object lock

  GstPad* videoPad = nullptr;
  GstPad* audioPad = nullptr;
  GstFlowCombiner* flows = nullptr;

  GstSegment segment;  // object lock
  guint32 segmentSeqnum = GST_SEQNUM_INVALID;
  bool needSegment = true;
  uint32_t nextFrame = 0;
  int64_t nextBlock = 0;
  bool videoDone = false, audioDone = false;
  bool videoDiscont = true, audioDiscont = true;
};

}  // namespace

struct _GstZrvDemux {
  GstElement parent;
  GstPad* sinkpad;
  DemuxState* state;
};

G_DEFINE_TYPE(GstZrvDemux, gst_zrv_demux, GST_TYPE_ELEMENT)
GST_ELEMENT_REGISTER_DEFINE_WITH_CODE(zrvdemux, "zrvdemux", GST_RANK_PRIMARY, GST_TYPE_ZRV_DEMUX,
                                      GST_DEBUG_CATEGORY_INIT(zrv_demux_debug, "zrvdemux", 0,
                                                              "ZRV clip demuxer"));

namespace {

void gst_zrv_demux_loop(GstPad* sinkpad);

void gst_zrv_demux_release_clip(DemuxState& s) {
  s.clip.Release();
  s.head.Release();
  s.frames.Release();
  s.sound.Release();
}

// Back to the state of a new element: nothing gathered, no pads.
void gst_zrv_demux_reset(GstZrvDemux* self) {
  DemuxState& s = *self->state;
  for (GstPad** pad : {&s.videoPad, &s.audioPad})
    if (*pad) {
      gst_flow_combiner_remove_pad(s.flows, *pad);
      gst_element_remove_pad(GST_ELEMENT(self), *pad);
      *pad = nullptr;
    }
  gst_flow_combiner_reset(s.flows);
  gst_adapter_clear(s.adapter);
  gst_zrv_demux_release_clip(s);
  s.announcedSize = -1;
  s.sizeAsked = false;
  s.errorPosted = false;
  GST_OBJECT_LOCK(self);
  s.ready = false;
  s.duration = -1;
  gst_segment_init(&s.segment, GST_FORMAT_TIME);
  GST_OBJECT_UNLOCK(self);
  s.segmentSeqnum = GST_SEQNUM_INVALID;
  s.needSegment = true;
  s.nextFrame = 0;
  s.nextBlock = 0;
  s.videoDone = s.audioDone = false;
  s.videoDiscont = s.audioDiscont = true;
}

gboolean gst_zrv_demux_src_event(GstPad* pad, GstObject* parent, GstEvent* event);
gboolean gst_zrv_demux_src_query(GstPad* pad, GstObject* parent, GstQuery* query);

GstPad* gst_zrv_demux_make_src_pad(GstZrvDemux* self, GstStaticPadTemplate* templ, const char* name, GstCaps* caps,
                      const char* streamName, guint groupId) {
  GstPad* pad = gst_pad_new_from_static_template(templ, name);
  gst_pad_set_event_function(pad, GST_DEBUG_FUNCPTR(gst_zrv_demux_src_event));
  gst_pad_set_query_function(pad, GST_DEBUG_FUNCPTR(gst_zrv_demux_src_query));
  gst_pad_use_fixed_caps(pad);
  gst_pad_set_active(pad, TRUE);
  gchar* streamId = gst_pad_create_stream_id(pad, GST_ELEMENT(self), streamName);
  GstEvent* start = gst_event_new_stream_start(streamId);
  g_free(streamId);
  gst_event_set_group_id(start, groupId);
  gst_pad_push_event(pad, start);
  gst_pad_set_caps(pad, caps);
  gst_caps_unref(caps);
  gst_element_add_pad(GST_ELEMENT(self), pad);
  gst_flow_combiner_add_pad(self->state->flows, pad);
  return pad;
}

void gst_zrv_demux_no_memory(GstZrvDemux* self) {
  GST_ELEMENT_ERROR(self, RESOURCE, NO_SPACE_LEFT, ("No memory for the clip."), (nullptr));
  self->state->errorPosted = true;
}

void gst_zrv_demux_not_a_clip(GstZrvDemux* self, const std::string& why) {
  GST_ELEMENT_ERROR(self, STREAM, DEMUX, ("This is not a ZRV clip that can be played: %s.", why.c_str()),
                    (nullptr));
  self->state->errorPosted = true;
}

// The export's rules for what a clip of its size may cost: frames that the
// shared header would make gigabytes of are refused; sound beyond what the
// clip can carry is left out, with a warning.
bool gst_zrv_demux_within_bound(GstZrvDemux* self) {
  const ClipLayout& clip = self->state->layout;
  std::string why;
  if (!clip.FramesWithinBound(why)) {
    GST_ELEMENT_ERROR(self, STREAM, DEMUX, ("This ZRV clip is refused: %s.", why.c_str()), (nullptr));
    self->state->errorPosted = true;
    return false;
  }
  if (clip.soundBeyondClip())
    GST_ELEMENT_WARNING(self, STREAM, DEMUX,
                        ("The clip's sound track claims more sound than a clip of its size holds; "
                         "it plays without sound."),
                        (nullptr));
  return true;
}

// Lays out the gathered bytes, held whole from now on. Posts an error and
// returns false when they are not a clip.
bool gst_zrv_demux_lay_out_gathered(GstZrvDemux* self) {
  DemuxState& s = *self->state;
  const gsize size = gst_adapter_available(s.adapter);
  if (size == 0) {
    GST_ELEMENT_ERROR(self, STREAM, DEMUX, ("The clip is empty."), ("no data arrived"));
    s.errorPosted = true;
    return false;
  }
  GstBuffer* whole = gst_adapter_take_buffer(s.adapter, size);
  if (!whole || !s.clip.Hold(whole)) {
    gst_zrv_demux_no_memory(self);
    return false;
  }
  std::string why;
  if (!s.layout.Read(s.clip.data(), uint32_t(s.clip.map.size), why)) {
    gst_zrv_demux_not_a_clip(self, why);
    return false;
  }
  if (!gst_zrv_demux_within_bound(self)) return false;
  s.clipLength = uint32_t(size);
  s.frames.Set(gst_buffer_ref(s.clip.buffer), 0);
  s.sound.Set(gst_buffer_ref(s.clip.buffer), 0);
  return true;
}

// Adds a pad for the frames and, when the sound can be played, one for the
// sound, and tells the clip's duration.
void gst_zrv_demux_add_pads(GstZrvDemux* self) {
  DemuxState& s = *self->state;
  const ClipLayout& clip = s.layout;
  // The frames and the sound are one group of streams, played together.
  const guint groupId = gst_util_group_id_next();
  int32_t num, den;
  clip.FrameRate(num, den);
  GstCaps* videoCaps = gst_caps_new_simple("image/jpeg", "parsed", G_TYPE_BOOLEAN, TRUE, "framerate",
                                           GST_TYPE_FRACTION, num, den, nullptr);
  if (clip.width() && clip.height())
    gst_caps_set_simple(videoCaps, "width", G_TYPE_INT, int(clip.width()), "height", G_TYPE_INT,
                        int(clip.height()), nullptr);
  s.videoPad = gst_zrv_demux_make_src_pad(self, &video_template, "video_0", videoCaps, "video", groupId);
  if (clip.soundPlayable()) {
    GstCaps* audioCaps =
        gst_caps_new_simple(clip.wideBand() ? "audio/AMR-WB" : "audio/AMR", "rate", G_TYPE_INT,
                            clip.sampleRate(), "channels", G_TYPE_INT, 1, nullptr);
    s.audioPad = gst_zrv_demux_make_src_pad(self, &audio_template, "audio_0", audioCaps, "audio", groupId);
  }
  s.audioDone = s.audioPad == nullptr;

  GstTagList* tags = gst_tag_list_new(GST_TAG_CONTAINER_FORMAT, "ZRV", nullptr);
  gst_tag_list_set_scope(tags, GST_TAG_SCOPE_GLOBAL);
  gst_pad_push_event(s.videoPad, gst_event_new_tag(gst_tag_list_ref(tags)));
  if (s.audioPad) gst_pad_push_event(s.audioPad, gst_event_new_tag(gst_tag_list_ref(tags)));
  gst_tag_list_unref(tags);
  gst_element_no_more_pads(GST_ELEMENT(self));

  GST_OBJECT_LOCK(self);
  s.duration = clip.DurationNs();
  s.segment.duration = guint64(s.duration);
  s.ready = true;
  GST_OBJECT_UNLOCK(self);
  GST_INFO_OBJECT(self, "%u frames, %" GST_TIME_FORMAT ", %s layout, sound %s", clip.frames(),
                  GST_TIME_ARGS(clip.DurationNs()), clip.sharedHeader() ? "shared-header" : "plain",
                  s.audioPad ? (clip.wideBand() ? "AMR-WB" : "AMR") : "none");
}

bool gst_zrv_demux_too_large(GstZrvDemux* self, uint64_t size) {
  if (size <= kMaxClipBytes) return false;
  GST_ELEMENT_ERROR(self, STREAM, DEMUX, ("The clip is 4 GiB or larger, more than a ZRV clip can be."),
                    (nullptr));
  self->state->errorPosted = true;
  return true;
}

// Refuses a clip without a file behind it once it passes kMaxGatheredBytes,
// or at once when its announced size does.
bool gst_zrv_demux_gathered_too_much(GstZrvDemux* self, uint64_t size) {
  if (size <= kMaxGatheredBytes) return false;
  GST_ELEMENT_ERROR(self, STREAM, DEMUX,
                    ("The clip comes as a stream of more than %u MiB; a clip that large plays from a file only.",
                     unsigned(kMaxGatheredBytes >> 20)),
                    ("%" G_GUINT64_FORMAT " bytes", size));
  self->state->errorPosted = true;
  gst_adapter_clear(self->state->adapter);
  return true;
}

void gst_zrv_demux_clip_cut_short(GstZrvDemux* self) {
  GST_ELEMENT_ERROR(self, RESOURCE, READ, ("The clip became shorter while it was read."),
                    ("a read past the clip's new end"));
  self->state->errorPosted = true;
}

// Up to `size` bytes at `offset` pulled from upstream into `buffer` (a new
// one when it is null). GST_FLOW_EOS when fewer than `needed` are there.
GstFlowReturn gst_zrv_demux_pull_range(GstZrvDemux* self, guint64 offset, guint needed, guint size, GstBuffer*& buffer) {
  const GstFlowReturn flow = gst_pad_pull_range(self->sinkpad, offset, size, &buffer);
  if (flow != GST_FLOW_OK) return flow;
  return gst_buffer_get_size(buffer) < needed ? GST_FLOW_EOS : GST_FLOW_OK;
}

// Pulls `size` bytes at `offset` and holds them in `held`.
GstFlowReturn gst_zrv_demux_pull_and_hold(GstZrvDemux* self, guint64 offset, guint size, HeldBytes& held) {
  GstBuffer* buffer = nullptr;
  const GstFlowReturn flow = gst_zrv_demux_pull_range(self, offset, size, size, buffer);
  if (flow != GST_FLOW_OK) {
    if (buffer) gst_buffer_unref(buffer);
    return flow;
  }
  if (held.Hold(buffer)) return GST_FLOW_OK;
  gst_zrv_demux_no_memory(self);
  return GST_FLOW_ERROR;
}

// Pull mode with the size known: scans the clip piece by piece through one
// reused buffer, then pulls the one part it keeps, the shared header.
GstFlowReturn gst_zrv_demux_lay_out_by_pull(GstZrvDemux* self, uint32_t total) {
  DemuxState& s = *self->state;
  GstBuffer* piece = gst_buffer_new_allocate(nullptr, kIndexPiece, nullptr);
  GstMapInfo pieceMap{};
  bool mapped = false;
  GstFlowReturn flow = GST_FLOW_OK;
  const ReadClipBytes read = [&](uint32_t offset, uint32_t size) -> const uint8_t* {
    if (mapped) gst_buffer_unmap(piece, &pieceMap);
    mapped = false;
    // Upstream fills the buffer it is given; the scan asks for a piece at most.
    gst_buffer_set_size(piece, size);
    flow = gst_zrv_demux_pull_range(self, offset, size, size, piece);
    if (flow != GST_FLOW_OK) return nullptr;
    mapped = gst_buffer_map(piece, &pieceMap, GST_MAP_READ);
    return mapped ? pieceMap.data : nullptr;
  };
  std::string why;
  const bool indexed = s.layout.Index(read, total, kIndexPiece, why);
  if (mapped) gst_buffer_unmap(piece, &pieceMap);
  gst_buffer_unref(piece);
  if (!indexed) {
    if (flow == GST_FLOW_OK) gst_zrv_demux_not_a_clip(self, why);
    if (flow == GST_FLOW_EOS) gst_zrv_demux_clip_cut_short(self);
    // Otherwise flushing, stopped, or upstream's own error.
    return flow == GST_FLOW_OK || flow == GST_FLOW_EOS ? GST_FLOW_ERROR : flow;
  }

  if (!gst_zrv_demux_within_bound(self)) return GST_FLOW_ERROR;
  s.clipLength = total;
  if (!s.layout.sharedHeader()) return GST_FLOW_OK;
  flow = gst_zrv_demux_pull_and_hold(self, 0, s.layout.Frame(1).headLength, s.head);
  if (flow != GST_FLOW_EOS) return flow;
  gst_zrv_demux_clip_cut_short(self);
  return GST_FLOW_ERROR;
}

// Pull mode: lays out the clip from upstream and adds the pads.
GstFlowReturn gst_zrv_demux_gather_by_pull(GstZrvDemux* self) {
  DemuxState& s = *self->state;
  gint64 total = -1;
  if (!gst_pad_peer_query_duration(self->sinkpad, GST_FORMAT_BYTES, &total)) total = -1;
  if (total > 0 && gst_zrv_demux_too_large(self, uint64_t(total))) return GST_FLOW_ERROR;
  if (total > 0) {
    const GstFlowReturn flow = gst_zrv_demux_lay_out_by_pull(self, uint32_t(total));
    if (flow == GST_FLOW_OK) gst_zrv_demux_add_pads(self);
    return flow;
  }
  // No size told: gathered whole, as in push mode.
  for (guint64 offset = 0;;) {
    GstBuffer* buffer = nullptr;
    const GstFlowReturn flow = gst_pad_pull_range(self->sinkpad, offset, kPullChunk, &buffer);
    if (flow == GST_FLOW_EOS) break;
    if (flow != GST_FLOW_OK) return flow;
    const gsize got = gst_buffer_get_size(buffer);
    if (got == 0) {
      gst_buffer_unref(buffer);
      break;
    }
    offset += got;
    gst_adapter_push(s.adapter, buffer);
    if (gst_zrv_demux_gathered_too_much(self, offset)) return GST_FLOW_ERROR;
    if (got < kPullChunk) break;
  }
  if (!gst_zrv_demux_lay_out_gathered(self)) return GST_FLOW_ERROR;
  gst_zrv_demux_add_pads(self);
  return GST_FLOW_OK;
}

void gst_zrv_demux_send_to_src_pads(GstZrvDemux* self, GstEvent* event) {
  DemuxState& s = *self->state;
  for (GstPad* pad : {s.videoPad, s.audioPad})
    if (pad) gst_pad_push_event(pad, gst_event_ref(event));
  gst_event_unref(event);
}

GstFlowReturn gst_zrv_demux_push_buffer(GstZrvDemux* self, GstPad* pad, GstBuffer* buffer, bool& discont) {
  if (discont) {
    GST_BUFFER_FLAG_SET(buffer, GST_BUFFER_FLAG_DISCONT);
    discont = false;
  }
  DemuxState& s = *self->state;
  GST_OBJECT_LOCK(self);
  s.segment.position = std::max<guint64>(s.segment.position, GST_BUFFER_PTS(buffer));
  GST_OBJECT_UNLOCK(self);
  return gst_flow_combiner_update_pad_flow(s.flows, pad, gst_pad_push(pad, buffer));
}

bool gst_zrv_demux_past_stop(const DemuxState& s, int64_t ns) {
  return GST_CLOCK_TIME_IS_VALID(s.segment.stop) && guint64(ns) >= s.segment.stop;
}

// The `length` bytes at `start` as a sub-buffer of the window, which is
// pulled anew from `start` on when it does not hold them, up to `limit`
// (a window's worth, or more for a larger piece).
GstFlowReturn gst_zrv_demux_take_bytes(GstZrvDemux* self, Window& window, guint64 start, guint length, guint64 limit,
                        GstBuffer*& buffer) {
  const guint64 end = start + length;
  if (!window.Holds(start, end)) {
    const guint size = guint(std::max(end, std::min(start + kWindow, limit)) - start);
    GstBuffer* pulled = nullptr;
    const GstFlowReturn flow = gst_zrv_demux_pull_range(self, start, length, size, pulled);
    if (flow != GST_FLOW_OK) {
      if (pulled) gst_buffer_unref(pulled);
      if (flow != GST_FLOW_EOS) return flow;
      gst_zrv_demux_clip_cut_short(self);
      return GST_FLOW_ERROR;
    }
    window.Set(pulled, start);
  }
  buffer = gst_buffer_copy_region(window.buffer, GST_BUFFER_COPY_MEMORY, start - window.offset, length);
  return GST_FLOW_OK;
}

GstFlowReturn gst_zrv_demux_push_frame(GstZrvDemux* self) {
  DemuxState& s = *self->state;
  const ClipLayout& clip = s.layout;
  while (s.nextFrame < clip.frames() && clip.Frame(s.nextFrame).length() < kShortestPicture) ++s.nextFrame;
  const uint32_t k = s.nextFrame;
  const int64_t start = clip.FrameStartNs(k);
  if (k >= clip.frames() || gst_zrv_demux_past_stop(s, start)) {
    s.videoDone = true;
    return GST_FLOW_OK;
  }
  const FrameStreamSpans frame = clip.Frame(k);
  GstBuffer* buffer = nullptr;
  const GstFlowReturn flow =
      gst_zrv_demux_take_bytes(self, s.frames, frame.bodyOffset, frame.bodyLength, clip.framesEnd(), buffer);
  if (flow != GST_FLOW_OK) return flow;
  if (frame.headLength) {
    // A shared-header frame gets the header put back in front of it.
    GstBuffer* whole = gst_buffer_new_allocate(nullptr, gsize(frame.length()), nullptr);
    gst_buffer_fill(whole, 0, s.clip.buffer ? s.clip.data() : s.head.data(), frame.headLength);
    GstMapInfo body;
    const bool mapped = gst_buffer_map(buffer, &body, GST_MAP_READ);
    if (mapped) {
      gst_buffer_fill(whole, frame.headLength, body.data, body.size);
      gst_buffer_unmap(buffer, &body);
    }
    gst_buffer_unref(buffer);
    buffer = whole;
    if (!mapped) {
      gst_buffer_unref(whole);
      gst_zrv_demux_no_memory(self);
      return GST_FLOW_ERROR;
    }
  }
  GST_BUFFER_PTS(buffer) = GST_BUFFER_DTS(buffer) = GstClockTime(start);
  GST_BUFFER_DURATION(buffer) = GstClockTime(clip.FrameStartNs(k + 1) - start);
  GST_BUFFER_OFFSET(buffer) = k;
  ++s.nextFrame;
  return gst_zrv_demux_push_buffer(self, s.videoPad, buffer, s.videoDiscont);
}

GstFlowReturn gst_zrv_demux_push_sound(GstZrvDemux* self) {
  DemuxState& s = *self->state;
  const ClipLayout& clip = s.layout;
  const int64_t first = s.nextBlock;
  const int64_t start = first * kSoundBlockNs;
  if (first >= clip.soundBlocks() || gst_zrv_demux_past_stop(s, start)) {
    s.audioDone = true;
    return GST_FLOW_OK;
  }
  int64_t silent = 0;
  while (first + silent < clip.soundBlocks() && clip.SoundBlockEmpty(first + silent)) ++silent;
  if (silent >= kGapBlocks) {
    GstEvent* gap = gst_event_new_gap(GstClockTime(start), GstClockTime(silent * kSoundBlockNs));
    s.nextBlock += silent;
    GST_OBJECT_LOCK(self);
    s.segment.position = std::max<guint64>(s.segment.position, guint64(start));
    GST_OBJECT_UNLOCK(self);
    gst_pad_push_event(s.audioPad, gap);
    return GST_FLOW_OK;
  }
  const int64_t count = std::min(kBlocksPerBuffer, clip.soundBlocks() - first);
  uint32_t size;
  const uint32_t offset = clip.trackOffset() + clip.SoundBlocks(first, count, size);
  GstBuffer* buffer = nullptr;
  const GstFlowReturn flow = gst_zrv_demux_take_bytes(self, s.sound, offset, size, s.clipLength, buffer);
  if (flow != GST_FLOW_OK) return flow;
  GST_BUFFER_PTS(buffer) = GST_BUFFER_DTS(buffer) = GstClockTime(start);
  GST_BUFFER_DURATION(buffer) = GstClockTime(count * kSoundBlockNs);
  GST_BUFFER_OFFSET(buffer) = guint64(first);
  s.nextBlock += count;
  return gst_zrv_demux_push_buffer(self, s.audioPad, buffer, s.audioDiscont);
}

// Pushes the next buffer in time order, frames and sound interleaved.
GstFlowReturn gst_zrv_demux_push_next(GstZrvDemux* self) {
  DemuxState& s = *self->state;
  for (;;) {
    if (s.videoDone && s.audioDone) return GST_FLOW_EOS;
    const bool frameFirst =
        s.audioDone || (!s.videoDone && s.layout.FrameStartNs(s.nextFrame) <= s.nextBlock * kSoundBlockNs);
    const bool& done = frameFirst ? s.videoDone : s.audioDone;
    const GstFlowReturn flow = frameFirst ? gst_zrv_demux_push_frame(self) : gst_zrv_demux_push_sound(self);
    // A stream that has just ended pushed nothing: the other goes on.
    if (!done || flow != GST_FLOW_OK) return flow;
  }
}

void gst_zrv_demux_push_segment(GstZrvDemux* self) {
  DemuxState& s = *self->state;
  GST_OBJECT_LOCK(self);
  GstEvent* event = gst_event_new_segment(&s.segment);
  GST_OBJECT_UNLOCK(self);
  if (s.segmentSeqnum != GST_SEQNUM_INVALID) gst_event_set_seqnum(event, s.segmentSeqnum);
  gst_zrv_demux_send_to_src_pads(self, event);
  s.needSegment = false;
}

void gst_zrv_demux_end_of_clip(GstZrvDemux* self) {
  DemuxState& s = *self->state;
  GST_OBJECT_LOCK(self);
  const bool segmentSeek = (s.segment.flags & GST_SEGMENT_FLAG_SEGMENT) != 0;
  const gint64 stop = GST_CLOCK_TIME_IS_VALID(s.segment.stop) ? gint64(s.segment.stop) : s.duration;
  GST_OBJECT_UNLOCK(self);
  if (segmentSeek) {
    gst_element_post_message(GST_ELEMENT(self),
                             gst_message_new_segment_done(GST_OBJECT(self), GST_FORMAT_TIME, stop));
    gst_zrv_demux_send_to_src_pads(self, gst_event_new_segment_done(GST_FORMAT_TIME, stop));
    return;
  }
  GstEvent* eos = gst_event_new_eos();
  if (s.segmentSeqnum != GST_SEQNUM_INVALID) gst_event_set_seqnum(eos, s.segmentSeqnum);
  gst_zrv_demux_send_to_src_pads(self, eos);
}

// The streaming task: gathers the clip (pull mode), then pushes one buffer
// an iteration until the clip or the segment ends.
void gst_zrv_demux_loop(GstPad* sinkpad) {
  GstZrvDemux* self = GST_ZRV_DEMUX(GST_PAD_PARENT(sinkpad));
  DemuxState& s = *self->state;
  GstFlowReturn flow = GST_FLOW_OK;
  if (!s.ready) flow = gst_zrv_demux_gather_by_pull(self);
  if (flow == GST_FLOW_OK) {
    if (s.needSegment) gst_zrv_demux_push_segment(self);
    flow = gst_zrv_demux_push_next(self);
  }
  if (flow == GST_FLOW_OK) return;

  GST_DEBUG_OBJECT(self, "pausing: %s", gst_flow_get_name(flow));
  gst_pad_pause_task(sinkpad);
  if (flow == GST_FLOW_EOS) {
    gst_zrv_demux_end_of_clip(self);
  } else if (flow == GST_FLOW_NOT_LINKED || flow < GST_FLOW_EOS) {
    // An error of ours was posted already; one from downstream is told here.
    if (!s.errorPosted) GST_ELEMENT_FLOW_ERROR(self, flow);
    if (s.videoPad) gst_zrv_demux_send_to_src_pads(self, gst_event_new_eos());
  }
}

// Push mode: upstream's data is gathered until the clip is whole.
bool gst_zrv_demux_clip_complete(const DemuxState& s) {
  return s.announcedSize > 0 && gst_adapter_available(s.adapter) >= guint64(s.announcedSize);
}

GstFlowReturn gst_zrv_demux_start_playing(GstZrvDemux* self) {
  if (!gst_zrv_demux_lay_out_gathered(self)) return GST_FLOW_ERROR;
  gst_zrv_demux_add_pads(self);
  gst_pad_start_task(self->sinkpad, reinterpret_cast<GstTaskFunction>(gst_zrv_demux_loop), self->sinkpad, nullptr);
  return GST_FLOW_OK;
}

GstFlowReturn gst_zrv_demux_sink_chain(GstPad* pad, GstObject* parent, GstBuffer* buffer) {
  GstZrvDemux* self = GST_ZRV_DEMUX(parent);
  DemuxState& s = *self->state;
  if (s.ready) {  // the clip is whole already
    gst_buffer_unref(buffer);
    return GST_FLOW_OK;
  }
  if (s.errorPosted) {  // refused already
    gst_buffer_unref(buffer);
    return GST_FLOW_ERROR;
  }
  if (!s.sizeAsked) {
    s.sizeAsked = true;
    if (!gst_pad_peer_query_duration(pad, GST_FORMAT_BYTES, &s.announcedSize)) s.announcedSize = -1;
  }
  gst_adapter_push(s.adapter, buffer);
  const uint64_t size = std::max<uint64_t>(gst_adapter_available(s.adapter), std::max<gint64>(s.announcedSize, 0));
  if (gst_zrv_demux_gathered_too_much(self, size)) return GST_FLOW_ERROR;
  return gst_zrv_demux_clip_complete(s) ? gst_zrv_demux_start_playing(self) : GST_FLOW_OK;
}

gboolean gst_zrv_demux_sink_event(GstPad* pad, GstObject* parent, GstEvent* event) {
  GstZrvDemux* self = GST_ZRV_DEMUX(parent);
  DemuxState& s = *self->state;
  switch (GST_EVENT_TYPE(event)) {
    case GST_EVENT_EOS:
      // The end of a gathered clip: now it plays. Our own end follows later.
      if (!s.ready && !s.pullMode && !s.errorPosted) gst_zrv_demux_start_playing(self);
      gst_event_unref(event);
      return TRUE;
    case GST_EVENT_CAPS:
    case GST_EVENT_SEGMENT:
    case GST_EVENT_STREAM_START:
    case GST_EVENT_FLUSH_START:
    case GST_EVENT_FLUSH_STOP:
      // The element makes its own stream, segments and flushes from the
      // whole clip; upstream's byte stream has none to give.
      gst_event_unref(event);
      return TRUE;
    default:
      return gst_pad_event_default(pad, parent, event);
  }
}

gboolean gst_zrv_demux_sink_activate(GstPad* sinkpad, GstObject*) {
  GstQuery* query = gst_query_new_scheduling();
  bool pull = false;
  if (gst_pad_peer_query(sinkpad, query))
    pull = gst_query_has_scheduling_mode_with_flags(query, GST_PAD_MODE_PULL, GST_SCHEDULING_FLAG_SEEKABLE);
  gst_query_unref(query);
  return gst_pad_activate_mode(sinkpad, pull ? GST_PAD_MODE_PULL : GST_PAD_MODE_PUSH, TRUE);
}

gboolean gst_zrv_demux_sink_activate_mode(GstPad* sinkpad, GstObject* parent, GstPadMode mode, gboolean active) {
  GstZrvDemux* self = GST_ZRV_DEMUX(parent);
  if (!active) return gst_pad_stop_task(sinkpad);
  self->state->pullMode = mode == GST_PAD_MODE_PULL;
  if (mode == GST_PAD_MODE_PULL)
    return gst_pad_start_task(sinkpad, reinterpret_cast<GstTaskFunction>(gst_zrv_demux_loop), sinkpad, nullptr);
  return mode == GST_PAD_MODE_PUSH;
}

// Where a key-unit seek to `position` lands: the start of a frame, every
// frame being a key frame.
int64_t gst_zrv_demux_snap_to_frame(const ClipLayout& clip, int64_t position, GstSeekFlags flags) {
  uint32_t k = clip.FrameAt(position);
  const int64_t before = clip.FrameStartNs(k);
  if (before < position && k + 1 < clip.frames()) {
    const int64_t after = clip.FrameStartNs(k + 1);
    const bool snapAfter = (flags & GST_SEEK_FLAG_SNAP_AFTER) != 0;
    const bool snapBefore = (flags & GST_SEEK_FLAG_SNAP_BEFORE) != 0;
    // One snap flag says which way; both or neither take the nearer start.
    const bool later = snapAfter != snapBefore ? snapAfter : after - position < position - before;
    if (later) ++k;
  }
  return clip.FrameStartNs(k);
}

// False when the segment would take the seek for a stop before its start,
// which gst_segment_do_seek refuses with a GStreamer-CRITICAL: its own
// reckoning of the new start and stop.
bool gst_zrv_demux_seek_in_order(const GstSegment& segment, GstSeekType startType, gint64 start,
                                 GstSeekType stopType, gint64 stop) {
  const guint64 duration = segment.duration;
  const bool known = GST_CLOCK_TIME_IS_VALID(duration);
  guint64 from = segment.start;
  if (startType == GST_SEEK_TYPE_SET) from = start == -1 ? 0 : guint64(start);
  if (startType == GST_SEEK_TYPE_END && known) from = duration + guint64(start);
  from = known ? std::min(from, duration) : guint64(std::max<gint64>(gint64(from), 0));
  guint64 to = segment.stop;
  if (stopType == GST_SEEK_TYPE_SET) to = guint64(stop);
  if (stopType == GST_SEEK_TYPE_END && known) to = duration + guint64(stop);
  if (!GST_CLOCK_TIME_IS_VALID(to)) return true;
  to = guint64(known ? std::clamp<gint64>(gint64(to), 0, gint64(duration)) : std::max<gint64>(gint64(to), 0));
  return from <= to;
}

gboolean gst_zrv_demux_handle_seek(GstZrvDemux* self, GstEvent* event) {
  DemuxState& s = *self->state;
  gdouble rate;
  GstFormat format;
  GstSeekFlags flags;
  GstSeekType startType, stopType;
  gint64 start, stop;
  gst_event_parse_seek(event, &rate, &format, &flags, &startType, &start, &stopType, &stop);
  GST_OBJECT_LOCK(self);
  const bool ready = s.ready;
  // Tried on a copy first: a seek the segment refuses changes nothing.
  GstSegment trial = s.segment;
  GST_OBJECT_UNLOCK(self);
  if (format != GST_FORMAT_TIME || rate <= 0.0 || !ready) {
    GST_DEBUG_OBJECT(self, "refusing a seek: %s", !ready ? "the clip is not whole yet" : "only forward seeks in time");
    return FALSE;
  }
  if (!gst_zrv_demux_seek_in_order(trial, startType, start, stopType, stop) ||
      !gst_segment_do_seek(&trial, rate, format, flags, startType, start, stopType, stop, nullptr)) {
    GST_DEBUG_OBJECT(self, "refusing a seek the segment cannot take");
    return FALSE;
  }
  const guint32 seqnum = gst_event_get_seqnum(event);
  const bool flush = (flags & GST_SEEK_FLAG_FLUSH) != 0;
  // Upstream too in pull mode, so that a pull waiting on a slow source ends.
  const bool flushUpstream = flush && s.pullMode;
  if (flush) {
    GstEvent* flushStart = gst_event_new_flush_start();
    gst_event_set_seqnum(flushStart, seqnum);
    if (flushUpstream) gst_pad_push_event(self->sinkpad, gst_event_ref(flushStart));
    gst_zrv_demux_send_to_src_pads(self, flushStart);
  } else {
    gst_pad_pause_task(self->sinkpad);
  }
  GST_PAD_STREAM_LOCK(self->sinkpad);
  if (flushUpstream) {
    GstEvent* flushStop = gst_event_new_flush_stop(TRUE);
    gst_event_set_seqnum(flushStop, seqnum);
    gst_pad_push_event(self->sinkpad, flushStop);
  }

  const ClipLayout& clip = s.layout;
  const bool startMoved = startType != GST_SEEK_TYPE_NONE;
  GST_OBJECT_LOCK(self);
  GstSegment segment = s.segment;
  if (!gst_segment_do_seek(&segment, rate, format, flags, startType, start, stopType, stop, nullptr))
    segment = trial;
  if ((flags & GST_SEEK_FLAG_KEY_UNIT) && startMoved && gint64(segment.position) < clip.DurationNs())
    segment.position = guint64(gst_zrv_demux_snap_to_frame(clip, gint64(segment.position), flags));
  // The new segment starts where the streams go on from: the position, not
  // the old start, which a seek that moves only the stop would jump back to.
  if (GST_CLOCK_TIME_IS_VALID(segment.stop)) segment.position = std::min(segment.position, segment.stop);
  segment.start = segment.time = segment.position;
  segment.offset = 0;
  s.segment = segment;
  GST_OBJECT_UNLOCK(self);

  const int64_t from = int64_t(segment.position);
  if (startMoved || flush) {
    s.nextFrame = from >= clip.DurationNs() ? clip.frames() : clip.FrameAt(from);
    s.nextBlock = from / kSoundBlockNs;
    s.videoDiscont = s.audioDiscont = true;
  }
  // A later stop lets streams that ended at the old one go on.
  s.videoDone = s.nextFrame >= clip.frames();
  s.audioDone = s.audioPad == nullptr || s.nextBlock >= clip.soundBlocks();
  s.needSegment = true;
  s.segmentSeqnum = seqnum;
  gst_flow_combiner_reset(s.flows);
  GST_DEBUG_OBJECT(self, "seek to %" GST_TIME_FORMAT ": frame %u, sound block %" G_GINT64_FORMAT,
                   GST_TIME_ARGS(segment.start), s.nextFrame, s.nextBlock);

  if (flush) {
    GstEvent* flushStop = gst_event_new_flush_stop(TRUE);
    gst_event_set_seqnum(flushStop, seqnum);
    gst_zrv_demux_send_to_src_pads(self, flushStop);
  }
  if (flags & GST_SEEK_FLAG_SEGMENT) {
    GstMessage* message = gst_message_new_segment_start(GST_OBJECT(self), GST_FORMAT_TIME, from);
    gst_message_set_seqnum(message, seqnum);
    gst_element_post_message(GST_ELEMENT(self), message);
  }
  gst_pad_start_task(self->sinkpad, reinterpret_cast<GstTaskFunction>(gst_zrv_demux_loop), self->sinkpad,
                     nullptr);
  GST_PAD_STREAM_UNLOCK(self->sinkpad);
  return TRUE;
}
gboolean gst_zrv_demux_src_event(GstPad* pad, GstObject* parent, GstEvent* event) {
  GstZrvDemux* self = GST_ZRV_DEMUX(parent);
  if (GST_EVENT_TYPE(event) == GST_EVENT_SEEK) {
    const gboolean done = gst_zrv_demux_handle_seek(self, event);
    gst_event_unref(event);
    return done;
  }
  // Nothing upstream knows about times in the clip.
  if (GST_EVENT_TYPE(event) == GST_EVENT_QOS || GST_EVENT_TYPE(event) == GST_EVENT_NAVIGATION) {
    gst_event_unref(event);
    return FALSE;
  }
  return gst_pad_event_default(pad, parent, event);
}

gboolean gst_zrv_demux_src_query(GstPad* pad, GstObject* parent, GstQuery* query) {
  GstZrvDemux* self = GST_ZRV_DEMUX(parent);
  DemuxState& s = *self->state;
  GstFormat format;
  switch (GST_QUERY_TYPE(query)) {
    case GST_QUERY_DURATION: {
      gst_query_parse_duration(query, &format, nullptr);
      GST_OBJECT_LOCK(self);
      const gint64 duration = s.duration;
      GST_OBJECT_UNLOCK(self);
      if (format != GST_FORMAT_TIME || duration < 0) return FALSE;
      gst_query_set_duration(query, GST_FORMAT_TIME, duration);
      return TRUE;
    }
    case GST_QUERY_POSITION: {
      gst_query_parse_position(query, &format, nullptr);
      GST_OBJECT_LOCK(self);
      const bool ready = s.ready;
      const gint64 position = gint64(s.segment.position);
      GST_OBJECT_UNLOCK(self);
      if (format != GST_FORMAT_TIME || !ready) return FALSE;
      gst_query_set_position(query, GST_FORMAT_TIME, position);
      return TRUE;
    }
    case GST_QUERY_SEEKING: {
      gst_query_parse_seeking(query, &format, nullptr, nullptr, nullptr);
      if (format != GST_FORMAT_TIME) return FALSE;
      GST_OBJECT_LOCK(self);
      const gint64 duration = s.duration;
      GST_OBJECT_UNLOCK(self);
      // Seekable as soon as the clip is whole: at once from a file, after
      // the last byte from a stream.
      gst_query_set_seeking(query, GST_FORMAT_TIME, duration >= 0, 0, duration);
      return TRUE;
    }
    default:
      return gst_pad_query_default(pad, parent, query);
  }
}

}  // namespace

static GstStateChangeReturn gst_zrv_demux_change_state(GstElement* element, GstStateChange transition) {
  GstZrvDemux* self = GST_ZRV_DEMUX(element);
  if (transition == GST_STATE_CHANGE_READY_TO_PAUSED) gst_zrv_demux_reset(self);
  const GstStateChangeReturn result =
      GST_ELEMENT_CLASS(gst_zrv_demux_parent_class)->change_state(element, transition);
  if (transition == GST_STATE_CHANGE_PAUSED_TO_READY) gst_zrv_demux_reset(self);
  return result;
}

static void gst_zrv_demux_finalize(GObject* object) {
  GstZrvDemux* self = GST_ZRV_DEMUX(object);
  // The pads went with dispose; only the clip may still be held.
  gst_zrv_demux_release_clip(*self->state);
  g_object_unref(self->state->adapter);
  gst_flow_combiner_free(self->state->flows);
  delete self->state;
  G_OBJECT_CLASS(gst_zrv_demux_parent_class)->finalize(object);
}

static void gst_zrv_demux_class_init(GstZrvDemuxClass* klass) {
  GObjectClass* objectClass = G_OBJECT_CLASS(klass);
  GstElementClass* elementClass = GST_ELEMENT_CLASS(klass);
  objectClass->finalize = gst_zrv_demux_finalize;
  elementClass->change_state = GST_DEBUG_FUNCPTR(gst_zrv_demux_change_state);
  gst_element_class_add_static_pad_template(elementClass, &sink_template);
  gst_element_class_add_static_pad_template(elementClass, &video_template);
  gst_element_class_add_static_pad_template(elementClass, &audio_template);
  gst_element_class_set_static_metadata(
      elementClass, "ZRV clip demuxer", "Codec/Demuxer",
      "Splits a ZRV clip into its JPEG frames and its AMR sound track, timed by the sound's length",
      "ZRV Player developers");
}

static void gst_zrv_demux_init(GstZrvDemux* self) {
  self->state = new DemuxState;
  self->state->adapter = gst_adapter_new();
  self->state->flows = gst_flow_combiner_new();
  gst_segment_init(&self->state->segment, GST_FORMAT_TIME);
  self->sinkpad = gst_pad_new_from_static_template(&sink_template, "sink");
  gst_pad_set_activate_function(self->sinkpad, GST_DEBUG_FUNCPTR(gst_zrv_demux_sink_activate));
  gst_pad_set_activatemode_function(self->sinkpad, GST_DEBUG_FUNCPTR(gst_zrv_demux_sink_activate_mode));
  gst_pad_set_chain_function(self->sinkpad, GST_DEBUG_FUNCPTR(gst_zrv_demux_sink_chain));
  gst_pad_set_event_function(self->sinkpad, GST_DEBUG_FUNCPTR(gst_zrv_demux_sink_event));
  gst_element_add_pad(GST_ELEMENT(self), self->sinkpad);
}
