// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// zrvtool export and zrvtool import: they run in zrvtool-export, a program of
// its own beside zrvtool, which these commands become. FFmpeg's libraries and
// the hundred libraries behind them would otherwise be loaded at every start
// of every command, 25 ms each time: more than a whole thumbnail takes.
#include <cerrno>
#include <climits>
#include <cstring>
#include <string>
#include <unistd.h>
#include <vector>

#include "tools/cli/commands.h"
#include "tools/cli/export_usage.h"
#include "tools/cli/import_usage.h"

namespace {

// The folder of the running program, through /proc/self/exe, so that a link
// in bin/ leads to the folder the programs really live in.
std::string ProgramFolder() {
  char path[PATH_MAX];
  const ssize_t length = ::readlink("/proc/self/exe", path, sizeof path - 1);
  if (length <= 0) return ".";
  std::string folder(path, size_t(length));
  const size_t slash = folder.rfind('/');
  return slash == std::string::npos ? "." : folder.substr(0, slash);
}

// Runs zrvtool-export COMMAND ARGS...; argv[0] is the command's name.
int LaunchHelper(int argc, char** argv) {
  std::string program = ProgramFolder() + "/zrvtool-export";
  std::vector<char*> arguments = {program.data()};
  for (int i = 0; i < argc; ++i) arguments.push_back(argv[i]);
  arguments.push_back(nullptr);
  ::execv(program.c_str(), arguments.data());
  return Refuse("the program '" + program + "' cannot be run: " + std::strerror(errno));
}

}  // namespace

const Command kExportCommand = {"export", kExportUsage, kExportSummary, LaunchHelper};
const Command kImportCommand = {"import", kImportUsage, kImportSummary, LaunchHelper};
