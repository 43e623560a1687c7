// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "audio/amr_reader.h"
#include "audio/amr_track.h"
#include "tests/audio/amr_tracks.h"

namespace {

Bytes Track(const std::string& magic, const Bytes& body = {}, const Bytes& more = {}) {
  Bytes b(magic.begin(), magic.end());
  b.insert(b.end(), body.begin(), body.end());
  b.insert(b.end(), more.begin(), more.end());
  return b;
}

int OpenDescriptors() {
  int n = 0;
  for ([[maybe_unused]] auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) ++n;
  return n;
}

// Opens `bytes` as a file and counts the complete blocks.
int CountBlocks(const Bytes& bytes) {
  TempDir dir;
  WriteFile(dir.File("t.amr"), bytes);
  AmrReader* reader = AmrOpen(dir.File("t.amr").c_str());
  if (!reader) return -1;
  int blocks = 0;
  while (AmrReadBlock(reader)) ++blocks;
  AmrClose(reader);
  return blocks;
}

}  // namespace

TEST(AmrOpen, KnowsTheFourMagics) {
  TempDir dir;
  struct Case {
    Bytes file;
    int32_t format;
    int channels;
    int sampleRate;
  } cases[] = {
      {Track("#!AMR\n"), amrNarrowBand, 1, 8000},
      {Track("#!AMR-WB\n"), amrWideBand, 1, 16000},
      {Track("#!AMR_MC1.0\n", {0, 0, 0, 2}), amrNarrowBandMulti, 2, 8000},
      {Track("#!AMR-WB_MC1.0\n", {0, 0, 0, 6}), amrWideBandMulti, 6, 16000},
  };
  for (const Case& c : cases) {
    WriteFile(dir.File("t.amr"), c.file);
    AmrReader* reader = AmrOpen(dir.File("t.amr").c_str());
    ASSERT_NE(reader, nullptr) << c.format;
    EXPECT_EQ(reader->format, c.format);
    EXPECT_EQ(reader->channels, c.channels);
    EXPECT_EQ(reader->sampleRate, c.sampleRate);
    // The magic (and channel field) alone: no block.
    EXPECT_EQ(AmrReadBlock(reader), 0);
    EXPECT_NE(AmrClose(reader), 0);
  }
}

TEST(AmrOpen, RefusesOtherFilesAndLeavesNothingOpen) {
  TempDir dir;
  const Bytes refused[] = {
      {},
      Track("#!AM"),                    // shorter than every magic
      Track("#!amr\n"),                 // case matters
      Track("#!AMR"),                   // line feed missing
      Track("RIFF....WAVEfmt "),
      Track("#!AMR_MC1.0\n", {0, 0, 0, 0}),  // no channel
      Track("#!AMR_MC1.0\n", {0, 0, 0, 7}),  // more than the record holds
      Track("#!AMR-WB_MC1.0\n", {0, 0, 1, 2}),
      Track("#!AMR_MC1.0\n", {0, 0, 0}),     // channel field cut short
  };
  const int before = OpenDescriptors();
  for (const Bytes& file : refused) {
    WriteFile(dir.File("t.amr"), file);
    EXPECT_EQ(AmrOpen(dir.File("t.amr").c_str()), nullptr) << std::string(file.begin(), file.end());
  }
  EXPECT_EQ(AmrOpen(dir.File("missing.amr").c_str()), nullptr);
  EXPECT_EQ(AmrOpen(dir.path().c_str()), nullptr);
  EXPECT_EQ(OpenDescriptors(), before);
}

TEST(AmrReadBlock, DelimitsNarrowBandFramesByType) {
  // Type byte, payload bytes for each of the sixteen frame types.
  const size_t payload[16] = {12, 13, 15, 17, 19, 20, 26, 31, 5, 0, 0, 0, 0, 0, 0, 0};
  for (int type = 0; type < 16; ++type) {
    for (uint8_t extraBits : {uint8_t(0x04), uint8_t(0x00), uint8_t(0x83)}) {  // Q, padding ignored
      Bytes frame(1 + payload[type], 0x55);
      frame[0] = uint8_t(type << 3 | extraBits);
      Bytes body = frame;
      body.insert(body.end(), frame.begin(), frame.end());
      EXPECT_EQ(CountBlocks(Track("#!AMR\n", body)), 2) << type;
      body.pop_back();  // the second frame one byte short
      EXPECT_EQ(CountBlocks(Track("#!AMR\n", body)), 1) << type;
    }
  }
}

