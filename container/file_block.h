// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// Reading a whole clip into memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// One zero-filled, contiguous block of memory that never moves while its
// owner lives.
class FileBlock {
 public:
  FileBlock() = default;
  ~FileBlock();
  FileBlock(FileBlock&& other) noexcept;
  FileBlock& operator=(FileBlock&& other) noexcept;
  FileBlock(const FileBlock&) = delete;
  FileBlock& operator=(const FileBlock&) = delete;

  // Returns false, leaving the block empty, when the memory cannot be had.
  bool Allocate(size_t size);
  void Release();

  uint8_t* data() { return m_data; }
  const uint8_t* data() const { return m_data; }
  size_t size() const { return m_size; }
  bool empty() const { return m_data == nullptr; }

 private:
  uint8_t* m_data = nullptr;
  size_t m_size = 0;
};

enum class ReadStatus {
  ok,
  cannotOpen,  // missing, unreadable, or not a regular file
  noMemory,    // no block of the file's size, or too large to index
  shortRead,   // fewer bytes arrived than the file holds
};

// Reads the file at `path` whole into `block`. A file that cannot be opened
// leaves `block` as it was; once the file is open the old contents are
// released, whatever follows. Files of 4 GiB or more are refused as noMemory:
// frame offsets are 32-bit.
ReadStatus ReadWholeFile(const std::string& path, FileBlock& block);

// A short English description of a status, for command-line messages.
const char* ReadStatusText(ReadStatus status);
