// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// The typefinder and zrvdemux inside GStreamer: caps, pads, buffer times
// and bytes, durations, pull and push mode, seeking, and refused input.
#include <gst/app/gstappsink.h>
#include <gst/app/gstappsrc.h>
#include <gst/base/gsttypefindhelper.h>
#include <gst/check/gstharness.h>
#include <gst/gst.h>
#include <gtest/gtest.h>

#include <unistd.h>

#include <fstream>
#include <map>
#include <memory>
#include <optional>

#include "demux/clip_layout.h"
#include "tests/gst/gst_clips.h"

namespace {

constexpr GstClockTime kWait = 20 * GST_SECOND;

struct Packet {
  GstClockTime pts, duration;
  bool discont, delta;
  Bytes bytes;
};

struct Stream {
  std::string caps;
  std::vector<Packet> packets;
  GstSegment segment;
};

Packet PacketOf(GstBuffer* buffer) {
  Packet p{GST_BUFFER_PTS(buffer), GST_BUFFER_DURATION(buffer),
           GST_BUFFER_FLAG_IS_SET(buffer, GST_BUFFER_FLAG_DISCONT),
           GST_BUFFER_FLAG_IS_SET(buffer, GST_BUFFER_FLAG_DELTA_UNIT), Bytes(gst_buffer_get_size(buffer))};
  gst_buffer_extract(buffer, 0, p.bytes.data(), p.bytes.size());
  return p;
}

// A pipeline from a clip to one app sink per pad that zrvdemux adds, each
// behind a queue without limits (one thread feeds both).
class DemuxPipeline {
 public:
  // `source` is "file" (pull mode), "queue" (a queue in front: push mode) or
  // "appsrc" (push mode, size announced, no end of stream sent).
  DemuxPipeline(const std::string& clip, const std::string& source) {
    m_pipeline = gst_pipeline_new(nullptr);
    GstElement* demux = gst_element_factory_make("zrvdemux", "demux");
    gst_bin_add(GST_BIN(m_pipeline), demux);
    g_signal_connect(demux, "pad-added", G_CALLBACK(&DemuxPipeline::PadAdded), this);
    if (source == "appsrc") {
      m_bytes = ReadFile(clip);
      m_appsrc = gst_element_factory_make("appsrc", nullptr);
      g_object_set(m_appsrc, "size", gint64(m_bytes.size()), "format", GST_FORMAT_BYTES, nullptr);
      gst_bin_add(GST_BIN(m_pipeline), m_appsrc);
      gst_element_link(m_appsrc, demux);
    } else {
      GstElement* file = gst_element_factory_make("filesrc", nullptr);
      g_object_set(file, "location", clip.c_str(), nullptr);
      gst_bin_add(GST_BIN(m_pipeline), file);
      if (source == "queue") {
        GstElement* queue = gst_element_factory_make("queue", nullptr);
        gst_bin_add(GST_BIN(m_pipeline), queue);
        gst_element_link_many(file, queue, demux, nullptr);
      } else {
        gst_element_link(file, demux);
      }
    }
  }
  ~DemuxPipeline() {
    gst_element_set_state(m_pipeline, GST_STATE_NULL);
    gst_object_unref(m_pipeline);
  }

  // Brings the pipeline to PAUSED; false (with the error text) on an error.
  bool Preroll(std::string* error = nullptr) {
    gst_element_set_state(m_pipeline, GST_STATE_PAUSED);
    if (m_appsrc) {
      // In pieces, as a network source hands them on; no end of stream.
      for (size_t at = 0; at < m_bytes.size(); at += 3000) {
        const size_t n = std::min<size_t>(3000, m_bytes.size() - at);
        GstBuffer* b = gst_buffer_new_memdup(m_bytes.data() + at, n);
        gst_app_src_push_buffer(GST_APP_SRC(m_appsrc), b);
      }
    }
    return WaitFor(GST_MESSAGE_ASYNC_DONE, error);
  }

  bool WaitFor(GstMessageType type, std::string* error = nullptr) {
    GstBus* bus = gst_element_get_bus(m_pipeline);
    GstMessage* m =
        gst_bus_timed_pop_filtered(bus, kWait, GstMessageType(type | GST_MESSAGE_ERROR));
    gst_object_unref(bus);
    if (!m) return false;
    const bool ok = GST_MESSAGE_TYPE(m) == type;
    if (!ok && error) {
      GError* e = nullptr;
      gst_message_parse_error(m, &e, nullptr);
      *error = e->message;
      g_error_free(e);
    }
    gst_message_unref(m);
    return ok;
  }

