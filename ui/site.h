// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// Where the product lives on the web and how to write to its makers.
#pragma once

#include <QString>

inline constexpr char kDefaultSiteAddress[] = "http://www.qorvex.example/";
inline constexpr char kContactAddress[] = "zrvplayer@qorvex.example";

// The product site's root page. ZRVPLAYER_SITE, when set and not empty, takes
// the place of the vendor's address everywhere (links, update check,
// messages), so that an installation or a test can point the program at its
// own site.
QString SiteAddress();

// The host of SiteAddress(), as the thanks picture names it; the whole address
// when it has no recognisable host.
QString SiteHostName();