TEST(AmrReadBlock, TheEdgeFramesOfTheNarrowBandTable) {
  EXPECT_EQ(CountBlocks(Track("#!AMR\n", {0x7C})), 1);  // no data: type byte alone
  Bytes speech(32, 0x11);
  speech[0] = 0x3C;  // 12.2 kbit/s: 31 payload bytes
  EXPECT_EQ(CountBlocks(Track("#!AMR\n", speech)), 1);
  speech.pop_back();
  EXPECT_EQ(CountBlocks(Track("#!AMR\n", speech)), 0);
  EXPECT_EQ(CountBlocks(Track("#!AMR\n", {0x44, 1, 2, 3, 4, 5, 0x4C})), 2);  // SID 5 bytes, type 9 none
}

TEST(AmrReadBlock, DelimitsWideBandFramesByTheirOwnTable) {
  const size_t payload[16] = {17, 23, 32, 36, 40, 46, 50, 58, 60, 5, 0, 0, 0, 0, 0, 0};
  for (int type = 0; type < 16; ++type) {
    Bytes frame(1 + payload[type], 0x66);
    frame[0] = uint8_t(type << 3 | 4);
    Bytes body = frame;
    body.insert(body.end(), frame.begin(), frame.end());
    EXPECT_EQ(CountBlocks(Track("#!AMR-WB\n", body)), 2) << type;
    body.pop_back();
    EXPECT_EQ(CountBlocks(Track("#!AMR-WB\n", body)), 1) << type;
  }
}

TEST(AmrReadBlock, LeavesEachChannelsFrameInItsBuffer) {
  TempDir dir;
  // Two channels; block 1 has a 12.2 kbit/s frame and a SID frame, block 2
  // two no-data frames, then half a block.
  Bytes body;
  Bytes speech(32);
  speech[0] = 0x3C;
  for (int i = 1; i < 32; ++i) speech[size_t(i)] = uint8_t(i);
  const Bytes sid = {0x44, 9, 8, 7, 6, 5};
  body.insert(body.end(), speech.begin(), speech.end());
  body.insert(body.end(), sid.begin(), sid.end());
  body.insert(body.end(), {0x7C, 0x7C, 0x3C});
  WriteFile(dir.File("t.amr"), Track("#!AMR_MC1.0\n", {0, 0, 0, 2}, body));
  AmrReader* reader = AmrOpen(dir.File("t.amr").c_str());
  ASSERT_NE(reader, nullptr);
  ASSERT_EQ(reader->channels, 2);
  EXPECT_EQ(reader->frame[1] - reader->frame[0], AMR_NB_FRAME_STRIDE);

  ASSERT_EQ(AmrReadBlock(reader), 1);
  EXPECT_EQ(Bytes(reader->frame[0], reader->frame[0] + 32), speech);
  EXPECT_EQ(Bytes(reader->frame[1], reader->frame[1] + 6), sid);
  ASSERT_EQ(AmrReadBlock(reader), 1);
  EXPECT_EQ(reader->frame[0][0], 0x7C);
  EXPECT_EQ(reader->frame[1][0], 0x7C);
  EXPECT_EQ(AmrReadBlock(reader), 0);
  EXPECT_NE(AmrClose(reader), 0);
}

TEST(AmrReadBlock, WideBandBuffersHoldTheLargestFrame) {
  TempDir dir;
  Bytes body;
  for (uint8_t channel = 0; channel < 3; ++channel) {
    Bytes frame(61, channel);
    frame[0] = 8 << 3 | 4;  // 23.85 kbit/s: 60 payload bytes
    body.insert(body.end(), frame.begin(), frame.end());
  }
  WriteFile(dir.File("t.amr"), Track("#!AMR-WB_MC1.0\n", {0, 0, 0, 3}, body));
  AmrReader* reader = AmrOpen(dir.File("t.amr").c_str());
  ASSERT_NE(reader, nullptr);
  ASSERT_EQ(AmrReadBlock(reader), 1);
  for (int k = 0; k < 3; ++k) {
    EXPECT_EQ(reader->frame[k] - reader->frame[0], k * AMR_WB_FRAME_STRIDE);
    EXPECT_EQ(reader->frame[k][0], 8 << 3 | 4);
    EXPECT_EQ(reader->frame[k][60], k) << "channel " << k;
  }
  AmrClose(reader);
}