  // Plays to the end and collects every buffer of every stream.
  void PlayToEnd() {
    gst_element_set_state(m_pipeline, GST_STATE_PLAYING);
    for (auto& [name, sink] : m_sinks) {
      Stream& stream = m_streams[name];
      while (GstSample* sample = gst_app_sink_try_pull_sample(GST_APP_SINK(sink), kWait)) {
        if (stream.packets.empty()) {
          stream.segment = *gst_sample_get_segment(sample);
          gchar* caps = gst_caps_to_string(gst_sample_get_caps(sample));
          stream.caps = caps;
          g_free(caps);
        }
        stream.packets.push_back(PacketOf(gst_sample_get_buffer(sample)));
        gst_sample_unref(sample);
      }
      EXPECT_TRUE(gst_app_sink_is_eos(GST_APP_SINK(sink))) << name;
    }
  }

  bool Seek(GstClockTime position, GstSeekFlags flags) {
    if (!gst_element_seek(m_pipeline, 1.0, GST_FORMAT_TIME, flags, GST_SEEK_TYPE_SET, gint64(position),
                          GST_SEEK_TYPE_NONE, -1))
      return false;
    return WaitFor(GST_MESSAGE_ASYNC_DONE);
  }

  gint64 Duration() {
    gint64 d = -1;
    return gst_element_query_duration(m_pipeline, GST_FORMAT_TIME, &d) ? d : -1;
  }
  bool Seekable(gint64& end) {
    GstQuery* q = gst_query_new_seeking(GST_FORMAT_TIME);
    gboolean seekable = FALSE;
    gint64 start = -1;
    end = -1;
    if (gst_element_query(m_pipeline, q)) gst_query_parse_seeking(q, nullptr, &seekable, &start, &end);
    gst_query_unref(q);
    return seekable && start == 0;
  }
  std::vector<std::string> PadNames() const {
    std::vector<std::string> names;
    for (auto& [name, sink] : m_sinks) names.push_back(name);
    return names;
  }
  Stream& operator[](const std::string& name) { return m_streams[name]; }
  GstElement* pipeline() { return m_pipeline; }

 private:
  static void PadAdded(GstElement*, GstPad* pad, DemuxPipeline* self) {
    GstElement* queue = gst_element_factory_make("queue", nullptr);
    g_object_set(queue, "max-size-buffers", 0u, "max-size-bytes", 0u, "max-size-time", guint64(0), nullptr);
    GstElement* sink = gst_element_factory_make("appsink", nullptr);
    g_object_set(sink, "sync", FALSE, nullptr);
    gst_bin_add_many(GST_BIN(self->m_pipeline), queue, sink, nullptr);
    gst_element_link(queue, sink);
    gst_element_sync_state_with_parent(sink);
    gst_element_sync_state_with_parent(queue);
    GstPad* queueSink = gst_element_get_static_pad(queue, "sink");
    gst_pad_link(pad, queueSink);
    gst_object_unref(queueSink);
    gchar* name = gst_pad_get_name(pad);
    self->m_sinks[name] = sink;
    g_free(name);
  }

  GstElement* m_pipeline = nullptr;
  GstElement* m_appsrc = nullptr;
  Bytes m_bytes;
  std::map<std::string, GstElement*> m_sinks;
  std::map<std::string, Stream> m_streams;
};

class ZrvDemuxTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    s_dir = new TempDir;
    RequireTestPluginSet();
    gst_init(nullptr, nullptr);
    s_tone = MakeClip(*s_dir, "tone.zrv", {"--frames", "40", "--fps", "8", "--sound", "tone"});
    s_shared = MakeClip(*s_dir, "shared.zrv", {"--frames", "6", "--layout", "shared-header", "--size", "64x48"});
    s_wide = MakeWideBandClip(*s_dir, "wide.zrv", 12, 3000);
  }
  static void TearDownTestSuite() {
    // GStreamer's thread pools end here, before the leak check looks at the process.
    gst_deinit();
    delete s_dir;
  }

  // Frame k of `clip` as zrvtool frame writes it.
  static Bytes FrameFile(const std::string& clip, int k) {
    const std::string out = s_dir->File("frame.jpg");
    EXPECT_EQ(RunProgram({BuiltProgram("zrvtool"), "frame", clip, std::to_string(k), out}).exitCode, 0);
    return ReadFile(out);
  }

  static inline TempDir* s_dir;
  static inline std::string s_tone, s_shared, s_wide;
};

std::string TypeOf(const Bytes& bytes) {
  GstCaps* caps = gst_type_find_helper_for_data(nullptr, bytes.data(), bytes.size(), nullptr);
  if (!caps) return "";
  const std::string name = gst_structure_get_name(gst_caps_get_structure(caps, 0));
  gst_caps_unref(caps);
  return name;
}

