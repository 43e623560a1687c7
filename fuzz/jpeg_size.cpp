#include "fuzz/jpeg_size.h"

#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

namespace {

struct JumpingErrors {
  jpeg_error_mgr standard;
  std::jmp_buf jump;
};

[[noreturn]] void JumpBack(j_common_ptr cinfo) {
  std::longjmp(reinterpret_cast<JumpingErrors*>(cinfo->err)->jump, 1);
}

void Silent(j_common_ptr, int) {}

}  // namespace

uint64_t DeclaredJpegPixels(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  jpeg_decompress_struct cinfo;
  JumpingErrors errors;
  cinfo.err = jpeg_std_error(&errors.standard);
  errors.standard.error_exit = JumpBack;
  errors.standard.emit_message = Silent;
  if (setjmp(errors.jump)) {
    jpeg_destroy_decompress(&cinfo);
    return 0;
  }
  jpeg_create_decompress(&cinfo);
  jpeg_mem_src(&cinfo, data, static_cast<unsigned long>(size));
  jpeg_read_header(&cinfo, TRUE);
  const uint64_t pixels = uint64_t(cinfo.image_width) * cinfo.image_height;
  jpeg_destroy_decompress(&cinfo);
  return pixels;
}
