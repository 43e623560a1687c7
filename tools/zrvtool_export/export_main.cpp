// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// zrvtool-export: `zrvtool export` and `zrvtool import`, the commands that
// need FFmpeg's libraries. zrvtool hands them over as
// zrvtool-export COMMAND ARGS...
#include <cstdio>
#include <cstring>

#include "tools/cli/cli.h"
#include "tools/cli/commands.h"
#include "tools/zrvtool_export/window_service.h"

int main(int argc, char** argv) {
  if (argc >= 2 && std::strcmp(argv[1], "window") == 0) return RunWindowService(argc - 1, argv + 1);
  for (const Command* command : {&kExportCommand, &kImportCommand}) {
    if (argc < 2 || std::strcmp(argv[1], command->name) != 0) continue;
    // Run directly (not through zrvtool), "--" still ends the options.
    std::vector<std::string> names;
    const int count = EndOptions(argc - 1, argv + 1, names);
    if (WantsHelp(*command, count, argv + 1)) return kExitOk;
    return command->run(count, argv + 1);
  }
  std::fprintf(stderr, "zrvtool-export: expected export or import (run through zrvtool)\n");
  return kExitUsage;
}
