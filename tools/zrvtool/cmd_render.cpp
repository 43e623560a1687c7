// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// zrvtool render: a frame drawn exactly as the player window draws it.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "image/software_dc.h"
#include "player/frame_draw.h"
#include "player/player_session.h"
#include "tools/cli/commands.h"
#include "container/private_folder.h"

namespace {

bool ParseSize(const std::string& text, int& width, int& height) {
  const size_t x = text.find('x');
  uint32_t w = 0, h = 0;
  if (x == std::string::npos || !ParseUint32(text.substr(0, x), w) ||
      !ParseUint32(text.substr(x + 1), h) || w == 0 || h == 0 || w > 16384 || h > 16384)
    return false;
  width = static_cast<int>(w);
  height = static_cast<int>(h);
  return true;
}

bool ParseZoom(const std::string& text, int& zoom) {
  if (text == "fit") zoom = zoomFit;
  else if (text == "normal") zoom = zoomNormal;
  else if (text == "small") zoom = zoomSmall;
  else return false;
  return true;
}

bool WriteSurface(const CSoftwareDC& dc, const std::string& path) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  std::fprintf(f, "P6\n%d %d\n255\n", dc.Width(), dc.Height());
  std::vector<uint8_t> row(size_t(dc.Width()) * 3);
  bool ok = true;
  for (int y = 0; y < dc.Height() && ok; ++y) {
    const uint32_t* pixels = dc.Row(y);
    for (int x = 0; x < dc.Width(); ++x) {
      row[size_t(x) * 3] = uint8_t(pixels[x] >> 16);
      row[size_t(x) * 3 + 1] = uint8_t(pixels[x] >> 8);
      row[size_t(x) * 3 + 2] = uint8_t(pixels[x]);
    }
    ok = std::fwrite(row.data(), 1, row.size(), f) == row.size();
  }
  if (std::fclose(f) != 0) ok = false;
  if (!ok) std::remove(path.c_str());
  return ok;
}

int RunRender(int argc, char** argv) {
  std::vector<std::string> positional;
  int width = 0, height = 0, zoom = zoomNormal;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--size" || arg == "--zoom") {
      if (i + 1 >= argc) return UsageError(kRenderCommand, arg + " needs a value");
      const std::string value = argv[++i];
      if (arg == "--size" && !ParseSize(value, width, height))
        return UsageError(kRenderCommand, "--size takes WxH, such as 348x216");
      if (arg == "--zoom" && !ParseZoom(value, zoom))
        return UsageError(kRenderCommand, "--zoom takes fit, normal or small");
    } else if (arg.size() > 1 && arg[0] == '-') {
      return UsageError(kRenderCommand, "unknown option " + arg);
    } else {
      positional.push_back(arg);
    }
  }
  if (positional.size() != 3) return UsageError(kRenderCommand, "expected FILE K OUT.ppm");
  if (width == 0) return UsageError(kRenderCommand, "--size is required");
  uint32_t k = 0;
  if (!ParseUint32(positional[1], k)) return UsageError(kRenderCommand, "K must be a frame number");

  LoadedClip clip;
  if (!LoadClip(positional[0], clip)) return kExitRefused;
  if (k >= clip.index.frameCount)
    return Refuse("frame " + std::to_string(k) + " is out of range (the clip has " +
                  std::to_string(clip.index.frameCount) + " frames)");

  PrivateFolder temp;
  if (!temp.made()) return Refuse("cannot make a temporary folder");
  // Grey shows which pixels the drawing leaves alone.
  CSoftwareDC dc(width, height);
  dc.SelectSolidBrush(0x808080);
  dc.Rectangle(0, 0, width, height);
  switch (DrawFrame(clip.bytes.data(), clip.index, k, temp.File("frame.jpg"), dc, zoom)) {
    case FrameDrawResult::notWritten: return Refuse("cannot write the frame file");
    case FrameDrawResult::notDecoded: return Refuse("frame " + positional[1] + " does not decode");
    case FrameDrawResult::drawn: break;
  }
  if (!WriteSurface(dc, positional[2])) return Refuse("cannot write '" + positional[2] + "'");
  return kExitOk;
}

}  // namespace

const Command kRenderCommand = {
    "render", "FILE K --size WxH [--zoom fit|normal|small] OUT.ppm",
    "draw frame K into a picture area of WxH as the player does, as a PPM file", RunRender};
