// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
#include "tools/zrvtool_export/export_report.h"

#include "text/terminal_text.h"

#include <cstdio>

std::string JsonString(const std::string& text) {
  std::string out = "\"";
  for (unsigned char c : text) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += char(c);
    } else if (c < 0x20) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
      out += escaped;
    } else {
      out += char(c);
    }
  }
  return out + "\"";
}

std::string JsonNumber(double value) {
  char text[40];
  std::snprintf(text, sizeof text, "%.3f", value);
  std::string out = text;
  while (out.back() == '0') out.pop_back();
  if (out.back() == '.') out.pop_back();
  return out;
}

namespace {

std::string Clock(double seconds) {
  if (seconds < 0) seconds = 0;
  const long whole = long(seconds + 0.5);
  char text[32];
  if (whole >= 3600)
    std::snprintf(text, sizeof text, "%ld:%02ld:%02ld", whole / 3600, whole / 60 % 60, whole % 60);
  else
    std::snprintf(text, sizeof text, "%ld:%02ld", whole / 60, whole % 60);
  return text;
}

double Since(std::chrono::steady_clock::time_point t) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - t).count();
}

}  // namespace

std::string ExactDecimal(uint64_t numerator, uint64_t denominator) {
  if (denominator == 0) return "0";
  std::string out = std::to_string(numerator / denominator);
  uint64_t rest = numerator % denominator;
  if (rest == 0) return out;
  out += '.';
  for (int place = 0; place < 12 && rest != 0; ++place) {
    rest *= 10;
    out += char('0' + rest / denominator);
    rest %= denominator;
  }
  while (out.back() == '0') out.pop_back();
  return out;
}

std::string ExportJsonLine(const std::string& clip, const std::string& output,
                           const ExportResult& r) {
  std::string line = "{\"clip\":" + JsonString(clip) + ",\"output\":" + JsonString(output);
  line += ",\"ok\":";
  line += r.ok ? "true" : "false";
  line += ",\"frames\":" + std::to_string(r.frames);
  line += ",\"duration_ms\":" + JsonNumber(r.duration_ms);
  line += ",\"fps\":" + ExactDecimal(r.fps_num, r.fps_den);
  line += ",\"sound\":";
  line += r.sound ? "true" : "false";
  line += ",\"damaged_frames\":" + std::to_string(r.damaged_frames);
  line += ",\"width\":" + std::to_string(r.width) + ",\"height\":" + std::to_string(r.height);
  line += ",\"other_size_frames\":" + std::to_string(r.other_size_frames);
  if (r.other_size_frames > 0)
    line += ",\"first_other_size_frame\":" + std::to_string(r.first_other_size_frame) +
            ",\"other_width\":" + std::to_string(r.other_width) +
            ",\"other_height\":" + std::to_string(r.other_height);
  line += ",\"bytes\":" + std::to_string(r.bytes);
  line += ",\"seconds\":" + JsonNumber(r.seconds);
  if (!r.ok) line += ",\"error\":" + JsonString(r.error);
  return line + "}\n";
}

ProgressDisplay::ProgressDisplay(bool enabled, size_t clipCount, const char* item, const char* done,
                                 bool percent)
    : m_enabled(enabled),
      m_clipCount(clipCount),
      m_item(item),
      m_doneWord(done),
      m_percent(percent),
      m_start(std::chrono::steady_clock::now()) {}

void ProgressDisplay::StartClip(size_t number, const std::string& name) {
  m_clip = number;
  m_name = TerminalText(name);
  m_done = m_total = 0;
  m_clipStart = std::chrono::steady_clock::now();
}

void ProgressDisplay::Update(uint32_t done, uint32_t total) {
  m_done = done;
  m_total = total;
  Draw(done == total);
}

std::string ProgressDisplay::TotalLine() const {
  const double clipsDone = double(m_clip) + (m_total ? double(m_done) / m_total : 0.0);
  const double elapsed = Since(m_start);
  std::string line = "total: " + std::string(m_item) + " " + std::to_string(m_clip + 1 > m_clipCount ? m_clipCount
                                                                                : m_clip + 1) +
                     " of " + std::to_string(m_clipCount) + ", " + Clock(elapsed) + " elapsed";
  if (clipsDone > 0)
    line += ", about " + Clock(elapsed / clipsDone * (double(m_clipCount) - clipsDone)) + " left";
  return line;
}

void ProgressDisplay::Draw(bool force) {
  if (!m_enabled) return;
  const auto now = std::chrono::steady_clock::now();
  // A few times a second is enough for the eye.
  if (!force && m_drawn && now - m_lastDraw < std::chrono::milliseconds(100)) return;
  m_lastDraw = now;
  m_drawn = true;
  constexpr int kWidth = 30;
  const int filled = m_total ? int(uint64_t(m_done) * kWidth / m_total) : 0;
  const double elapsed = Since(m_clipStart);
  std::string bar = "[";
  bar.append(size_t(filled), '#');
  bar.append(size_t(kWidth - filled), '.');
  bar += "] " + (m_percent ? std::to_string(m_total ? uint64_t(m_done) * 100 / m_total : 0) + "%"
                          : std::to_string(m_done) + "/" + std::to_string(m_total) + " frames") +
         ", " + Clock(elapsed) + " elapsed";
  if (m_done > 0 && m_done < m_total)
    bar += ", " + Clock(elapsed / m_done * (m_total - m_done)) + " left";
  bar += "  " + m_name;
  std::string out = "\r\033[K";
  out += bar;
  if (m_clipCount > 1) out += "\n\033[K" + TotalLine() + "\033[A\r";
  std::fputs(out.c_str(), stderr);
  std::fflush(stderr);
}

void ProgressDisplay::EndClip() {
  if (!m_enabled || !m_drawn) return;
  std::fputs("\n", stderr);
  m_drawn = false;
}

void ProgressDisplay::Clear() {
  if (!m_enabled || !m_drawn) return;
  std::fputs(m_clipCount > 1 ? "\r\033[K\n\033[K\033[A\r" : "\r\033[K", stderr);
  m_drawn = false;
}

void ProgressDisplay::Finish(size_t exported) {
  if (!m_enabled || m_clipCount < 2) return;
  std::fprintf(stderr, "\r\033[Ktotal: %zu of %zu %ss %s in %s\n", exported, m_clipCount, m_item,
               m_doneWord, Clock(Since(m_start)).c_str());
}
