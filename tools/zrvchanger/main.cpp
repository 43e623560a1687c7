// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// "ZRV Swift Changer.exe": the ZRV Changer companion that the player's Tool
// menu starts. It turns videos into ZRV clips in a window of its own.
#include "tools/converter/converter_app.h"
#include "tools/zrvchanger/changer_wnd.h"

int main(int argc, char** argv) {
  return RunConverter(argc, argv, "ZRV Changer", [] { return std::make_unique<CChangerWnd>(); });
}
