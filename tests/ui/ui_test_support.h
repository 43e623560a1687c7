// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// Helpers of the auxiliary-service tests: environment and language settings
// undone at the end of a test, a stand-in for the message boxes, a recorder
// for the desktop's URL handlers, and scripts that stand in for other
// programs and record the arguments they were started with.
#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <QUrl>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "ui/message_box.h"

// Readable texts in the failure messages of the tests.
inline void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }

// Sets (or with nullopt removes) one environment variable; the old state
// comes back when the object goes.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const std::optional<std::string>& value);
  ~ScopedEnv();
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  const char* m_name;
  std::optional<QByteArray> m_old;
};

// The interface language for one test; Chinese again afterwards.
class ScopedLanguage {
 public:
  explicit ScopedLanguage(uint8_t language);
  ~ScopedLanguage();
};

// Message boxes are recorded instead of shown while the object lives.
class RecordedMessages {
 public:
  RecordedMessages();
  ~RecordedMessages();
  RecordedMessages(const RecordedMessages&) = delete;
  RecordedMessages& operator=(const RecordedMessages&) = delete;

  const std::vector<MessageBoxRequest>& boxes() const { return m_boxes; }
  void clear() { m_boxes.clear(); }

 private:
  std::vector<MessageBoxRequest> m_boxes;
};

// Takes the desktop's part for one URL scheme while it lives: every URL that
// the program asks the desktop to open with that scheme is recorded.
class UrlRecorder : public QObject {
  Q_OBJECT

 public:
  explicit UrlRecorder(const QString& scheme);
  ~UrlRecorder() override;

  const QList<QUrl>& urls() const { return m_urls; }

 public slots:
  void open(const QUrl& url);

 private:
  QString m_scheme;
  QList<QUrl> m_urls;
};

// Writes an executable shell script at `path` that, when run, writes its
// arguments, one a line, to ArgumentsFile(path).
void WriteArgumentRecorder(const std::string& path);
std::string ArgumentsFile(const std::string& scriptPath);

// The arguments a recorder script was started with, once it has run (waits a
// few seconds at most); nullopt when it did not run.
std::optional<std::vector<std::string>> RecordedArguments(const std::string& scriptPath);
