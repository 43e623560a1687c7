// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
#include <QCoreApplication>
#include <filesystem>

#include "desktop/desktop_integration.h"
#include "tests/player/player_fixture.h"

namespace {

std::string Text(const std::string& path) {
  Bytes b = ReadFile(path);
  return std::string(b.begin(), b.end());
}

}  // namespace

TEST(DesktopIntegration, ExecLinesAreQuotedByTheDesktopEntryRules) {
  EXPECT_EQ(DesktopExecLine("/usr/bin/zrvplayer"), "/usr/bin/zrvplayer %f");
  EXPECT_EQ(DesktopExecLine("/opt/ZRV Player/zrvplayer"), "\"/opt/ZRV Player/zrvplayer\" %f");
  EXPECT_EQ(DesktopExecLine("/opt/a\"b$c/p"), "\"/opt/a\\\\\"b\\\\$c/p\" %f");
  EXPECT_EQ(DesktopExecLine("/opt/100%/p"), "/opt/100%%/p %f");
}

TEST(DesktopIntegration, FilesNameTheExecutableAndAreRewrittenAfterAMove) {
  TempDir dir;
  const std::string icons = dir.File("icons");
  std::filesystem::create_directories(icons + "/48x48");
  for (const char* id : {"128", "150", "151"}) WriteFile(icons + "/48x48/" + id + ".png", {uint8_t(id[2])});

  const std::string share = dir.File("share");
  ASSERT_TRUE(WriteFileAssociation(share, "/opt/old/zrvplayer", icons));
  const std::string entry = share + "/applications/zrvplayer.desktop";
  EXPECT_NE(Text(entry).find("\nExec=/opt/old/zrvplayer %f\n"), std::string::npos);
  EXPECT_NE(Text(entry).find("\nMimeType=video/x-zrv;video/x-gzrv;\n"), std::string::npos);
  const std::string mime = Text(share + "/mime/packages/zrvplayer.xml");
  EXPECT_NE(mime.find("<mime-type type=\"video/x-zrv\">"), std::string::npos);
  EXPECT_NE(mime.find("<glob pattern=\"*.zrv\"/>"), std::string::npos);
  EXPECT_NE(mime.find("<glob pattern=\"*.gzrv\"/>"), std::string::npos);
  const std::string theme = share + "/icons/hicolor/48x48/";
  EXPECT_EQ(ReadFile(theme + "mimetypes/video-x-zrv.png"), Bytes{'1'});
  EXPECT_EQ(ReadFile(theme + "mimetypes/video-x-gzrv.png"), Bytes{'0'});
  EXPECT_EQ(ReadFile(theme + "apps/zrvplayer.png"), Bytes{'8'});

  ASSERT_TRUE(WriteFileAssociation(share, "/opt/new place/zrvplayer", icons));
  EXPECT_NE(Text(entry).find("\nExec=\"/opt/new place/zrvplayer\" %f\n"), std::string::npos);
  EXPECT_EQ(Text(entry).find("/opt/old"), std::string::npos);
  EXPECT_FALSE(FileExists(entry + ".new"));

  // Nowhere to write: silent failure, nothing half-made.
  WriteFile(dir.File("blocked"), {});
  EXPECT_FALSE(WriteFileAssociation(dir.File("blocked"), "/opt/p", icons));
}

TEST_F(PlayerTest, StartUpRegistersTheRunningProgram) {
  StartWindow();
  const std::string entry = m_dir.File("share/applications/zrvplayer.desktop");
  const std::string program = QCoreApplication::applicationFilePath().toStdString();
  EXPECT_NE(ReadFile(entry).size(), 0u);
  const Bytes b = ReadFile(entry);
  EXPECT_NE(std::string(b.begin(), b.end()).find("Exec=" + DesktopExecLine(program)), std::string::npos);
  EXPECT_TRUE(FileExists(m_dir.File("share/icons/hicolor/48x48/mimetypes/video-x-zrv.png")));
}

