// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// Control and command ids of the player window and its menu.
#pragma once

namespace ids {

// Controls.
inline constexpr int kOpenButton = 1000;
inline constexpr int kPicture = 1002;
inline constexpr int kPlayButton = 1004;
inline constexpr int kPositionSlider = 1005;
inline constexpr int kPauseButton = 1006;
inline constexpr int kDistillButton = 1007;
inline constexpr int kStatusLine = 1009;
inline constexpr int kDefaultButton = 1010;
inline constexpr int kVolumeSlider = 1018;

// Menu commands.
inline constexpr int kFileOpen = 32771;
inline constexpr int kFileQuit = 32772;
inline constexpr int kZoomNormal = 32774;
inline constexpr int kZoomBig = 32775;
inline constexpr int kZoomSmall = 32776;
inline constexpr int kSpeedQuick = 32777;
inline constexpr int kSpeedNormal = 32778;
inline constexpr int kSpeedSlow = 32779;
inline constexpr int kHelpAbout = 32780;
inline constexpr int kAlwaysOnTop = 32781;
inline constexpr int kToolVideoConvert = 32782;
inline constexpr int kToolZrvChanger = 32783;
inline constexpr int kHelpCheckVersion = 32785;
inline constexpr int kHelpManual = 32786;

// The About entry that the window's context menu carries.
inline constexpr int kSystemAbout = 0x0010;

// The playback timer.
inline constexpr int kPlaybackTimer = 1;

}  // namespace ids
