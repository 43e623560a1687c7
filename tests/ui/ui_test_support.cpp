// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
#include "tests/ui/ui_test_support.h"

#include <QDesktopServices>
#include <chrono>
#include <sys/stat.h>
#include <thread>

#include "tests/support/test_support.h"
#include "ui/language.h"

ScopedEnv::ScopedEnv(const char* name, const std::optional<std::string>& value) : m_name(name) {
  if (qEnvironmentVariableIsSet(name)) m_old = qgetenv(name);
  if (value) {
    qputenv(name, QByteArray::fromStdString(*value));
  } else {
    qunsetenv(name);
  }
}

ScopedEnv::~ScopedEnv() {
  if (m_old) {
    qputenv(m_name, *m_old);
  } else {
    qunsetenv(m_name);
  }
}

ScopedLanguage::ScopedLanguage(uint8_t language) { UiLanguage = language; }
ScopedLanguage::~ScopedLanguage() { UiLanguage = kLanguageChinese; }

RecordedMessages::RecordedMessages() {
  SetMessageBoxShower([this](const MessageBoxRequest& request) { m_boxes.push_back(request); });
}

RecordedMessages::~RecordedMessages() { SetMessageBoxShower({}); }

UrlRecorder::UrlRecorder(const QString& scheme) : m_scheme(scheme) {
  QDesktopServices::setUrlHandler(m_scheme, this, "open");
}

UrlRecorder::~UrlRecorder() { QDesktopServices::unsetUrlHandler(m_scheme); }

void UrlRecorder::open(const QUrl& url) { m_urls.append(url); }

std::string ArgumentsFile(const std::string& scriptPath) { return scriptPath + ".args"; }

void WriteArgumentRecorder(const std::string& path) {
  // Written to a temporary name first, so that a reader never sees half a list.
  const std::string script =
      "#!/bin/sh\n"
      "for argument in \"$@\"; do printf '%s\\n' \"$argument\"; done > \"$0.partial\"\n"
      "/bin/mv \"$0.partial\" \"$0.args\"\n";
  WriteFile(path, Bytes(script.begin(), script.end()));
  ::chmod(path.c_str(), 0755);
}

std::optional<std::vector<std::string>> RecordedArguments(const std::string& scriptPath) {
  const std::string file = ArgumentsFile(scriptPath);
  for (int i = 0; i < 500 && !FileExists(file); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  if (!FileExists(file)) return std::nullopt;
  const Bytes bytes = ReadFile(file);
  std::vector<std::string> arguments;
  std::string line;
  for (const uint8_t byte : bytes) {
    if (byte == '\n') {
      arguments.push_back(line);
      line.clear();
    } else {
      line += static_cast<char>(byte);
    }
  }
  return arguments;
}
