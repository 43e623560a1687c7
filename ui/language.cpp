// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
#include "ui/language.h"

uint8_t UiLanguage = kLanguageChinese;
