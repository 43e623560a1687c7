// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// The test program of the auxiliary services: one QApplication for all tests,
// always on the offscreen platform, so that no test opens a real window or
// hands a link to the desktop's browser.
#include <gtest/gtest.h>

#include <QApplication>

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  ::testing::InitGoogleTest(&argc, argv);
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("ZRV Player"));
  return RUN_ALL_TESTS();
}
