// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// Which files a converter window takes, where their results go, and how
// lengths and sizes read.
#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>

// The files that `path` stands for: a file as it is (whatever its name, since
// the user picked it), a folder's files at any depth that `takes` accepts,
// sorted. Each as an absolute, clean path; nothing when `path` does not exist.
QStringList FilesUnder(const QString& path, const std::function<bool(const QString& file)>& takes);

// The program's arguments as files to add: none, and "qorvex" alone (the
// player's Tool menu starts the converters with it), add nothing.
QStringList FileArguments(const QStringList& arguments);

// The result made of `inputPath`: NAME.EXTENSION, NAME being the input's file
// name without its extension, beside the input or in `folder` when one is
// given.
QString OutputPathFor(const QString& inputPath, const QString& folder, const QString& extension);

// "0:12", "12:05", "1:02:03".
QString LengthText(uint64_t ms);
// "850 KB", "12.4 MB", "1.2 GB" (1024 a step).
QString SizeText(uint64_t bytes);
