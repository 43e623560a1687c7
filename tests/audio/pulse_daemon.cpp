// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
#include "tests/audio/pulse_daemon.h"

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <spawn.h>
#include <stdexcept>
#include <string>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace {

using namespace std::chrono_literals;

constexpr auto kStartLimit = 20s;

std::string Text(const Bytes& b) { return std::string(b.begin(), b.end()); }

bool Accepts(const std::string& socketPath) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (socketPath.size() >= sizeof address.sun_path) throw std::runtime_error("socket path too long");
  socketPath.copy(address.sun_path, socketPath.size());
  int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  bool ok = fd >= 0 && ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
  if (fd >= 0) ::close(fd);
  return ok;
}

// Starts `args` (args[0] a path; /usr/bin/env finds a program on PATH) with
// both output streams appended to `log`.
pid_t SpawnLogged(const std::vector<std::string>& args, const std::string& log) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
  posix_spawn_file_actions_adddup2(&actions, 1, 2);
  std::vector<char*> argv;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  pid_t pid = -1;
  int rc = ::posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0) throw std::runtime_error("cannot start " + args[0]);
  return pid;
}

// Ends a child: `signal`, then SIGKILL if it lingers.
void EndChild(pid_t pid, int signal) {
  if (pid <= 0) return;
  ::kill(pid, signal);
  for (auto until = std::chrono::steady_clock::now() + 5s; std::chrono::steady_clock::now() < until;) {
    if (::waitpid(pid, nullptr, WNOHANG) == pid) return;
    std::this_thread::sleep_for(10ms);
  }
  ::kill(pid, SIGKILL);
  ::waitpid(pid, nullptr, 0);
}

}  // namespace

PulseDaemon::PulseDaemon() : m_socket(m_dir.File("native")) {
  for (const char* sub : {"home", "runtime", "config"}) ::mkdir(m_dir.File(sub).c_str(), 0700);
  SetVariable("PULSE_SERVER", "unix:" + m_socket);
  SetVariable("HOME", m_dir.File("home"));
  SetVariable("XDG_RUNTIME_DIR", m_dir.File("runtime"));
  SetVariable("XDG_CONFIG_HOME", m_dir.File("config"));
  std::string script = std::string("load-module module-null-sink sink_name=") + SINK_NAME +
                       "\nset-default-sink " + SINK_NAME +
                       "\nload-module module-native-protocol-unix auth-anonymous=1 socket=" + m_socket +
                       "\n";
  WriteFile(m_dir.File("server.pa"), Bytes(script.begin(), script.end()));
  Start();
}

PulseDaemon::~PulseDaemon() {
  Thaw();
  EndChild(m_pid, SIGTERM);
  for (auto it = m_saved.rbegin(); it != m_saved.rend(); ++it) {
    if (it->wasSet)
      ::setenv(it->name.c_str(), it->value.c_str(), 1);
    else
      ::unsetenv(it->name.c_str());
  }
}

void PulseDaemon::SetVariable(const std::string& name, const std::string& value) {
  const char* old = std::getenv(name.c_str());
  m_saved.push_back({name, old != nullptr, old ? old : ""});
  ::setenv(name.c_str(), value.c_str(), 1);
}

void PulseDaemon::Start() {
  // Own settings only: no pid file, no shared memory left behind by a kill,
  // no real-time or D-Bus helpers, no exit when idle.
  m_pid = SpawnLogged({"/usr/bin/env", "pulseaudio", "-n", "--daemonize=no", "--system=false",
                       "--exit-idle-time=-1", "--use-pid-file=false", "--disable-shm=true",
                       "--realtime=false", "--high-priority=false", "--log-target=stderr",
                       "--log-level=error", "-F", m_dir.File("server.pa")},
                      m_dir.File("server.log"));
  for (auto until = std::chrono::steady_clock::now() + kStartLimit;;) {
    if (Accepts(m_socket)) return;
    if (::waitpid(m_pid, nullptr, WNOHANG) == m_pid || std::chrono::steady_clock::now() > until) {
      EndChild(m_pid, SIGKILL);
      m_pid = -1;
      throw std::runtime_error("pulseaudio did not start: " + Text(ReadFile(m_dir.File("server.log"))));
    }
    std::this_thread::sleep_for(20ms);
  }
}

void PulseDaemon::Kill() {
  EndChild(m_pid, SIGKILL);
  m_pid = -1;
}

void PulseDaemon::Freeze() {
  if (m_pid > 0) ::kill(m_pid, SIGSTOP);
}

void PulseDaemon::Thaw() {
  if (m_pid > 0) ::kill(m_pid, SIGCONT);
}

std::string PulseDaemon::Pactl(const std::vector<std::string>& args) const {
  std::vector<std::string> command = {"/usr/bin/env", "pactl"};
  command.insert(command.end(), args.begin(), args.end());
  ProgramResult result = RunProgram(command);
  if (result.exitCode != 0) throw std::runtime_error("pactl failed: " + result.err);
  return result.out;
}

MonitorRecording::MonitorRecording(const std::string& path, int rate) {
  m_pid = SpawnLogged({"/usr/bin/env", "parec", std::string("--device=") + PulseDaemon::SINK_NAME + ".monitor",
                       "--raw", "--format=s16le", "--channels=1", "--rate=" + std::to_string(rate),
                       "--latency-msec=20", path},
                      path + ".log");
}

MonitorRecording::~MonitorRecording() { EndChild(m_pid, SIGINT); }
