// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// The language of the interface and the two-language texts it chooses from.
#pragma once

#include <cstdint>

// 0: Chinese (the value until start-up has decided), 1: English. Set once by
// the player window's initialisation, before any text is shown.
extern uint8_t UiLanguage;

inline constexpr uint8_t kLanguageChinese = 0;
inline constexpr uint8_t kLanguageEnglish = 1;

// Every user-visible message: a Chinese and an English text, UTF-8. The text
// is picked by UiLanguage when it is shown.
struct MessagePair {
  const char* chinese;
  const char* english;

  const char* Text() const { return UiLanguage == kLanguageEnglish ? english : chinese; }
};
