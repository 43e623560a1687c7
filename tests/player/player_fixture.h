// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// A player window in a private environment, and clips made for it.
#pragma once

#include <gtest/gtest.h>

#include <QString>
#include <memory>
#include <string>
#include <vector>

#include "player/player_dlg.h"
#include "tests/support/test_support.h"

// Runs `zrvtool make` with `options` into `path`; fails the test when it fails.
void MakeClip(const std::string& path, const std::vector<std::string>& options);

// A WAV file of 16-bit mono PCM at 8000 Hz holding `milliseconds` of a tone.
void WriteToneWav(const std::string& path, int milliseconds);

class PlayerTest : public testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // A window after its initialisation, in `locale`, opening `arguments`.
  CPlayerDlg& StartWindow(const char* locale = "en_US.UTF-8", const QStringList& arguments = {});

  // Answers the next open or save dialog with `path` (nothing: cancel).
  void AnswerOpen(const std::string& path);
  void AnswerSave(const std::string& path);

  // Opens `path` through the dialog, as the open button does.
  bool Open(const std::string& path);

  TempDir m_dir;
  std::unique_ptr<CPlayerDlg> m_window;
};
