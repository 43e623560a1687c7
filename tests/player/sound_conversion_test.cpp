// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// A clip's sound is converted while the clip is already shown: the window is
// ready at once, plays while the rest is decoded, and a close or the next
// clip stops the conversion.
#include <chrono>
#include <thread>

#include "player/control_ids.h"
#include "tests/audio/disk_output.h"
#include "tests/player/player_fixture.h"

namespace {

// One small frame, then `blocks` 12.2 kbit/s speech frames (garbage speech,
// which the decoder takes like any other): long enough to decode for seconds.
Bytes ClipWithSpeech(const Bytes& frame, size_t blocks) {
  Bytes clip = frame;
  for (char c : std::string("#!AMR\n")) clip.push_back(uint8_t(c));
  for (size_t b = 0; b < blocks; ++b) {
    clip.push_back(0x3C);  // mode 7, quality bit set
    for (int i = 0; i < 31; ++i) clip.push_back(uint8_t(b * 7 + size_t(i) * 37));
  }
  return clip;
}

constexpr size_t kHourBlocks = 180000;

// The data size in a WAV file's header, 0 while there is no header.
uint32_t WavDataSize(const std::string& path) {
  const Bytes wav = ReadFile(path);
  if (wav.size() < 44) return 0;
  return uint32_t(wav[40]) | uint32_t(wav[41]) << 8 | uint32_t(wav[42]) << 16 | uint32_t(wav[43]) << 24;
}

}  // namespace

TEST_F(PlayerTest, ALongClipIsReadyBeforeItsSoundIsConvertedAndCloseStopsTheConversion) {
  CPlayerDlg& w = StartWindow();
  MakeClip(m_dir.File("one.zrv"), {"--frames", "30"});
  WriteFile(m_dir.File("hour.zrv"), ClipWithSpeech(ReadFile(m_dir.File("one.zrv")), kHourBlocks));
  ASSERT_TRUE(Open(m_dir.File("hour.zrv")));

  const std::shared_ptr<StreamedPcm> pcm = w.session().soundConversion.pcm();
  ASSERT_NE(pcm, nullptr);
  EXPECT_EQ(pcm->frameCount, kHourBlocks * 160);
  // An hour of sound: the pace, the length and the window's texts are all
  // there while the conversion is still under way.
  EXPECT_LT(pcm->ready.load(), pcm->frameCount);
  EXPECT_EQ(w.wave().GetLength(), 3'600'000u);
  EXPECT_EQ(w.session().interval, 120'000u);  // two minutes a frame
  EXPECT_EQ(w.statusText(), "have sound...total 30 frames");
  EXPECT_EQ(w.windowTitle(), "hour");
  EXPECT_TRUE(w.control(ids::kPlayButton)->isEnabled());

  const std::string folder = w.privateTempDir();
  w.OnCancel();
  const uint64_t stoppedAt = pcm->ready.load();
  EXPECT_LT(stoppedAt, pcm->frameCount);
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_EQ(pcm->ready.load(), stoppedAt);  // nothing runs any more
  EXPECT_FALSE(FileExists(folder));
}

TEST_F(PlayerTest, TheNextClipStopsTheConversionAndGetsItsWholeSound) {
  CPlayerDlg& w = StartWindow();
  MakeClip(m_dir.File("one.zrv"), {"--frames", "30"});
  WriteFile(m_dir.File("hour.zrv"), ClipWithSpeech(ReadFile(m_dir.File("one.zrv")), kHourBlocks));
  ASSERT_TRUE(Open(m_dir.File("hour.zrv")));
  const std::shared_ptr<StreamedPcm> hour = w.session().soundConversion.pcm();
  ASSERT_NE(hour, nullptr);

  MakeClip(m_dir.File("tone.zrv"), {"--frames", "80", "--fps", "8", "--sound", "tone"});
  ASSERT_TRUE(Open(m_dir.File("tone.zrv")));
  const uint64_t stoppedAt = hour->ready.load();
  EXPECT_LT(stoppedAt, hour->frameCount);

  const std::shared_ptr<StreamedPcm> tone = w.session().soundConversion.pcm();
  ASSERT_NE(tone, nullptr);
  ASSERT_NE(tone, hour);
  EXPECT_EQ(tone->frameCount, 80000u);  // 10 s at 8000 Hz
  EXPECT_EQ(w.wave().GetLength(), 10000u);
  EXPECT_EQ(w.session().interval, 125u);
  const std::string wav = w.privateTempDir() + "/zrvplayer_tmp.wav";
  ASSERT_TRUE(WaitUntil([&] { return WavDataSize(wav) == 160000u; }));
  EXPECT_EQ(tone->ready.load(), tone->frameCount);
  EXPECT_EQ(ReadFile(wav).size(), 44u + 160000u);
  EXPECT_EQ(hour->ready.load(), stoppedAt);
}
