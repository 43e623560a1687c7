// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// What zrvtool export and zrvtool import tell the user: a progress bar on a
// terminal, and one JSON line per clip (or video) for programs.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

#include "export/export.h"

// The exact frame rate numerator / denominator as a decimal: every digit of
// a terminating fraction, else twelve places (trailing zeros dropped).
std::string ExactDecimal(uint64_t numerator, uint64_t denominator);

// A JSON string with its quotes, and a number with at most three decimals.
std::string JsonString(const std::string& text);
std::string JsonNumber(double value);

// One line of JSON (with its newline) describing one clip's export.
std::string ExportJsonLine(const std::string& clip, const std::string& output,
                           const ExportResult& result);

// The progress bar of each clip and, for several clips, a total line below
// it, redrawn in place on standard error.
class ProgressDisplay {
 public:
  // `item` names what the batch is made of ("clip"), `done` what happens
  // to it ("exported"). With `percent` the bar counts permille of the work
  // instead of frames.
  ProgressDisplay(bool enabled, size_t clipCount, const char* item = "clip",
                  const char* done = "exported", bool percent = false);
  void StartClip(size_t number, const std::string& name);
  void Update(uint32_t done, uint32_t total);
  // Leaves the clip's last bar on screen.
  void EndClip();
  // Clears what is drawn, so that a message can take the line.
  void Clear();
  void Finish(size_t exported);

 private:
  void Draw(bool force);
  std::string TotalLine() const;

  bool m_enabled;
  size_t m_clipCount;
  const char* m_item;
  const char* m_doneWord;
  bool m_percent;
  size_t m_clip = 0;
  std::string m_name;
  uint32_t m_done = 0, m_total = 0;
  std::chrono::steady_clock::time_point m_start, m_clipStart, m_lastDraw;
  bool m_drawn = false;
};
