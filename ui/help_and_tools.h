// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// The commands that hand work to other programs: the manual, opened like any
// document, and the two companion conversion programs. None of them waits for
// the other program or reports a failure: without a viewer or without the
// program nothing visible happens.
#pragma once

#include <QString>

inline constexpr char kManualFileName[] = "ZRV Player帮助.chm";
inline constexpr char kVideoConvertProgram[] = "ClipConvert.exe";
inline constexpr char kZrvChangerProgram[] = "ZRV Swift Changer.exe";
inline constexpr char kCompanionArgument[] = "qorvex";

// `programDir` is the folder the player's executable lies in; empty means the
// running executable's folder (tests name another one).

// The manual beside the executable.
QString ManualPath(const QString& programDir = QString());
// The same manual as HTML pages, in the folder "manual" beside the
// executable: its first page.
QString ManualHtmlPath(const QString& programDir = QString());
// Whether the desktop has an application for CHM files: xdg-mime, which
// xdg-open asks too, names one.
bool DesktopOpensChm();
// The manual to open: the help file where the desktop has a viewer for it,
// else the HTML pages, which any browser shows (a browser handed the help
// file would only download it); empty when neither is there.
QString ManualToOpen(const QString& programDir = QString());
// Menu item 32786: opens ManualToOpen() with the desktop's application.
// True when it was handed to the desktop.
bool OpenManual(const QString& programDir = QString());

enum class Companion {
  VideoConvert,  // menu item 32782, "ClipConvert.exe"
  ZrvChanger,    // menu item 32783, "ZRV Swift Changer.exe"
};

QString CompanionProgramName(Companion companion);
// The program `name`'s path: beside the executable first, then on PATH;
// empty when it is in neither place.
QString FindProgram(const QString& name, const QString& programDir = QString());
// The program's path: beside the executable first, then on PATH; empty when
// it is in neither place.
QString FindCompanion(Companion companion, const QString& programDir = QString());
// Starts the program detached with the single argument "qorvex" (an argument
// list, no shell, so the blanks in a name are safe). True when it started;
// `pid` then receives its process id.
bool StartCompanion(Companion companion, const QString& programDir = QString(), qint64* pid = nullptr);
