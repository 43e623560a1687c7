// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// Writes the desktop files of an installation, with the same code that writes
// the per-user ones at every start:
//   zrv_install_desktop SHARE_DIR PLAYER ZRVTOOL ICON_FOLDER
// SHARE_DIR is where the files go (the staging folder when packaging); PLAYER
// and ZRVTOOL are the paths the programs will have once installed.
#include <cstdio>

#include "desktop/desktop_integration.h"

int main(int argc, char** argv) {
  if (argc != 5) {
    std::fprintf(stderr, "usage: zrv_install_desktop SHARE_DIR PLAYER ZRVTOOL ICON_FOLDER\n");
    return 2;
  }
  if (!WriteDesktopFiles(argv[1], argv[2], argv[3], argv[4])) {
    std::fprintf(stderr, "zrv_install_desktop: cannot write the desktop files into '%s'\n", argv[1]);
    return 1;
  }
  return 0;
}
