// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// Clips played by GStreamer's own programs and its automatic decoding, as
// any desktop player built on GStreamer plays them: what gst-discoverer-1.0
// reports, playbin and gst-play-1.0 reaching the end, and the pictures and
// samples decodebin produces against djpeg and zrvtool sound.
#include <gst/app/gstappsink.h>
#include <gst/gst.h>
#include <gtest/gtest.h>

#include <cstdlib>

#include "tests/audio/amr_tracks.h"
#include "tests/gst/gst_clips.h"

namespace {

class GstToolsTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    s_dir = new TempDir;
    RequireTestPluginSet();
    gst_init(nullptr, nullptr);
  }
  static void TearDownTestSuite() {
    // GStreamer's thread pools end here, before the leak check looks at the process.
    gst_deinit();
    delete s_dir;
  }

  static std::string Uri(const std::string& path) { return "file://" + path; }

  static inline TempDir* s_dir;
};

// Every buffer that reaches an app sink behind `chain` (a gst-launch
// description ending in "appsink name=out"), in order.
std::vector<Bytes> Decode(const std::string& chain) {
  GError* error = nullptr;
  GstElement* pipeline = gst_parse_launch(chain.c_str(), &error);
  EXPECT_TRUE(pipeline) << (error ? error->message : "");
  if (!pipeline) return {};
  GstElement* sink = gst_bin_get_by_name(GST_BIN(pipeline), "out");
  g_object_set(sink, "sync", FALSE, nullptr);
  gst_element_set_state(pipeline, GST_STATE_PLAYING);
  std::vector<Bytes> buffers;
  while (GstSample* sample = gst_app_sink_try_pull_sample(GST_APP_SINK(sink), 20 * GST_SECOND)) {
    GstBuffer* buffer = gst_sample_get_buffer(sample);
    Bytes bytes(gst_buffer_get_size(buffer));
    gst_buffer_extract(buffer, 0, bytes.data(), bytes.size());
    buffers.push_back(std::move(bytes));
    gst_sample_unref(sample);
  }
  EXPECT_TRUE(gst_app_sink_is_eos(GST_APP_SINK(sink)));
  gst_object_unref(sink);
  gst_element_set_state(pipeline, GST_STATE_NULL);
  gst_object_unref(pipeline);
  return buffers;
}

// The pixels of a binary PNM file (P5 or P6, maxval 255).
Bytes PnmPixels(const Bytes& pnm) {
  int fields = 0;
  size_t at = 2;
  while (fields < 3 && at < pnm.size()) {
    while (at < pnm.size() && isspace(pnm[at])) ++at;
    while (at < pnm.size() && !isspace(pnm[at])) ++at;
    ++fields;
  }
  return Bytes(pnm.begin() + long(at) + 1, pnm.end());
}

// Frame k of `clip` decoded by djpeg from zrvtool frame's file, with the
// fast integer transform that jpegdec uses by default.
Bytes DjpegFrame(const TempDir& dir, const std::string& clip, int k, std::vector<std::string> options = {}) {
  const std::string jpeg = dir.File("frame.jpg");
  EXPECT_EQ(RunProgram({BuiltProgram("zrvtool"), "frame", clip, std::to_string(k), jpeg}).exitCode, 0);
  std::vector<std::string> args = {"/usr/bin/djpeg", "-dct", "fast", "-pnm"};
  args.insert(args.end(), options.begin(), options.end());
  args.push_back(jpeg);
  const ProgramResult djpeg = RunProgram(args);
  EXPECT_EQ(djpeg.exitCode, 0) << djpeg.err;
  return PnmPixels(Bytes(djpeg.out.begin(), djpeg.out.end()));
}

Bytes Joined(const std::vector<Bytes>& buffers) {
  Bytes all;
  for (const Bytes& b : buffers) all.insert(all.end(), b.begin(), b.end());
  return all;
}

TEST_F(GstToolsTest, DiscovererReportsDurationPictureAndSound) {
  const std::string tone = MakeClip(*s_dir, "tone.zrv", {"--frames", "40", "--fps", "8", "--sound", "tone"});
  ProgramResult found = RunProgram({"/usr/bin/gst-discoverer-1.0", tone});
  ASSERT_EQ(found.exitCode, 0) << found.err;
  EXPECT_NE(found.out.find("Duration: 0:00:05.000000000"), std::string::npos) << found.out;
  EXPECT_NE(found.out.find("container #0: video/x-zrv"), std::string::npos) << found.out;
  EXPECT_NE(found.out.find("Width: 176"), std::string::npos);
  EXPECT_NE(found.out.find("Height: 144"), std::string::npos);
  EXPECT_NE(found.out.find("Frame rate: 8/1"), std::string::npos);
  EXPECT_NE(found.out.find("Sample rate: 8000"), std::string::npos);
  EXPECT_NE(found.out.find("Seekable: yes"), std::string::npos);

  const std::string wide = MakeWideBandClip(*s_dir, "wide.zrv", 12, 3000);
  found = RunProgram({"/usr/bin/gst-discoverer-1.0", wide});
  EXPECT_NE(found.out.find("Duration: 0:00:03.000000000"), std::string::npos) << found.out;
  EXPECT_NE(found.out.find("Sample rate: 16000"), std::string::npos) << found.out;

  const std::string silent = MakeClip(*s_dir, "silent.zrv", {"--frames", "7", "--layout", "shared-header"});
  found = RunProgram({"/usr/bin/gst-discoverer-1.0", silent});
  EXPECT_NE(found.out.find("Duration: 0:00:01.400000000"), std::string::npos) << found.out;
  EXPECT_EQ(found.out.find("audio #"), std::string::npos) << found.out;
}

