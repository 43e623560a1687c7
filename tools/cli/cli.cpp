// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
#include "tools/cli/cli.h"

#include <charconv>
#include <cstdio>
#include <cstring>

#include "text/terminal_text.h"

int EndOptions(int argc, char** argv, std::vector<std::string>& storage) {
  int end = 1;
  while (end < argc && std::strcmp(argv[end], "--") != 0) ++end;
  if (end == argc) return argc;
  storage.reserve(size_t(argc));
  for (int i = end + 1; i < argc; ++i) {
    if (argv[i][0] == '-') {
      storage.push_back(std::string("./") + argv[i]);
      argv[i - 1] = storage.back().data();
    } else {
      argv[i - 1] = argv[i];
    }
  }
  argv[argc - 1] = nullptr;
  return argc - 1;
}

int Refuse(const std::string& message) {
  std::fprintf(stderr, "zrvtool: %s\n", TerminalText(message).c_str());
  return kExitRefused;
}

int UsageError(const Command& command, const std::string& message) {
  std::fprintf(stderr, "zrvtool %s: %s (usage: zrvtool %s %s)\n", command.name,
               TerminalText(message).c_str(), command.name, command.usage);
  return kExitUsage;
}

bool WantsHelp(const Command& command, int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
      std::printf("usage: zrvtool %s %s\n%s\n", command.name, command.usage, command.summary);
      return true;
    }
  }
  return false;
}

std::string FileStem(const std::string& path) {
  const size_t slash = path.rfind('/');
  std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  const size_t dot = name.rfind('.');
  if (dot != std::string::npos && dot > 0) name.resize(dot);
  return name;
}

bool ParseUint32(const std::string& text, uint32_t& value) {
  const char* first = text.data();
  const char* last = first + text.size();
  auto [end, error] = std::from_chars(first, last, value);
  return !text.empty() && error == std::errc() && end == last;
}

bool LoadClip(const std::string& path, LoadedClip& clip) {
  int systemError = 0;
  const ClipLoadStatus status = LoadClipFile(path, clip, &systemError);
  if (status == ClipLoadStatus::ok) return true;
  Refuse(ClipLoadSentence(path, status, systemError));
  return false;
}
