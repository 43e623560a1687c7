// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// Clips played through libvlc with the module from the build (and VLC's own
// decoders): pictures and sound counted through callbacks, length, seeking,
// start times, and files the module must refuse or leave to VLC.
#include <gtest/gtest.h>
#include <vlc/vlc.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "demux/clip_layout.h"
#include "tests/audio/amr_tracks.h"
#include "tests/gst/gst_clips.h"
#include "tests/image/picture_files.h"

// VLC's own plugins keep allocations past their unloading, which the leak
// checker reports without a module to tell them by (the module's logic is
// leak-checked by vlc_claim_tests and the fuzz target).
extern "C" const char* __asan_default_options() { return "detect_leaks=0"; }

namespace {

using Clock = std::chrono::steady_clock;

constexpr unsigned kWidth = 64, kHeight = 48;

struct Playback {
  std::mutex lock;
  std::vector<uint32_t> pixels = std::vector<uint32_t>(kWidth * kHeight);
  // When each new picture came: VLC shows the last one again while no new
  // one is due, so a picture counts when its pixels differ from the last.
  std::vector<Clock::time_point> pictures;
  uint64_t lastHash = 0;
  bool seeking = false;
  int64_t samples = 0;
  double squares = 0;
  std::vector<std::string> moduleLines;  // what the zrv module logged
  int64_t length = -1;

