// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// Clips for the plugin's tests, made on the spot by zrvtool make, and the
// check that GStreamer runs in the tests' own environment.
#pragma once

#include <string>
#include <vector>

#include "tests/support/test_support.h"

// Fails the test unless CTest set the tests' plugin set and registry (the
// plugin from the build, a few of the system's); readies the programs the
// tests start for a sanitized plugin. Call before gst_init.
void RequireTestPluginSet();

// Runs `zrvtool make` with `options` into `dir`/`name` and returns the path.
std::string MakeClip(const TempDir& dir, const std::string& name, const std::vector<std::string>& options);

// A clip whose sound is a wide-band track of `milliseconds` (mode 8).
std::string MakeWideBandClip(const TempDir& dir, const std::string& name, int frames, int milliseconds);

// The clip's sound track after its magic, frame by frame, as zrvtool info
// places it: the bytes from the audio start to the end.
Bytes SoundTrackOf(const std::string& clip);
