// Which files the converter takes, and where their videos go.
#pragma once

#include <QString>
#include <QStringList>

#include "export/export.h"

// True for names ending in .zrv or .gzrv, in any case.
bool HasClipExtension(const QString& path);

// The clips that `path` stands for: a file as it is (whatever its name, since
// the user picked it), a folder's .zrv and .gzrv files at any depth, sorted.
// Each as an absolute, clean path; nothing when `path` does not exist.
QStringList ClipsUnder(const QString& path);

// The program's arguments as clips to add: none, and "qorvex" alone (the
// player's Tool menu starts the converter with it), add nothing.
QStringList ClipArguments(const QStringList& arguments);

// The video made of `clipPath`: NAME.mp4 or NAME.mkv, NAME being the clip's
// file name without its extension, beside the clip or in `folder` when one
// is given.
QString OutputPathFor(const QString& clipPath, const QString& folder, ExportFormat format);

// "0:12", "12:05", "1:02:03".
QString LengthText(uint64_t ms);
// "850 KB", "12.4 MB", "1.2 GB" (1024 a step).
QString SizeText(uint64_t bytes);
