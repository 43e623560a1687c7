// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// The helper's confinement in a real process: after it, opening files,
// sockets and programs are refused, in the confined thread and in threads it
// starts, while the work it keeps (its open descriptors, threads, renaming
// its output into place) still goes.
#include <gtest/gtest.h>

#include <cerrno>
#include <fcntl.h>
#include <functional>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "tests/support/test_support.h"
#include "tools/zrvtool_export/confinement.h"

namespace {

#ifdef __SANITIZE_ADDRESS__
constexpr bool kReadOpensAllowed = true;  // the leak check's own reading of /proc
#else
constexpr bool kReadOpensAllowed = false;
#endif

enum Outcome { refused = 10, allowed = 11, otherError = 12, notConfined = 13 };

// Runs `attempt` in a child after ConfineProcess; the attempt returns
// -1 with errno set when the call failed.
int InConfinedChild(const std::function<int()>& attempt) {
  const pid_t child = ::fork();
  if (child == 0) {
    std::string error;
    if (!ConfineProcess(error)) _exit(notConfined);
    errno = 0;
    const int result = attempt();
    _exit(result >= 0 ? allowed : errno == EACCES ? refused : otherError);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(Confinement, RefusesFilesSocketsAndProgramsAndKeepsItsOwnWork) {
  TempDir dir;
  WriteFile(dir.File("mine.txt"), {'o', 'k'});
  WriteFile(dir.File("private.txt"), {'s'});
  const int opened = ::open(dir.File("mine.txt").c_str(), O_RDONLY | O_CLOEXEC);
  ASSERT_GE(opened, 0);
  const std::string privateFile = dir.File("private.txt");
  const std::string made = dir.File("made.txt");
  const std::string from = dir.File("mine.txt"), to = dir.File("renamed.txt");

  struct Case {
    const char* what;
    std::function<int()> attempt;
    int expected;
  } cases[] = {
      {"open another file for reading", [&] { return ::open(privateFile.c_str(), O_RDONLY); },
       kReadOpensAllowed ? allowed : refused},
      {"open another file for writing", [&] { return ::open(privateFile.c_str(), O_WRONLY); }, refused},
      {"create a file", [&] { return ::open(made.c_str(), O_RDONLY | O_CREAT, 0600); }, refused},
      {"an internet socket", [] { return ::socket(AF_INET, SOCK_DGRAM, 0); }, refused},
      {"a local socket", [] { return ::socket(AF_UNIX, SOCK_STREAM, 0); }, refused},
      {"start a program",
       [] {
         char* argv[] = {const_cast<char*>("/bin/true"), nullptr};
         return ::execv("/bin/true", argv);
       },
       refused},
      {"open a file from a thread it starts",
       [&] {
         int result = 0, error = 0;
         std::thread([&] {
           result = ::open(privateFile.c_str(), O_WRONLY);
           error = errno;
         }).join();
         errno = error;
         return result;
       },
       refused},
      {"read a descriptor it had", [&] {
         char byte;
         return int(::pread(opened, &byte, 1, 0));
       }, allowed},
      {"rename its output into place", [&] { return ::rename(from.c_str(), to.c_str()); }, allowed},
  };
  for (const Case& c : cases) EXPECT_EQ(InConfinedChild(c.attempt), c.expected) << c.what;
  ::close(opened);
  EXPECT_FALSE(FileExists(made));
}

}  // namespace