TEST_F(ZrvDemuxTest, GStreamerLoadsOnlyThePluginSetOfTheTests) {
  GstPlugin* zrv = gst_registry_find_plugin(gst_registry_get(), "zrv");
  ASSERT_TRUE(zrv);
  EXPECT_STREQ(gst_plugin_get_filename(zrv), ZRV_GST_PLUGIN_DIR "/libgstzrv.so");
  gst_object_unref(zrv);
  const std::string set = std::getenv("GST_PLUGIN_SYSTEM_PATH_1_0");
  GList* plugins = gst_registry_get_plugin_list(gst_registry_get());
  size_t fromSet = 0;
  for (GList* p = plugins; p; p = p->next) {
    const gchar* file = gst_plugin_get_filename(GST_PLUGIN(p->data));
    if (!file || std::string(file).starts_with(ZRV_GST_PLUGIN_DIR "/")) continue;
    EXPECT_TRUE(std::string(file).starts_with(set + "/")) << file;
    ++fromSet;
  }
  gst_plugin_list_free(plugins);
  EXPECT_GT(fromSet, 5u);
  // The system has plugins the tests leave out.
  size_t installed = 0;
  GDir* dir = g_dir_open(ZRV_GST_SYSTEM_PLUGIN_DIR, 0, nullptr);
  ASSERT_TRUE(dir);
  while (const gchar* name = g_dir_read_name(dir)) installed += g_str_has_suffix(name, ".so");
  g_dir_close(dir);
  EXPECT_GT(installed, fromSet);
}

TEST_F(ZrvDemuxTest, TheTypefinderNamesClipsOfBothLayoutsAndLeavesPicturesAlone) {
  EXPECT_EQ(TypeOf(ReadFile(s_tone)), "video/x-zrv");
  EXPECT_EQ(TypeOf(ReadFile(s_shared)), "video/x-zrv");
  EXPECT_EQ(TypeOf(ReadFile(s_wide)), "video/x-zrv");
  EXPECT_EQ(TypeOf(FrameFile(s_tone, 0)), "image/jpeg");
  // Ranked above the JPEG typefinder, which would take the clip for a picture.
  GstPluginFeature* zrv = gst_registry_lookup_feature(gst_registry_get(), "video/x-zrv");
  GstPluginFeature* jpeg = gst_registry_lookup_feature(gst_registry_get(), "image/jpeg");
  ASSERT_TRUE(zrv && jpeg);
  EXPECT_GT(gst_plugin_feature_get_rank(zrv), gst_plugin_feature_get_rank(jpeg));
  gst_object_unref(zrv);
  gst_object_unref(jpeg);
}

TEST_F(ZrvDemuxTest, TheElementIsAPrimaryDemuxerOfClips) {
  GstElementFactory* factory = gst_element_factory_find("zrvdemux");
  ASSERT_TRUE(factory);
  EXPECT_STREQ(gst_element_factory_get_metadata(factory, GST_ELEMENT_METADATA_KLASS), "Codec/Demuxer");
  EXPECT_EQ(gst_plugin_feature_get_rank(GST_PLUGIN_FEATURE(factory)), guint(GST_RANK_PRIMARY));
  GstCaps* clip = gst_caps_from_string("video/x-zrv");
  EXPECT_TRUE(gst_element_factory_can_sink_all_caps(factory, clip));
  gst_caps_unref(clip);
  gst_object_unref(factory);
}

void ExpectToneClip(DemuxPipeline& run, const std::string& clip) {
  ASSERT_EQ(run.PadNames(), (std::vector<std::string>{"audio_0", "video_0"}));
  const Stream& video = run["video_0"];
  const Stream& audio = run["audio_0"];
  EXPECT_EQ(video.caps, "image/jpeg, parsed=(boolean)true, framerate=(fraction)8/1, width=(int)176, height=(int)144");
  EXPECT_EQ(audio.caps, "audio/AMR, rate=(int)8000, channels=(int)1");
  ASSERT_EQ(video.packets.size(), 40u);
  for (size_t k = 0; k < 40; ++k) {
    EXPECT_EQ(video.packets[k].pts, k * 125 * GST_MSECOND) << k;
    EXPECT_EQ(video.packets[k].duration, 125 * GST_MSECOND) << k;
    EXPECT_FALSE(video.packets[k].delta) << k;  // every frame a key frame
  }
  EXPECT_TRUE(video.packets[0].discont);
  // The sound comes as it lies in the clip, in buffers of whole blocks.
  Bytes sound;
  GstClockTime expected = 0;
  for (const Packet& p : audio.packets) {
    EXPECT_EQ(p.pts, expected);
    expected += p.duration;
    sound.insert(sound.end(), p.bytes.begin(), p.bytes.end());
  }
  EXPECT_EQ(expected, 5 * GST_SECOND);
  const Bytes track = SoundTrackOf(clip);
  EXPECT_EQ(sound, Bytes(track.begin() + 6, track.end()));
}

TEST_F(ZrvDemuxTest, PullModePlaysFramesAndSoundTimedByTheSound) {
  DemuxPipeline run(s_tone, "file");
  ASSERT_TRUE(run.Preroll());
  EXPECT_EQ(run.Duration(), gint64(5 * GST_SECOND));
  gint64 end;
  EXPECT_TRUE(run.Seekable(end));
  EXPECT_EQ(end, gint64(5 * GST_SECOND));
  run.PlayToEnd();
  ExpectToneClip(run, s_tone);
  EXPECT_EQ(run["video_0"].packets[7].bytes, FrameFile(s_tone, 7));
}

