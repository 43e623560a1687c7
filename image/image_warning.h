// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// The image layer's one warning goes through a handler that the program sets
// (the player shows a message box); by default it is written to stderr.
#pragma once

#include <functional>

using ImageWarningHandler = std::function<void(const char* message)>;

// Installs `handler`; an empty one restores the default. Returns the previous one.
ImageWarningHandler SetImageWarningHandler(ImageWarningHandler handler);
void ShowImageWarning(const char* message);
