// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
#include "image/image_warning.h"

#include <cstdio>

namespace {

void WarnOnStderr(const char* message) { std::fprintf(stderr, "%s\n", message); }

ImageWarningHandler& CurrentHandler() {
  static ImageWarningHandler handler = WarnOnStderr;
  return handler;
}

}  // namespace

ImageWarningHandler SetImageWarningHandler(ImageWarningHandler handler) {
  ImageWarningHandler previous = std::move(CurrentHandler());
  CurrentHandler() = handler ? std::move(handler) : ImageWarningHandler(WarnOnStderr);
  return previous;
}

void ShowImageWarning(const char* message) { CurrentHandler()(message); }
