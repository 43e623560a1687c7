// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
#include "tests/image/picture_files.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <random>
#include <stdexcept>

#include "image/image.h"

TestPicture MakeTestPicture(int width, int height, unsigned seed) {
  TestPicture p{width, height, Bytes(size_t(width) * height * 3)};
  std::mt19937 rng(seed);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      uint8_t* px = &p.rgb[(size_t(y) * width + x) * 3];
      const int noise = int(rng() % 17) - 8;
      const bool block = ((x / 16) + (y / 16)) % 3 == 0;
      px[0] = uint8_t(std::clamp(x * 255 / std::max(width - 1, 1) + noise, 0, 255));
      px[1] = uint8_t(std::clamp(y * 255 / std::max(height - 1, 1) - noise, 0, 255));
      px[2] = block ? uint8_t(200 + noise) : uint8_t(((x + y) * 3) & 0xFF);
    }
  }
  return p;
}

Bytes EncodePnm(const TestPicture& p, bool grey) {
  std::string head = std::string(grey ? "P5" : "P6") + "\n" + std::to_string(p.width) + " " +
                     std::to_string(p.height) + "\n255\n";
  Bytes out(head.begin(), head.end());
  if (!grey) {
    out.insert(out.end(), p.rgb.begin(), p.rgb.end());
  } else {
    for (size_t i = 0; i < p.rgb.size(); i += 3) out.push_back(p.rgb[i]);
  }
  return out;
}

namespace {

// Reads one header number after optional white space and comments.
bool ReadNumber(const Bytes& b, size_t& pos, int& value) {
  while (pos < b.size() && (std::isspace(b[pos]) || b[pos] == '#')) {
    if (b[pos] == '#')
      while (pos < b.size() && b[pos] != '\n') ++pos;
    else
      ++pos;
  }
  if (pos >= b.size() || !std::isdigit(b[pos])) return false;
  value = 0;
  while (pos < b.size() && std::isdigit(b[pos])) value = value * 10 + (b[pos++] - '0');
  return true;
}

}  // namespace

bool DecodePnm(const Bytes& b, TestPicture& p) {
  if (b.size() < 2 || b[0] != 'P' || (b[1] != '5' && b[1] != '6')) return false;
  const bool grey = b[1] == '5';
  size_t pos = 2;
  int maxval = 0;
  if (!ReadNumber(b, pos, p.width) || !ReadNumber(b, pos, p.height) || !ReadNumber(b, pos, maxval))
    return false;
  if (maxval != 255 || pos >= b.size()) return false;
  ++pos;  // the single white-space byte before the samples
  const size_t pixels = size_t(p.width) * p.height;
  if (b.size() - pos != pixels * (grey ? 1 : 3)) return false;
  p.rgb.resize(pixels * 3);
  for (size_t i = 0; i < pixels; ++i) {
    for (int c = 0; c < 3; ++c) p.rgb[3 * i + c] = grey ? b[pos + i] : b[pos + 3 * i + c];
  }
  return true;
}

void WriteJpegWithCjpeg(const TempDir& dir, const TestPicture& picture, const std::string& path,
                        const std::string& sampling, bool grey, int quality) {
  const std::string source = dir.File(grey ? "source.pgm" : "source.ppm");
  WriteFile(source, EncodePnm(picture, grey));
  std::vector<std::string> args = {SystemProgram("cjpeg"), "-quality", std::to_string(quality)};
  if (grey)
    args.push_back("-grayscale");
  else
    args.insert(args.end(), {"-sample", sampling});
  args.insert(args.end(), {"-outfile", path, source});
  ProgramResult r = RunProgram(args);
  if (r.exitCode != 0) throw std::runtime_error("cjpeg failed: " + r.err);
}

std::string SystemProgram(const std::string& name) { return "/usr/bin/" + name; }

