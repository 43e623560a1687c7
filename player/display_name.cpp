// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
#include "player/display_name.h"

std::string DisplayNameFromPath(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return {};
  const size_t dot = path.rfind('.');
  if (dot == std::string::npos) return path.substr(slash + 1);
  if (dot < slash) return {};
  return path.substr(slash + 1, dot - slash - 1);
}

std::string DisplayNameFromFileName(const std::string& fileName) {
  const size_t dot = fileName.rfind('.');
  return dot == std::string::npos ? fileName : fileName.substr(0, dot);
}
