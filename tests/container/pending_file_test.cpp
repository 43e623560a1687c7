// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
#include "container/pending_file.h"

#include <gtest/gtest.h>

#include <atomic>
#include <fcntl.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

#include "tests/support/test_support.h"

namespace {

const Bytes kNew = {'n', 'e', 'w'};
const Bytes kOld = {'o', 'l', 'd', '!'};

mode_t CurrentUmask() {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return mask;
}

mode_t ModeOf(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
}

class ScopedUmask {
 public:
  explicit ScopedUmask(mode_t mask) : m_before(::umask(mask)) {}
  ~ScopedUmask() { ::umask(m_before); }

 private:
  mode_t m_before;
};

struct PublishCase {
  const char* what;
  PendingKind kind;
  bool oldFile;       // a file stands at the destination before Create
  bool replace;
  bool intruder;      // a file takes the name between Create and Publish
  bool publish;       // false: the object goes without publishing
  bool published;     // what Publish answers
  PendingProblem problem;
  Bytes left;         // what the destination holds at the end; empty: nothing there
};

class PendingPublish : public ::testing::TestWithParam<PublishCase> {};

// Whatever the case, the folder ends with the destination's name at most:
// no hidden or half-written file, and the published file has the mode any
// new file gets.
TEST_P(PendingPublish, LeavesTheDestinationOrWhatWasThereAndNothingElse) {
  const PublishCase& c = GetParam();
  const ScopedUmask umask(027);
  TempDir dir;
  const std::string destination = dir.File("clip.zrv");
  if (c.oldFile) WriteFile(destination, kOld);
  const std::vector<std::string> before = FolderNames(dir.path());

  std::string error;
  {
    PendingFile file;
    ASSERT_TRUE(file.Create(destination, c.replace, error, c.kind)) << error;
    ASSERT_TRUE(file.opened());
    EXPECT_EQ(file.kind(), c.kind);
    // Unnamed, it is not in the folder at all; hidden, it is one dot name.
    const std::vector<std::string> during = FolderNames(dir.path());
    if (c.kind == PendingKind::unnamed) {
      EXPECT_EQ(during, before);
    } else {
      ASSERT_EQ(during.size(), before.size() + 1);
      EXPECT_EQ(ReadFile(file.path()), Bytes());
    }
    ASSERT_TRUE(file.Write(kNew.data(), kNew.size()));
    ASSERT_TRUE(file.Flush());
    EXPECT_EQ(ReadFile(file.path()), kNew);  // the name that writers may open is the file
    if (c.intruder) WriteFile(destination, kOld);
    if (c.publish) {
      EXPECT_EQ(file.Publish(error), c.published) << error;
      EXPECT_EQ(file.failure().problem, c.problem);
    }
  }
  const std::vector<std::string> names = FolderNames(dir.path());
  if (c.left.empty()) {
    EXPECT_TRUE(names.empty()) << names.size();
    return;
  }
  EXPECT_EQ(names, std::vector<std::string>({"clip.zrv"}));
  EXPECT_EQ(ReadFile(destination), c.left);
  if (c.left == kNew) {
    EXPECT_EQ(ModeOf(destination), 0640u);
  }
}

INSTANTIATE_TEST_SUITE_P(
    BothKinds, PendingPublish,
    ::testing::Values(
        PublishCase{"UnnamedNew", PendingKind::unnamed, false, false, false, true, true, PendingProblem::none, kNew},
        PublishCase{"UnnamedReplaces", PendingKind::unnamed, true, true, false, true, true, PendingProblem::none, kNew},
        PublishCase{"UnnamedKeepsIntruder", PendingKind::unnamed, false, false, true, true, false,
                    PendingProblem::exists, kOld},
        PublishCase{"UnnamedReplacesIntruder", PendingKind::unnamed, false, true, true, true, true,
                    PendingProblem::none, kNew},
        PublishCase{"UnnamedDropped", PendingKind::unnamed, false, false, false, false, false, PendingProblem::none, {}},
        PublishCase{"UnnamedDroppedKeepsOld", PendingKind::unnamed, true, true, false, false, false,
                    PendingProblem::none, kOld},
        PublishCase{"HiddenNew", PendingKind::hidden, false, false, false, true, true, PendingProblem::none, kNew},
        PublishCase{"HiddenReplaces", PendingKind::hidden, true, true, false, true, true, PendingProblem::none, kNew},
        PublishCase{"HiddenKeepsIntruder", PendingKind::hidden, false, false, true, true, false,
                    PendingProblem::exists, kOld},
        PublishCase{"HiddenDropped", PendingKind::hidden, false, false, false, false, false, PendingProblem::none, {}},
        PublishCase{"HiddenDroppedKeepsOld", PendingKind::hidden, true, true, false, false, false,
                    PendingProblem::none, kOld}),
    [](const ::testing::TestParamInfo<PublishCase>& info) { return std::string(info.param.what); });

// Files that another thread creates while outputs are made and published
// get the umask's mode: the umask is never changed, not even for a moment.
TEST(PendingFile, OtherThreadsKeepTheUmaskWhileOutputsAreMade) {
  const mode_t expected = 0666 & ~CurrentUmask();
  TempDir dir;
  std::atomic<bool> done{false};
  int created = 0;
  std::vector<std::string> wrong;
  std::thread other([&] {
    while (!done) {
      const std::string path = dir.File("other" + std::to_string(created++ % 8));
      const int fd = ::open(path.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0666);
      if (fd < 0) continue;
      ::close(fd);
      if (ModeOf(path) != expected) wrong.push_back(std::to_string(ModeOf(path)));
      ::unlink(path.c_str());
    }
  });
  // Thousands of outputs begun, since a changed umask would last only a
  // moment each time; a few of them published.
  int made = 0, published = 0;
  for (int i = 0; i < 5000; ++i) {
    PendingFile file;
    std::string error;
    const PendingKind kind = i % 2 ? PendingKind::hidden : PendingKind::unnamed;
    if (!file.Create(dir.File("out.zrv"), true, error, kind)) continue;
    ++made;
    if (i % 250 == 0 && file.Publish(error)) ++published;
  }
  done = true;
  other.join();
  EXPECT_EQ(made, 5000);
  EXPECT_EQ(published, 20);
  EXPECT_GT(created, 100);  // the two threads really ran side by side
  EXPECT_TRUE(wrong.empty()) << wrong.size() << " files got another mode, e.g. " << wrong.front();
  EXPECT_EQ(ModeOf(dir.File("out.zrv")), expected);
}

}  // namespace
