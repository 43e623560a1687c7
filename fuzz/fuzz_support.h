// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// What the fuzz targets share: a private scratch folder for the files that
// the readers take, whole-file reads and writes, and the check that stops a
// run on a broken promise.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Prints `what` and aborts when `holds` is false, so that libFuzzer keeps the
// input as a crash like any sanitizer report.
void Require(bool holds, const char* what);

// A file name inside a folder of this process's own, made on first use (in
// $TMPDIR, else /dev/shm, else /tmp) and removed with everything in it when
// the process ends normally. $TMP points there too, so that the programs'
// own temporary folders land inside it.
std::string ScratchFile(const std::string& name);

// Writes the bytes to `path`, replacing the file; aborts when it cannot.
void WriteBytes(const std::string& path, const uint8_t* data, size_t size);
// The whole file; empty when it cannot be read.
std::vector<uint8_t> ReadBytes(const std::string& path);
bool Exists(const std::string& path);
