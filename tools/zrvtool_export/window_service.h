// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// What the ZRV Changer asks of the helper process, so that FFmpeg never reads
// a video in the window's process:
//   zrvtool-export window facts VIDEO
//   zrvtool-export window import VIDEO OUT OPTIONS
// Each confines itself once its files are open and answers in the lines of
// import/import_wire.h on stdout: progress lines, then one facts or result
// line. SIGTERM cancels (the unfinished clip is removed).
#pragma once

int RunWindowService(int argc, char** argv);  // argv[0] is "window"
