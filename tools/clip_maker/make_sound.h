// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// The sound track that zrvtool make puts behind the frames.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/clip_maker/make_request.h"

// The sound track as it will stand in the clip: none (empty), the tone, an
// AMR storage file as it is, or a WAV file encoded. On failure `why` says
// what is wrong.
bool BuildSoundTrack(const MakeRequest& request, std::vector<uint8_t>& track, std::string& why);
