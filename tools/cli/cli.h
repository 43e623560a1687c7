// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// What every zrvtool command shares: exit codes, messages, argument parsing
// and loading a clip.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "container/clip_file.h"

inline constexpr int kExitOk = 0;
inline constexpr int kExitRefused = 1;  // the input cannot be used
inline constexpr int kExitUsage = 2;    // the command line is wrong

struct Command {
  const char* name;
  const char* usage;    // the arguments, after "zrvtool NAME"
  const char* summary;  // one line for the command list
  int (*run)(int argc, char** argv);  // argv[0] is the command's name
};

// "--" ends a command's options: it is taken out of argv[1..argc-1], and each
// argument after it that begins with "-" gets "./" in front, the same file by
// a name that no command reads as an option. `storage` holds those names for
// as long as argv is used. Returns the new argc.
int EndOptions(int argc, char** argv, std::vector<std::string>& storage);

// Prints "zrvtool: MESSAGE" on stderr and returns kExitRefused. Control
// characters of the message (from file names) are shown escaped.
int Refuse(const std::string& message);
// Prints the message (escaped as above) and the command's usage line on
// stderr; returns kExitUsage.
int UsageError(const Command& command, const std::string& message);
// True when argv holds "--help" or "-h"; the usage is then printed on stdout.
bool WantsHelp(const Command& command, int argc, char** argv);

bool ParseUint32(const std::string& text, uint32_t& value);

// The file name of `path` without folder and extension.
std::string FileStem(const std::string& path);

// Reads and indexes `path`. On failure prints why and returns false; a file
// without any frame counts as a failure.
bool LoadClip(const std::string& path, LoadedClip& clip);
