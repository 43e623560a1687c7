#include "ui/language.h"

uint8_t UiLanguage = kLanguageChinese;
