// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// The export's failures in the interface's language: English as zrvtool
// says them, Chinese in the window's own words; the names the failure
// concerns are put into either.
#pragma once

#include <QString>

#include "export/export_failure.h"

QString ExportFailureText(const ExportFailure& failure);
