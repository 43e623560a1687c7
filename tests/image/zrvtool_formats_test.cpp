// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// zrvtool picture on bitmaps, GIFs and PNGs that ImageMagick writes from its
// built-in pictures, against what ImageMagick decodes from the same files.
#include <gtest/gtest.h>

#include <string>

#include "image/dib_block.h"
#include "tests/image/picture_files.h"

namespace {

struct FormatCase {
  const char* name;  // the file name; its extension picks the class
  std::vector<std::string> convertArgs;  // the output path is appended
  // What the file must be, so that the case tests what it says.
  int bmpBits = 0;        // bit count of a bitmap
  int bmpHeader = 0;      // its header size (and, for 40 bytes, the compression by the name)
  int pngColourType = -1;
  int pngBitDepth = 0;
  bool interlaced = false;
};

const FormatCase kCases[] = {
    {"rose24.bmp", {"rose:", "-type", "TrueColor", "BMP3:"}, 24, 40},
    {"rose8.bmp", {"rose:", "-type", "Palette", "-compress", "None", "BMP3:"}, 8, 40},
    {"rose4.bmp", {"rose:", "-colors", "16", "-type", "Palette", "-compress", "None", "BMP3:"}, 4, 40},
    {"logo1.bmp", {"logo:", "-resize", "30%", "-monochrome", "BMP3:"}, 1, 40},
    {"wizard.bmp", {"wizard:", "-resize", "40%", "-type", "TrueColor", "BMP:"}, 24, 124},
    {"core8.bmp", {"rose:", "-type", "Palette", "BMP2:"}, 8, 12},
    {"core4.bmp", {"rose:", "-colors", "16", "-type", "Palette", "BMP2:"}, 4, 12},
    {"rose.gif", {"rose:", "GIF:"}},
    {"wizard.gif", {"wizard:", "GIF:"}},
    {"interlaced.gif", {"logo:", "-resize", "50%", "-interlace", "GIF", "GIF:"}, 0, 0, -1, 0, true},
    {"transparent.gif", {"logo:", "-resize", "30%", "-transparent", "white", "GIF:"}},
    {"palette.png", {"rose:", "PNG8:"}, 0, 0, 3, 8},
    {"palette-alpha.png", {"logo:", "-resize", "30%", "-transparent", "white", "PNG8:"}, 0, 0, 3, 8},
    {"grey.png", {"rose:", "-colorspace", "Gray", "-define", "png:color-type=0", "PNG:"}, 0, 0, 0, 8},
    {"grey16.png", {"rose:", "-colorspace", "Gray", "-depth", "16", "-define", "png:color-type=0", "PNG:"}, 0, 0, 0, 16},
    {"grey-alpha.png", {"-size", "20x12", "gradient:black-white", "(", "-size", "20x12", "gradient:white-black", ")", "-alpha", "off", "-compose", "CopyOpacity", "-composite", "-depth", "8", "PNG:"}, 0, 0, 4, 8},
    {"grey-alpha16.png", {"-size", "20x12", "gradient:black-white", "(", "-size", "20x12", "gradient:white-black", ")", "-alpha", "off", "-compose", "CopyOpacity", "-composite", "PNG:"}, 0, 0, 4, 16},
    {"rle8.bmp", {"rose:", "-type", "Palette", "-compress", "RLE", "BMP3:"}, 8, 40},
    {"rgb.png", {"rose:", "PNG24:"}, 0, 0, 2, 8},
    {"rgba.png", {"logo:", "-resize", "30%", "-transparent", "white", "PNG32:"}, 0, 0, 6, 8},
    {"rgb16.png", {"wizard:", "-resize", "30%", "PNG48:"}, 0, 0, 2, 16},
    {"rgba16.png", {"logo:", "-resize", "30%", "-transparent", "white", "PNG64:"}, 0, 0, 6, 16},
    {"interlaced.png", {"wizard:", "-resize", "30%", "-interlace", "PNG", "PNG24:"}, 0, 0, 2, 8, true},
};

std::string Extension(const std::string& name) { return name.substr(name.rfind('.') + 1); }

// The RGB that the player should show for what ImageMagick decoded.
TestPicture Expected(const FormatCase& c, const RgbaPicture& decoded) {
  const std::string ext = Extension(c.name);
  if (ext == "png") return BlendOver(decoded, 31, 127, 255);
  // GIF: the transparent entry is black; bitmaps have no alpha.
  TestPicture out = BlendOver(decoded, 0, 0, 0);
  return out;
}

void CheckFileIsWhatTheCaseSays(const FormatCase& c, const Bytes& file) {
  if (c.bmpBits) {
    ASSERT_GT(file.size(), 30u);
    EXPECT_EQ(LoadLE32(&file[14]), uint32_t(c.bmpHeader));
    EXPECT_EQ(c.bmpHeader == 12 ? LoadLE16(&file[24]) : LoadLE16(&file[28]), c.bmpBits);
    if (c.bmpHeader == 40) {
      const bool runs = std::string(c.name).rfind("rle", 0) == 0;
      EXPECT_EQ(LoadLE32(&file[30]), runs ? (c.bmpBits == 8 ? 1u : 2u) : 0u);
    }
  }
  if (c.pngColourType >= 0) {
    ASSERT_GT(file.size(), 29u);
    EXPECT_EQ(file[24], c.pngBitDepth);
    EXPECT_EQ(file[25], c.pngColourType);
    EXPECT_EQ(file[28] != 0, c.interlaced);
  }
  if (Extension(c.name) == "gif") {
    ASSERT_GT(file.size(), 13u);
    EXPECT_EQ(std::string(file.begin(), file.begin() + 6), "GIF89a");
  }
}

TEST(ZrvtoolPicture, OtherFormatsMatchImageMagick) {
  TempDir dir;
  for (const FormatCase& c : kCases) {
    SCOPED_TRACE(c.name);
    const std::string path = dir.File(c.name);
    std::vector<std::string> args = c.convertArgs;
    args.back() += path;
    Convert(args);
    CheckFileIsWhatTheCaseSays(c, ReadFile(path));

    ProgramResult r = RunProgram({BuiltProgram("zrvtool"), "picture", path, dir.File("out.ppm")});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    TestPicture ours;
    ASSERT_TRUE(DecodePnm(ReadFile(dir.File("out.ppm")), ours));
    const TestPicture want = Expected(c, DecodeWithConvert(path));
    ASSERT_EQ(ours.width, want.width);
    ASSERT_EQ(ours.height, want.height);
    size_t differing = 0, first = 0;
    for (size_t i = 0; i < ours.rgb.size(); ++i)
      if (ours.rgb[i] != want.rgb[i] && differing++ == 0) first = i;
    EXPECT_EQ(differing, 0u) << "first at pixel " << first / 3 << ": ours "
                             << int(ours.rgb[first]) << ", ImageMagick " << int(want.rgb[first]);
  }
}

}  // namespace
