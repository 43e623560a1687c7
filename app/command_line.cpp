// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
#include "app/command_line.h"

#include "text/terminal_text.h"

PlayerCommandLine ParsePlayerCommandLine(const std::vector<std::string>& arguments) {
  PlayerCommandLine line;
  bool optionsEnded = false;
  for (const std::string& argument : arguments) {
    if (!optionsEnded && argument == "--") {
      optionsEnded = true;
    } else if (!optionsEnded && (argument == "--help" || argument == "-h")) {
      line.action = PlayerCommandLine::kHelp;
      return line;
    } else if (!optionsEnded && argument == "--version") {
      line.action = PlayerCommandLine::kVersion;
      return line;
    } else if (!optionsEnded && argument.size() > 1 && argument[0] == '-') {
      line.action = PlayerCommandLine::kUsageError;
      line.error = "unknown option '" + TerminalText(argument) +
                   "' (a file whose name begins with '-' goes after '--'; see zrvplayer --help)";
      return line;
    } else if (line.file.empty()) {
      line.file = argument;
    }
  }
  return line;
}

std::string PlayerHelpText() {
  return "usage: zrvplayer [--] [FILE]\n"
         "Plays ZRV clips (.zrv, .gzrv): opens FILE at start, if given.\n"
         "\n"
         "  -h, --help   print this help and exit\n"
         "  --version    print the version and exit\n"
         "  --           end of the options: what follows is a file\n";
}

std::string PlayerVersionText() { return "zrvplayer " ZRV_VERSION "\n"; }
