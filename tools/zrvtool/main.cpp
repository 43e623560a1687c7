// zrvtool: the ZRV Player core from a shell.
#include <cstdio>
#include <cstring>
#include <iterator>

#include "tools/zrvtool/commands.h"

namespace {

const Command* const kCommands[] = {
    &kInfoCommand,
    &kFrameCommand,
    &kDecodeCommand,
    &kPictureCommand,
    &kSoundCommand,
    &kMakeCommand,
    &kRenderCommand,
    &kExportCommand,
    &kThumbnailCommand,
};

void PrintHelp(std::FILE* out) {
  std::fprintf(out, "usage: zrvtool COMMAND [ARGS]\n\ncommands:\n");
  for (const Command* c : kCommands)
    std::fprintf(out, "  %-8s %s\n           zrvtool %s %s\n", c->name, c->summary, c->name,
                 c->usage);
  std::fprintf(out, "\n'zrvtool COMMAND --help' describes one command.\n");
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    PrintHelp(stderr);
    return kExitUsage;
  }
  if (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0) {
    PrintHelp(stdout);
    return kExitOk;
  }
  for (const Command* c : kCommands) {
    if (std::strcmp(argv[1], c->name) == 0) {
      if (WantsHelp(*c, argc - 1, argv + 1)) return kExitOk;
      return c->run(argc - 1, argv + 1);
    }
  }
  std::fprintf(stderr, "zrvtool: unknown command '%s' (see zrvtool --help)\n", argv[1]);
  return kExitUsage;
}
