// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// SIGTERM, SIGINT and SIGHUP end a windowed program as closing its window
// does: the handler only writes the signal's number into a pipe, and the
// event loop, watching the pipe, closes the window (the player removes its
// temporary folder, a converter stops its run and drops the unfinished file)
// before the program ends by the same signal.
#pragma once

// Catches each of the three signals that was not ignored when the program
// started: under nohup SIGHUP stays ignored, in a background job SIGINT
// does. Returns the pipe's read end, or -1 when no pipe can be made (the
// signals then keep their default action).
int InstallQuitSignals();

// The signal that arrived, read from the pipe `fd`; 0 when none is pending.
int TakeQuitSignal(int fd);

// Ends the program by `signal` with its default action, so that whoever
// started it sees it ended by that signal.
[[noreturn]] void EndBySignal(int signal);
