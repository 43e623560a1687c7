// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// The helper process gives up, once its input and output are open, the right
// to open files, make sockets and start programs, as browsers confine their
// media decoders: FFmpeg's demuxers and decoders then run on the untrusted
// video in a process that can read nothing but the file it was given, even
// if one of them has a hole.
#pragma once

#include <string>

// Confines the calling process (its threads to come included) for good.
// False, with a sentence in `error`, when the kernel refuses.
bool ConfineProcess(std::string& error);
