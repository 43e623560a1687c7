// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// Which files the Video Convert window takes, and where their videos go.
#pragma once

#include <QString>
#include <QStringList>

#include "export/export.h"

// True for names ending in .zrv or .gzrv, in any case.
bool HasClipExtension(const QString& path);

// The clips that `path` stands for: a file as it is, a folder's .zrv and
// .gzrv files at any depth (FilesUnder).
QStringList ClipsUnder(const QString& path);

// The video made of `clipPath`: NAME.mp4 or NAME.mkv beside the clip, or in
// `folder` when one is given (OutputPathFor).
QString VideoPathFor(const QString& clipPath, const QString& folder, ExportFormat format);
