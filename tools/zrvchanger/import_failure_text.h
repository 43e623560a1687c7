// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// The import's failures in the interface's language: English as zrvtool
// says them, Chinese in the window's own words; the file the failure
// concerns is named in either.
#pragma once

#include <QString>
#include <string>

#include "import/import_failure.h"

// `sentence` is the import's own English sentence for `failure`.
QString ImportFailureText(const ImportFailure& failure, const std::string& sentence);
