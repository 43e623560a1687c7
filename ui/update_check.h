// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// The update check: the product site's root page carries the published
// version tag after a marker; the check compares it with our own and tells the
// user the outcome in a message box. It runs on the user-interface thread;
// each of its two connections gives up after a time limit, so a silent server
// cannot hang the window, and user input waits until the check is over.
#pragma once

#include <QString>
#include <optional>

class QWidget;

inline constexpr char kUpdateMarker[] = "qorvex_updatedata_zrvplayer_";
inline constexpr char kVersionTag[] = "18";
inline constexpr int kConnectionTimeLimitMs = 10000;

// For the "check new version" menu item: probes the site, reads its page and
// shows one of three messages (cannot connect, up to date, a new version to
// download) over `parent`, or none when the page carries no usable marker.
void CheckForUpdate(QWidget* parent, int timeLimitMs = kConnectionTimeLimitMs);

// True when `url` answered (whatever the page says); nothing of the page is read.
bool ProbeSite(const QString& url, int timeLimitMs = kConnectionTimeLimitMs);

// Fills `page` with the page's lines joined without separators and returns
// true when the page was opened; leaves `page` as it was otherwise. A page cut
// off by the time limit or by its size is kept as far as it came.
bool ReadPage(QString& page, const QString& url, int timeLimitMs = kConnectionTimeLimitMs);

// The tag published in `page`, or nothing when the page carries no marker or
// no ">" after it. An empty tag (no blank after the marker) is a tag too.
std::optional<QString> PublishedVersionTag(const QString& page);
