// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
#include "fuzz/fuzz_support.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sanitizer/common_interface_defs.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string g_folder;

void RemoveFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(g_folder, ignored);
}

// tmpfs first: every input is written to a file and read back.
std::string BaseFolder() {
  const char* tmpdir = std::getenv("TMPDIR");
  if (tmpdir && *tmpdir) return tmpdir;
  struct stat st {};
  if (::stat("/dev/shm", &st) == 0 && S_ISDIR(st.st_mode) && ::access("/dev/shm", W_OK) == 0)
    return "/dev/shm";
  return "/tmp";
}

const std::string& Folder() {
  if (g_folder.empty()) {
    std::string pattern = BaseFolder() + "/zrvfuzz.XXXXXX";
    Require(::mkdtemp(pattern.data()) != nullptr, "cannot make the scratch folder");
    g_folder = pattern;
    ::setenv("TMP", g_folder.c_str(), 1);
    std::atexit(RemoveFolder);
  }
  return g_folder;
}

}  // namespace

void Require(bool holds, const char* what) {
  if (holds) return;
  // Through the sanitizers' report stream: libFuzzer closes the target's
  // standard error (-close_fd_mask) but keeps that one.
  __sanitizer_report_error_summary((std::string("fuzz check failed: ") + what).c_str());
  std::abort();
}

std::string ScratchFile(const std::string& name) { return Folder() + "/" + name; }

void WriteBytes(const std::string& path, const uint8_t* data, size_t size) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  Require(f != nullptr, "cannot create a scratch file");
  const bool written = size == 0 || std::fwrite(data, 1, size, f) == size;
  Require(std::fclose(f) == 0 && written, "cannot write a scratch file");
}

std::vector<uint8_t> ReadBytes(const std::string& path) {
  std::vector<uint8_t> bytes;
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return bytes;
  struct stat st {};
  if (::fstat(fileno(f), &st) == 0 && st.st_size > 0) {
    bytes.resize(size_t(st.st_size));
    bytes.resize(std::fread(bytes.data(), 1, bytes.size(), f));
  }
  std::fclose(f);
  return bytes;
}

bool Exists(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0;
}
