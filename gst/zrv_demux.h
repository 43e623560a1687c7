// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// zrvdemux: a ZRV clip in, its JPEG frames and its AMR sound out, timed as
// the player and the export time them.
#pragma once

#include <gst/gst.h>

G_BEGIN_DECLS

#define GST_TYPE_ZRV_DEMUX (gst_zrv_demux_get_type())
G_DECLARE_FINAL_TYPE(GstZrvDemux, gst_zrv_demux, GST, ZRV_DEMUX, GstElement)

GST_ELEMENT_REGISTER_DECLARE(zrvdemux);

G_END_DECLS
