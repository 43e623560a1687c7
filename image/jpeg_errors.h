// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// libjpeg reports an error by calling error_exit, which by default ends the
// process. Every reader and writer here jumps back to its own setjmp point
// instead, with only plain data in that frame, and counts warnings about
// damaged data without printing them: the caller decides what they mean.
#pragma once

#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

struct JpegErrorJump {
  jpeg_error_mgr standard;
  std::jmp_buf jump;
};

// Makes `errors` the error manager that a libjpeg object's err points to.
jpeg_error_mgr* JumpOnJpegError(JpegErrorJump& errors);
