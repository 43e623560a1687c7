// The typefinder that names ZRV clips video/x-zrv.
#pragma once

#include <gst/gst.h>

gboolean RegisterZrvTypeFind(GstPlugin* plugin);
