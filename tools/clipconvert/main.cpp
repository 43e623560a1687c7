// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// ClipConvert.exe: the Video Convert companion that the player's Tool menu
// starts. It converts clips to MP4 or MKV in a window of its own.
#include "tools/clipconvert/convert_wnd.h"
#include "tools/converter/converter_app.h"

int main(int argc, char** argv) {
  return RunConverter(argc, argv, "ClipConvert", [] { return std::make_unique<CConvertWnd>(); });
}
