// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// The plugin's view of a clip without GStreamer: telling clips from lone
// pictures, and the frames, times and sound blocks it hands on.
#include <gtest/gtest.h>

#include <cstring>

#include "audio/amr_decoder.h"
#include "audio/amr_track.h"
#include "container/frame_file.h"
#include "demux/clip_layout.h"
#include "demux/clip_sniffer.h"
#include "tests/audio/amr_tracks.h"
#include "tests/gst/gst_clips.h"

namespace {

bool Sniff(const Bytes& bytes, bool lengthKnown = true) {
  const PeekBytes peek = [&](uint64_t offset, uint32_t size) -> const uint8_t* {
    return offset + size <= bytes.size() ? bytes.data() + offset : nullptr;
  };
  return LooksLikeClip(peek, lengthKnown ? bytes.size() : 0);
}

Bytes Concat(const Bytes& a, const Bytes& b) {
  Bytes out = a;
  out.insert(out.end(), b.begin(), b.end());
  return out;
}

Bytes FirstFrame(const TempDir& dir, const std::string& clip) {
  const std::string out = dir.File("frame0.jpg");
  EXPECT_EQ(RunProgram({BuiltProgram("zrvtool"), "frame", clip, "0", out}).exitCode, 0);
  return ReadFile(out);
}

// Frame k's stream put together from the clip's bytes.
Bytes FrameBytes(const Bytes& clip, const FrameStreamSpans& frame) {
  Bytes stream(clip.begin(), clip.begin() + frame.headLength);
  stream.insert(stream.end(), clip.begin() + frame.bodyOffset, clip.begin() + frame.bodyOffset + frame.bodyLength);
  return stream;
}

// Lays the clip out as the demuxer does from a file: read in pieces of at
// most `piece` bytes, each in a heap block of its own size that the next
// read frees (so that a read past it is caught by the sanitizer).
bool ReadInPieces(ClipLayout& layout, const Bytes& clip, uint32_t piece, std::string& why) {
  Bytes held;
  const ReadClipBytes read = [&](uint32_t offset, uint32_t size) -> const uint8_t* {
    EXPECT_LE(size, piece);
    EXPECT_LE(uint64_t(offset) + size, clip.size());
    held.assign(clip.begin() + offset, clip.begin() + offset + size);
    held.shrink_to_fit();
    return held.data();
  };
  return layout.Index(read, uint32_t(clip.size()), piece, why);
}

class ClipLayoutTest : public ::testing::Test {
 protected:
  TempDir dir;
};

TEST_F(ClipLayoutTest, ClipsOfBothLayoutsAreToldFromLonePictures) {
  const Bytes plain = ReadFile(MakeClip(dir, "plain.zrv", {"--frames", "3"}));
  const Bytes shared = ReadFile(MakeClip(dir, "shared.zrv", {"--frames", "3", "--layout", "shared-header"}));
  const Bytes oneWithSound = ReadFile(MakeClip(dir, "one.zrv", {"--frames", "1", "--sound", "tone"}));
  const Bytes picture = FirstFrame(dir, dir.File("plain.zrv"));
  EXPECT_TRUE(Sniff(plain));
  EXPECT_TRUE(Sniff(shared));
  EXPECT_TRUE(Sniff(oneWithSound));  // one picture, then "#!AMR"
  EXPECT_TRUE(Sniff(plain, false));  // a stream of unknown length
  EXPECT_FALSE(Sniff(picture));
  EXPECT_FALSE(Sniff(picture, false));
  // A picture with something else after it, or cut before its end.
  EXPECT_FALSE(Sniff(Concat(picture, Bytes{'h', 'e', 'l', 'l', 'o', '\n'})));
  EXPECT_FALSE(Sniff(Bytes(plain.begin(), plain.begin() + long(picture.size()) - 1)));
  EXPECT_FALSE(Sniff(Bytes(plain.begin() + 1, plain.end())));
  EXPECT_FALSE(Sniff(Bytes{}));
}

TEST_F(ClipLayoutTest, MultiPictureFilesStayPictures) {
  // A camera's multi-picture file is JPEG streams back to back too, but
  // says so in an APP2 "MPF" segment of its first picture.
  const Bytes picture = FirstFrame(dir, MakeClip(dir, "plain.zrv", {"--frames", "1"}));
  const Bytes mpf = {0xFF, 0xE2, 0x00, 0x08, 'M', 'P', 'F', 0x00, 0x00, 0x00};
  Bytes first(picture.begin(), picture.begin() + 2);
  first.insert(first.end(), mpf.begin(), mpf.end());
  first.insert(first.end(), picture.begin() + 2, picture.end());
  EXPECT_TRUE(Sniff(Concat(picture, picture)));
  EXPECT_FALSE(Sniff(Concat(first, picture)));
}

TEST_F(ClipLayoutTest, FramesAreTimedByTheSoundsLength) {
  // 40 frames and 5 s of sound (zrvtool's tone lasts as the frames at 8 a
  // second): each frame 125 ms.
  const Bytes clip = ReadFile(MakeClip(dir, "tone.zrv", {"--frames", "40", "--fps", "8", "--sound", "tone"}));
  ClipLayout layout;
  std::string why;
  ASSERT_TRUE(layout.Read(clip.data(), uint32_t(clip.size()), why)) << why;
  ASSERT_EQ(layout.frames(), 40u);
  EXPECT_TRUE(layout.soundPlayable());
  EXPECT_FALSE(layout.wideBand());
  EXPECT_EQ(layout.soundBlocks(), 250);
  EXPECT_EQ(layout.DurationNs(), 5000000000);
  EXPECT_EQ(layout.FrameStartNs(1), 125000000);
  EXPECT_EQ(layout.FrameStartNs(39), 4875000000);
  EXPECT_EQ(layout.FrameAt(0), 0u);
  EXPECT_EQ(layout.FrameAt(124999999), 0u);
  EXPECT_EQ(layout.FrameAt(125000000), 1u);
  EXPECT_EQ(layout.FrameAt(99000000000), 39u);
  int32_t num, den;
  layout.FrameRate(num, den);
  EXPECT_EQ(num, 8);
  EXPECT_EQ(den, 1);
  EXPECT_EQ(layout.width(), 176u);
  EXPECT_EQ(layout.height(), 144u);

  // The blocks cover the track after its magic exactly, and count as the
  // reader counts them.
  const Bytes track = SoundTrackOf(dir.File("tone.zrv"));
  uint32_t size;
  const uint32_t blocks = layout.SoundBlocks(0, layout.soundBlocks(), size);
  EXPECT_EQ(size, track.size() - 6);
  EXPECT_EQ(std::memcmp(clip.data() + layout.trackOffset() + blocks, track.data() + 6, size), 0);
  WriteFile(dir.File("track.amr"), track);
  EXPECT_EQ(CountAmrBlocks(dir.File("track.amr").c_str()), layout.soundBlocks());
}

TEST_F(ClipLayoutTest, UnevenRatiosKeepEveryFrameWithinANanosecondOfTheExactTime) {
  // 7 frames over 3 s: 428.571428... ms each.
  const std::string track = dir.File("three.amr");
  WriteFile(track, EncodeNarrowBand(TestSignal(3000, 8000), 7, false));
  const Bytes clip = ReadFile(MakeClip(dir, "seven.zrv", {"--frames", "7", "--sound", track}));
  ClipLayout layout;
  std::string why;
  ASSERT_TRUE(layout.Read(clip.data(), uint32_t(clip.size()), why));
  EXPECT_EQ(layout.DurationNs(), 3000000000);
  EXPECT_EQ(layout.FrameStartNs(1), 428571429);
  EXPECT_EQ(layout.FrameStartNs(6), 2571428571);
  int32_t num, den;
  layout.FrameRate(num, den);
  EXPECT_EQ(num, 7);
  EXPECT_EQ(den, 3);
}

TEST_F(ClipLayoutTest, WithoutSoundFramesLast200Ms) {
  const Bytes clip = ReadFile(MakeClip(dir, "silent.zrv", {"--frames", "6", "--layout", "shared-header"}));
  ClipLayout layout;
  std::string why;
  ASSERT_TRUE(layout.Read(clip.data(), uint32_t(clip.size()), why));
  EXPECT_TRUE(layout.sharedHeader());
  EXPECT_FALSE(layout.soundPlayable());
  EXPECT_EQ(layout.DurationNs(), 1200000000);
  EXPECT_EQ(layout.FrameStartNs(5), 1000000000);
  int32_t num, den;
  layout.FrameRate(num, den);
  EXPECT_EQ(num, 5);
  EXPECT_EQ(den, 1);
  // Later frames carry the first frame's header again, as zrvtool frame writes them.
  const std::string out = dir.File("frame3.jpg");
  ASSERT_EQ(RunProgram({BuiltProgram("zrvtool"), "frame", dir.File("silent.zrv"), "3", out}).exitCode, 0);
  EXPECT_EQ(FrameBytes(clip, layout.Frame(3)), ReadFile(out));
}

TEST_F(ClipLayoutTest, WideBandTracksAreDelimitedByTheirOwnSizes) {
  const Bytes clip = ReadFile(MakeWideBandClip(dir, "wb.zrv", 10, 2000));
  ClipLayout layout;
  std::string why;
  ASSERT_TRUE(layout.Read(clip.data(), uint32_t(clip.size()), why));
  EXPECT_TRUE(layout.soundPlayable());
  EXPECT_TRUE(layout.wideBand());
  EXPECT_EQ(layout.sampleRate(), 16000);
  EXPECT_EQ(layout.soundBlocks(), 100);
  EXPECT_EQ(layout.DurationNs(), 2000000000);
}

TEST_F(ClipLayoutTest, ReadInPiecesItEqualsTheLayoutOfTheWholeClip) {
  const std::vector<std::string> clips = {
      MakeClip(dir, "plain.zrv", {"--frames", "30", "--sound", "tone"}),
      MakeClip(dir, "shared.zrv", {"--frames", "30", "--layout", "shared-header", "--sound", "tone"}),
      MakeClip(dir, "silent.zrv", {"--frames", "12", "--layout", "shared-header"}),
      MakeWideBandClip(dir, "wb.zrv", 10, 2000)};
  for (const std::string& path : clips) {
    const Bytes clip = ReadFile(path);
    ClipLayout whole, pieces;
    std::string why;
    ASSERT_TRUE(whole.Read(clip.data(), uint32_t(clip.size()), why)) << path;
    // The smallest piece, one that cuts every frame, and one larger than the clip.
    for (uint32_t piece : {64u, 1000u, 1u << 20}) {
      ASSERT_TRUE(ReadInPieces(pieces, clip, piece, why)) << path << " " << why;
      ASSERT_EQ(pieces.frames(), whole.frames()) << path;
      EXPECT_EQ(pieces.sharedHeader(), whole.sharedHeader());
      EXPECT_EQ(pieces.DurationNs(), whole.DurationNs()) << path;
      EXPECT_EQ(pieces.soundBlocks(), whole.soundBlocks());
      EXPECT_EQ(pieces.soundPlayable(), whole.soundPlayable());
      // The size is looked for within a frame's first piece: past 64 bytes.
      EXPECT_EQ(pieces.width(), piece > 64 ? 176u : 0u) << path << " in pieces of " << piece;
      EXPECT_EQ(pieces.height(), piece > 64 ? 144u : 0u);
      for (uint32_t k = 0; k < whole.frames(); ++k) {
        ASSERT_EQ(FrameBytes(clip, pieces.Frame(k)), FrameBytes(clip, whole.Frame(k))) << path << " frame " << k;
        ASSERT_EQ(pieces.FrameStartNs(k), whole.FrameStartNs(k));
      }
    }
  }
  // Hostile bytes: junk between frames, pairs without pictures, a cut header.
  Bytes hostile = ReadFile(clips[1]);
  for (size_t at = 100; at + 4 < hostile.size(); at += 997) {
    hostile[at] = 0xFF;
    hostile[at + 1] = 0xD8;
  }
  for (const Bytes& bytes : {hostile, Bytes(hostile.begin(), hostile.begin() + 300), Bytes(70000, 0xFF)}) {
    ClipLayout whole, pieces;
    std::string whyWhole, whyPieces;
    const bool ok = whole.Read(bytes.data(), uint32_t(bytes.size()), whyWhole);
    ASSERT_EQ(ReadInPieces(pieces, bytes, 64, whyPieces), ok);
    EXPECT_EQ(whyPieces, whyWhole);
    if (!ok) continue;
    ASSERT_EQ(pieces.frames(), whole.frames());
    for (uint32_t k = 0; k < whole.frames(); ++k)
      ASSERT_EQ(FrameBytes(bytes, pieces.Frame(k)), FrameBytes(bytes, whole.Frame(k))) << "frame " << k;
    EXPECT_EQ(pieces.DurationNs(), whole.DurationNs());
  }
}

TEST(AmrTrackScan, InPiecesItDelimitsTheSameBlocks) {
  // Frames of every narrow-band type (each 1 type byte + payload), then a
  // stereo track, read in pieces that cut frames and type bytes anywhere.
  Bytes mono = {'#', '!', 'A', 'M', 'R', '\n'};
  const int payload[] = {12, 13, 15, 17, 19, 20, 26, 31, 5, 0, 0, 0, 0, 0, 0, 0};
  for (int i = 0; i < 400; ++i) {
    const int type = (i * 7) % 16;
    mono.push_back(uint8_t(type << 3 | 4));
    mono.insert(mono.end(), size_t(payload[type]), uint8_t(i));
  }
  mono.push_back(0x3C);  // cut short
  Bytes stereo = {'#', '!', 'A', 'M', 'R', '_', 'M', 'C', '1', '.', '0', '\n', 0, 0, 0, 2};
  for (int i = 0; i < 300; ++i) {
    stereo.push_back(0x3C);
    stereo.insert(stereo.end(), 31, 0x55);
    stereo.push_back(0x7C);
  }
  for (const Bytes* track : {&mono, &stereo}) {
    const AmrTrackLayout whole = ScanAmrTrack(track->data(), track->size());
    ASSERT_GT(whole.blocks(), 250);
    for (size_t piece : {size_t(64), size_t(65), size_t(333)}) {
      Bytes held;
      size_t reads = 0;
      const ReadTrackBytes read = [&](size_t offset, size_t size) -> const uint8_t* {
        EXPECT_LE(size, piece);
        EXPECT_LE(offset + size, track->size());
        ++reads;
        held.assign(track->begin() + long(offset), track->begin() + long(offset + size));
        held.shrink_to_fit();
        return held.data();
      };
      AmrTrackLayout pieces;
      ASSERT_TRUE(ScanAmrTrackInPieces(read, track->size(), piece, pieces));
      EXPECT_EQ(pieces.blockStarts, whole.blockStarts) << "pieces of " << piece;
      EXPECT_EQ(pieces.channels, whole.channels);
      EXPECT_LE(reads, track->size() / piece + 2);  // front to back, each byte once
      // A read that fails fails the scan.
      size_t left = reads - 1;
      const ReadTrackBytes failing = [&](size_t offset, size_t size) -> const uint8_t* {
        return left-- == 0 ? nullptr : read(offset, size);
      };
      EXPECT_FALSE(ScanAmrTrackInPieces(failing, track->size(), piece, pieces));
    }
  }
}

TEST(AmrTrackScan, DropsATruncatedLastBlockAndReadsMultichannelFields) {
  Bytes track = {'#', '!', 'A', 'M', 'R', '\n', 0x3C};
  track.resize(track.size() + 31, 0x11);  // one 12.2 kbit/s frame
  track.push_back(0x7C);                  // one no-data frame
  track.push_back(0x3C);                  // a frame cut short
  track.resize(track.size() + 5, 0x22);
  AmrTrackLayout layout = ScanAmrTrack(track.data(), track.size());
  EXPECT_EQ(layout.blocks(), 2);
  EXPECT_EQ(layout.samples(), 320);
  EXPECT_EQ(layout.blockStarts, (std::vector<uint32_t>{6, 38, 39}));

  const Bytes stereo = {'#', '!', 'A', 'M', 'R', '_', 'M', 'C', '1', '.', '0', '\n', 0, 0, 0, 2, 0x7C, 0x7C, 0x7C};
  layout = ScanAmrTrack(stereo.data(), stereo.size());
  EXPECT_EQ(layout.channels, 2);
  EXPECT_EQ(layout.blocks(), 1);  // the third frame is half a block

  const Bytes noChannels = {'#', '!', 'A', 'M', 'R', '_', 'M', 'C', '1', '.', '0', '\n', 0, 0, 0, 0, 0x7C};
  EXPECT_FALSE(ScanAmrTrack(noChannels.data(), noChannels.size()).known());
  const Bytes lower = {'#', '!', 'a', 'm', 'r', '\n'};
  EXPECT_FALSE(ScanAmrTrack(lower.data(), lower.size()).known());
}

TEST_F(ClipLayoutTest, BytesWithoutAPictureAreRefusedWithAReason) {
  const Bytes junk(4096, 0x41);
  ClipLayout layout;
  std::string why;
  EXPECT_FALSE(layout.Read(junk.data(), uint32_t(junk.size()), why));
  EXPECT_NE(why.find("not a ZRV clip"), std::string::npos);
  Bytes soundFirst = {'#', '!', 'A', 'M', 'R', '\n'};
  soundFirst.resize(64, 0x7C);
  soundFirst.insert(soundFirst.end(), {0xFF, 0xD8, 0xFF, 0xE0});
  soundFirst.resize(128, 0);
  why.clear();
  EXPECT_FALSE(layout.Read(soundFirst.data(), uint32_t(soundFirst.size()), why));
  EXPECT_NE(why.find("sound track"), std::string::npos);
}

}  // namespace
