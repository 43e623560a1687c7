// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
#include "desktop/language_id.h"

#include <cstdlib>
#include <cstring>

#include "ui/language.h"

namespace {

struct Primary {
  const char* code;
  uint16_t id;
};

// Windows primary language ids.
constexpr Primary kPrimaries[] = {
    {"ar", 0x01}, {"bg", 0x02}, {"ca", 0x03}, {"zh", 0x04}, {"cs", 0x05}, {"da", 0x06},
    {"de", 0x07}, {"el", 0x08}, {"en", 0x09}, {"es", 0x0A}, {"fi", 0x0B}, {"fr", 0x0C},
    {"he", 0x0D}, {"hu", 0x0E}, {"is", 0x0F}, {"it", 0x10}, {"ja", 0x11}, {"ko", 0x12},
    {"nl", 0x13}, {"nb", 0x14}, {"no", 0x14}, {"pl", 0x15}, {"pt", 0x16}, {"ro", 0x18},
    {"ru", 0x19}, {"hr", 0x1A}, {"sk", 0x1B}, {"sv", 0x1D}, {"th", 0x1E}, {"tr", 0x1F},
    {"uk", 0x22}, {"vi", 0x2A},
};

struct Specific {
  const char* locale;  // language_COUNTRY
  uint16_t id;
};

// Countries whose id is not the language's default one.
constexpr Specific kSpecifics[] = {
    {"zh_CN", 0x0804}, {"zh_TW", 0x0404}, {"zh_HK", 0x0C04}, {"zh_SG", 0x1004},
    {"zh_MO", 0x1404}, {"en_GB", 0x0809}, {"en_AU", 0x0C09}, {"en_CA", 0x1009},
    {"en_NZ", 0x1409}, {"en_IE", 0x1809}, {"en_ZA", 0x1C09}, {"en_IN", 0x4009},
    {"fr_BE", 0x080C}, {"fr_CA", 0x0C0C}, {"fr_CH", 0x100C}, {"de_CH", 0x0807},
    {"de_AT", 0x0C07}, {"es_MX", 0x080A}, {"es_ES", 0x0C0A}, {"pt_PT", 0x0816},
    {"it_CH", 0x0810}, {"nl_BE", 0x0813}, {"sv_FI", 0x081D},
};

}  // namespace

uint16_t LanguageIdFromLocale(const std::string& locale) {
  // Drop ".codeset" and "@modifier".
  const std::string name = locale.substr(0, locale.find_first_of(".@"));
  if (name.empty() || name == "C" || name == "POSIX") return kLangEnglishUS;

  for (const Specific& s : kSpecifics)
    if (name == s.locale) return s.id;
  const std::string language = name.substr(0, name.find('_'));
  // Chinese without a country is taken as the mainland's.
  if (language == "zh") return kLangChineseSimplified;
  for (const Primary& p : kPrimaries)
    if (language == p.code) return static_cast<uint16_t>(0x0400 | p.id);
  return kLangEnglishUS;
}

uint16_t SystemDefaultLangID() {
  for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* value = std::getenv(variable);
    if (value && *value) return LanguageIdFromLocale(value);
  }
  return kLangEnglishUS;
}

uint8_t InterfaceLanguageFor(uint16_t langId) {
  return langId == kLangChineseSimplified ? kLanguageChinese : kLanguageEnglish;
}
