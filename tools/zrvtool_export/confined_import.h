// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// One import done in a child process of its own that confines itself once
// the video and the clip are open, so that every video of a batch is read
// where nothing else can be opened, while this process goes on to the next.
#pragma once

#include <atomic>
#include <string>

#include "import/import.h"

// Imports `video` into `output` in a confined child. `options.progress` is
// called in the child; `cancel` (here) ends the child's work as its own
// cancel would. A child that dies is reported as a failure that says how.
ImportResult ImportInConfinedChild(const std::string& video, const std::string& output, ImportOptions options,
                                   const std::atomic<bool>* cancel);
