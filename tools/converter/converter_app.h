// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// The start of both converter programs: the application, the player's choice
// of language and a font with Chinese faces, the window, and the files named
// on the command line ("qorvex" alone, from the player's Tool menu, names none).
#pragma once

#include <functional>
#include <memory>

class CConverterWnd;

int RunConverter(int argc, char** argv, const char* applicationName,
                 const std::function<std::unique_ptr<CConverterWnd>()>& makeWindow);
