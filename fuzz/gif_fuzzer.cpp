// Any bytes as a GIF file, read through CImage by its type code.
#include "fuzz/bitmap_check.h"
#include "fuzz/fuzz_support.h"
#include "image/image.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path = ScratchFile("picture.gif");
  WriteBytes(path, data, size);
  CImage image(path, IMAGE_GIF);
  CheckBitmap(image);
  return 0;
}
