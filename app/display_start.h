// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// Starting the GUI where there may be no display (a text console, ssh without
// X forwarding, a service): Qt's own answer is several lines ending in an
// abort that advises reinstalling. The player says in one line what it
// needs, and ends with status 1.
#pragma once

#include <QtGlobal>
#include <functional>

// One line for stderr: the player needs a graphical session; zrvtool does not.
const char* NoDisplayLine();

// Runs `start` (the construction of the application object) with Qt's
// messages held back. When Qt gives up for want of a display, prints
// NoDisplayLine() alone and ends the program with status 1; otherwise the
// held messages go out as they would have, and normal reporting resumes.
void StartWithDisplay(const std::function<void()>& start);