TEST(DesktopIntegration, TheProgramOfAnExecLineIsReadBackAsItWasWritten) {
  for (const std::string path : {"/usr/bin/zrvplayer", "/opt/ZRV Player/zrvplayer", "/opt/a\"b$c`d/p",
                                 "/opt/100%/p", "/opt/back\\slash/p", "/opt/semi;colon/p"}) {
    const std::string entry = "[Desktop Entry]\nName=x\nExec=" + DesktopExecLine(path) + "\n";
    EXPECT_EQ(DesktopEntryProgram(entry), path);
  }
  EXPECT_EQ(DesktopEntryProgram("[Desktop Entry]\nExec=zrvplayer %f\n"), "zrvplayer");
  // Only the entry's own group counts.
  EXPECT_EQ(DesktopEntryProgram("[Desktop Entry]\nName=x\n[Desktop Action a]\nExec=/bin/x\n"), "");
  EXPECT_EQ(DesktopEntryProgram(""), "");
}

TEST(DesktopIntegration, InstalledEntriesThatStartTheProgramAreNotCopied) {
  TempDir dir;
  const std::string icons = dir.File("icons");
  std::filesystem::create_directories(icons + "/48x48");
  for (const char* id : {"128", "150", "151"}) WriteFile(icons + "/48x48/" + id + ".png", {uint8_t(id[2])});
  // An installed program and its zrvtool, and the link that the system's
  // entries name it by.
  const std::string lib = dir.File("usr/lib/zrvplayer");
  std::filesystem::create_directories(lib);
  std::filesystem::create_directories(dir.File("usr/bin"));
  for (const char* program : {"zrvplayer", "zrvtool"}) {
    WriteFile(lib + "/" + program, {'#', '!'});
    std::filesystem::permissions(lib + "/" + program, std::filesystem::perms::owner_all);
  }
  std::filesystem::create_symlink("../lib/zrvplayer/zrvplayer", dir.File("usr/bin/zrvplayer"));
  const std::string player = lib + "/zrvplayer";
  const std::string system = dir.File("usr/share");
  ASSERT_TRUE(WriteDesktopFiles(system, dir.File("usr/bin/zrvplayer"), dir.File("usr/bin/zrvtool"), icons));

  // A start of another program writes its own files, with TryExec.
  const std::string home = dir.File("home");
  const std::string entry = home + "/applications/zrvplayer.desktop";
  const std::string thumbnailer = home + "/thumbnailers/zrvplayer.thumbnailer";
  ASSERT_TRUE(WriteFileAssociation(home, dir.File("elsewhere/zrvplayer"), icons, {dir.File("none"), system}));
  EXPECT_NE(Text(entry).find("\nTryExec=" + dir.File("elsewhere/zrvplayer") + "\n"), std::string::npos);

  // A start of the installed program, as earlier versions did, wrote copies.
  ASSERT_TRUE(WriteFileAssociation(home, player, icons, {}));
  ASSERT_TRUE(FileExists(thumbnailer));
  // With the system's entries in view, they go and none is written again.
  EXPECT_TRUE(WriteFileAssociation(home, player, icons, {dir.File("none"), system}));
  EXPECT_FALSE(FileExists(entry));
  EXPECT_FALSE(FileExists(thumbnailer));
  EXPECT_TRUE(WriteFileAssociation(home, player, icons, {system}));
  EXPECT_FALSE(FileExists(entry));

  // A per-user entry of another program is not the installed one's to remove.
  ASSERT_TRUE(WriteFileAssociation(home, dir.File("elsewhere/zrvplayer"), icons, {}));
  EXPECT_TRUE(WriteFileAssociation(home, player, icons, {system}));
  EXPECT_TRUE(FileExists(entry));
  EXPECT_NE(Text(entry).find("elsewhere"), std::string::npos);
}
