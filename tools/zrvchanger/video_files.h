// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// Which files of a folder the ZRV Changer takes, and what its list shows of
// a video.
#pragma once

#include <QString>
#include <string>

#include "tools/converter/converter_wnd.h"

// True for the extensions of the video files FFmpeg reads that people keep
// (.mp4, .mov, .3gp, .mkv, .webm, .avi, .gif, ...), in any case.
bool HasVideoExtension(const QString& path);

// The video's length and picture size, read without decoding it by the
// helper process `helper`; on the reading thread.
RowFacts ReadVideoRowFacts(const std::string& helper, const std::string& path, const std::atomic<bool>* cancel);
