// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// The playback state that the player window's handlers share.
#pragma once

#include <cstdint>
#include <memory>

#include "audio/background_conversion.h"
#include "audio/frame_interval.h"
#include "container/clip_reading.h"
#include "container/file_block.h"
#include "container/frame_index.h"

enum PlayerState : int32_t {
  stateNoFile = -1,
  stateLoaded = 0,   // opened, not yet played
  statePlaying = 1,
  statePaused = 2,
};

enum ZoomMode : int { zoomFit = 0, zoomNormal = 1, zoomSmall = 2 };

struct PlayerSession {
  FileBlock fileData;        // the whole loaded file
  FrameIndex index;          // its frames and sound track
  uint32_t currentFrame = 0; // the frame the next display shows
  int32_t state = stateNoFile;
  uint32_t interval = 200;   // playback timer period, ms
  int speedMode = speedNormal;
  int zoomMode = zoomNormal;
  // The loaded clip's sound on its way to the WAV file and the wave device.
  BackgroundConversion soundConversion;
  // A large clip is shown from its first frame while the rest is read and
  // indexed: `index` holds that frame alone until `wholeIndex` is complete.
  // Declared last, so that the reading stops before what it fills goes.
  bool indexing = false;
  FrameIndex wholeIndex;
  std::unique_ptr<ClipReading> reading;
};