namespace {

// Packs codes of `bits` bits, least significant first.
class BitPacker {
 public:
  void Put(int code, int bits) {
    m_acc |= uint32_t(code) << m_count;
    m_count += bits;
    while (m_count >= 8) {
      m_bytes.push_back(uint8_t(m_acc));
      m_acc >>= 8;
      m_count -= 8;
    }
  }
  Bytes Finish() {
    if (m_count > 0) m_bytes.push_back(uint8_t(m_acc));
    return m_bytes;
  }

 private:
  Bytes m_bytes;
  uint32_t m_acc = 0;
  int m_count = 0;
};

void PutLE16(Bytes& b, int v) {
  b.push_back(uint8_t(v));
  b.push_back(uint8_t(v >> 8));
}

// The packed-byte size field of a colour table.
int TableBits(const Bytes& table) {
  int bits = 0;
  while ((2 << bits) * 3 < int(table.size())) ++bits;
  return bits;
}

}  // namespace

Bytes EncodeGif(const GifLayout& layout) {
  const std::string signature = "GIF" + layout.version;
  Bytes b(signature.begin(), signature.end());
  PutLE16(b, layout.width);
  PutLE16(b, layout.height);
  b.push_back(layout.globalTable.empty() ? 0 : uint8_t(0x80 | TableBits(layout.globalTable)));
  b.push_back(0);
  b.push_back(0);
  b.insert(b.end(), layout.globalTable.begin(), layout.globalTable.end());
  b.insert(b.end(), {0x21, 0xFE, 3, 'h', 'i', '!', 0});  // a comment, skipped
  if (layout.transparent >= 0)
    b.insert(b.end(), {0x21, 0xF9, 4, 1, 0, 0, uint8_t(layout.transparent), 0});
  if (layout.withImage) {
    b.push_back(0x2C);
    PutLE16(b, 0);
    PutLE16(b, 0);
    PutLE16(b, layout.width);
    PutLE16(b, layout.height);
    uint8_t packed = layout.interlaced ? 0x40 : 0;
    if (!layout.localTable.empty()) packed |= uint8_t(0x80 | TableBits(layout.localTable));
    b.push_back(packed);
    b.insert(b.end(), layout.localTable.begin(), layout.localTable.end());
    b.push_back(uint8_t(layout.minCodeSize));

    const int size = std::clamp(layout.minCodeSize, 2, 8);
    const int clear = 1 << size, end = clear + 1, bits = size + 1;
    const int perClear = (1 << bits) - (clear + 2);
    BitPacker packer;
    int sinceClear = perClear;
    for (uint8_t pixel : layout.pixels) {
      if (sinceClear == perClear) {
        packer.Put(clear, bits);
        sinceClear = 0;
      }
      packer.Put(pixel & (clear - 1), bits);
      ++sinceClear;
    }
    packer.Put(end, bits);
    const Bytes data = packer.Finish();
    for (size_t i = 0; i < data.size(); i += 255) {
      const size_t n = std::min<size_t>(255, data.size() - i);
      b.push_back(uint8_t(n));
      b.insert(b.end(), data.begin() + long(i), data.begin() + long(i + n));
    }
    b.push_back(0);
  }
  b.push_back(0x3B);
  return b;
}

void Convert(const std::vector<std::string>& args) {
  std::vector<std::string> all = {SystemProgram("convert")};
  all.insert(all.end(), args.begin(), args.end());
  ProgramResult r = RunProgram(all);
  if (r.exitCode != 0) throw std::runtime_error("convert failed: " + r.err);
}

