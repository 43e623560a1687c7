// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
#include <gtest/gtest.h>

#include <string>

#include "tests/support/test_support.h"

namespace {

struct Pixmap {
  int width = 0, height = 0;
  Bytes rgb;
  uint32_t At(int x, int y) const {
    const size_t i = (size_t(y) * width + x) * 3;
    return uint32_t(rgb[i]) << 16 | uint32_t(rgb[i + 1]) << 8 | rgb[i + 2];
  }
};

// A P6 file with the header "P6\nW H\n255\n", as render writes it.
Pixmap ReadPixmap(const std::string& path) {
  Bytes b = ReadFile(path);
  Pixmap p;
  std::string text(b.begin(), b.begin() + std::min<size_t>(b.size(), 32));
  int headerLength = 0;
  if (std::sscanf(text.c_str(), "P6\n%d %d\n255\n%n", &p.width, &p.height, &headerLength) != 2)
    return {};
  p.rgb.assign(b.begin() + headerLength, b.end());
  return p;
}

}  // namespace

TEST(ZrvtoolRender, DrawsAsThePlayerWindowDoes) {
  TempDir dir;
  const std::string clip = dir.File("a.zrv");
  ASSERT_EQ(RunProgram({BuiltProgram("zrvtool"), "make", "--frames", "3", clip}).exitCode, 0);

  // Fit: black bars at x 0..41 and 306..347, the picture between them.
  ProgramResult r = RunProgram({BuiltProgram("zrvtool"), "render", clip, "1", "--size", "348x216",
                                "--zoom", "fit", dir.File("fit.ppm")});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  Pixmap fit = ReadPixmap(dir.File("fit.ppm"));
  ASSERT_EQ(fit.width, 348);
  ASSERT_EQ(fit.height, 216);
  ASSERT_EQ(fit.rgb.size(), size_t(348) * 216 * 3);
  for (int y = 0; y < 216; y += 7) {
    EXPECT_EQ(fit.At(0, y), 0u);
    EXPECT_EQ(fit.At(41, y), 0u);
    EXPECT_EQ(fit.At(306, y), 0u);
    EXPECT_EQ(fit.At(347, y), 0u);
  }

  // Actual size in a larger area: bars on all four sides, picture in the middle.
  r = RunProgram({BuiltProgram("zrvtool"), "render", clip, "1", "--size", "400x300",
                  dir.File("normal.ppm")});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  Pixmap normal = ReadPixmap(dir.File("normal.ppm"));
  EXPECT_EQ(normal.At(0, 0), 0u);
  EXPECT_EQ(normal.At(399, 299), 0u);
  EXPECT_NE(normal.At(200, 150), 0x808080u);

  // A picture one pixel narrower than the area: that column keeps the grey.
  r = RunProgram({BuiltProgram("zrvtool"), "render", clip, "1", "--size", "177x144",
                  dir.File("grey.ppm")});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  Pixmap grey = ReadPixmap(dir.File("grey.ppm"));
  for (int y = 0; y < 144; ++y) EXPECT_EQ(grey.At(176, y), 0x808080u) << y;

  EXPECT_EQ(RunProgram({BuiltProgram("zrvtool"), "render", clip, "3", "--size", "10x10",
                        dir.File("x.ppm")}).exitCode, 1);
  EXPECT_EQ(RunProgram({BuiltProgram("zrvtool"), "render", clip, "0", dir.File("x.ppm")}).exitCode, 2);
  EXPECT_EQ(RunProgram({BuiltProgram("zrvtool"), "render", clip, "0", "--size", "9", dir.File("x.ppm")})
                .exitCode, 2);
  EXPECT_FALSE(FileExists(dir.File("x.ppm")));
}
