#include "tools/zrvtool/cli.h"

#include <charconv>
#include <cstdio>
#include <cstring>

int Refuse(const std::string& message) {
  std::fprintf(stderr, "zrvtool: %s\n", message.c_str());
  return kExitRefused;
}

int UsageError(const Command& command, const std::string& message) {
  std::fprintf(stderr, "zrvtool %s: %s (usage: zrvtool %s %s)\n", command.name, message.c_str(),
               command.name, command.usage);
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
