// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// The system's default language, as the Windows language id that picks the
// interface texts.
#pragma once

#include <cstdint>
#include <string>

inline constexpr uint16_t kLangChineseSimplified = 0x0804;  // zh_CN
inline constexpr uint16_t kLangEnglishUS = 0x0409;

// The id of a locale name such as "zh_CN.UTF-8" or "en_GB@euro". C, POSIX,
// an empty name and unknown languages give en_US.
uint16_t LanguageIdFromLocale(const std::string& locale);

// The id of the locale the environment names: LC_ALL, then LC_MESSAGES,
// then LANG, the first that is set and not empty.
uint16_t SystemDefaultLangID();

// Chinese for Simplified Chinese (PRC) only, English for every other id.
uint8_t InterfaceLanguageFor(uint16_t langId);
