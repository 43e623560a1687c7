// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// Clips' previews as Dolphin asks for them: KIO::PreviewJob runs kio-extras'
// thumbnail worker, which loads the plugin from the build (QT_PLUGIN_PATH).
// Each preview must be the picture zrvtool thumbnail makes of the clip; a
// damaged clip gets none, and the worker lives on to preview the next file.
#include <gtest/gtest.h>

#include <KFileItem>
#include <KIO/PreviewJob>
#include <QEventLoop>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QTimer>
#include <QUrl>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>
#include <sys/stat.h>

#include "tests/support/test_support.h"

namespace {

// The session's folders, private to this process and made before Qt reads
// them: the MIME database with the clips' types, an empty thumbnail cache.
TempDir* g_session = nullptr;

void PrepareSession() {
  g_session = new TempDir;
  for (const char* name : {"data", "cache", "config", "runtime"})
    std::filesystem::create_directories(g_session->File(name));
  ::chmod(g_session->File("runtime").c_str(), 0700);
  ::setenv("XDG_DATA_HOME", g_session->File("data").c_str(), 1);
  ::setenv("XDG_CACHE_HOME", g_session->File("cache").c_str(), 1);
  ::setenv("XDG_CONFIG_HOME", g_session->File("config").c_str(), 1);
  ::setenv("XDG_RUNTIME_DIR", g_session->File("runtime").c_str(), 1);
  ::setenv("QT_PLUGIN_PATH", ZRV_KDE_PLUGIN_DIR, 1);
#ifdef ZRV_ASAN_RUNTIME
  // KIO's worker is no sanitized program, and KDE's libraries leak at exit.
  ::setenv("LD_PRELOAD", ZRV_ASAN_RUNTIME, 1);
  ::setenv("ASAN_OPTIONS", "detect_leaks=0", 1);
#endif
  const ProgramResult r = RunProgram({BuiltProgram("zrv_install_desktop"), g_session->File("data"),
                                      BuiltProgram("zrvplayer"), BuiltProgram("zrvtool"),
                                      g_session->File("no icons")});
  if (r.exitCode != 0) std::fprintf(stderr, "zrv_install_desktop: %s\n", r.err.c_str());
}

struct Outcome {
  bool failed = false;
  QImage preview;
};

// Runs one PreviewJob over `paths` and gathers what it says of each.
std::map<std::string, Outcome> Previews(const std::vector<std::string>& paths, int size) {
  KFileItemList items;
  for (const std::string& path : paths)
    items.append(KFileItem(QUrl::fromLocalFile(QString::fromStdString(path))));
  const QStringList plugins = KIO::PreviewJob::availablePlugins();
  KIO::PreviewJob* job = KIO::filePreview(items, QSize(size, size), &plugins);
  job->setIgnoreMaximumSize(true);
  std::map<std::string, Outcome> outcomes;
  QObject::connect(job, &KIO::PreviewJob::gotPreview, [&](const KFileItem& item, const QPixmap& p) {
    outcomes[item.localPath().toStdString()].preview = p.toImage().convertToFormat(QImage::Format_RGB888);
  });
  QObject::connect(job, &KIO::PreviewJob::failed, [&](const KFileItem& item) {
    outcomes[item.localPath().toStdString()].failed = true;
  });
  QEventLoop loop;
  QObject::connect(job, &KJob::result, &loop, &QEventLoop::quit);
  QTimer::singleShot(90000, &loop, &QEventLoop::quit);
  loop.exec();
  return outcomes;
}

double MeanDifference(const QImage& a, const QImage& b) {
  if (a.size() != b.size() || a.isNull()) return 1e9;
  double total = 0;
  for (int y = 0; y < a.height(); ++y) {
    const uchar* p = a.constScanLine(y);
    const uchar* q = b.constScanLine(y);
    for (int i = 0; i < a.width() * 3; ++i) total += std::abs(int(p[i]) - int(q[i]));
  }
  return total / (double(a.width()) * a.height() * 3);
}

class KioPreview : public ::testing::Test {
 protected:
  std::string Make(const std::string& name, const std::vector<std::string>& options) {
    std::vector<std::string> args = {BuiltProgram("zrvtool"), "make"};
    args.insert(args.end(), options.begin(), options.end());
    args.push_back(m_dir.File(name));
    const ProgramResult r = RunProgram(args);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    return m_dir.File(name);
  }

