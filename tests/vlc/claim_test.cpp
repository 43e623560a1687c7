// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// Which streams the VLC module takes: clips by their bytes, with the file
// name as a hint, and everything else left to VLC's own demuxers.
#include <gtest/gtest.h>

#include "tests/gst/gst_clips.h"
#include "vlc/clip_demuxer.h"

namespace {

Bytes Concat(const Bytes& a, const Bytes& b) {
  Bytes out = a;
  out.insert(out.end(), b.begin(), b.end());
  return out;
}

bool Claims(const Bytes& bytes, const std::string& path, bool forced = false) {
  int peeks = 0;
  const PeekBytes peek = [&](uint64_t offset, uint32_t size) -> const uint8_t* {
    ++peeks;
    return offset + size <= bytes.size() ? bytes.data() + offset : nullptr;
  };
  const bool claimed = ClaimStream(peek, bytes.size(), StreamHints{path, forced});
  // A claim comes from the bytes, never from the name alone.
  if (claimed) {
    EXPECT_GT(peeks, 0) << path;
  }
  return claimed;
}

TEST(VlcClaim, ClipsByTheirBytesOthersLeftToVlc) {
  TempDir dir;
  const Bytes plain = ReadFile(MakeClip(dir, "plain.zrv", {"--frames", "3"}));
  const Bytes shared = ReadFile(MakeClip(dir, "shared.zrv", {"--frames", "3", "--layout", "shared-header"}));
  const Bytes single = ReadFile(MakeClip(dir, "one.zrv", {"--frames", "1"}));
  const Bytes withSound = ReadFile(MakeClip(dir, "tone.zrv", {"--frames", "1", "--sound", "tone"}));
  ASSERT_FALSE(plain.empty());
  ASSERT_FALSE(single.empty());
  const Bytes amr = Bytes(withSound.begin() + ptrdiff_t(single.size()), withSound.end());
  ASSERT_EQ(amr[0], '#');
  Bytes motionPhoto = Concat(single, {0, 0, 0, 24, 'f', 't', 'y', 'p', 'm', 'p', '4', '2'});
  Bytes garbage(4096, 0x5A);
  garbage[0] = 0xFF;
  garbage[1] = 0xD8;

  const struct {
    const char* what;
    const Bytes& bytes;
    std::string path;
    bool forced;
    bool claimed;
  } cases[] = {
      {"plain clip", plain, "/v/a.zrv", false, true},
      {"shared-header clip", shared, "/v/a.gzrv", false, true},
      {"clip under another name", plain, "/v/a.jpg", false, true},
      {"clip without a name", withSound, "", false, true},
      {"one-frame clip named as a clip", single, "/v/a.zrv", false, true},
      {"lone JPEG picture", single, "/v/a.jpg", false, false},
      {"JPEG pictures named as motion JPEG", plain, "/v/a.mjpg", false, false},
      {"motion JPEG when the user asks for clips", plain, "/v/a.mjpeg", true, true},
      {"multi-picture file", plain, "/v/a.MPO", false, false},
      {"motion photo", motionPhoto, "/v/a.jpg", false, false},
      {"AMR file", amr, "/v/a.amr", false, false},
      {"AMR file named as a clip", amr, "/v/a.zrv", false, false},
      {"JPEG start and garbage named as a clip", garbage, "/v/a.zrv", false, false},
  };
  for (const auto& c : cases) EXPECT_EQ(Claims(c.bytes, c.path, c.forced), c.claimed) << c.what;
}

TEST(VlcClaim, TitleIsTheFileNameWithoutExtension) {
  const struct {
    const char* path;
    const char* title;
  } cases[] = {{"/home/u/Videos/party.zrv", "party"},
               {"clip.2006.gzrv", "clip.2006"},
               {"/a.b/noextension", "noextension"},
               {"/v/.hidden", ".hidden"}};
  for (const auto& c : cases) EXPECT_EQ(TitleOf(c.path), c.title) << c.path;
}

}  // namespace

namespace {

// The picture of a one-frame clip with its frame header saying width x height.
Bytes Declaring(const Bytes& picture, uint16_t width, uint16_t height) {
  Bytes patched = picture;
  for (size_t i = 0; i + 9 < patched.size(); ++i)
    if (patched[i] == 0xFF && patched[i + 1] == 0xC0) {
      patched[i + 5] = uint8_t(height >> 8), patched[i + 6] = uint8_t(height);
      patched[i + 7] = uint8_t(width >> 8), patched[i + 8] = uint8_t(width);
      return patched;
    }
  ADD_FAILURE() << "no frame header";
  return patched;
}

TEST(VlcClaim, PicturesTooLargeForTheDecoderAreKnownByTheirHeader) {
  TempDir dir;
  const Bytes picture = ReadFile(MakeClip(dir, "one.zrv", {"--frames", "1", "--size", "16x16"}));
  ASSERT_FALSE(picture.empty());
  const struct {
    uint16_t width, height;
    bool fits;
  } cases[] = {{16, 16, true}, {4096, 4096, true}, {4097, 4096, false}, {8192, 8192, false}, {65500, 1024, false}};
  for (const auto& c : cases) {
    const Bytes patched = Declaring(picture, c.width, c.height);
    EXPECT_EQ(PictureFitsDecoder(patched.data(), patched.size()), c.fits) << c.width << " x " << c.height;
  }
}

}  // namespace
