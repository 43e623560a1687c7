// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// FFmpeg's error codes as words for the user's messages.
#pragma once

#include <string>

// The text of an FFmpeg error code (AVERROR(...)), e.g. "No space left on device".
std::string AvErrorText(int code);
