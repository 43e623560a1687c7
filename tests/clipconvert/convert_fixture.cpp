// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
#include "tests/clipconvert/convert_fixture.h"

#include <QApplication>
#include <QPushButton>
#include <QStandardPaths>
#include <algorithm>
#include <chrono>
#include <filesystem>
#include <sstream>
#include <thread>

void MakeClip(const std::string& path, const std::vector<std::string>& args) {
  std::vector<std::string> command = {BuiltProgram("zrvtool"), "make"};
  command.insert(command.end(), args.begin(), args.end());
  command.push_back(path);
  const ProgramResult made = RunProgram(command);
  ASSERT_EQ(made.exitCode, 0) << made.err;
}

std::vector<std::string> ProbeStreams(const std::string& path) {
  const ProgramResult probe =
      RunProgram({QStandardPaths::findExecutable("ffprobe").toStdString(), "-v", "error", "-count_packets", "-show_entries",
                  "stream=codec_name,codec_type,nb_read_packets", "-of", "csv=p=0", path});
  std::vector<std::string> streams;
  if (probe.exitCode != 0) return streams;
  std::istringstream lines(probe.out);
  for (std::string line; std::getline(lines, line);)
    if (!line.empty()) streams.push_back(line);
  return streams;
}

std::vector<std::string> FolderEntries(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

bool WaitFor(const std::function<bool()>& done, double seconds) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  while (!done()) {
    if (std::chrono::steady_clock::now() > end) return false;
    QApplication::processEvents(QEventLoop::AllEvents, 20);
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return true;
}

void ConvertWindowTest::SetUp() { m_savedLanguage = UiLanguage; }

void ConvertWindowTest::TearDown() {
  window.reset();
  UiLanguage = m_savedLanguage;
}

void ConvertWindowTest::OpenWindow(uint8_t language) {
  UiLanguage = language;
  window = std::make_unique<CConvertWnd>();
  window->m_chooseFiles = [this] { return chosenClips; };
  window->m_chooseFolder = [this](const QString&) { return chosenFolder; };
  window->m_askReplace = [this](const QString& output) {
    replaceAsked.push_back(output);
    return replaceAnswer;
  };
  window->m_askStopAndClose = [this] {
    ++closeAsked;
    return closeAnswer;
  };
  window->m_showFolder = [this](const QString& folder) { shownFolders.push_back(folder); };
  window->show();
}

void ConvertWindowTest::Add(const QStringList& paths) {
  window->AddPaths(paths);
  ASSERT_TRUE(WaitFor([this] { return window->filesBeingRead() == 0; }));
}

void ConvertWindowTest::ConvertAll() {
  ASSERT_TRUE(window->convertButton()->isEnabled());
  window->convertButton()->click();
  ASSERT_TRUE(WaitFor([this] { return !window->converting(); }, 240));
}
