// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// The plugin: the typefinder and the demuxer that let every GStreamer player
// play ZRV clips (jpegdec, amrnbdec and amrwbdec do the decoding).
#include <gst/gst.h>

#include "gst/zrv_demux.h"
#include "gst/zrv_typefind.h"

static gboolean plugin_init(GstPlugin* plugin) {
  gboolean ok = RegisterZrvTypeFind(plugin);
  ok &= GST_ELEMENT_REGISTER(zrvdemux, plugin);
  return ok;
}

GST_PLUGIN_DEFINE(GST_VERSION_MAJOR, GST_VERSION_MINOR, zrv, "ZRV clips: typefinder and demuxer",
                  plugin_init, ZRV_VERSION, "GPL", "ZRV Player", "http://www.qorvex.example/")
