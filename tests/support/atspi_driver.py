#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
# Copyright 2026 ZRV Player developers
"""Reads and drives programs through the accessibility bus (AT-SPI), as a
screen reader or a desktop script meets them.

Run it inside tests/support/desktop_session.sh, on programs started there
(with QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1, which the session sets).

As a command:
  atspi_driver.py list APP             every object: role, name, description, states, box
  atspi_driver.py press APP NAME       presses the button (or any object with an action) NAME
  atspi_driver.py menu APP ITEM...     chooses a menu item by its path, e.g.: menu zrvplayer File open
  atspi_driver.py read APP NAME        the text of the label or other object named NAME
  atspi_driver.py boxes APP            the texts of the message boxes that are open
  atspi_driver.py box APP NAME         where NAME is on the screen: X Y WIDTH HEIGHT in screen pixels

As a module: find_app, objects, describe, find, press, choose_menu, read,
message_boxes, close_box, listen, screenshot and ink_rows; check,
failures and verdict for the test scripts.
"""
import os
import re
import subprocess
import sys
import time

import pyatspi
from gi.repository import GLib

TIMEOUT = float(os.environ.get("ATSPI_DRIVER_TIMEOUT", "30"))


def _deadline(timeout):
    return time.monotonic() + (TIMEOUT if timeout is None else timeout)


def find_app(name, timeout=None, pid=None):
    """The application called NAME on the bus (Qt: its application name);
    with PID, the one of that process."""
    end = _deadline(timeout)
    while True:
        desktop = pyatspi.Registry.getDesktop(0)
        for i in range(desktop.childCount):
            app = desktop.getChildAtIndex(i)
            try:
                if app is not None and app.name == name and (pid is None or app.get_process_id() == pid):
                    return app
            except GLib.Error:
                continue
        if time.monotonic() > end:
            raise LookupError("no application %r on the accessibility bus" % name)
        time.sleep(0.2)


def objects(root):
    """Every object below ROOT, depth first, ROOT excluded."""
    try:
        count = root.childCount
    except GLib.Error:
        return
    for i in range(count):
        try:
            child = root.getChildAtIndex(i)
        except GLib.Error:
            continue
        if child is None:
            continue
        yield child
        yield from objects(child)


def states(obj):
    return {pyatspi.stateToString(s) for s in obj.getState().getStates()}


def extents(obj):
    """(x, y, width, height) on the screen."""
    box = obj.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    return (box.x, box.y, box.width, box.height)


def describe(obj):
    info = {"role": obj.getRoleName(), "name": obj.name or "", "description": obj.description or "",
            "states": sorted(states(obj))}
    try:
        info["box"] = extents(obj)
    except NotImplementedError:
        pass
    return info


def showing(obj):
    return {"showing", "visible"} <= states(obj)


def find(root, name=None, role=None, visible=True, timeout=None, where=None):
    """The first object below ROOT with NAME (exact) and ROLE (the role's
    name, e.g. "push button"), shown on screen unless VISIBLE is false, for
    which WHERE (a function of the object) holds; waits for it up to TIMEOUT."""
    end = _deadline(timeout)
    while True:
        for obj in objects(root):
            try:
                if name is not None and obj.name != name:
                    continue
                if role is not None and obj.getRoleName() != role:
                    continue
                if visible and not showing(obj):
                    continue
                if where is not None and not where(obj):
                    continue
                return obj
            except GLib.Error:
                continue
        if time.monotonic() > end:
            raise LookupError("nothing named %r with role %r" % (name, role))
        time.sleep(0.2)


def press(obj):
    """Does the object's press (or click, activate, toggle) action. An action
    that opens a modal window keeps the program from answering until that
    window closes; the call then gives up waiting, and the action goes on."""
    action = obj.queryAction()
    names = [action.getName(i).lower() for i in range(action.nActions)]
    for wanted in ("press", "click", "activate", "toggle"):
        if wanted in names:
            index = names.index(wanted)
            break
    else:
        raise LookupError("%r has no press action (it has %s)" % (obj.name, names))
    try:
        action.doAction(index)
    except GLib.Error as error:
        if "timeout" not in str(error).lower() and "noreply" not in str(error).lower():
            raise


def choose_menu(app, *path, timeout=None):
    """Chooses the menu item at PATH (the menu bar's entry, any submenus, the
    item), by the names the menus show, e.g. choose_menu(app, "File", "open")."""
    node = find(app, name=path[0], visible=False, timeout=timeout,
                where=lambda o: o.parent is not None and o.parent.getRoleName() == "menu bar")
    for name in path[1:]:
        node = find(node, name=name, visible=False, timeout=timeout)
    press(node)
    return node


