// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// A clip's sound track as a WAV file, the way the player prepares it.
#pragma once

#include <cstdint>
#include <string>

#include "tools/cli/cli.h"

// Converts the clip's sound track (from its "#!AMR" to the end of the file)
// to `wavPath`, straight from the clip's bytes. Returns false, saying why on
// stderr, when the clip has no sound or the track cannot be converted;
// `cannotWrite` is the message for a WAV file that cannot be written.
bool ConvertClipSound(const std::string& clipPath, const LoadedClip& clip,
                      const std::string& wavPath, const std::string& cannotWrite);

// The length in milliseconds of the clip's converted sound track, counted
// from its frames without converting it, or kUnknownSoundLength when it has
// none or one of no known kind.
uint32_t ClipSoundLengthMs(const LoadedClip& clip);