TEST_F(ZrvDemuxTest, PushModeGathersTheClipUntilItsEnd) {
  DemuxPipeline run(s_tone, "queue");
  ASSERT_TRUE(run.Preroll());
  EXPECT_EQ(run.Duration(), gint64(5 * GST_SECOND));
  run.PlayToEnd();
  ExpectToneClip(run, s_tone);
}

TEST_F(ZrvDemuxTest, PushModePlaysOnceItHoldsTheAnnouncedSize) {
  // The source never ends its stream: the announced size is all there is.
  DemuxPipeline run(s_tone, "appsrc");
  ASSERT_TRUE(run.Preroll());
  run.PlayToEnd();
  ExpectToneClip(run, s_tone);
}

TEST_F(ZrvDemuxTest, SharedHeaderFramesAreRebuiltAndSilentClipsHaveNoSoundPad) {
  DemuxPipeline run(s_shared, "file");
  ASSERT_TRUE(run.Preroll());
  EXPECT_EQ(run.Duration(), gint64(1200 * GST_MSECOND));
  run.PlayToEnd();
  ASSERT_EQ(run.PadNames(), std::vector<std::string>{"video_0"});
  const Stream& video = run["video_0"];
  EXPECT_EQ(video.caps, "image/jpeg, parsed=(boolean)true, framerate=(fraction)5/1, width=(int)64, height=(int)48");
  ASSERT_EQ(video.packets.size(), 6u);
  for (int k = 0; k < 6; ++k) {
    EXPECT_EQ(video.packets[k].pts, k * 200 * GST_MSECOND);
    EXPECT_EQ(video.packets[k].bytes, FrameFile(s_shared, k)) << k;
  }
}

TEST_F(ZrvDemuxTest, WideBandSoundGoesOutAsAmrWb) {
  DemuxPipeline run(s_wide, "queue");
  ASSERT_TRUE(run.Preroll());
  run.PlayToEnd();
  EXPECT_EQ(run["audio_0"].caps, "audio/AMR-WB, rate=(int)16000, channels=(int)1");
  EXPECT_EQ(run["video_0"].caps, "image/jpeg, parsed=(boolean)true, framerate=(fraction)4/1, width=(int)176, height=(int)144");
  ASSERT_EQ(run["video_0"].packets.size(), 12u);
  EXPECT_EQ(run["video_0"].packets[11].pts, 2750 * GST_MSECOND);
  const Packet& last = run["audio_0"].packets.back();
  EXPECT_EQ(last.pts + last.duration, 3 * GST_SECOND);
}

TEST_F(ZrvDemuxTest, KeyUnitSeeksLandOnAFrameStart) {
  DemuxPipeline run(s_tone, "file");
  ASSERT_TRUE(run.Preroll());
  // 1.3 s lies in frame 10 (1.25 s to 1.375 s).
  ASSERT_TRUE(run.Seek(1300 * GST_MSECOND, GstSeekFlags(GST_SEEK_FLAG_FLUSH | GST_SEEK_FLAG_KEY_UNIT |
                                                          GST_SEEK_FLAG_SNAP_BEFORE)));
  run.PlayToEnd();
  const Stream& video = run["video_0"];
  ASSERT_EQ(video.packets.size(), 30u);
  EXPECT_EQ(video.packets[0].pts, 1250 * GST_MSECOND);
  EXPECT_TRUE(video.packets[0].discont);
  EXPECT_EQ(video.segment.start, 1250 * GST_MSECOND);
  EXPECT_EQ(video.packets[0].bytes, FrameFile(s_tone, 10));
  // The sound from the block that holds 1.25 s.
  EXPECT_EQ(run["audio_0"].packets[0].pts, 1240 * GST_MSECOND);
}

TEST_F(ZrvDemuxTest, KeyUnitSeeksSnapAfterOrToTheNearestFrame) {
  // Frame 10 starts at 1.25 s, frame 11 at 1.375 s.
  struct Case {
    GstClockTime position;
    GstSeekFlags snap;
    GstClockTime start;
  };
  for (const Case& c : {Case{1300 * GST_MSECOND, GST_SEEK_FLAG_SNAP_AFTER, 1375 * GST_MSECOND},
                        Case{1360 * GST_MSECOND, GstSeekFlags(0), 1375 * GST_MSECOND},
                        Case{1300 * GST_MSECOND, GstSeekFlags(0), 1250 * GST_MSECOND}}) {
    DemuxPipeline run(s_tone, "file");
    ASSERT_TRUE(run.Preroll());
    ASSERT_TRUE(run.Seek(c.position, GstSeekFlags(GST_SEEK_FLAG_FLUSH | GST_SEEK_FLAG_KEY_UNIT | c.snap)));
    run.PlayToEnd();
    EXPECT_EQ(run["video_0"].segment.start, c.start) << c.position;
    ASSERT_FALSE(run["video_0"].packets.empty());
    EXPECT_EQ(run["video_0"].packets[0].pts, c.start) << c.position;
  }
}