  double Level() const { return samples ? std::sqrt(squares / double(samples)) : 0; }
  bool Opened() const {
    for (const std::string& line : moduleLines)
      if (line.find(" frames, ") != std::string::npos) return true;
    return false;
  }
  bool Refused() const {
    for (const std::string& line : moduleLines)
      if (line.rfind("ZRV clip not played: ", 0) == 0) return true;
    return false;
  }
};

void* Lock(void* opaque, void** planes) {
  planes[0] = static_cast<Playback*>(opaque)->pixels.data();
  return nullptr;
}
void Display(void* opaque, void*) {
  Playback& p = *static_cast<Playback*>(opaque);
  uint64_t hash = 1469598103934665603u;
  for (const uint32_t pixel : p.pixels) hash = (hash ^ pixel) * 1099511628211u;
  std::lock_guard<std::mutex> hold(p.lock);
  if (!p.pictures.empty() && hash == p.lastHash) return;
  p.lastHash = hash;
  p.pictures.push_back(Clock::now());
}
void PlaySound(void* opaque, const void* samples, unsigned count, int64_t) {
  Playback& p = *static_cast<Playback*>(opaque);
  const int16_t* s = static_cast<const int16_t*>(samples);
  std::lock_guard<std::mutex> hold(p.lock);
  p.samples += count;
  for (unsigned i = 0; i < count; ++i) p.squares += double(s[i]) * s[i];
}
// A seek drops the sound queued before it: count from there (the end of
// playing flushes too).
void FlushSound(void* opaque, int64_t) {
  Playback& p = *static_cast<Playback*>(opaque);
  std::lock_guard<std::mutex> hold(p.lock);
  if (!p.seeking) return;
  p.seeking = false;
  p.samples = 0;
  p.squares = 0;
}
void Log(void* opaque, int, const libvlc_log_t* context, const char* format, va_list args) {
  const char *module, *file;
  unsigned line;
  libvlc_log_get_context(context, &module, &file, &line);
  if (!module || std::string(module) != "zrv") return;
  char text[512];
  vsnprintf(text, sizeof text, format, args);
  Playback& p = *static_cast<Playback*>(opaque);
  std::lock_guard<std::mutex> hold(p.lock);
  p.moduleLines.push_back(text);
}

struct Options {
  int rate = 8000;            // sample rate asked of VLC's audio output
  double startSeconds = 0;    // a start time given as an input option
  int64_t seekToMs = -1;      // a seek once the first picture is shown
  double seekToPosition = -1;  // the same as a position
};

// Plays `path` to its end (or for at most `limitSeconds`).
void Play(const std::string& path, const Options& options, Playback& p, double limitSeconds = 20) {
  setenv("VLC_PLUGIN_PATH", ZRV_VLC_PLUGIN_DIR, 1);
  const char* args[] = {"--ignore-config", "--no-xlib", "--no-video-title-show", "--no-sub-autodetect-file",
                        "--no-stats", "--no-lua", "--image-duration=1",
                        // every picture counts, even one late on a busy machine
                        "--no-drop-late-frames", "--no-skip-frames"};
  libvlc_instance_t* vlc = libvlc_new(sizeof args / sizeof *args, args);
  ASSERT_NE(vlc, nullptr);
  libvlc_log_set(vlc, Log, &p);
  libvlc_media_t* media = libvlc_media_new_path(vlc, path.c_str());
  ASSERT_NE(media, nullptr);
  if (options.startSeconds > 0)
    libvlc_media_add_option(media, (":start-time=" + std::to_string(options.startSeconds)).c_str());
  libvlc_media_player_t* player = libvlc_media_player_new_from_media(media);
  libvlc_media_release(media);
  libvlc_video_set_callbacks(player, Lock, nullptr, Display, &p);
  libvlc_video_set_format(player, "RV32", kWidth, kHeight, kWidth * 4);
  libvlc_audio_set_callbacks(player, PlaySound, nullptr, nullptr, FlushSound, nullptr, &p);
  libvlc_audio_set_format(player, "S16N", unsigned(options.rate), 1);
  ASSERT_EQ(libvlc_media_player_play(player), 0);

  const Clock::time_point start = Clock::now();
  bool seeked = false;
  for (;;) {
    const libvlc_state_t state = libvlc_media_player_get_state(player);
    if (state == libvlc_Ended || state == libvlc_Error) {
      // The input has ended; the last pictures may still be on their way out.
      std::this_thread::sleep_for(std::chrono::milliseconds(400));
      break;
    }
    if (Clock::now() - start > std::chrono::duration<double>(limitSeconds)) {
      ADD_FAILURE() << path << " still playing after " << limitSeconds << " s";
      break;
    }
    if (libvlc_media_player_get_length(player) > 0) p.length = libvlc_media_player_get_length(player);
    bool shown;
    {
      std::lock_guard<std::mutex> hold(p.lock);
      shown = !p.pictures.empty();
    }
    if (shown && !seeked && (options.seekToMs >= 0 || options.seekToPosition >= 0)) {
      seeked = true;
      {
        std::lock_guard<std::mutex> hold(p.lock);
        p.pictures.clear();
        p.samples = 0;
        p.squares = 0;
        p.seeking = true;
      }
      if (options.seekToMs >= 0)
        libvlc_media_player_set_time(player, options.seekToMs);
      else
        libvlc_media_player_set_position(player, float(options.seekToPosition));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  libvlc_media_player_stop(player);
  libvlc_media_player_release(player);
  libvlc_release(vlc);
}

int64_t DurationMsOf(const std::string& path) {
  const Bytes bytes = ReadFile(path);
  ClipLayout layout;
  std::string why;
  EXPECT_TRUE(layout.Read(bytes.data(), uint32_t(bytes.size()), why)) << why;
  return layout.DurationNs() / 1000000;
}

class VlcPlayback : public ::testing::Test {
 protected:
  TempDir dir;
};

TEST_F(VlcPlayback, EveryFrameAndTheWholeSoundInTime) {
  const struct {
    const char* what;
    std::string clip;
    int frames;
    int rate;           // 0: the clip has no sound
  } cases[] = {
      {"plain, narrow band", MakeClip(dir, "plain.zrv", {"--frames", "16", "--fps", "8", "--sound", "tone"}), 16,
       8000},
      {"shared header, narrow band",
       MakeClip(dir, "shared.gzrv", {"--frames", "12", "--fps", "6", "--layout", "shared-header", "--sound", "tone"}),
       12, 8000},
      {"plain, wide band", MakeWideBandClip(dir, "wide.zrv", 10, 2000), 10, 16000},
      {"silent", MakeClip(dir, "silent.zrv", {"--frames", "8", "--layout", "shared-header"}), 8, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const int64_t durationMs = DurationMsOf(c.clip);
    ASSERT_GT(durationMs, 0);
    Playback p;
    Play(c.clip, {c.rate ? c.rate : 8000}, p);
    ASSERT_TRUE(p.Opened()) << "the module did not take the clip";
    EXPECT_EQ(p.length, durationMs);
    // All of them; on a busy machine (and in the sanitizer build) VLC may
    // still miss one or two.
    ASSERT_GE(int(p.pictures.size()), c.frames - 2);
    ASSERT_LE(int(p.pictures.size()), c.frames);
    // The pictures are paced by their times, not handed out at once; how
    // closely is left to the benchmarks (a busy machine shows the first
    // ones late).
    const double spanMs =
        std::chrono::duration<double, std::milli>(p.pictures.back() - p.pictures.front()).count();
    EXPECT_GT(spanMs, double(durationMs) / 2);
    EXPECT_LT(spanMs, double(durationMs) * 2);
    if (c.rate) {
      EXPECT_NEAR(double(p.samples), double(durationMs) * c.rate / 1000, c.rate * 0.1);
      EXPECT_GT(p.Level(), 300) << "the sound decodes to silence";
    } else {
      EXPECT_EQ(p.samples, 0);
    }
  }
}

TEST_F(VlcPlayback, SeeksByTimePositionAndStartTime) {
  const std::string clip = MakeClip(dir, "long.zrv", {"--frames", "32", "--fps", "8", "--sound", "tone"});
  ASSERT_EQ(DurationMsOf(clip), 4000);
  const struct {
    const char* what;
    Options options;
  } cases[] = {
      {"set time", {8000, 0, 3000, -1}},
      {"set position", {8000, 0, -1, 0.75}},
      {"start time", {8000, 3.0, -1, -1}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Playback p;
    Play(clip, c.options, p);
    ASSERT_TRUE(p.Opened());
    // The last second: 8 frames (one more when the picture on show is
    // shown again; one or two fewer when VLC starts late on a busy machine)
    // and 8000 samples, not the whole clip.
    EXPECT_GE(p.pictures.size(), 6u);
    EXPECT_LE(p.pictures.size(), 10u);
    EXPECT_NEAR(double(p.samples), 8000, 1200);
  }
}

// The grey level VLC shows for a JPEG of luma `y`, as full-range or as
// studio-range video (which one depends on VLC's conversion).
int ShownGrey(int y, bool studio) {
  return studio ? std::clamp(int(std::lround((y - 16) * 255.0 / 219)), 0, 255) : y;
}

TEST_F(VlcPlayback, SeekWhilePausedShowsTheFrameOfThatTime) {
  // Frame k is a grey colour picture of luma 20 + 9 k, 3 frames a second.
  constexpr int kFrames = 24;
  std::vector<std::string> options = {"--fps", "3", "--sound", "tone", "--jpegs"};
  for (int k = 0; k < kFrames; ++k) {
    const std::string jpeg = dir.File(std::to_string(100 + k) + ".jpg");
    TestPicture grey{32, 32, Bytes(32 * 32 * 3, uint8_t(20 + 9 * k))};
    WriteJpegWithCjpeg(dir, grey, jpeg, "2x2", false, 95);
    options.push_back(jpeg);
  }
  const std::string clip = MakeClip(dir, "greys.zrv", options);
  ASSERT_EQ(DurationMsOf(clip), 8000);

  Playback p;
  setenv("VLC_PLUGIN_PATH", ZRV_VLC_PLUGIN_DIR, 1);
  const char* args[] = {"--ignore-config", "--no-xlib", "--no-lua", "--no-stats", "--aout=dummy"};
  libvlc_instance_t* vlc = libvlc_new(sizeof args / sizeof *args, args);
  ASSERT_NE(vlc, nullptr);
  libvlc_log_set(vlc, Log, &p);
  libvlc_media_t* media = libvlc_media_new_path(vlc, clip.c_str());
  libvlc_media_player_t* player = libvlc_media_player_new_from_media(media);
  libvlc_media_release(media);
  libvlc_video_set_callbacks(player, Lock, nullptr, Display, &p);
  libvlc_video_set_format(player, "RV32", kWidth, kHeight, kWidth * 4);
  ASSERT_EQ(libvlc_media_player_play(player), 0);
  const auto waitFor = [&](const auto& done) {
    for (int i = 0; i < 1000 && !done(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return done();
  };
  const auto shownGrey = [&] {
    std::lock_guard<std::mutex> hold(p.lock);
    return p.pictures.empty() ? -1 : int(p.pixels[kWidth * kHeight / 2 + kWidth / 2] & 0xFF);
  };
  ASSERT_TRUE(waitFor([&] { return shownGrey() >= 0; })) << "nothing played";
  // The first picture is frame 0: it tells the range.
  const bool studio = std::abs(shownGrey() - ShownGrey(20, true)) < std::abs(shownGrey() - ShownGrey(20, false));
  const auto shownFrame = [&] {
    const int grey = shownGrey();
    for (int k = 0; k < kFrames; ++k)
      if (std::abs(ShownGrey(20 + 9 * k, studio) - grey) <= 3) return k;
    return -1;
  };
  // Paused once playing has settled, a second in.
  ASSERT_TRUE(waitFor([&] { return shownFrame() >= 3; })) << "nothing played";
  libvlc_media_player_set_pause(player, 1);
  ASSERT_TRUE(waitFor([&] { return libvlc_media_player_get_state(player) == libvlc_Paused; }));
  ASSERT_TRUE(p.Opened());
  // As a user who pauses and then drags the seek bar: the clock stands still
  // for longer than VLC buffers ahead.
  std::this_thread::sleep_for(std::chrono::milliseconds(1200));
  // Forwards, back, and by position; each time the picture of the moment
  // asked for, with nothing played past it. (Near the end VLC cannot fill
  // its buffer while paused and may keep the old picture, as it does with
  // any file.)
  for (const double seconds : {3.0, 1.0, 4.0, 2.0}) {
    SCOPED_TRACE(seconds);
    const int wanted = int(seconds * 3);
    if (seconds == 4.0)
      libvlc_media_player_set_position(player, float(seconds / 8));
    else
      libvlc_media_player_set_time(player, int64_t(seconds * 1000));
    EXPECT_TRUE(waitFor([&] { return shownFrame() == wanted; })) << "frame " << shownFrame() << " on show";
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(shownFrame(), wanted);
    EXPECT_EQ(libvlc_media_player_get_state(player), libvlc_Paused);
  }
  libvlc_media_player_stop(player);
  libvlc_media_player_release(player);
  libvlc_release(vlc);
}

TEST_F(VlcPlayback, DamagedClipPlaysWhatItHoldsAndNoClipIsRefused) {
  const std::string clip = MakeClip(dir, "whole.zrv", {"--frames", "12", "--fps", "8", "--sound", "tone"});
  Bytes damaged = ReadFile(clip);
  ASSERT_GT(damaged.size(), 2000u);
  // Scan data of a middle frame overwritten, and the sound track cut short
  // in the middle of a block.
  for (size_t i = damaged.size() / 3; i < damaged.size() / 3 + 200; ++i) damaged[i] ^= 0x55;
  damaged.resize(damaged.size() - 7);
  WriteFile(dir.File("damaged.zrv"), damaged);
  Playback p;
  Play(dir.File("damaged.zrv"), {}, p);
  ASSERT_TRUE(p.Opened());
  EXPECT_EQ(p.length, DurationMsOf(dir.File("damaged.zrv")));
  EXPECT_GE(p.pictures.size(), 10u);
  EXPECT_GT(p.samples, 0);

  // A picture and a quarter of an hour of one-byte no-data sound frames in
  // 40 kB: refused with one line, not played as silence.
  Bytes nodata = ReadFile(MakeClip(dir, "one.zrv", {"--frames", "1"}));
  const std::string magic = "#!AMR\n";
  nodata.insert(nodata.end(), magic.begin(), magic.end());
  nodata.insert(nodata.end(), 45000, 0x7C);
  WriteFile(dir.File("nodata.zrv"), nodata);
  Playback refused;
  Play(dir.File("nodata.zrv"), {}, refused, 10);
  EXPECT_FALSE(refused.Opened());
  EXPECT_TRUE(refused.Refused());
}

TEST_F(VlcPlayback, PicturesAndSoundFilesKeepVlcsDemuxers) {
  const std::string clip = MakeClip(dir, "one.zrv", {"--frames", "1"});
  const Bytes picture = ReadFile(clip);
  WriteFile(dir.File("picture.jpg"), picture);
  WriteFile(dir.File("sound.amr"), EncodeNarrowBand(TestSignal(1000, 8000), 7, false));
  const struct {
    const char* what;
    std::string path;
    bool pictures, sound;
  } cases[] = {{"JPEG picture", dir.File("picture.jpg"), true, false},
               {"AMR file", dir.File("sound.amr"), false, true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Playback p;
    Play(c.path, {}, p, 15);
    EXPECT_FALSE(p.Opened());
    // VLC played it by its own means.
    EXPECT_EQ(!p.pictures.empty(), c.pictures);
    EXPECT_EQ(p.samples > 0, c.sound);
  }
}

}  // namespace
