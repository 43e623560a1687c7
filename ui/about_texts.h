// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// The three long texts of the About dialog: the product introduction, the
// version history and the thanks. They exist in Chinese only and are shown
// unchanged in English mode. Lines end with CR LF.
#pragma once

#include <QString>

QString IntroText();
QString HistoryText();
// Names the site's host inside its picture, so it follows ZRVPLAYER_SITE.
QString ThanksText();