// Counting in memory, from the type bytes alone, gives what the reader
// delivers block by block from a file, for real encoder output of every
// kind (with comfort noise and no-data frames), multichannel files and
// every truncation.
TEST(AmrCountBlocks, AgreesWithTheReaderOnEveryKindAndEveryCut) {
  const Samples speech = TestSignal(700, 8000);
  std::vector<Bytes> tracks = {
      EncodeNarrowBand(speech, 7, false),
      EncodeNarrowBand(speech, {0, 3, 5, 7}, true),
      EncodeWideBand(TestSignal(700, 16000), 2, true),
      Track("#!AMR_MC1.0\n", {0, 0, 0, 3}, {0x3C, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 0x7C, 0x44}),
      Track("#!AMR\n", Bytes(300, 0x7C)),
  };
  for (size_t t = 0; t < tracks.size(); ++t) {
    const Bytes& track = tracks[t];
    for (size_t cut : {track.size(), track.size() - 1, track.size() / 2, size_t(9), size_t(3)}) {
      const Bytes part(track.begin(), track.begin() + long(std::min(cut, track.size())));
      EXPECT_EQ(AmrCountBlocks(part.data(), part.size()), CountBlocks(part)) << "track " << t << " cut " << cut;
    }
  }
  EXPECT_EQ(AmrCountBlocks(tracks[4].data(), tracks[4].size()), 300);
  const Bytes noChannels = Track("#!AMR_MC1.0\n", {0, 0, 0, 0}, {0x3C});
  EXPECT_EQ(AmrCountBlocks(noChannels.data(), noChannels.size()), -1);
  const Bytes text = Track("hello, world");
  EXPECT_EQ(AmrCountBlocks(text.data(), text.size()), -1);
}

// A track read from memory delivers the same blocks, byte for byte, as the
// same bytes read from a file, and is refused alike.
TEST(AmrOpenMemory, DeliversWhatTheFileReaderDelivers) {
  const Samples speech = TestSignal(700, 8000);
  const std::vector<Bytes> tracks = {
      EncodeNarrowBand(speech, {0, 3, 5, 7}, true),
      EncodeWideBand(TestSignal(700, 16000), 2, true),
      Track("#!AMR_MC1.0\n", {0, 0, 0, 3}, {0x3C, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 0x7C, 0x44}),
      Track("#!AMR_MC1.0\n", {0, 0, 0, 0}, {0x3C}),  // no channels
      Track("#!AMR_MC1.0\n", {0, 0}),                 // channel count cut short
      Track("hello, world"),
  };
  TempDir dir;
  for (size_t t = 0; t < tracks.size(); ++t) {
    const Bytes& track = tracks[t];
    for (size_t cut : {track.size(), track.size() - 1, track.size() / 2, size_t(7)}) {
      SCOPED_TRACE("track " + std::to_string(t) + " cut " + std::to_string(cut));
      const Bytes part(track.begin(), track.begin() + long(std::min(cut, track.size())));
      WriteFile(dir.File("t.amr"), part);
      AmrReader* file = AmrOpen(dir.File("t.amr").c_str());
      AmrReader* memory = AmrOpenMemory(part.data(), part.size());
      ASSERT_EQ(memory != nullptr, file != nullptr);
      if (!file) continue;
      EXPECT_EQ(memory->fd, -1);
      ASSERT_EQ(memory->format, file->format);
      ASSERT_EQ(memory->channels, file->channels);
      EXPECT_EQ(memory->sampleRate, file->sampleRate);
      int blocks = 0;
      for (;; ++blocks) {
        const int fromFile = AmrReadBlock(file);
        ASSERT_EQ(AmrReadBlock(memory), fromFile) << "block " << blocks;
        if (!fromFile) break;
        for (int k = 0; k < file->channels; ++k) {
          const size_t size = 1 + size_t(AmrPayloadBytes(file->format, AmrFrameType(file->frame[k][0])));
          ASSERT_EQ(Bytes(memory->frame[k], memory->frame[k] + size), Bytes(file->frame[k], file->frame[k] + size));
        }
      }
      EXPECT_EQ(blocks, AmrCountBlocks(part.data(), part.size()));
      EXPECT_EQ(AmrClose(memory), 1);
      AmrClose(file);
    }
  }
  EXPECT_EQ(AmrOpenMemory(nullptr, 0), nullptr);
}
