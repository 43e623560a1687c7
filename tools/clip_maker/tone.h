// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// The tone track of zrvtool make: a note that changes at every whole second,
// so that a listener hears where playback is.
#pragma once

#include <cstdint>
#include <vector>

// `milliseconds` of the tone as 8000 Hz 16-bit samples. Second s plays the
// s-th note (counted from 0) of an ascending C major scale, over and over.
std::vector<int16_t> ToneSamples(uint32_t milliseconds);

// The pitch in hertz of the tone during second `s`.
double TonePitch(uint32_t second);