TEST_F(ZrvDemuxTest, AccurateSeeksStartTheSegmentWhereAsked) {
  DemuxPipeline run(s_tone, "file");
  ASSERT_TRUE(run.Preroll());
  ASSERT_TRUE(run.Seek(1300 * GST_MSECOND, GstSeekFlags(GST_SEEK_FLAG_FLUSH | GST_SEEK_FLAG_ACCURATE)));
  run.PlayToEnd();
  const Stream& video = run["video_0"];
  EXPECT_EQ(video.segment.start, 1300 * GST_MSECOND);
  ASSERT_EQ(video.packets.size(), 30u);
  EXPECT_EQ(video.packets[0].pts, 1250 * GST_MSECOND);  // the frame on show at 1.3 s
  EXPECT_EQ(run["audio_0"].packets[0].pts, 1300 * GST_MSECOND);
}

TEST_F(ZrvDemuxTest, SeeksPastTheEndEndTheStreams) {
  DemuxPipeline run(s_tone, "file");
  ASSERT_TRUE(run.Preroll());
  ASSERT_TRUE(run.Seek(9 * GST_SECOND, GST_SEEK_FLAG_FLUSH));
  run.PlayToEnd();
  EXPECT_TRUE(run["video_0"].packets.empty());
  EXPECT_TRUE(run["audio_0"].packets.empty());
}

using HarnessPair = std::pair<GstHarness*, GstHarness*>;

void LinkToHarness(GstElement*, GstPad* pad, HarnessPair* harnesses) {
  gchar* name = gst_pad_get_name(pad);
  gst_harness_add_element_src_pad(g_str_equal(name, "video_0") ? harnesses->first : harnesses->second, pad);
  g_free(name);
}

TEST_F(ZrvDemuxTest, HarnessPushModeGivesFramesWithTheirTimes) {
  GstHarness* h = gst_harness_new_with_padnames("zrvdemux", "sink", nullptr);
  gst_harness_set_src_caps_str(h, "video/x-zrv");
  GstHarness* sound = gst_harness_new_with_element(h->element, nullptr, nullptr);
  // The pads come once the clip is whole; each goes to its harness.
  HarnessPair harnesses{h, sound};
  g_signal_connect(h->element, "pad-added", G_CALLBACK(LinkToHarness), &harnesses);
  const Bytes clip = ReadFile(s_wide);
  for (size_t at = 0; at < clip.size(); at += 4096)
    ASSERT_EQ(gst_harness_push(h, gst_buffer_new_memdup(clip.data() + at, std::min<size_t>(4096, clip.size() - at))),
              GST_FLOW_OK);
  EXPECT_EQ(gst_harness_buffers_received(h), 0u);  // nothing before the clip is whole
  ASSERT_TRUE(gst_harness_push_event(h, gst_event_new_eos()));
  for (int k = 0; k < 12; ++k) {
    GstBuffer* frame = gst_harness_pull(h);
    ASSERT_TRUE(frame);
    EXPECT_EQ(GST_BUFFER_PTS(frame), k * 250 * GST_MSECOND);
    EXPECT_EQ(GST_BUFFER_DURATION(frame), 250 * GST_MSECOND);
    gst_buffer_unref(frame);
  }
  GstBuffer* first = gst_harness_pull(sound);
  ASSERT_TRUE(first);
  EXPECT_EQ(GST_BUFFER_PTS(first), 0u);
  EXPECT_EQ(GST_BUFFER_DURATION(first), 200 * GST_MSECOND);
  gst_buffer_unref(first);
  gst_harness_teardown(sound);
  gst_harness_teardown(h);
}

TEST_F(ZrvDemuxTest, LongRunsWithoutSpeechDataGoOutAsAGap) {
  // 5 speech blocks, two seconds of no-data blocks, 5 speech blocks.
  Bytes track = {'#', '!', 'A', 'M', 'R', '\n'};
  auto speech = [&] {
    for (int i = 0; i < 5; ++i) {
      track.push_back(0x3C);
      track.insert(track.end(), 31, uint8_t(0x10 + i));
    }
  };
  speech();
  track.insert(track.end(), 100, 0x7C);
  speech();
  const std::string amr = s_dir->File("pause.amr");
  WriteFile(amr, track);
  const std::string clip = MakeClip(*s_dir, "pause.zrv", {"--frames", "4", "--sound", amr});
  DemuxPipeline run(clip, "file");
  ASSERT_TRUE(run.Preroll());
  EXPECT_EQ(run.Duration(), gint64(2200 * GST_MSECOND));
  run.PlayToEnd();
  const std::vector<Packet>& sound = run["audio_0"].packets;
  ASSERT_EQ(sound.size(), 2u);
  EXPECT_EQ(sound[0].pts, 0u);
  EXPECT_EQ(sound[0].duration, 200 * GST_MSECOND);  // a buffer's 10 blocks, the run's first 5 among them
  EXPECT_EQ(sound[1].pts, 2100 * GST_MSECOND);
  EXPECT_EQ(sound[1].bytes, Bytes(track.end() - 160, track.end()));
  ASSERT_EQ(run["video_0"].packets.size(), 4u);
  EXPECT_EQ(run["video_0"].packets[3].pts, 1650 * GST_MSECOND);
}

