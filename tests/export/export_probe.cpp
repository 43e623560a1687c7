// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
#include "tests/export/export_probe.h"

#include <algorithm>
#include <cmath>
#include <dirent.h>
#include <gtest/gtest.h>
#include <sstream>

ProgramResult Zrvtool(std::vector<std::string> args) {
  args.insert(args.begin(), BuiltProgram("zrvtool"));
  return RunProgram(args);
}

std::string MakeClip(const TempDir& dir, const std::string& name,
                     const std::vector<std::string>& options) {
  std::vector<std::string> args = {"make"};
  args.insert(args.end(), options.begin(), options.end());
  args.push_back(dir.File(name));
  const ProgramResult r = Zrvtool(args);
  EXPECT_EQ(r.exitCode, 0) << r.err;
  return dir.File(name);
}

std::map<std::string, std::string> Probe(const std::string& path, const std::string& streams,
                                         const std::string& entries) {
  std::vector<std::string> args = {"/usr/bin/ffprobe", "-v", "error"};
  if (!streams.empty()) args.insert(args.end(), {"-select_streams", streams});
  args.insert(args.end(), {"-count_packets", "-show_entries", entries, "-of",
                           "default=noprint_wrappers=1", path});
  const ProgramResult r = RunProgram(args);
  EXPECT_EQ(r.exitCode, 0) << r.err;
  std::map<std::string, std::string> values;
  std::istringstream lines(r.out);
  for (std::string line; std::getline(lines, line);) {
    const size_t eq = line.find('=');
    if (eq != std::string::npos) values.emplace(line.substr(0, eq), line.substr(eq + 1));
  }
  return values;
}

std::vector<std::string> ProbeList(const std::string& path, const std::string& streams,
                                   const std::string& entry, bool countFrames) {
  const ProgramResult r = RunProgram(
      {"/usr/bin/ffprobe", "-v", "error", "-select_streams", streams, "-show_entries",
       (countFrames ? "frame=" : "packet=") + entry, "-of", "csv=p=0", path});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  std::vector<std::string> values;
  std::istringstream lines(r.out);
  for (std::string line; std::getline(lines, line);)
    if (!line.empty()) values.push_back(line);
  return values;
}

void Ffmpeg(std::vector<std::string> args) {
  args.insert(args.begin(), {"/usr/bin/ffmpeg", "-v", "error", "-y"});
  const ProgramResult r = RunProgram(args);
  ASSERT_EQ(r.exitCode, 0) << r.err;
}

std::vector<int16_t> DecodedSamples(const TempDir& dir, const std::string& path,
                                    const std::string& map) {
  const std::string raw = dir.File("decoded.s16");
  Ffmpeg({"-i", path, "-map", map, "-f", "s16le", "-ac", "1", raw});
  const Bytes bytes = ReadFile(raw);
  std::vector<int16_t> samples(bytes.size() / 2);
  for (size_t i = 0; i < samples.size(); ++i)
    samples[i] = int16_t(bytes[2 * i] | (bytes[2 * i + 1] << 8));
  return samples;
}

namespace {

// The pixels of a P6 file, with its size.
Bytes PpmPixels(const Bytes& ppm, int& width, int& height) {
  std::string head(ppm.begin(), ppm.begin() + long(std::min<size_t>(ppm.size(), 64)));
  std::istringstream in(head);
  std::string magic;
  int maximum = 0;
  in >> magic >> width >> height >> maximum;
  const size_t start = size_t(in.tellg()) + 1;
  return Bytes(ppm.begin() + long(start), ppm.end());
}

}  // namespace

Bytes DecodedFrameRgb(const TempDir& dir, const std::string& path, int k, int& width,
                      int& height) {
  const std::string ppm = dir.File("decoded.ppm");
  Ffmpeg({"-i", path, "-vf", "select=eq(n\\," + std::to_string(k) + ")", "-frames:v", "1",
          "-pix_fmt", "rgb24", ppm});
  return PpmPixels(ReadFile(ppm), width, height);
}

Bytes FrameFile(const TempDir& dir, const std::string& clip, int k) {
  const std::string jpg = dir.File("frame.jpg");
  const ProgramResult r = Zrvtool({"frame", clip, std::to_string(k), jpg});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  return ReadFile(jpg);
}

