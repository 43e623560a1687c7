// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// zrvtool: the ZRV Player core from a shell.
#include <cstdio>
#include <cstring>
#include <string>
#include <iterator>
#include <vector>

#include "text/terminal_text.h"

#include "tools/cli/commands.h"

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
    &kImportCommand,
    &kThumbnailCommand,
};

void PrintHelp(std::FILE* out) {
  std::fprintf(out, "usage: zrvtool COMMAND [ARGS]\n\ncommands:\n");
  for (const Command* c : kCommands) {
    std::fprintf(out, "  %-9s %s\n", c->name, c->summary);
    // A usage of several lines is laid out for a command's own help, under
    // "usage: "; here each line goes under the summary.
    std::string usage = std::string("zrvtool ") + c->name + " " + c->usage;
    for (size_t at = usage.find("\n       "); at != std::string::npos; at = usage.find("\n       ", at + 1))
      usage.replace(at, 8, "\n            ");
    std::fprintf(out, "            %s\n", usage.c_str());
  }
  std::fprintf(out, "\n'zrvtool COMMAND --help' describes one command; 'zrvtool --version' prints\n"
                   "the version. '--' ends a command's options, so that a file named '-x.zrv'\n"
                   "can be given.\n");
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
  if (std::strcmp(argv[1], "--version") == 0) {
    std::printf("zrvtool " ZRV_VERSION "\n");
    return kExitOk;
  }
  for (const Command* c : kCommands) {
    if (std::strcmp(argv[1], c->name) == 0) {
      std::vector<std::string> names;
      argc = 1 + EndOptions(argc - 1, argv + 1, names);
      if (WantsHelp(*c, argc - 1, argv + 1)) return kExitOk;
      return c->run(argc - 1, argv + 1);
    }
  }
  std::fprintf(stderr, "zrvtool: unknown command '%s' (see zrvtool --help)\n",
               TerminalText(argv[1]).c_str());
  return kExitUsage;
}