def answer_file_dialog(app, path, button="Open", owner=None, timeout=None):
    """Answers the file dialog that APP shows (Qt's own): PATH in its file
    name field, then BUTTON pressed. OWNER is the title of the window behind
    it, which is no file dialog. Returns the button, already pressed."""
    chooser = find(app, role="dialog", timeout=timeout, where=lambda o: o.name != owner and any(
        c.getRoleName() == "text" for c in objects(o)))
    field = find(chooser, role="text", where=lambda o: "name" in (o.name or "").lower())
    field.queryEditableText().setTextContents(path)
    answer = find(chooser, name=button, role="push button")
    press(answer)
    return answer


def read(obj):
    """The text an object shows: its text, else its name."""
    try:
        text = obj.queryText()
        return text.getText(0, -1)
    except NotImplementedError:
        return obj.name or ""


def message_boxes(app):
    """The message boxes on screen: for each, the texts of its labels."""
    boxes = []
    for obj in objects(app):
        try:
            role = obj.getRoleName()
            if role in ("alert", "dialog") and showing(obj):
                texts = [read(o) for o in objects(obj) if o.getRoleName() == "label" and read(o)]
                if role == "alert" or texts:
                    boxes.append({"title": obj.name, "texts": texts, "object": obj, "role": role})
        except GLib.Error:
            continue
    return boxes


def wait_for_box(app, timeout=None):
    end = _deadline(timeout)
    while True:
        boxes = [b for b in message_boxes(app) if b["role"] == "alert"]
        if boxes:
            return boxes[0]
        if time.monotonic() > end:
            raise LookupError("no message box appeared")
        time.sleep(0.2)


def close_box(box, button="OK"):
    press(find(box["object"], name=button, role="push button"))


def listen(kinds, action, seconds):
    """Runs ACTION (a function), then collects the events of KINDS (e.g.
    "object:property-change:accessible-name") for SECONDS; returns them as
    (type, source name, source role, detail text) tuples."""
    events = []

    def on_event(event):
        try:
            events.append((event.type, event.source.name or "", event.source.getRoleName(),
                           event.any_data if isinstance(event.any_data, str) else ""))
        except GLib.Error:
            pass

    for kind in kinds:
        pyatspi.Registry.registerEventListener(on_event, kind)
    GLib.timeout_add(0, lambda: (action(), False)[1])
    GLib.timeout_add(int(seconds * 1000), lambda: (pyatspi.Registry.stop(), False)[1])
    pyatspi.Registry.start()
    for kind in kinds:
        pyatspi.Registry.deregisterEventListener(on_event, kind)
    return events


class Screenshot:
    """The whole screen as RGB pixels."""

    def __init__(self, path=None):
        ppm = subprocess.run(["import", "-silent", "-window", "root", "-depth", "8", "ppm:-"], check=True, capture_output=True).stdout
        if path:
            subprocess.run(["convert", "ppm:-", path], input=ppm, check=True)
        parts = ppm.split(maxsplit=4)
        if parts[0] != b"P6" or parts[3] != b"255":
            raise ValueError("unexpected screenshot format")
        self.width, self.height = int(parts[1]), int(parts[2])
        self.pixels = parts[4]

    def pixel(self, x, y):
        at = 3 * (y * self.width + x)
        return tuple(self.pixels[at:at + 3])


def screen_geometry(window):
    """How the boxes that WINDOW reports map onto the screen: (scale, dx,
    dy), screen pixels per reported unit and the offset after scaling. Qt
    gives boxes in device-independent pixels, which a scale factor
    (QT_SCALE_FACTOR, or a font DPI above 96) makes larger on screen. The
    scale is measured on the program's X window whose size matches WINDOW's
    box in proportion. The offset is left at 0: Qt 6.4 reports a top-level
    window's own box off by its frame, while the boxes inside it are right at
    scale 1; at other scales they are off by a few pixels (a known limit)."""
    x, y, width, height = extents(window)
    pid = window.get_process_id()
    found = subprocess.run(["xdotool", "search", "--onlyvisible", "--pid", str(pid)],
                           capture_output=True, text=True).stdout.split()
    best = None
    for x_window in found:
        geometry = subprocess.run(["xdotool", "getwindowgeometry", "--shell", x_window],
                                  capture_output=True, text=True).stdout
        values = dict(line.split("=", 1) for line in geometry.split() if "=" in line)
        screen_width, screen_height = int(values["WIDTH"]), int(values["HEIGHT"])
        if width <= 0 or height <= 0 or screen_width <= 1:
            continue
        scale = screen_width / width
        mismatch = abs(screen_height - height * scale)
        if mismatch <= 2 and (best is None or mismatch < best[0]):
            best = (mismatch, scale, 0, 0)
    return best[1:] if best else (1.0, 0, 0)


