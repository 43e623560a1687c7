// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

#include "container/clip_reading.h"
#include "tests/support/test_support.h"

namespace {

// A plain clip of `frames` frames of `frameBytes` bytes each, then a track.
Bytes PlainClip(uint32_t frames, size_t frameBytes) {
  Bytes b;
  for (uint32_t k = 0; k < frames; ++k) {
    Bytes frame(frameBytes, uint8_t(k * 13 + 1));
    frame[0] = 0xFF, frame[1] = 0xD8, frame[2] = 0xFF, frame[3] = 0xE0;
    b.insert(b.end(), frame.begin(), frame.end());
  }
  const std::string track = "#!AMR\n";
  b.insert(b.end(), track.begin(), track.end());
  b.resize(b.size() + 3000, 0x3C);
  return b;
}

void ExpectSameIndex(const FrameIndex& a, const FrameIndex& b) {
  ASSERT_EQ(a.frameCount, b.frameCount);
  for (uint32_t k = 0; k <= a.frameCount; ++k) ASSERT_EQ(a.frameOffsets[k], b.frameOffsets[k]) << k;
  EXPECT_EQ(a.hasSound, b.hasSound);
  EXPECT_EQ(a.audioStart, b.audioStart);
  EXPECT_EQ(a.audioEnd, b.audioEnd);
}

// Waits for a background reading's end.
struct Done {
  std::mutex lock;
  std::condition_variable changed;
  int calls = 0;
  ReadStatus status = ReadStatus::noMemory;

  std::function<void(ReadStatus)> Callback() {
    return [this](ReadStatus s) {
      std::lock_guard<std::mutex> hold(lock);
      ++calls;
      status = s;
      changed.notify_all();
    };
  }
  bool Wait() {
    std::unique_lock<std::mutex> hold(lock);
    return changed.wait_for(hold, std::chrono::seconds(20), [&] { return calls > 0; });
  }
};

}  // namespace

// The first frame, then the rest in the background: the bytes and the index
// come out as reading the file whole gives them, sound track included.
TEST(ClipReading, FirstFrameThenTheRestGivesTheWholeClip) {
  TempDir dir;
  const Bytes clip = PlainClip(900, 3001);  // past several pieces
  WriteFile(dir.File("clip.zrv"), clip);
  static FrameIndex whole, first, rest;
  BuildFrameIndex(clip.data(), uint32_t(clip.size()), whole);

  FileBlock block;
  ClipReading reading;
  ASSERT_TRUE(reading.Open(dir.File("clip.zrv")));
  EXPECT_EQ(reading.length(), clip.size());
  ASSERT_EQ(reading.Allocate(block), ReadStatus::ok);
  ASSERT_EQ(reading.ReadFirstFrame(first), ReadStatus::ok);
  ASSERT_EQ(first.frameCount, 1u);
  EXPECT_EQ(first.frameOffsets[1], 3001u);
  // The first frame's bytes are there, and far from the whole file was read.
  EXPECT_TRUE(std::equal(clip.begin(), clip.begin() + 3001, block.data()));
  EXPECT_EQ(block.data()[clip.size() - 1], 0);

  Done done;
  reading.ReadRestInBackground(rest, done.Callback());
  ASSERT_TRUE(done.Wait());
  EXPECT_EQ(done.status, ReadStatus::ok);
  ExpectSameIndex(rest, whole);
  EXPECT_TRUE(std::equal(clip.begin(), clip.end(), block.data()));
}

// A file cut short after it was opened: the reading says so, and what it
// read stays a copy that nothing can pull away.
TEST(ClipReading, AFileThatShrinksIsAShortRead) {
  TempDir dir;
  const Bytes clip = PlainClip(600, 4000);
  WriteFile(dir.File("clip.zrv"), clip);
  FileBlock block;
  static FrameIndex first, rest;
  ClipReading reading;
  ASSERT_TRUE(reading.Open(dir.File("clip.zrv")));
  ASSERT_EQ(reading.Allocate(block), ReadStatus::ok);
  ASSERT_EQ(reading.ReadFirstFrame(first), ReadStatus::ok);
  ASSERT_EQ(::truncate(dir.File("clip.zrv").c_str(), 100000), 0);
  EXPECT_EQ(reading.ReadRest(rest), ReadStatus::shortRead);
  EXPECT_TRUE(std::equal(clip.begin(), clip.begin() + 100000, block.data()));
}

TEST(ClipReading, RefusesWhatIsNotARegularFileAndStopsWhenCancelled) {
  TempDir dir;
  ClipReading reading;
  EXPECT_FALSE(reading.Open(dir.File("missing.zrv")));
  EXPECT_FALSE(reading.Open(dir.path()));
  ASSERT_EQ(::mkfifo(dir.File("pipe.zrv").c_str(), 0600), 0);
  EXPECT_FALSE(reading.Open(dir.File("pipe.zrv")));

  // Cancelled: the callback is not called after it (it may have come before,
  // on a fast machine), and a new reading starts clean.
  const Bytes clip = PlainClip(3000, 4000);
  WriteFile(dir.File("clip.zrv"), clip);
  FileBlock block;
  static FrameIndex rest;
  Done done;
  ASSERT_TRUE(reading.Open(dir.File("clip.zrv")));
  ASSERT_EQ(reading.Allocate(block), ReadStatus::ok);
  reading.ReadRestInBackground(rest, done.Callback());
  reading.Cancel();
  const int callsAtCancel = done.calls;
  ::usleep(100000);
  EXPECT_EQ(done.calls, callsAtCancel);
  ASSERT_TRUE(reading.Open(dir.File("clip.zrv")));
  ASSERT_EQ(reading.Allocate(block), ReadStatus::ok);
  EXPECT_EQ(reading.ReadRest(rest), ReadStatus::ok);
  EXPECT_EQ(rest.frameCount, 3000u);
}
