// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
#include "tests/player/player_fixture.h"

#include <cmath>
#include <cstdlib>

void MakeClip(const std::string& path, const std::vector<std::string>& options) {
  std::vector<std::string> args = {BuiltProgram("zrvtool"), "make"};
  args.insert(args.end(), options.begin(), options.end());
  args.push_back(path);
  ProgramResult r = RunProgram(args);
  ASSERT_EQ(r.exitCode, 0) << r.err;
}

void WriteToneWav(const std::string& path, int milliseconds) {
  const uint32_t samples = uint32_t(milliseconds) * 8;
  Bytes b;
  auto put32 = [&b](uint32_t v) {
    for (int i = 0; i < 4; ++i) b.push_back(uint8_t(v >> (8 * i)));
  };
  auto put16 = [&b](uint16_t v) {
    b.push_back(uint8_t(v));
    b.push_back(uint8_t(v >> 8));
  };
  auto text = [&b](const char* s) {
    for (int i = 0; i < 4; ++i) b.push_back(uint8_t(s[i]));
  };
  text("RIFF");
  put32(36 + samples * 2);
  text("WAVE");
  text("fmt ");
  put32(16);
  put16(1);
  put16(1);
  put32(8000);
  put32(16000);
  put16(2);
  put16(16);
  text("data");
  put32(samples * 2);
  for (uint32_t i = 0; i < samples; ++i)
    put16(uint16_t(int16_t(8000 * std::sin(2 * M_PI * 440.0 * i / 8000))));
  WriteFile(path, b);
}

void PlayerTest::SetUp() {
  // Nothing of the user's is touched: the desktop files and the temporary
  // folder are this test's own.
  setenv("XDG_DATA_HOME", m_dir.File("share").c_str(), 1);
  setenv("TMP", m_dir.path().c_str(), 1);
}

void PlayerTest::TearDown() {
  m_window.reset();
  unsetenv("TMP");
}

CPlayerDlg& PlayerTest::StartWindow(const char* locale, const QStringList& arguments) {
  setenv("LC_ALL", locale, 1);
  m_window = std::make_unique<CPlayerDlg>();
  m_window->OnInitDialog(arguments);
  return *m_window;
}

void PlayerTest::AnswerOpen(const std::string& path) {
  m_window->m_chooseOpenFile = [path](const QString&) -> std::optional<ChosenFile> {
    if (path.empty()) return std::nullopt;
    return ChosenFile{path, path.substr(path.rfind('/') + 1)};
  };
}

void PlayerTest::AnswerSave(const std::string& path) {
  m_window->m_chooseSaveFile = [path](const QString&) -> std::optional<ChosenFile> {
    if (path.empty()) return std::nullopt;
    return ChosenFile{path, path.substr(path.rfind('/') + 1)};
  };
}

bool PlayerTest::Open(const std::string& path) {
  AnswerOpen(path);
  return m_window->OnOpen();
}