TEST_F(ZrvDemuxTest, DataWithoutAPictureIsAClearError) {
  const std::string junk = s_dir->File("junk.zrv");
  WriteFile(junk, Bytes(20000, 0x5A));
  for (const char* source : {"file", "queue"}) {
    DemuxPipeline run(junk, source);
    std::string error;
    EXPECT_FALSE(run.Preroll(&error)) << source;
    EXPECT_NE(error.find("not a ZRV clip"), std::string::npos) << error;
  }
  const std::string empty = s_dir->File("empty.zrv");
  WriteFile(empty, Bytes{});
  DemuxPipeline run(empty, "queue");
  std::string error;
  EXPECT_FALSE(run.Preroll(&error));
  EXPECT_NE(error.find("empty"), std::string::npos) << error;
}

// filesrc ! zrvdemux ! an app sink that holds one frame at a time, so that
// the element reads the file only as the frames are taken from it.
class FrameByFrame {
 public:
  explicit FrameByFrame(const std::string& clip) {
    m_pipeline = gst_parse_launch(("filesrc name=src location=" + clip +
                                   " ! zrvdemux ! appsink name=sink sync=false max-buffers=1").c_str(),
                                  nullptr);
    m_sink = gst_bin_get_by_name(GST_BIN(m_pipeline), "sink");
  }
  ~FrameByFrame() {
    gst_element_set_state(m_pipeline, GST_STATE_NULL);
    gst_object_unref(m_sink);
    gst_object_unref(m_pipeline);
  }
  bool Play() {
    gst_element_set_state(m_pipeline, GST_STATE_PLAYING);
    GstBus* bus = gst_element_get_bus(m_pipeline);
    GstMessage* m = gst_bus_timed_pop_filtered(bus, kWait, GstMessageType(GST_MESSAGE_ASYNC_DONE | GST_MESSAGE_ERROR));
    gst_object_unref(bus);
    const bool ok = m && GST_MESSAGE_TYPE(m) == GST_MESSAGE_ASYNC_DONE;
    if (m) gst_message_unref(m);
    return ok;
  }
  // The next frame, or nothing at the end of the stream or on an error.
  std::optional<Packet> Next() {
    GstSample* sample = gst_app_sink_try_pull_sample(GST_APP_SINK(m_sink), kWait);
    if (!sample) return std::nullopt;
    Packet p = PacketOf(gst_sample_get_buffer(sample));
    gst_sample_unref(sample);
    return p;
  }
  // The error on the bus, empty when there is none.
  std::string Error() {
    GstBus* bus = gst_element_get_bus(m_pipeline);
    GstMessage* m = gst_bus_pop_filtered(bus, GST_MESSAGE_ERROR);
    gst_object_unref(bus);
    if (!m) return "";
    GError* e = nullptr;
    gst_message_parse_error(m, &e, nullptr);
    const std::string text = e->message;
    g_error_free(e);
    gst_message_unref(m);
    return text;
  }
  bool Ended() { return gst_app_sink_is_eos(GST_APP_SINK(m_sink)); }
  bool Seek(GstSeekFlags flags, GstSeekType startType, GstClockTime start, GstSeekType stopType, GstClockTime stop) {
    return gst_element_seek(m_pipeline, 1.0, GST_FORMAT_TIME, flags, startType, gint64(start), stopType,
                            gint64(stop));
  }
  GstElement* Element(const char* name) { return gst_bin_get_by_name(GST_BIN(m_pipeline), name); }

 private:
  GstElement* m_pipeline;
  GstElement* m_sink;
};

TEST_F(ZrvDemuxTest, AFileCutShortWhilePlayingEndsInAClearError) {
  // About a megabyte: frames are read a few hundred kilobytes at a time.
  const std::string clip = MakeClip(*s_dir, "long.zrv", {"--frames", "200"});
  const Bytes whole = ReadFile(clip);
  FrameByFrame run(clip);
  ASSERT_TRUE(run.Play());
  for (int k = 0; k < 5; ++k) ASSERT_TRUE(run.Next()) << k;
  ASSERT_EQ(truncate(clip.c_str(), off_t(whole.size() / 3)), 0);
  size_t frames = 5;
  while (run.Next()) ++frames;
  EXPECT_GT(frames, 5u);   // what had been read plays
  EXPECT_LT(frames, 100u);
  // The error, then the end of the stream, as demuxers end on errors.
  EXPECT_NE(run.Error().find("became shorter"), std::string::npos);
  EXPECT_TRUE(run.Ended());
}

