// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// The player's command line: zrvplayer [--help | --version] [--] [FILE].
// It is read before anything touches the display, so that --help and
// --version work in a terminal without one.
#pragma once

#include <string>
#include <vector>

struct PlayerCommandLine {
  enum Action { kRun, kHelp, kVersion, kUsageError };
  Action action = kRun;
  std::string file;   // the file to open at start; empty for none
  std::string error;  // for kUsageError: one line, safe to print on a terminal
};

// `arguments` are the program's arguments after its own name. Options come
// before the file; "--" ends them, so a file whose name begins with "-" is
// named after it. Of several files the first is opened.
PlayerCommandLine ParsePlayerCommandLine(const std::vector<std::string>& arguments);

// What --help and --version print.
std::string PlayerHelpText();
std::string PlayerVersionText();
