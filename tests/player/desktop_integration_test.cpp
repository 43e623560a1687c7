#include <QCoreApplication>
#include <filesystem>

#include "app/desktop_integration.h"
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
  EXPECT_NE(Text(entry).find("\nMimeType=application/x-zrv;application/x-gzrv;\n"), std::string::npos);
  const std::string mime = Text(share + "/mime/packages/zrvplayer.xml");
  EXPECT_NE(mime.find("<mime-type type=\"application/x-zrv\">"), std::string::npos);
  EXPECT_NE(mime.find("<glob pattern=\"*.zrv\"/>"), std::string::npos);
  EXPECT_NE(mime.find("<glob pattern=\"*.gzrv\"/>"), std::string::npos);
  const std::string theme = share + "/icons/hicolor/48x48/";
  EXPECT_EQ(ReadFile(theme + "mimetypes/application-x-zrv.png"), Bytes{'1'});
  EXPECT_EQ(ReadFile(theme + "mimetypes/application-x-gzrv.png"), Bytes{'0'});
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
  EXPECT_TRUE(FileExists(m_dir.File("share/icons/hicolor/48x48/mimetypes/application-x-zrv.png")));
}
