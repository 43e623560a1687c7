// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// What the player window is to screen readers: the program's main window
// (role frame), not the dialog its class derives from.
#pragma once

// Installs, once, the accessibility factory that gives windows of class
// CPlayerDlg the role of a top-level window.
void AnnouncePlayerAsMainWindow();
