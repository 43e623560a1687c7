// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// The typefinder that names ZRV clips video/x-zrv.
#pragma once

#include <gst/gst.h>

gboolean RegisterZrvTypeFind(GstPlugin* plugin);
