// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// The import's options, facts and results as one line of text each, so that
// a window can have a video read and imported by the confined helper process
// and show the outcome as if it had done the work itself. A line is tab
// separated: its kind, then key=value fields with tabs, newlines and
// backslashes escaped.
#pragma once

#include <string>

#include "import/import.h"

std::string EncodeImportOptions(const ImportOptions& options);  // without callbacks
bool DecodeImportOptions(const std::string& line, ImportOptions& options);

std::string EncodeVideoFacts(const VideoFacts& facts);
bool DecodeVideoFacts(const std::string& line, VideoFacts& facts);

std::string EncodeImportResult(const ImportResult& result);
bool DecodeImportResult(const std::string& line, ImportResult& result);

std::string EncodeImportProgress(int permille);
bool DecodeImportProgress(const std::string& line, int& permille);
