#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
# Copyright 2026 ZRV Player developers
"""Asks the desktop's thumbnail services for a clip's preview, as file
managers do, on the session bus of the caller:
  thumbnail_services.py tumbler URI MIME   Thumbnailer1.Queue, waits for Ready or Error
  thumbnail_services.py gnome URI MIME OUT GNOME's thumbnail factory, the PNG to OUT
Prints what the service said; exit status 0 when it made a preview."""
import sys

import gi
from gi.repository import Gio, GLib


def tumbler(uri, mime):
    bus = Gio.bus_get_sync(Gio.BusType.SESSION)
    outcome = {}
    loop = GLib.MainLoop()

    def on_signal(_connection, _sender, _path, _interface, signal, parameters):
        values = parameters.unpack()
        if signal == "Ready":
            outcome.setdefault("ready", []).extend(values[1])
        elif signal == "Error":
            outcome["error"] = f"{values[2]}: {values[3]}"
        elif signal == "Finished":
            loop.quit()

    bus.signal_subscribe("org.freedesktop.thumbnails.Thumbnailer1",
                         "org.freedesktop.thumbnails.Thumbnailer1", None,
                         "/org/freedesktop/thumbnails/Thumbnailer1", None,
                         Gio.DBusSignalFlags.NONE, on_signal)
    bus.call_sync("org.freedesktop.thumbnails.Thumbnailer1",
                  "/org/freedesktop/thumbnails/Thumbnailer1",
                  "org.freedesktop.thumbnails.Thumbnailer1", "Queue",
                  GLib.Variant("(asasssu)", ([uri], [mime], "normal", "default", 0)),
                  GLib.VariantType("(u)"), Gio.DBusCallFlags.NONE, 150000, None)
    GLib.timeout_add_seconds(150, loop.quit)
    loop.run()
    if uri in outcome.get("ready", []):
        print("ready")
        return 0
    print("error " + outcome.get("error", "no answer within 150 s"))
    return 1


def gnome(uri, mime, out):
    gi.require_version("GnomeDesktop", "3.0")
    from gi.repository import GnomeDesktop
    factory = GnomeDesktop.DesktopThumbnailFactory.new(GnomeDesktop.DesktopThumbnailSize.NORMAL)
    if not factory.can_thumbnail(uri, mime, 0):
        print("error: the factory has no thumbnailer for " + mime)
        return 1
    try:
        picture = factory.generate_thumbnail(uri, mime)
    except GLib.Error as error:
        print("error: " + error.message)
        return 1
    if picture is None:
        print("error: no picture")
        return 1
    picture.savev(out, "png", [], [])
    print(f"ready {picture.get_width()}x{picture.get_height()}")
    return 0


if __name__ == "__main__":
    if sys.argv[1] == "tumbler":
        sys.exit(tumbler(sys.argv[2], sys.argv[3]))
    sys.exit(gnome(sys.argv[2], sys.argv[3], sys.argv[4]))
