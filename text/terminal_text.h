// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// Text from outside the program (file names, arguments) made safe to print on
// a terminal: a name must never move the cursor, clear the screen or retitle
// the window.
#pragma once

#include <string>

// `text` with every control character (C0, DEL, and C1 as UTF-8 encodes it,
// U+0080 to U+009F) written as \xHH, one escape per byte; everything else,
// UTF-8 names included, as it is.
std::string TerminalText(const std::string& text);