TEST_F(ZrvDemuxTest, AFileGrowingWhilePlayingPlaysAsItWasOpened) {
  const std::string clip = MakeClip(*s_dir, "growing.zrv", {"--frames", "200"});
  FrameByFrame run(clip);
  ASSERT_TRUE(run.Play());
  ASSERT_TRUE(run.Next());
  // More frames behind the clip now: the element plays the clip it indexed.
  const Bytes opened = ReadFile(clip);
  const Bytes more(opened.begin(), opened.begin() + long(opened.size() * 2 / 3));
  {
    std::ofstream out(clip, std::ios::binary | std::ios::app);
    out.write(reinterpret_cast<const char*>(more.data()), std::streamsize(more.size()));
  }
  std::optional<Packet> last;
  size_t frames = 1;
  while (auto p = run.Next()) {
    last = p;
    ++frames;
  }
  EXPECT_EQ(frames, 200u);
  EXPECT_TRUE(run.Ended());
  EXPECT_EQ(run.Error(), "");
  ASSERT_TRUE(last);
  EXPECT_EQ(last->pts, 199 * 200 * GST_MSECOND);
  // The last frame ends where the clip ended when it was opened.
  ASSERT_LT(last->bytes.size(), opened.size());
  EXPECT_EQ(last->bytes, Bytes(opened.end() - long(last->bytes.size()), opened.end()));
}

// Counts GStreamer-CRITICALs while it lives.
class CriticalCount {
 public:
  CriticalCount() {
    m_handler = g_log_set_handler("GStreamer", GLogLevelFlags(G_LOG_LEVEL_CRITICAL | G_LOG_FLAG_FATAL),
                                  &CriticalCount::Count, &m_count);
  }
  ~CriticalCount() { g_log_remove_handler("GStreamer", m_handler); }
  int count() const { return m_count; }

 private:
  static void Count(const gchar*, GLogLevelFlags, const gchar*, gpointer count) { ++*static_cast<int*>(count); }
  guint m_handler;
  int m_count = 0;
};

TEST_F(ZrvDemuxTest, ASeekTheSegmentRefusesIsReportedAsRefused) {
  CriticalCount criticals;
  DemuxPipeline run(s_tone, "file");
  ASSERT_TRUE(run.Preroll());
  // A stop before the start, set and from the end.
  EXPECT_FALSE(gst_element_seek(run.pipeline(), 1.0, GST_FORMAT_TIME, GST_SEEK_FLAG_FLUSH, GST_SEEK_TYPE_SET,
                                gint64(3 * GST_SECOND), GST_SEEK_TYPE_SET, gint64(GST_SECOND)));
  EXPECT_FALSE(gst_element_seek(run.pipeline(), 1.0, GST_FORMAT_TIME, GST_SEEK_FLAG_FLUSH, GST_SEEK_TYPE_SET,
                                gint64(3 * GST_SECOND), GST_SEEK_TYPE_END, -gint64(4 * GST_SECOND)));
  EXPECT_EQ(criticals.count(), 0);
  // Nothing changed: the whole clip plays.
  run.PlayToEnd();
  ExpectToneClip(run, s_tone);
}

TEST_F(ZrvDemuxTest, AStopOnlySeekGoesOnFromThePositionAndFlushesUpstream) {
  const std::string clip = MakeClip(*s_dir, "stop.zrv", {"--frames", "50", "--size", "64x48"});
  FrameByFrame run(clip);
  ASSERT_TRUE(run.Play());
  GstClockTime last = 0;
  for (int k = 0; k < 10; ++k) {
    const std::optional<Packet> frame = run.Next();
    ASSERT_TRUE(frame) << k;
    last = frame->pts;
  }
  ASSERT_EQ(last, 1800 * GST_MSECOND);
  int flushes = 0;
  GstElement* source = run.Element("src");
  GstPad* sourcePad = gst_element_get_static_pad(source, "src");
  const gulong probe = gst_pad_add_probe(
      sourcePad, GstPadProbeType(GST_PAD_PROBE_TYPE_EVENT_UPSTREAM | GST_PAD_PROBE_TYPE_EVENT_FLUSH),
      [](GstPad*, GstPadProbeInfo* info, gpointer count) {
        if (GST_EVENT_TYPE(GST_PAD_PROBE_INFO_EVENT(info)) == GST_EVENT_FLUSH_START) ++*static_cast<int*>(count);
        return GST_PAD_PROBE_OK;
      },
      &flushes, nullptr);
  ASSERT_TRUE(run.Seek(GST_SEEK_FLAG_FLUSH, GST_SEEK_TYPE_NONE, 0, GST_SEEK_TYPE_SET, 3 * GST_SECOND));
  gst_pad_remove_probe(sourcePad, probe);
  gst_object_unref(sourcePad);
  gst_object_unref(source);
  EXPECT_GE(flushes, 1);
  // The frames go on where they were (the one on show again at most) and
  // end at the new stop.
  std::vector<GstClockTime> after;
  while (const std::optional<Packet> frame = run.Next()) after.push_back(frame->pts);
  EXPECT_TRUE(run.Ended());
  ASSERT_FALSE(after.empty());
  EXPECT_GE(after.front(), last);
  EXPECT_EQ(after.back(), 2800 * GST_MSECOND);
}

