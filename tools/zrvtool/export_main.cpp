// zrvtool-export: `zrvtool export` and `zrvtool import`, the commands that
// need FFmpeg's libraries. zrvtool hands them over as
// zrvtool-export COMMAND ARGS...
#include <cstdio>
#include <cstring>

#include "tools/zrvtool/cli.h"
#include "tools/zrvtool/commands.h"

int main(int argc, char** argv) {
  for (const Command* command : {&kExportCommand, &kImportCommand}) {
    if (argc < 2 || std::strcmp(argv[1], command->name) != 0) continue;
    if (WantsHelp(*command, argc - 1, argv + 1)) return kExitOk;
    return command->run(argc - 1, argv + 1);
  }
  std::fprintf(stderr, "zrvtool-export: expected export or import (run through zrvtool)\n");
  return kExitUsage;
}
