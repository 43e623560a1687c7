// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// The program's icons, rendered at build time beside the executable.
#pragma once

#include <QIcon>

// Icon `id` (128 program, 149 volume, 150 and 151 the clip types, 157 About)
// at every size that was rendered; a null icon when none is there.
QIcon ProgramIcon(int id);
