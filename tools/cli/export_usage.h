// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// What `zrvtool export` takes. The export runs in a program of its own (see
// export_launch.cpp); zrvtool's help and that program's show the same text.
#pragma once

inline constexpr const char* kExportUsage =
    "[--force] [--crf N] [--json] CLIP OUT.mp4|OUT.mkv\n"
    "       zrvtool export [--force] [--crf N] [--json] --to mp4|mkv --out-dir DIR CLIP...";
inline constexpr const char* kExportSummary =
    "export clips to MP4 (H.264, AAC) or MKV (frames as stored, FLAC); --force replaces, "
    "--crf N sets MP4's quality (0 best, 51 worst, default 20), --json reports each clip";
