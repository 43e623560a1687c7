// The manual that the build places beside the programs, its opening, and the
// two companion programs started beside the executable or from PATH.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include "tests/support/test_support.h"
#include "tests/ui/ui_test_support.h"
#include "ui/help_and_tools.h"

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

TEST(Manual, OpenedAsADocumentWhenItIsThere) {
  const UrlRecorder desktop(QStringLiteral("file"));
  OpenManual();
  EXPECT_EQ(desktop.urls(), QList<QUrl>{QUrl::fromLocalFile(ManualPath())});

  TempDir elsewhere;
  OpenManual(QString::fromStdString(elsewhere.path()));
  EXPECT_EQ(desktop.urls().size(), 1);
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
