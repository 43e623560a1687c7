// Clips for the plugin's tests, made on the spot by zrvtool make, and the
// environment that makes GStreamer load the plugin from the build folder
// with a registry of the test's own.
#pragma once

#include <string>
#include <vector>

#include "tests/support/test_support.h"

// Sets GST_PLUGIN_PATH to the build's plugin folder and GST_REGISTRY to a
// file in `dir`, for this process and the programs it starts.
void UsePluginFromBuild(const TempDir& dir);

// Runs `zrvtool make` with `options` into `dir`/`name` and returns the path.
std::string MakeClip(const TempDir& dir, const std::string& name, const std::vector<std::string>& options);

// A clip whose sound is a wide-band track of `milliseconds` (mode 8).
std::string MakeWideBandClip(const TempDir& dir, const std::string& name, int frames, int milliseconds);

// The clip's sound track after its magic, frame by frame, as zrvtool info
// places it: the bytes from the audio start to the end.
Bytes SoundTrackOf(const std::string& clip);
