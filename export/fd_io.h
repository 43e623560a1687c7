// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// libavformat's I/O over a file descriptor that the caller opened: writing,
// reading back and seeking with pread/pwrite at a position of its own, so
// that two contexts over one descriptor (MP4's fast start reads the file
// while it writes it) never disturb each other, and nothing is opened by name.
#pragma once

struct AVIOContext;

// A context over `fd`, writable when `write` holds; null when out of memory.
AVIOContext* OpenFdIo(int fd, bool write);
// The descriptor under a context that OpenFdIo made.
int FdIoDescriptor(const AVIOContext* io);
// Flushes (when writable) and frees the context; the descriptor stays open.
// Returns the first write error the context met, or 0.
int CloseFdIo(AVIOContext** io);
