// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
#include <gtest/gtest.h>

#include <sys/stat.h>

#include "container/file_block.h"
#include "tests/support/test_support.h"

TEST(ReadWholeFile, ReadsTheFileIntoOneBlock) {
  TempDir dir;
  Bytes bytes(100000);
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i * 7);
  WriteFile(dir.File("clip.zrv"), bytes);

  FileBlock block;
  ASSERT_EQ(ReadWholeFile(dir.File("clip.zrv"), block), ReadStatus::ok);
  ASSERT_EQ(block.size(), bytes.size());
  EXPECT_TRUE(std::equal(bytes.begin(), bytes.end(), block.data()));

  FileBlock moved = std::move(block);
  EXPECT_TRUE(block.empty());
  EXPECT_EQ(moved.size(), bytes.size());

  WriteFile(dir.File("empty.zrv"), {});
  ASSERT_EQ(ReadWholeFile(dir.File("empty.zrv"), moved), ReadStatus::ok);
  EXPECT_EQ(moved.size(), 0u);
  EXPECT_FALSE(moved.empty());
}

TEST(ReadWholeFile, RefusesWhatIsNotAReadableRegularFile) {
  TempDir dir;
  FileBlock block;
  ASSERT_TRUE(block.Allocate(10));
  block.data()[0] = 42;
  EXPECT_EQ(ReadWholeFile(dir.File("missing.zrv"), block), ReadStatus::cannotOpen);
  EXPECT_EQ(ReadWholeFile(dir.path(), block), ReadStatus::cannotOpen);
  // A named pipe without a writer and a device: refused at once, not waited on.
  ASSERT_EQ(::mkfifo(dir.File("pipe.zrv").c_str(), 0600), 0);
  EXPECT_EQ(ReadWholeFile(dir.File("pipe.zrv"), block), ReadStatus::cannotOpen);
  EXPECT_EQ(ReadWholeFile("/dev/zero", block), ReadStatus::cannotOpen);
  // What was loaded before stays loaded.
  ASSERT_EQ(block.size(), 10u);
  EXPECT_EQ(block.data()[0], 42);
  EXPECT_STREQ(ReadStatusText(ReadStatus::shortRead), "short read");
}