RgbaPicture DecodeWithConvert(const std::string& path) {
  ProgramResult r = RunProgram({SystemProgram("convert"), path + "[0]", "-depth", "16", "pam:-"});
  if (r.exitCode != 0) throw std::runtime_error("convert failed: " + r.err);
  // P7 header lines, then big-endian 16-bit samples.
  RgbaPicture p;
  size_t pos = 0;
  int depth = 0;
  for (;;) {
    const size_t eol = r.out.find('\n', pos);
    if (eol == std::string::npos) throw std::runtime_error("bad PAM header");
    const std::string line = r.out.substr(pos, eol - pos);
    pos = eol + 1;
    if (line == "ENDHDR") break;
    if (line.rfind("WIDTH ", 0) == 0) p.width = std::stoi(line.substr(6));
    if (line.rfind("HEIGHT ", 0) == 0) p.height = std::stoi(line.substr(7));
    if (line.rfind("DEPTH ", 0) == 0) depth = std::stoi(line.substr(6));
    if (line.rfind("MAXVAL ", 0) == 0 && line != "MAXVAL 65535")
      throw std::runtime_error("unexpected " + line);
  }
  const size_t pixels = size_t(p.width) * p.height;
  if (depth < 1 || depth > 4) throw std::runtime_error("unexpected PAM depth");
  if (r.out.size() - pos != pixels * size_t(depth) * 2) throw std::runtime_error("bad PAM size");
  p.rgba.resize(pixels * 4);
  for (size_t i = 0; i < pixels; ++i) {
    uint8_t s[4] = {0, 0, 0, 0};
    for (int c = 0; c < depth && c < 4; ++c) s[c] = uint8_t(r.out[pos + (i * size_t(depth) + size_t(c)) * 2]);
    uint8_t* out = &p.rgba[i * 4];
    if (depth <= 2) {
      out[0] = out[1] = out[2] = s[0];
      out[3] = depth == 2 ? s[1] : 255;
    } else {
      out[0] = s[0], out[1] = s[1], out[2] = s[2];
      out[3] = depth == 4 ? s[3] : 255;
    }
  }
  return p;
}

TestPicture BlendOver(const RgbaPicture& p, uint8_t red, uint8_t green, uint8_t blue) {
  TestPicture out{p.width, p.height, Bytes(size_t(p.width) * p.height * 3)};
  const uint8_t background[3] = {red, green, blue};
  for (size_t i = 0; i < size_t(p.width) * p.height; ++i) {
    const unsigned alpha = p.rgba[4 * i + 3];
    for (int c = 0; c < 3; ++c) {
      const unsigned t = p.rgba[4 * i + c] * alpha + background[c] * (255 - alpha) + 128;
      out.rgb[3 * i + c] = uint8_t((t + (t >> 8)) >> 8);
    }
  }
  return out;
}

std::vector<uint32_t> AllColours(CImage& image) {
  std::vector<uint32_t> colours;
  for (int y = 0; y < image.GetHeight(); ++y)
    for (int x = 0; x < image.GetWidth(); ++x) {
      uint8_t r = 0, g = 0, b = 0;
      EXPECT_EQ(image.GetRGB(x, y, r, g, b), 1) << x << "," << y;
      colours.push_back(uint32_t(r) << 16 | uint32_t(g) << 8 | b);
    }
  return colours;
}

namespace {

uint32_t Crc32(const uint8_t* data, size_t size) {
  uint32_t crc = 0xFFFFFFFF;
  for (size_t i = 0; i < size; ++i) {
    crc ^= data[i];
    for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320 & (0 - (crc & 1)));
  }
  return ~crc;
}

}  // namespace

void AppendBE32(Bytes& out, uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(uint8_t(v >> shift));
}

void AppendPngChunk(Bytes& out, const std::string& type, const Bytes& data) {
  AppendBE32(out, uint32_t(data.size()));
  Bytes typed(type.begin(), type.end());
  typed.insert(typed.end(), data.begin(), data.end());
  out.insert(out.end(), typed.begin(), typed.end());
  AppendBE32(out, Crc32(typed.data(), typed.size()));
}

long PeakKiBOfAChildReading(const std::string& path, int type) {
  const pid_t pid = ::fork();
  if (pid == 0) {
    if (!path.empty()) CImage image(path, type);
    ::_exit(0);
  }
  int status = 0;
  struct rusage usage {};
  EXPECT_EQ(::wait4(pid, &status, 0, &usage), pid);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  return usage.ru_maxrss;
}
