// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// A private PulseAudio server for tests, which needs nothing running before:
// one null sink, SINK_NAME, as the default output, reached through a socket in
// the server's own temporary folder. While the object lives, this process's
// PULSE_SERVER, HOME and XDG_RUNTIME_DIR point there, so clients made in the
// test (and pactl, parec) talk to this server and to no other.
#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

#include "tests/support/test_support.h"

class PulseDaemon {
 public:
  static constexpr const char* SINK_NAME = "zrvtest";

  PulseDaemon();   // starts the server and waits until it takes connections
  ~PulseDaemon();  // stops it by its process id and restores the environment
  PulseDaemon(const PulseDaemon&) = delete;
  PulseDaemon& operator=(const PulseDaemon&) = delete;

  void Start();   // a new server on the same socket (after Kill)
  void Kill();    // ends the server at once, as a crash would
  void Freeze();  // the server stops answering, its socket stays open
  void Thaw();

  // Runs pactl against the server; its output, or an exception on failure.
  std::string Pactl(const std::vector<std::string>& args) const;

  const std::string& folder() const { return m_dir.path(); }

 private:
  struct SavedVariable {
    std::string name;
    bool wasSet = false;
    std::string value;
  };
  void SetVariable(const std::string& name, const std::string& value);

  TempDir m_dir;
  std::string m_socket;
  pid_t m_pid = -1;
  std::vector<SavedVariable> m_saved;
};

// parec recording the monitor of PulseDaemon::SINK_NAME as raw 16-bit mono
// samples at `rate` into `path`, until the object goes.
class MonitorRecording {
 public:
  MonitorRecording(const std::string& path, int rate);
  ~MonitorRecording();
  MonitorRecording(const MonitorRecording&) = delete;
  MonitorRecording& operator=(const MonitorRecording&) = delete;

 private:
  pid_t m_pid = -1;
};
