// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
#include "image/jpeg_errors.h"

namespace {

[[noreturn]] void JumpBack(j_common_ptr cinfo) {
  std::longjmp(reinterpret_cast<JpegErrorJump*>(cinfo->err)->jump, 1);
}

void CountWarnings(j_common_ptr cinfo, int level) {
  if (level < 0) ++cinfo->err->num_warnings;
}

}  // namespace

jpeg_error_mgr* JumpOnJpegError(JpegErrorJump& errors) {
  jpeg_error_mgr* manager = jpeg_std_error(&errors.standard);
  manager->error_exit = JumpBack;
  manager->emit_message = CountWarnings;
  return manager;
}