// A shared header of `header` bytes of comments and more, then `frames`
// frames of a tiny scan each.
Bytes SharedHeaderClip(const Bytes& picture, int commentSegments, int frames) {
  Bytes clip(picture.begin(), picture.begin() + 2);
  for (int i = 0; i < commentSegments; ++i) {
    const Bytes comment = {0xFF, 0xFE, 0xFF, 0xFF};
    clip.insert(clip.end(), comment.begin(), comment.end());
    clip.insert(clip.end(), 65533, 0);
  }
  clip.insert(clip.end(), picture.begin() + 2, picture.end());
  for (int k = 0; k < frames; ++k) {
    const Bytes tiny = {0xFF, 0xD8, 0xFF, 0xDA, 0x00, 0x08, 0x01, 0x01, 0x00, 0x00, 0x3F, 0x00, uint8_t(k), 0x01};
    clip.insert(clip.end(), tiny.begin(), tiny.end());
  }
  return clip;
}

TEST_F(ZrvDemuxTest, SharedHeaderFramesBeyondTheExportsBoundAreRefused) {
  // A header of 262 KB: 300 frames would be 79 MB handed on, 60 are 16 MB.
  struct Case {
    int frames;
    bool refused;
  };
  for (const Case& c : {Case{300, true}, Case{60, false}}) {
    const Bytes bytes = SharedHeaderClip(FrameFile(s_shared, 0), 4, c.frames);
    ClipLayout layout;
    std::string why;
    ASSERT_TRUE(layout.Read(bytes.data(), uint32_t(bytes.size()), why)) << why;
    ASSERT_TRUE(layout.sharedHeader());
    ASSERT_EQ(layout.frames(), uint32_t(c.frames) + 1);
    ASSERT_GT(layout.Frame(1).headLength, 262000u);
    const std::string clip = s_dir->File("shared-" + std::to_string(c.frames) + ".zrv");
    WriteFile(clip, bytes);
    for (const char* source : {"file", "queue"}) {
      DemuxPipeline run(clip, source);
      std::string error;
      EXPECT_EQ(run.Preroll(&error), !c.refused) << c.frames << " " << source;
      if (c.refused) {
        EXPECT_NE(error.find("shared header"), std::string::npos) << error;
        continue;
      }
      run.PlayToEnd();
      EXPECT_EQ(run["video_0"].packets.size(), size_t(c.frames) + 1) << source;
    }
  }
}

TEST_F(ZrvDemuxTest, SoundLongerThanTheClipCarriesIsLeftOut) {
  // Ten minutes are 30,000 blocks; a clip of a few kilobytes carries no more.
  const Bytes picture = FrameFile(s_tone, 0);
  struct Case {
    int blocks;
    bool sound;
    gint64 duration;
  };
  for (const Case& c : {Case{29000, true, gint64(580 * GST_SECOND)}, Case{31000, false, gint64(200 * GST_MSECOND)}}) {
    Bytes bytes = picture;
    const std::string magic = "#!AMR\n";
    bytes.insert(bytes.end(), magic.begin(), magic.end());
    bytes.insert(bytes.end(), size_t(c.blocks), 0x7C);
    const std::string clip = s_dir->File("nodata-" + std::to_string(c.blocks) + ".zrv");
    WriteFile(clip, bytes);
    DemuxPipeline run(clip, "file");
    ASSERT_TRUE(run.Preroll()) << c.blocks;
    EXPECT_EQ(run.Duration(), c.duration) << c.blocks;
    run.PlayToEnd();
    EXPECT_EQ(run.PadNames().size(), c.sound ? 2u : 1u) << c.blocks;
    ASSERT_EQ(run["video_0"].packets.size(), 1u);
    EXPECT_EQ(run["video_0"].packets[0].duration, GstClockTime(c.duration));
  }
}

TEST_F(ZrvDemuxTest, AStreamIsGatheredUpTo128MiBAndRefusedBeyond) {
  GstHarness* h = gst_harness_new_with_padnames("zrvdemux", "sink", nullptr);
  gst_harness_set_src_caps_str(h, "video/x-zrv");
  // One MiB, handed on again and again: the harness's source tells no size.
  GstBuffer* mebibyte = gst_buffer_new_allocate(nullptr, 1 << 20, nullptr);
  gst_buffer_memset(mebibyte, 0, 0x5A, 1 << 20);
  int accepted = 0;
  while (accepted < 200 && gst_harness_push(h, gst_buffer_ref(mebibyte)) == GST_FLOW_OK) ++accepted;
  EXPECT_EQ(accepted, 128);
  // Refused for good: no end of the stream makes it play.
  EXPECT_EQ(gst_harness_push(h, gst_buffer_ref(mebibyte)), GST_FLOW_ERROR);
  gst_harness_push_event(h, gst_event_new_eos());
  EXPECT_EQ(gst_harness_buffers_received(h), 0u);
  gst_buffer_unref(mebibyte);
  gst_harness_teardown(h);
}

}  // namespace
