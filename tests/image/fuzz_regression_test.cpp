// Pictures that fuzzing found, each kept with the fault it showed.
#include <gtest/gtest.h>

#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "image/image.h"
#include "tests/image/picture_files.h"

namespace {

uint32_t Crc32(const uint8_t* data, size_t size) {
  uint32_t crc = 0xFFFFFFFF;
  for (size_t i = 0; i < size; ++i) {
    crc ^= data[i];
    for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320 & (0 - (crc & 1)));
  }
  return ~crc;
}

void AppendBE32(Bytes& out, uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(uint8_t(v >> shift));
}

// A whole chunk: length, type, data, checksum.
void AppendChunk(Bytes& out, const std::string& type, const Bytes& data) {
  AppendBE32(out, uint32_t(data.size()));
  Bytes typed(type.begin(), type.end());
  typed.insert(typed.end(), data.begin(), data.end());
  out.insert(out.end(), typed.begin(), typed.end());
  AppendBE32(out, Crc32(typed.data(), typed.size()));
}

// Peak resident memory in KiB of a child of this process that reads `path`
// as a PNG file (or does nothing, for an empty path).
long PeakKiBOfAChildReading(const std::string& path) {
  const pid_t pid = ::fork();
  if (pid == 0) {
    if (!path.empty()) CImage image(path, IMAGE_PNG);
    ::_exit(0);
  }
  int status = 0;
  struct rusage usage {};
  EXPECT_EQ(::wait4(pid, &status, 0, &usage), pid);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  return usage.ru_maxrss;
}

// A 116-byte file whose zTXt chunk claims 1,146,224,640 bytes: libpng used
// to allocate (and touch) that much before finding the file short.
TEST(FuzzRegression, PngChunkClaimingAGigabyteCostsNothing) {
  TempDir dir;
  Bytes png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  AppendChunk(png, "IHDR", {0, 0, 0, 55, 0, 0, 0, 16, 8, 0, 0, 0, 0});
  AppendChunk(png, "tIME", {0x07, 0xEA, 0x0A, 0x1A, 0x0A, 0x00, 0x00});
  AppendBE32(png, 1146224640);
  for (char c : std::string("zTXt\0\x10\x10\x02", 8)) png.push_back(uint8_t(c));
  png.resize(116, 0x41);
  WriteFile(dir.File("claim.png"), png);

  const long idle = PeakKiBOfAChildReading("");
  const long reading = PeakKiBOfAChildReading(dir.File("claim.png"));
  EXPECT_LT(reading - idle, 64 * 1024) << "KiB beyond an idle child";
  CImage image(dir.File("claim.png"), IMAGE_PNG);
  EXPECT_EQ(image.GetWidth(), 0) << "the file ends inside the chunk";
}

// Skipping the chunks the picture does not need changes nothing it shows.
TEST(FuzzRegression, PngTextAndTimeChunksAreSkippedUnharmed) {
  TempDir dir;
  Convert({"-size", "5x3", "xc:#336699", "-set", "comment", "a comment", "-define",
           "png:include-chunk=tEXt,zTXt,tIME,gAMA", "PNG24:" + dir.File("text.png")});
  const Bytes file = ReadFile(dir.File("text.png"));
  ASSERT_NE(std::string(file.begin(), file.end()).find("tEXt"), std::string::npos);
  CImage image(dir.File("text.png"), IMAGE_PNG);
  ASSERT_EQ(image.GetWidth(), 5);
  ASSERT_EQ(image.GetHeight(), 3);
  uint8_t r, g, b;
  ASSERT_EQ(image.GetRGB(4, 2, r, g, b), 1);
  EXPECT_EQ((std::vector<int>{r, g, b}), (std::vector<int>{0x33, 0x66, 0x99}));
}

}  // namespace
