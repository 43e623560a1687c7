#include "tools/zrvtool/frame_encoder.h"

#include <cstring>

#include "container/file_block.h"
#include "image/image_jpg.h"
#include "tools/zrvtool/jpeg_grey.h"

bool EncodeFrame(const RgbPicture& picture, int quality, bool grey, const std::string& scratchPath,
                 std::vector<uint8_t>& jpeg) {
  CImageJPG image(scratchPath);
  if (!image.Create(picture.width, picture.height, 24, -1)) return false;
  // The bitmap is bottom-up with blue, green, red pixels.
  for (int y = 0; y < picture.height; ++y) {
    uint8_t* row = image.GetBits() + size_t(picture.height - 1 - y) * size_t(image.GetBytesPerLine());
    for (int x = 0; x < picture.width; ++x) {
      const uint8_t* rgb = picture.At(x, y);
      row[3 * x] = rgb[2];
      row[3 * x + 1] = rgb[1];
      row[3 * x + 2] = rgb[0];
    }
  }
  image.quality = quality;
  FileBlock written;
  if (!image.Write("") || ReadWholeFile(scratchPath, written) != ReadStatus::ok) return false;
  jpeg.assign(written.data(), written.data() + written.size());
  if (!grey) return true;
  std::vector<uint8_t> colour = std::move(jpeg);
  return DropColourComponents(colour, jpeg);
}
