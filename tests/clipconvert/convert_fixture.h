// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// What the converter window's tests share: clips made by zrvtool make, a
// window whose dialogs the test answers, waiting for the window, and the
// streams of an output as ffprobe reads them.
#pragma once

#include <QStringList>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/test_support.h"
#include "tools/clipconvert/convert_wnd.h"
#include "ui/language.h"

// `zrvtool make ARGS... PATH`; the test fails when it does not succeed.
void MakeClip(const std::string& path, const std::vector<std::string>& args = {});

// One stream of a file: "h264,video,40" (codec, type, packets), as ffprobe
// counts them; empty when ffprobe cannot read the file.
std::vector<std::string> ProbeStreams(const std::string& path);

// Every name in `folder`, hidden ones included, sorted.
std::vector<std::string> FolderEntries(const std::string& folder);

// Runs the event loop until `done` holds or `seconds` pass; returns `done()`.
bool WaitFor(const std::function<bool()>& done, double seconds = 60);

class ConvertWindowTest : public testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // A new window in `language`, its dialogs answered from the members below.
  void OpenWindow(uint8_t language = kLanguageEnglish);
  // Adds the clips and waits until their facts are in the list.
  void Add(const QStringList& paths);
  // Clicks Convert and waits until the run has ended.
  void ConvertAll();
  QString Result(int row) const { return window->cellText(row, columnResult); }

  TempDir dir;
  std::unique_ptr<CConvertWnd> window;
  QStringList chosenClips;             // what the file dialog answers
  QString chosenFolder;                // what the folder dialogs answer
  std::vector<QString> replaceAsked;   // the outputs the user was asked about
  ReplaceAnswer replaceAnswer = ReplaceAnswer::keep;
  int closeAsked = 0;
  bool closeAnswer = false;
  std::vector<QString> shownFolders;

 private:
  uint8_t m_savedLanguage = kLanguageChinese;
};
