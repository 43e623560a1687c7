#include "tests/image/picture_files.h"

#include <algorithm>
#include <cctype>
#include <random>
#include <stdexcept>

RgbPicture MakeTestPicture(int width, int height, unsigned seed) {
  RgbPicture p{width, height, Bytes(size_t(width) * height * 3)};
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

Bytes EncodePnm(const RgbPicture& p, bool grey) {
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

bool DecodePnm(const Bytes& b, RgbPicture& p) {
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

void WriteJpegWithCjpeg(const TempDir& dir, const RgbPicture& picture, const std::string& path,
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
