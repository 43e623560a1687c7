// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// Opening picture files without ever waiting on them.
#pragma once

#include <cstdio>
#include <string>

// Opens `path` for reading ("rb"), or creates or truncates it for writing
// ("wb"). Only a regular file is accepted: a FIFO, socket or device named by
// mistake is refused at once (null) instead of blocking until another program
// opens its other end.
std::FILE* OpenPictureFile(const std::string& path, bool forWriting);