  QImage ZrvtoolThumbnail(const std::string& clip, int size) {
    const std::string png = clip + ".png";
    const ProgramResult r =
        RunProgram({BuiltProgram("zrvtool"), "thumbnail", "-s", std::to_string(size), clip, png});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    return QImage(QString::fromStdString(png)).convertToFormat(QImage::Format_RGB888);
  }

  TempDir m_dir;
};

TEST_F(KioPreview, ThePluginIsFoundWhereKioLooks) {
  EXPECT_TRUE(KIO::PreviewJob::availablePlugins().contains("zrvthumbnail"))
      << KIO::PreviewJob::availablePlugins().join(' ').toStdString();
  EXPECT_TRUE(KIO::PreviewJob::supportedMimeTypes().contains("video/x-zrv"));
  EXPECT_TRUE(KIO::PreviewJob::supportedMimeTypes().contains("video/x-gzrv"));
}

TEST_F(KioPreview, EachLayoutGetsZrvtoolsPreviewAndDamagedClipsNone) {
  const std::string plain = Make("holiday clip.zrv", {"--frames", "6"});
  const std::string shared = Make("shared.gzrv", {"--frames", "6", "--layout", "shared-header"});
  const std::string tall = Make("tall.zrv", {"--frames", "3", "--size", "96x160"});

  // Damaged: not a clip, JPEG markers without a picture, nothing at all, and
  // a clip whose every frame header says 0 columns.
  WriteFile(m_dir.File("notes.zrv"), {'h', 'i', '\n'});
  WriteFile(m_dir.File("noise.zrv"), {0xFF, 0xD8, 0xFF, 0xD9, 0xFF, 0xD8, 0x00, 0x01});
  WriteFile(m_dir.File("empty.zrv"), {});
  Bytes bytes = ReadFile(Make("to break.zrv", {"--frames", "3"}));
  int headers = 0;
  for (size_t i = 0; i + 8 < bytes.size(); ++i) {
    if (bytes[i] != 0xFF || bytes[i + 1] != 0xC0) continue;
    bytes[i + 7] = bytes[i + 8] = 0;
    ++headers;
  }
  ASSERT_EQ(headers, 3);
  WriteFile(m_dir.File("broken.zrv"), bytes);

  // The damaged ones first: a worker that crashed on them would preview
  // nothing after them.
  const std::vector<std::string> damaged = {m_dir.File("notes.zrv"), m_dir.File("noise.zrv"),
                                            m_dir.File("empty.zrv"), m_dir.File("broken.zrv")};
  std::vector<std::string> all = damaged;
  const std::vector<std::string> good = {plain, shared, tall};
  all.insert(all.end(), good.begin(), good.end());
  for (const int size : {128, 256}) {
    const std::map<std::string, Outcome> outcomes = Previews(all, size);
    for (const std::string& clip : good) {
      ASSERT_EQ(outcomes.count(clip), 1u) << clip << " at " << size;
      const Outcome& got = outcomes.at(clip);
      ASSERT_FALSE(got.failed) << clip << " at " << size;
      const QImage expected = ZrvtoolThumbnail(clip, size);
      ASSERT_FALSE(expected.isNull());
      EXPECT_EQ(got.preview.size(), expected.size()) << clip << " at " << size;
      const double difference = MeanDifference(got.preview, expected);
      EXPECT_LT(difference, 1.0) << clip << " at " << size;
      std::printf("%s at %d: %dx%d, mean difference from zrvtool's %.3f\n", clip.c_str(), size,
                  got.preview.width(), got.preview.height(), difference);
    }
    for (const std::string& clip : damaged) {
      ASSERT_EQ(outcomes.count(clip), 1u) << clip << " at " << size;
      EXPECT_TRUE(outcomes.at(clip).failed) << clip << " at " << size;
      EXPECT_TRUE(outcomes.at(clip).preview.isNull()) << clip << " at " << size;
    }
  }
}

}  // namespace

#ifdef ZRV_ASAN_RUNTIME
// Qt 5's offscreen platform never frees its screen; the slow unwind reaches
// the plugin's frames from Qt's, which have no frame pointers.
extern "C" const char* __lsan_default_suppressions() { return "leak:libqoffscreen.so\n"; }
extern "C" const char* __asan_default_options() { return "fast_unwind_on_malloc=0"; }
#endif

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (::testing::GTEST_FLAG(list_tests)) return RUN_ALL_TESTS();
  PrepareSession();
  ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QGuiApplication app(argc, argv);
  const int failed = RUN_ALL_TESTS();
  delete g_session;
  return failed;
}
