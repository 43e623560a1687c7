// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// The sub-commands of zrvtool, one file each.
#pragma once

#include "tools/cli/cli.h"

extern const Command kInfoCommand;
extern const Command kFrameCommand;
extern const Command kDecodeCommand;
extern const Command kPictureCommand;
extern const Command kSoundCommand;
extern const Command kMakeCommand;
extern const Command kRenderCommand;
extern const Command kExportCommand;
extern const Command kImportCommand;
extern const Command kThumbnailCommand;