def top_window(obj):
    """The window (dialog, frame or alert) that holds OBJ."""
    while obj is not None and obj.getRoleName() not in ("dialog", "frame", "alert", "window"):
        obj = obj.parent
    return obj


def on_screen(box, geometry):
    """BOX in screen pixels, for boxes reported with GEOMETRY (screen_geometry)."""
    scale, dx, dy = geometry
    x, y, width, height = box
    left, top = int(round(x * scale)), int(round(y * scale))
    return (left + dx, top + dy, int(round((x + width) * scale)) - left, int(round((y + height) * scale)) - top)


def ink_rows(shot, box, tolerance=48):
    """For each pixel row of BOX (x, y, width, height) on SHOT, whether it
    holds ink: a pixel far from the box's most common colour, its background."""
    x0, y0, width, height = box
    x0, y0 = max(0, x0), max(0, y0)
    x1, y1 = min(shot.width, x0 + width), min(shot.height, y0 + height)
    counts = {}
    for y in range(y0, y1):
        for x in range(x0, x1):
            p = shot.pixel(x, y)
            counts[p] = counts.get(p, 0) + 1
    background = max(counts, key=counts.get)
    rows = []
    for y in range(y0, y1):
        rows.append(any(sum(abs(a - b) for a, b in zip(shot.pixel(x, y), background)) > tolerance
                        for x in range(x0, x1)))
    return rows


def cut_labels(window, shot, geometry=None):
    """The labels of WINDOW whose text the screenshot SHOT shows cut: ink in
    the top or bottom pixel row of the label's box (letters run on past its
    edge), or no ink at all where a text should be. Returns (name, reason)."""
    geometry = screen_geometry(window) if geometry is None else geometry
    cut = []
    for obj in objects(window):
        if obj.getRoleName() not in ("label", "link") or not showing(obj) or not read(obj).strip():
            continue
        box = on_screen(extents(obj), geometry)
        rows = ink_rows(shot, box)
        if not any(rows):
            cut.append((read(obj), "no text drawn in its box %s" % (box,)))
        elif rows[0] or rows[-1]:
            cut.append((read(obj), "letters reach the %s edge of its box %s" % ("top" if rows[0] else "bottom", box)))
    return cut


def unnamed_controls(window):
    """The objects of WINDOW that a user meets (leaves: buttons, sliders,
    labels, the picture; and every menu item) but that have no name, or only
    a name like "Button1"."""
    bad = []
    for obj in objects(window):
        role = obj.getRoleName()
        # Fillers are the frames around and inside controls (a text box's
        # inside, a window's client area); what they hold is checked.
        if role in ("separator", "scroll bar", "filler"):
            continue
        if obj.childCount > 0 and role not in ("menu", "dialog", "alert"):
            continue
        if not (showing(obj) or role.endswith("menu item") or role == "menu"):
            continue
        name = obj.name or ""
        if not name.strip() or name.lower().startswith("button"):
            bad.append((role, name))
    return bad


# What a test script found wrong; check() records and prints each failure,
# so that one run reports every fault, not only the first.
failures = []


def check(condition, message):
    if not condition:
        failures.append(message)
        print("FAILED:", message)
    return condition


def verdict(what):
    """The script's exit status: 1 after any failure, else 0, with a last line
    that says which; `what` names the program and the desktop it ran in."""
    if failures:
        print("%d failed" % len(failures))
        return 1
    print("%s (font DPI %s, scale %s): passed" %
          (what, os.environ.get("QT_FONT_DPI", "default"), os.environ.get("QT_SCALE_FACTOR", "1")))
    return 0


def _main(argv):
    if len(argv) < 3:
        print(__doc__, file=sys.stderr)
        return 2
    command, app = argv[1], find_app(argv[2])
    if command == "list":
        for obj in objects(app):
            info = describe(obj)
            print("%-14s %-30r %-30r %s %s" % (info["role"], info["name"], info["description"],
                                               ",".join(info["states"]), info.get("box", "")))
    elif command == "press" and len(argv) == 4:
        press(find(app, name=argv[3]))
    elif command == "menu" and len(argv) >= 4:
        choose_menu(app, *argv[3:])
    elif command == "read" and len(argv) == 4:
        print(read(find(app, name=argv[3])))
    elif command == "box" and len(argv) == 4:
        obj = find(app, name=argv[3])
        print(*on_screen(extents(obj), screen_geometry(top_window(obj))))
    elif command == "boxes":
        for box in message_boxes(app):
            print("%s: %s" % (box["title"], " | ".join(box["texts"])))
    else:
        print(__doc__, file=sys.stderr)
        return 2
    return 0


if __name__ == "__main__":
    sys.exit(_main(sys.argv))
