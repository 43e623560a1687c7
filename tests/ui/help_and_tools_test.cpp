// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// The manual that the build places beside the programs, its opening, and the
// two companion programs started beside the executable or from PATH.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>
#include <csignal>

#include "tests/support/test_support.h"
#include "tests/ui/ui_test_support.h"
#include "ui/help_and_tools.h"
#include "ui/running_companions.h"

namespace {

// The pages that the help project lists, as the help file names them.
QStringList ProjectPages() {
  QFile project(QStringLiteral(ZRV_HELP_SOURCE_DIR "/zrvplayer.hhp"));
  if (!project.open(QIODevice::ReadOnly | QIODevice::Text)) return {};
  const QString text = QString::fromUtf8(project.readAll());
  const QString files = text.section(QStringLiteral("[FILES]"), 1);
  return files.split(u'\n', Qt::SkipEmptyParts);
}

TEST(Manual, BuiltBesideTheProgramsWithEveryPage) {
  const QString manual = ManualPath();
  EXPECT_EQ(manual, QCoreApplication::applicationDirPath() + QStringLiteral("/ZRV Player帮助.chm"));
  QFile file(manual);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << manual.toStdString();
  const QByteArray bytes = file.readAll();
  EXPECT_TRUE(bytes.startsWith("ITSF"));
  // No time of the build in it: two builds give the same file.
  EXPECT_EQ(bytes.mid(16, 4), QByteArray(4, '\0'));
  const qsizetype compiler = bytes.indexOf("HHA Version");
  ASSERT_GT(compiler, 12);
  EXPECT_EQ(bytes.mid(compiler - 12, 12), QByteArray("\x0a\x00\x04\x00\0\0\0\0\x09\x00", 10) + bytes.mid(compiler - 2, 2));

  // The help file's directory names every page in plain text.
  const QStringList pages = ProjectPages();
  EXPECT_GE(pages.size(), 20);
  for (const QString& page : pages) {
    EXPECT_TRUE(bytes.contains(("/" + page.trimmed()).toUtf8())) << page.toStdString();
  }
}

TEST(Manual, EveryPageIsListedAndLinksOnlyToPagesThatExist) {
  const QStringList listed = ProjectPages();
  const QDir root(QStringLiteral(ZRV_HELP_SOURCE_DIR));
  const QRegularExpression link(QStringLiteral("(?:href|value)=\"([^\":#]+\\.(?:html|css))\""));
  QDirIterator pages(root.path(), {QStringLiteral("*.html"), QStringLiteral("*.hhc"), QStringLiteral("*.hhk")},
                     QDir::Files, QDirIterator::Subdirectories);
  int checked = 0;
  while (pages.hasNext()) {
    const QString path = pages.next();
    const QString relative = root.relativeFilePath(path);
    if (relative.endsWith(QStringLiteral(".html"))) {
      EXPECT_TRUE(listed.contains(relative)) << relative.toStdString();
    }
    QFile page(path);
    ASSERT_TRUE(page.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(page.readAll());
    // Contents and index name pages from the root, pages from their own folder.
    const QDir base = relative.endsWith(QStringLiteral(".html")) ? QFileInfo(path).dir() : root;
    for (const QRegularExpressionMatch& match : link.globalMatch(text)) {
      EXPECT_TRUE(QFileInfo::exists(base.filePath(match.captured(1))))
          << relative.toStdString() << " -> " << match.captured(1).toStdString();
      ++checked;
    }
  }
  EXPECT_GT(checked, 40);
}

// A desktop of the test's own for xdg-mime and xdg-open: no desktop
// environment, data and configuration folders that hold only what a test puts
// there.
class PrivateDesktop {
 public:
  PrivateDesktop() {
    for (const char* folder : {"data/applications", "system/applications", "config", "config-system"})
      QDir().mkpath(QString::fromStdString(m_dir.File(folder)));
  }

  // Makes `desktopId` (a recorder script behind a desktop entry) the
  // desktop's application for `mimeType`; returns the script's path.
  std::string SetDefault(const std::string& desktopId, const std::string& mimeType) {
    const std::string script = m_dir.File(desktopId + ".sh");
    WriteArgumentRecorder(script);
    WriteText(m_dir.File("system/applications/" + desktopId + ".desktop"),
              "[Desktop Entry]\nType=Application\nName=" + desktopId + "\nExec=" + script +
                  " %f\nMimeType=" + mimeType + ";\n");
    m_defaults += mimeType + "=" + desktopId + ".desktop\n";
    WriteText(m_dir.File("config/mimeapps.list"), "[Default Applications]\n" + m_defaults);
    return script;
  }

 private:
  static void WriteText(const std::string& path, const std::string& text) {
    WriteFile(path, Bytes(text.begin(), text.end()));
  }

  TempDir m_dir;
  std::string m_defaults;
  ScopedEnv m_home{"XDG_DATA_HOME", m_dir.File("data")};
  ScopedEnv m_data{"XDG_DATA_DIRS", m_dir.File("system")};
  ScopedEnv m_config{"XDG_CONFIG_HOME", m_dir.File("config")};
  ScopedEnv m_configDirs{"XDG_CONFIG_DIRS", m_dir.File("config-system")};
  ScopedEnv m_desktop{"XDG_CURRENT_DESKTOP", std::nullopt};
  ScopedEnv m_session{"DESKTOP_SESSION", std::nullopt};
  ScopedEnv m_kde{"KDE_FULL_SESSION", std::nullopt};
  ScopedEnv m_gnome{"GNOME_DESKTOP_SESSION_ID", std::nullopt};
  ScopedEnv m_bus{"DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent"};
};

TEST(Manual, TheHtmlPagesLieBesideTheProgramsToo) {
  EXPECT_EQ(ManualHtmlPath(), QCoreApplication::applicationDirPath() + QStringLiteral("/manual/index.html"));
  for (const QString& page : ProjectPages()) {
    QFile built(QCoreApplication::applicationDirPath() + "/manual/" + page.trimmed());
    QFile source(QStringLiteral(ZRV_HELP_SOURCE_DIR "/") + page.trimmed());
    ASSERT_TRUE(built.open(QIODevice::ReadOnly)) << page.toStdString();
    ASSERT_TRUE(source.open(QIODevice::ReadOnly));
    EXPECT_EQ(built.readAll(), source.readAll()) << page.toStdString();
  }
}

TEST(Manual, TheHelpFileWhereTheDesktopHasAViewerElseTheHtml) {
  PrivateDesktop desktop;
  EXPECT_FALSE(DesktopOpensChm());
  EXPECT_EQ(ManualToOpen(), ManualHtmlPath());
  // A browser for the HTML changes nothing.
  desktop.SetDefault("browser", "text/html");
  EXPECT_EQ(ManualToOpen(), ManualHtmlPath());
  desktop.SetDefault("chmviewer", "application/vnd.ms-htmlhelp");
  EXPECT_TRUE(DesktopOpensChm());
  EXPECT_EQ(ManualToOpen(), ManualPath());

  // Whichever of the two is there, without asking; nothing when neither is.
  TempDir only;
  const QString dir = QString::fromStdString(only.path());
  EXPECT_EQ(ManualToOpen(dir), QString());
  WriteFile(only.File("ZRV Player帮助.chm"), Bytes{'I'});
  EXPECT_EQ(ManualToOpen(dir), ManualPath(dir));
  QDir().mkpath(dir + "/manual");
  WriteFile(only.File("manual/index.html"), Bytes{'<'});
  EXPECT_EQ(ManualToOpen(dir), ManualPath(dir));  // the viewer is still there
  QFile::remove(ManualPath(dir));
  EXPECT_EQ(ManualToOpen(dir), ManualHtmlPath(dir));
}

TEST(Manual, OpenedAsADocumentWhenItIsThere) {
  PrivateDesktop desktop;
  const UrlRecorder opened(QStringLiteral("file"));
  OpenManual();
  EXPECT_EQ(opened.urls(), QList<QUrl>{QUrl::fromLocalFile(ManualHtmlPath())});

  TempDir elsewhere;
  OpenManual(QString::fromStdString(elsewhere.path()));
  EXPECT_EQ(opened.urls().size(), 1);
}

TEST(Companions, StartedBesideTheExecutableWithQorvex) {
  TempDir programDir;
  const QString dir = QString::fromStdString(programDir.path());
  for (const Companion companion : {Companion::VideoConvert, Companion::ZrvChanger}) {
    const std::string script = programDir.File(CompanionProgramName(companion).toStdString());
    WriteArgumentRecorder(script);
    EXPECT_EQ(FindCompanion(companion, dir), QString::fromStdString(script));
    EXPECT_TRUE(StartCompanion(companion, dir));
    EXPECT_EQ(RecordedArguments(script), std::vector<std::string>{"qorvex"}) << script;
  }
  EXPECT_EQ(CompanionProgramName(Companion::VideoConvert), QStringLiteral("ClipConvert.exe"));
  EXPECT_EQ(CompanionProgramName(Companion::ZrvChanger), QStringLiteral("ZRV Swift Changer.exe"));
}

TEST(Companions, FoundOnPathWhenNotRunnableBeside) {
  TempDir programDir;
  TempDir pathDir;
  // A file of that name beside the executable that cannot be run is passed over.
  WriteFile(programDir.File("ZRV Swift Changer.exe"), Bytes{'x'});
  const std::string script = pathDir.File("ZRV Swift Changer.exe");
  WriteArgumentRecorder(script);
  const ScopedEnv path("PATH", pathDir.path());

  EXPECT_TRUE(StartCompanion(Companion::ZrvChanger, QString::fromStdString(programDir.path())));
  EXPECT_EQ(RecordedArguments(script), std::vector<std::string>{"qorvex"});
}

TEST(Companions, AbsentProgramStartsNothing) {
  TempDir programDir;
  TempDir emptyPath;
  const ScopedEnv path("PATH", emptyPath.path());
  const QString dir = QString::fromStdString(programDir.path());
  EXPECT_TRUE(FindCompanion(Companion::VideoConvert, dir).isEmpty());
  EXPECT_FALSE(StartCompanion(Companion::VideoConvert, dir));
}

}  // namespace

TEST(Companions, TheirEndIsNoticedOnceTheLastOneEnds) {
  RunningCompanions running;
  int ended = 0;
  QObject::connect(&running, &RunningCompanions::allEnded, [&ended] { ++ended; });
  qint64 first = 0, second = 0;
  ASSERT_TRUE(QProcess::startDetached(QStringLiteral("sleep"), {QStringLiteral("30")}, QString(), &first));
  ASSERT_TRUE(QProcess::startDetached(QStringLiteral("sleep"), {QStringLiteral("30")}, QString(), &second));
  ASSERT_TRUE(running.Add(first));
  ASSERT_TRUE(running.Add(second));
  EXPECT_EQ(running.count(), 2);

  ::kill(static_cast<pid_t>(first), SIGTERM);
  QTRY_COMPARE_WITH_TIMEOUT(running.count(), 1, 5000);
  EXPECT_EQ(ended, 0);
  ::kill(static_cast<pid_t>(second), SIGTERM);
  QTRY_COMPARE_WITH_TIMEOUT(ended, 1, 5000);
  EXPECT_EQ(running.count(), 0);

  EXPECT_FALSE(running.Add(0));
}