Bytes SourceFrameRgb(const TempDir& dir, const std::string& clip, int k, int& width, int& height) {
  const Bytes jpeg = FrameFile(dir, clip, k);
  WriteFile(dir.File("source.jpg"), jpeg);
  const ProgramResult r = RunProgram({"/usr/bin/djpeg", "-ppm", dir.File("source.jpg")});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  return PpmPixels(Bytes(r.out.begin(), r.out.end()), width, height);
}

double LumaPsnr(const Bytes& a, int aWidth, const Bytes& b, int bWidth, int width, int height) {
  double squares = 0;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const uint8_t* p = &a[(size_t(y) * aWidth + x) * 3];
      const uint8_t* q = &b[(size_t(y) * bWidth + x) * 3];
      const double la = 0.299 * p[0] + 0.587 * p[1] + 0.114 * p[2];
      const double lb = 0.299 * q[0] + 0.587 * q[1] + 0.114 * q[2];
      squares += (la - lb) * (la - lb);
    }
  const double mse = squares / (double(width) * height);
  return mse == 0 ? 99.0 : 10 * std::log10(255.0 * 255.0 / mse);
}

std::vector<int16_t> ToolSoundSamples(const TempDir& dir, const std::string& clip) {
  const std::string wav = dir.File("tool.wav");
  const ProgramResult r = Zrvtool({"sound", clip, wav});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  const Bytes bytes = ReadFile(wav);
  std::vector<int16_t> samples;
  for (size_t i = 44; i + 1 < bytes.size(); i += 2)
    samples.push_back(int16_t(bytes[i] | (bytes[i + 1] << 8)));
  return samples;
}

std::vector<std::string> HiddenFiles(const std::string& folder) {
  std::vector<std::string> names;
  DIR* dir = ::opendir(folder.c_str());
  if (!dir) return names;
  while (const dirent* entry = ::readdir(dir)) {
    const std::string name = entry->d_name;
    if (name[0] == '.' && name != "." && name != "..") names.push_back(name);
  }
  ::closedir(dir);
  return names;
}

Bytes DecodedFrameAtRgb(const TempDir& dir, const std::string& path, double seconds, int& width,
                        int& height) {
  // The last picture that starts at or before that time.
  std::vector<double> starts;
  for (const std::string& t : ProbeList(path, "v:0", "pts_time", true)) starts.push_back(std::stod(t));
  std::sort(starts.begin(), starts.end());
  int shown = 0;
  while (shown + 1 < int(starts.size()) && starts[size_t(shown) + 1] <= seconds) ++shown;
  return DecodedFrameRgb(dir, path, shown, width, height);
}

double ColourPsnr(const Bytes& a, int aWidth, const Bytes& b, int bWidth, int width, int height) {
  double squares = 0;
  int blocks = 0;
  for (int y = 0; y + 1 < height; y += 2)
    for (int x = 0; x + 1 < width; x += 2, ++blocks)
      for (int c = 0; c < 3; ++c) {
        double d = 0;
        for (int dy = 0; dy < 2; ++dy)
          for (int dx = 0; dx < 2; ++dx)
            d += double(a[(size_t(y + dy) * aWidth + x + dx) * 3 + c]) -
                 b[(size_t(y + dy) * bWidth + x + dx) * 3 + c];
        squares += d * d / 16;
      }
  const double mse = squares / (double(blocks) * 3);
  return mse == 0 ? 99.0 : 10 * std::log10(255.0 * 255.0 / mse);
}

std::vector<double> FrameLumaMeans(const TempDir& dir, const std::string& path) {
  const auto size = Probe(path, "v:0", "stream=width,height");
  const size_t area = size_t(std::stoi(size.at("width"))) * size_t(std::stoi(size.at("height")));
  const std::string raw = dir.File("frames.gray");
  Ffmpeg({"-i", path, "-map", "0:v", "-fps_mode", "passthrough", "-f", "rawvideo", "-pix_fmt", "gray", raw});
  const Bytes bytes = ReadFile(raw);
  std::vector<double> means;
  for (size_t at = 0; at + area <= bytes.size(); at += area) {
    double sum = 0;
    for (size_t i = 0; i < area; ++i) sum += bytes[at + i];
    means.push_back(sum / double(area));
  }
  return means;
}
