// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// The player's frame path: CImage reading a JPEG file into a palette bitmap,
// against bare libjpeg decoding and quantising the same bytes from memory;
// and StretchDraw of a phone-sized frame into the picture area.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

#include <jpeglib.h>

#include "image/image.h"
#include "image/software_dc.h"

namespace {

// A colour frame with gradients, edges and noise, compressed 2x2 at quality
// 75 as camera phones do.
std::vector<uint8_t> EncodeFrame(int width, int height) {
  std::vector<uint8_t> rgb(size_t(width) * height * 3);
  unsigned seed = 12345;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      seed = seed * 1103515245 + 12345;
      const int noise = int((seed >> 16) % 21) - 10;
      uint8_t* p = &rgb[(size_t(y) * width + x) * 3];
      p[0] = uint8_t(std::clamp(x * 255 / width + noise, 0, 255));
      p[1] = uint8_t(std::clamp(y * 255 / height - noise, 0, 255));
      p[2] = ((x / 24 + y / 24) % 2) ? uint8_t(180 + noise) : uint8_t((x * y) & 0xFF);
    }
  jpeg_compress_struct cinfo;
  jpeg_error_mgr errors;
  cinfo.err = jpeg_std_error(&errors);
  jpeg_create_compress(&cinfo);
  unsigned char* out = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&cinfo, &out, &size);
  cinfo.image_width = JDIMENSION(width);
  cinfo.image_height = JDIMENSION(height);
  cinfo.input_components = 3;
  cinfo.in_color_space = JCS_RGB;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, 75, TRUE);
  jpeg_start_compress(&cinfo, TRUE);
  while (cinfo.next_scanline < cinfo.image_height) {
    JSAMPROW row = &rgb[size_t(cinfo.next_scanline) * width * 3];
    jpeg_write_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  std::vector<uint8_t> bytes(out, out + size);
  std::free(out);
  return bytes;
}

struct Frame {
  std::vector<uint8_t> bytes;
  std::string path;
};

const Frame& FrameOfSize(int width, int height) {
  static std::vector<std::pair<int, Frame*>> frames;
  for (auto& [key, frame] : frames)
    if (key == width) return *frame;
  auto* frame = new Frame{EncodeFrame(width, height), ""};
  char path[] = "/tmp/zrv_image_bench.XXXXXX";
  const int fd = ::mkstemp(path);
  if (fd < 0 || ::write(fd, frame->bytes.data(), frame->bytes.size()) != ssize_t(frame->bytes.size()))
    std::abort();
  ::close(fd);
  frame->path = path;
  frames.emplace_back(width, frame);
  return *frame;
}

void RemoveFrameFiles() {
  for (int width : {176, 640}) ::unlink(FrameOfSize(width, width == 176 ? 144 : 480).path.c_str());
}

void BM_CImageReadJpeg(benchmark::State& state) {
  const Frame& frame = FrameOfSize(int(state.range(0)), int(state.range(1)));
  for (auto _ : state) {
    CImage image(frame.path, IMAGE_JPG);
    if (image.GetWidth() != state.range(0)) state.SkipWithError("frame did not decode");
    benchmark::DoNotOptimize(image.GetBits());
  }
  state.SetItemsProcessed(state.iterations());
}

// libjpeg alone: the same settings from memory, rows into one buffer.
void BM_LibjpegDecodeQuantise(benchmark::State& state) {
  const Frame& frame = FrameOfSize(int(state.range(0)), int(state.range(1)));
  std::vector<uint8_t> pixels(size_t(state.range(0)) * size_t(state.range(1)));
  for (auto _ : state) {
    jpeg_decompress_struct cinfo;
    jpeg_error_mgr errors;
    cinfo.err = jpeg_std_error(&errors);
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, frame.bytes.data(), static_cast<unsigned long>(frame.bytes.size()));
    jpeg_read_header(&cinfo, TRUE);
    cinfo.quantize_colors = TRUE;
    cinfo.desired_number_of_colors = 128;
    jpeg_start_decompress(&cinfo);
    while (cinfo.output_scanline < cinfo.output_height) {
      JSAMPROW row = &pixels[size_t(cinfo.output_scanline) * cinfo.output_width];
      jpeg_read_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    benchmark::DoNotOptimize(pixels.data());
  }
  state.SetItemsProcessed(state.iterations());
}

void BM_StretchDrawFrame(benchmark::State& state) {
  const Frame& frame = FrameOfSize(176, 144);
  CImage image(frame.path, IMAGE_JPG);
  CSoftwareDC dc(348, 216);
  dc.SelectPalette(image.GetPalette());
  for (auto _ : state) {
    image.StretchDraw(&dc, 0, 0, 348, 216, 0, 0, -1, -1);
    benchmark::DoNotOptimize(dc.Pixels());
  }
  state.SetItemsProcessed(state.iterations());
}

}  // namespace

BENCHMARK(BM_CImageReadJpeg)->Args({176, 144})->Args({640, 480})->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LibjpegDecodeQuantise)->Args({176, 144})->Args({640, 480})->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_StretchDrawFrame)->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  RemoveFrameFiles();
  return 0;
}
