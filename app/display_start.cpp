// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
#include "app/display_start.h"

#include <QString>
#include <cstdio>
#include <unistd.h>
#include <vector>

namespace {

// A message and where it came from; the context's strings point into the
// program's constant data.
struct Held {
  QtMsgType type;
  const char* file;
  int line;
  const char* function;
  const char* category;
  QString text;
};

std::vector<Held>* g_held = nullptr;
QtMessageHandler g_previous = nullptr;

// A fatal message while the application object is made means that no
// platform plugin could start: no display (Qt aborts after it).
void Hold(QtMsgType type, const QMessageLogContext& context, const QString& text) {
  if (type == QtFatalMsg) {
    std::fprintf(stderr, "%s\n", NoDisplayLine());
    std::fflush(stderr);
    ::_exit(1);
  }
  g_held->push_back({type, context.file, context.line, context.function, context.category, text});
}

}  // namespace

const char* NoDisplayLine() {
  return "zrvplayer: no display could be opened: the player needs a graphical session "
         "(zrvtool works without one)";
}

void StartWithDisplay(const std::function<void()>& start) {
  std::vector<Held> held;
  g_held = &held;
  g_previous = qInstallMessageHandler(Hold);
  start();
  qInstallMessageHandler(g_previous);
  g_held = nullptr;
  for (const Held& m : held)
    qt_message_output(m.type, QMessageLogContext(m.file, m.line, m.function, m.category), m.text);
}
