// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// The name a clip goes by in the title and the messages.
#pragma once

#include <string>

// For a path handed over by a drop or the command line: the text between the
// last '/' and the last '.'. A path without '/' gives an empty name, a name
// without '.' is taken whole, and a last '.' inside a folder name gives an
// empty name.
std::string DisplayNameFromPath(const std::string& path);

// For a file name chosen in the open dialog: the name up to its last '.'.
std::string DisplayNameFromFileName(const std::string& fileName);
