// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// Registering ZRV clips with the desktop: a desktop entry for the running
// player, the two MIME types and their icons, rewritten at every start.
#pragma once

#include <string>
#include <vector>

// $XDG_DATA_HOME, else $HOME/.local/share; empty when neither is known.
std::string DataHome();

// `executable` as the program of an Exec= value, quoted by the desktop-entry
// rules when it needs to be.
std::string DesktopExecProgram(const std::string& executable);
// The Exec= value that starts `executable` on one file.
std::string DesktopExecLine(const std::string& executable);

// The program that the Exec= line of a desktop entry's text starts, with the
// quoting and escaping of DesktopExecProgram undone; empty when it has none.
std::string DesktopEntryProgram(const std::string& entryText);

// $XDG_DATA_DIRS, else /usr/local/share and /usr/share: where the installed
// desktop files are.
std::vector<std::string> SystemDataDirs();

// Whether the zrvplayer.desktop of one of `systemDirs` starts `executable`
// itself (the same file, through links or PATH).
bool SystemEntryStarts(const std::vector<std::string>& systemDirs, const std::string& executable);

// The zrvtool that lies beside `executable`; empty when there is none.
std::string ThumbnailToolBeside(const std::string& executable);

// Writes the files below into `dataDir` (a share/ folder), with no refresh of
// the desktop's databases; the thumbnailer entry only when `thumbnailTool`,
// the zrvtool that makes the pictures, is given. Returns whether every file
// was written.
bool WriteDesktopFiles(const std::string& dataDir, const std::string& executable,
                       const std::string& thumbnailTool, const std::string& iconSource);

// Writes under `dataHome`, unless the installed entries of `systemDirs`
// already start `executable` (then per-user copies would only outlive the
// package, and the per-user entry and thumbnailer entry that name this
// executable are removed instead):
//   applications/zrvplayer.desktop        the entry, Exec= the executable, %f
//   mime/packages/zrvplayer.xml           video/x-zrv and video/x-gzrv (old names aliases)
//   icons/hicolor/SIZE/apps|mimetypes/    the icons found in `iconSource`
//   thumbnailers/zrvplayer.thumbnailer    the zrvtool beside the executable
//                                         makes the clips' previews
// and then refreshes the desktop's MIME and application databases when their
// tools are there. The entry and the thumbnailer entry carry TryExec=, so that
// the desktop passes over them once their program is gone. Every file is
// written under a temporary name and renamed,
// so a failure leaves the old file or none, never half of one. Failures are
// silent; returns whether every file was written.
bool WriteFileAssociation(const std::string& dataHome, const std::string& executable,
                          const std::string& iconSource,
                          const std::vector<std::string>& systemDirs = SystemDataDirs());
