// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// Questions zrvtool asks about a path before it writes there.
#pragma once

#include <string>

// True when both paths name one existing file (links included).
bool SameFile(const std::string& a, const std::string& b);

// True when `path` names a regular file or nothing yet: a file that can be
// replaced as a whole. Devices and pipes are written in place.
bool ReplaceableFile(const std::string& path);
