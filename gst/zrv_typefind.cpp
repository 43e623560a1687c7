// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
#include "gst/zrv_typefind.h"

#include "demux/clip_sniffer.h"

namespace {

void FindZrv(GstTypeFind* find, gpointer) {
  const PeekBytes peek = [find](uint64_t offset, uint32_t size) -> const uint8_t* {
    return gst_type_find_peek(find, gint64(offset), size);
  };
  if (LooksLikeClip(peek, gst_type_find_get_length(find)))
    gst_type_find_suggest_empty_simple(find, GST_TYPE_FIND_MAXIMUM, "video/x-zrv");
}

}  // namespace

// Above the JPEG typefinder, which would otherwise take every clip for its
// first picture; a lone picture is left to it.
gboolean RegisterZrvTypeFind(GstPlugin* plugin) {
  static GstStaticCaps caps = GST_STATIC_CAPS("video/x-zrv");
  return gst_type_find_register(plugin, "video/x-zrv", GST_RANK_PRIMARY + 20, FindZrv, "zrv,gzrv",
                                gst_static_caps_get(&caps), nullptr, nullptr);
}