TEST_F(GstToolsTest, PlaybinPlaysClipsToTheEnd) {
  const std::string tone = MakeClip(*s_dir, "tone.zrv", {"--frames", "16", "--sound", "tone"});
  const std::string shared = MakeClip(*s_dir, "shared.zrv", {"--frames", "5", "--layout", "shared-header"});
  for (const std::string& clip : {tone, shared}) {
    const ProgramResult played = RunProgram({"/usr/bin/gst-launch-1.0", "playbin", "uri=" + Uri(clip),
                                             "video-sink=fakesink", "audio-sink=fakesink"});
    EXPECT_EQ(played.exitCode, 0) << played.out << played.err;
    EXPECT_NE(played.out.find("Got EOS"), std::string::npos) << played.out;
  }
}

TEST_F(GstToolsTest, GstPlayPlaysAClipAsADesktopPlayerWould) {
  const std::string tone = MakeClip(*s_dir, "short.zrv", {"--frames", "8", "--sound", "tone"});
  const ProgramResult played = RunProgram({"/usr/bin/gst-play-1.0", "--no-interactive", "--videosink=fakesink",
                                           "--audiosink=fakesink", tone});
  EXPECT_EQ(played.exitCode, 0) << played.err;
  EXPECT_NE(played.out.find("Reached end of play list"), std::string::npos) << played.out;
  EXPECT_EQ(played.out.find("rror"), std::string::npos) << played.out;
}

TEST_F(GstToolsTest, DecodedFramesEqualDjpegsDecodeOfTheFrameFiles) {
  const std::string grey =
      MakeClip(*s_dir, "grey.zrv", {"--frames", "6", "--grey", "--layout", "shared-header", "--size", "96x64"});
  const std::vector<Bytes> frames = Decode("filesrc location=" + grey +
                                           " ! decodebin ! videoconvert ! video/x-raw,format=GRAY8 ! appsink name=out");
  ASSERT_EQ(frames.size(), 6u);
  for (int k = 0; k < 6; ++k) EXPECT_EQ(frames[k], DjpegFrame(*s_dir, grey, k)) << "frame " << k;

  // In colour, the brightness plane of jpegdec's YUV picture against
  // djpeg's grey-scale decode, which is that same plane.
  const std::string colour = MakeClip(*s_dir, "colour.zrv", {"--frames", "3", "--sound", "tone"});
  const std::vector<Bytes> yuv = Decode("filesrc location=" + colour +
                                        " ! decodebin ! video/x-raw,format=I420 ! appsink name=out");
  ASSERT_EQ(yuv.size(), 3u);
  for (int k = 0; k < 3; ++k) {
    const Bytes luma = DjpegFrame(*s_dir, colour, k, {"-grayscale"});
    ASSERT_EQ(luma.size(), 176u * 144u);
    EXPECT_TRUE(Bytes(yuv[k].begin(), yuv[k].begin() + long(luma.size())) == luma) << "frame " << k;
  }
}

TEST_F(GstToolsTest, DecodedSoundEqualsZrvtoolSoundsSamples) {
  const std::string narrow = MakeClip(*s_dir, "nb.zrv", {"--frames", "24", "--sound", "tone"});
  const std::string wide = MakeWideBandClip(*s_dir, "wb.zrv", 10, 2000);
  for (const std::string& clip : {narrow, wide}) {
    const std::string wav = s_dir->File("sound.wav");
    ASSERT_EQ(RunProgram({BuiltProgram("zrvtool"), "sound", clip, wav}).exitCode, 0);
    const Bytes samples = WavData(ReadFile(wav));
    ASSERT_FALSE(samples.empty());
    const Bytes decoded = Joined(Decode("filesrc location=" + clip +
                                        " ! decodebin ! audioconvert ! audio/x-raw,format=S16LE ! appsink name=out"));
    EXPECT_EQ(decoded.size(), samples.size()) << clip;
    EXPECT_TRUE(decoded == samples) << clip;
  }
}

}  // namespace
