// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// The ZRV Changer has every video read by the helper process (zrvtool-export
// window ...), which confines itself before FFmpeg sees a byte of it: a hole
// in one of FFmpeg's demuxers then cannot reach the user's files or the
// network from the window's process, nor from the helper.
#pragma once

#include <atomic>
#include <functional>
#include <string>

#include "import/import.h"

// Reads a video's facts in the helper at `helper`. Stops within half a
// second once `cancel` (may be null) holds true.
VideoFacts ReadFactsInHelper(const std::string& helper, const std::string& video, const std::atomic<bool>* cancel);

// Imports `video` into `output` in the helper; `progress` (may be empty) is
// called on this thread. Cancel as above; the helper removes the unfinished
// clip.
ImportResult ImportInHelper(const std::string& helper, const std::string& video, const std::string& output,
                            const ImportOptions& options, const std::function<void(int)>& progress,
                            const std::atomic<bool>* cancel);
