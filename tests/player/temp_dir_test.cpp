// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// The private temporary folder: a later start removes the folders of players
// that were killed, and nothing else.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "player/temp_dir.h"
#include "tests/support/test_support.h"

namespace {

namespace fs = std::filesystem;

// A pid that ran and has ended: a child that exits at once, reaped.
pid_t EndedPid() {
  const pid_t child = ::fork();
  if (child == 0) ::_exit(0);
  int status = 0;
  ::waitpid(child, &status, 0);
  return child;
}

// The start time that /proc gives `pid`, as the owner mark holds it.
std::string StartTime(pid_t pid) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
  std::string line;
  std::getline(in, line);
  std::istringstream fields(line.substr(line.rfind(')') + 1));
  std::string field;
  for (int i = 3; i <= 22; ++i) fields >> field;
  return field;
}

// A folder as a player makes it, marked with `owner`.
std::string PlayerFolder(const std::string& base, const std::string& name, const std::string& owner) {
  const std::string folder = base + "/" + name;
  fs::create_directory(folder);
  ::chmod(folder.c_str(), 0700);
  if (!owner.empty()) std::ofstream(folder + "/owner") << owner << "\n";
  std::ofstream(folder + "/zrvplayer_tmp.wav") << "sound";
  return folder;
}

}  // namespace

TEST(PrivateTempDir, ALaterStartRemovesOnlyTheFoldersOfPlayersThatEnded) {
  TempDir base;
  const std::string self = std::to_string(::getpid()) + " " + StartTime(::getpid());
  const std::string killed = PlayerFolder(base.path(), "zrvplayer.aaaaaa", std::to_string(EndedPid()) + " 1");
  // The pid runs, but it is another process than the one that made the folder.
  const std::string reused = PlayerFolder(base.path(), "zrvplayer.bbbbbb", std::to_string(::getpid()) + " 1");
  const std::string running = PlayerFolder(base.path(), "zrvplayer.cccccc", "1 " + StartTime(1));
  const std::string mine = PlayerFolder(base.path(), "zrvplayer.dddddd", self);
  const std::string unmarked = PlayerFolder(base.path(), "zrvplayer.eeeeee", "");
  const std::string otherName = PlayerFolder(base.path(), "zrvplayer-ffffff", "999999999 1");
  const std::string open = PlayerFolder(base.path(), "zrvplayer.gggggg", std::to_string(EndedPid()) + " 1");
  ::chmod(open.c_str(), 0755);
  const std::string someoneElses = PlayerFolder(base.path(), "zrvplayer.hhhhhh", std::to_string(EndedPid()) + " 1");
  const bool asRoot = ::geteuid() == 0;
  if (asRoot) {
    ASSERT_EQ(::chown(someoneElses.c_str(), 65534, 65534), 0);
  }
  // A link with a player's name, to a folder that must survive.
  const std::string target = PlayerFolder(base.path(), "target", std::to_string(EndedPid()) + " 1");
  fs::create_directory_symlink(target, base.File("zrvplayer.iiiiii"));

  EXPECT_EQ(RemoveAbandonedTempDirs(base.path()), asRoot ? 2 : 3);
  EXPECT_FALSE(fs::exists(killed));
  EXPECT_FALSE(fs::exists(reused));
  for (const std::string& kept : {running, mine, unmarked, otherName, open, target})
    EXPECT_TRUE(fs::exists(kept + "/zrvplayer_tmp.wav")) << kept;
  EXPECT_TRUE(fs::is_symlink(base.File("zrvplayer.iiiiii")));
  if (asRoot) {
    EXPECT_TRUE(fs::exists(someoneElses + "/zrvplayer_tmp.wav"));
  }
}

TEST(PrivateTempDir, TheFolderCarriesItsOwnerAndSurvivesItsOwnCleanUp) {
  TempDir base;
  PrivateTempDir first, second;
  ASSERT_TRUE(first.Create(base.path()));
  std::ifstream owner(first.path() + "/owner");
  std::string pid, start;
  owner >> pid >> start;
  EXPECT_EQ(pid, std::to_string(::getpid()));
  EXPECT_EQ(start, StartTime(::getpid()));
  struct stat info;
  ASSERT_EQ(::stat(first.path().c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0700u);

  // A second player of this process (or a later one while this runs) leaves it.
  ASSERT_TRUE(second.Create(base.path()));
  EXPECT_TRUE(fs::exists(first.path()));
  const std::string path = first.path();
  first.Remove();
  EXPECT_FALSE(fs::exists(path));
}
