// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// What `zrvtool import` takes. The import runs in zrvtool-export, the
// FFmpeg-linked program beside zrvtool (see export_launch.cpp); zrvtool's
// help and that program's show the same text.
#pragma once

inline constexpr const char* kImportUsage =
    "[--force] [--json] [--size WxH] [--fit pad|crop] [--fps F] [--quality Q] "
    "[--layout plain|shared-header] [--sound amr-nb|amr-wb|none] [--bitrate KBITS] [--audio-track N] "
    "[--start T] "
    "[--duration T] VIDEO OUT.zrv\n"
    "       zrvtool import [OPTIONS] --out-dir DIR VIDEO...";
inline constexpr const char* kImportSummary =
    "turn videos (MP4, MOV, 3GP, MKV, WebM, AVI, GIF...) into clips: --size (default 176x144), "
    "--fit pad (bars) or crop, --fps 1 to 30 (default 8; 5 without sound), --quality (default 75), "
    "--sound (default amr-nb), --bitrate (AMR mode in kbit/s), --audio-track (the video's Nth "
    "sound track, from 1; default: the one marked default), --start/--duration (seconds or "
    "h:mm:ss), --force replaces, --json reports each video";
