// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// Ctrl-C (or a termination request) during a long command of zrvtool-export:
// the work stops at its next check and removes its unfinished output, and
// the process then ends by the signal, as the shell expects.
#pragma once

#include <atomic>

// Set once an interrupt arrives; handed to the work as its cancel flag.
extern std::atomic<bool> g_interrupted;

void CatchInterrupts();
// While `child` is not 0, an interrupt is passed on to it at once (as
// SIGTERM), so that work it does for this process stops as quickly.
void ForwardInterruptsTo(int child);
// Ends the process by the signal that interrupted it.
[[noreturn]] void DieOfInterrupt();
