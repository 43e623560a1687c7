#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
# Copyright 2026 ZRV Player developers
"""The About dialog and the update check of the real zrvplayer, read through
the accessibility bus: the dialog's texts, links and buttons, its text box
after "Version history", no text cut on a screenshot, and the update check
against a local HTTP server with its three outcomes read from the boxes.

    accessibility_e2e.py BIN_DIR [--lang en|zh] [--shot PNG]

Runs inside tests/support/desktop_session.sh; QT_FONT_DPI and QT_SCALE_FACTOR
pass through to the player."""
import argparse
import http.server
import os
import subprocess
import sys
import tempfile
import threading
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
import atspi_driver as at  # noqa: E402

TEXTS = {
    "en": dict(locale="en_US.UTF-8", help="Help", about="about", check="check new version",
               caption="About ZRV Player", product="ZRV Player V1.8, Copyright (C) 2026 Qorvex",
               mail="Mail：zrvplayer@qorvex.example", visit="or Visit：%s", history="Version history",
               thanks="Thanks", up_to_date="current version is the lastest!",
               download="visit %s to download new version!", failed="connect %s fail!"),
    "zh": dict(locale="zh_CN.UTF-8", help="帮助", about="关于", check="检查最新版本", caption="关于 ZRV Player",
               product="ZRV Player 1.8 版，版权所有 (C) 2026 Qorvex", mail="联系方式：zrvplayer@qorvex.example",
               visit="或访问：%s", history="版本历史", thanks="感谢", up_to_date="当前版本是最新的！",
               download="可以去 %s 下载最新版！", failed="连接 %s 失败！"),
}

check = at.check


class Site:
    """The product site on this machine: its root page carries a version tag
    that the test changes; stopped, its port refuses connections."""

    def __init__(self):
        site = self

        class Handler(http.server.BaseHTTPRequestHandler):
            def do_GET(self):
                body = site.page.encode()
                self.send_response(200)
                self.send_header("Content-Type", "text/html")
                self.send_header("Content-Length", str(len(body)))
                self.end_headers()
                self.wfile.write(body)

            def log_message(self, *args):
                pass

        self.page = ""
        self.server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
        self.address = "http://127.0.0.1:%d/" % self.server.server_address[1]
        threading.Thread(target=self.server.serve_forever, daemon=True).start()

    def publish(self, tag):
        self.page = '<html><head><meta name="qorvex_updatedata_zrvplayer_%s release"></head></html>' % tag

    def stop(self):
        self.server.shutdown()
        self.server.server_close()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("bin")
    parser.add_argument("--lang", choices=TEXTS, default="en")
    parser.add_argument("--shot")
    options = parser.parse_args()
    t = TEXTS[options.lang]
    work = tempfile.mkdtemp(prefix="a11y-", dir=os.environ.get("DESKTOP_WORK"))
    site = Site()
    env = dict(os.environ, LC_ALL=t["locale"], SDL_AUDIODRIVER="dummy", PULSE_SERVER="unix:/nonexistent",
               TMP=work, XDG_DATA_HOME=os.path.join(work, "share"), ZRVPLAYER_SITE=site.address,
               BROWSER="/bin/true")
    player = subprocess.Popen([os.path.join(options.bin, "zrvplayer")], env=env,
                              stdout=open(os.path.join(work, "player.log"), "w"), stderr=subprocess.STDOUT)
    try:
        app = at.find_app("zrvplayer", pid=player.pid)
        at.find(app, name="ZRV Player V1.8", role="frame")
        about_dialog(app, t, site.address, options.shot)
        update_check(app, t, site)
    finally:
        player.kill()
    return at.verdict("About dialog and update check accessibility, " + options.lang)


def about_dialog(app, t, address, shot_path):
    at.choose_menu(app, t["help"], t["about"])
    dialog = at.find(app, name=t["caption"], role="dialog")
    time.sleep(0.5)
    labels = [at.read(o) for o in at.objects(dialog) if o.getRoleName() == "label" and at.showing(o)]
    check(t["product"] in labels, "no product line %r among the labels %s" % (t["product"], labels))
    links = {o.name: o.description for o in at.objects(dialog) if o.getRoleName() == "link"}
    check(links.get(t["mail"]) == "mailto:zrvplayer@qorvex.example", "the mail link reads %s" % links)
    check(links.get(t["visit"] % address) == address, "the site link reads %s" % links)
    for name in ("ZRV Player", t["history"], t["thanks"]):
        at.find(dialog, name=name, role="push button", timeout=2)
    check(at.unnamed_controls(dialog) == [], "unnamed controls: %s" % at.unnamed_controls(dialog))

    at.press(at.find(dialog, name=t["history"], role="push button"))
    box = at.find(dialog, role="text", name=t["history"])
    time.sleep(0.5)
    text = at.read(box)
    check(text.startswith("\nZRV Player升级记录：\n1.8版修改："), "the history reads %r" % text[:40])

    # The links are checked without the focus rectangle, which runs along
    # their edges: the focus goes to a button first.
    at.find(dialog, name="ZRV Player", role="push button").queryComponent().grabFocus()
    time.sleep(0.3)
    shot = at.Screenshot(shot_path)
    cut = at.cut_labels(dialog, shot)
    check(cut == [], "labels cut: %s" % cut)
    # The product line in full: its box at least as wide and tall as its letters.
    product = at.find(dialog, name=t["product"], role="label")
    rows = at.ink_rows(shot, at.on_screen(at.extents(product), at.screen_geometry(dialog)))
    check(any(rows) and not rows[-1], "the product line is cut")

    # Escape, pressed in the dialog (which has the keyboard), closes it.
    # The dialog's objects leave the bus while it closes: find() passes over them.
    def still_open():
        try:
            return at.find(app, name=t["caption"], timeout=0) is not None
        except LookupError:
            return False
    for _ in range(3):
        subprocess.run(["xdotool", "key", "Escape"], check=False)
        end = time.time() + 3
        while time.time() < end and still_open():
            time.sleep(0.2)
        if not still_open():
            break
    check(not still_open(), "Escape left the dialog open")


def update_check(app, t, site):
    outcomes = (("18", t["up_to_date"]), ("19", t["download"] % site.address), (None, t["failed"] % site.address))
    for tag, expected in outcomes:
        if tag is None:
            site.stop()
        else:
            site.publish(tag)
        at.choose_menu(app, t["help"], t["check"])
        box = at.wait_for_box(app)
        check(box["title"] == "ZRV Player", "the box is titled %r" % box["title"])
        check(expected in box["texts"], "for tag %s the box says %s, not %r" % (tag, box["texts"], expected))
        shot = at.Screenshot()
        cut = at.cut_labels(box["object"], shot)
        check(cut == [], "message box labels cut: %s" % cut)
        at.close_box(box)
        end = time.time() + 5
        while time.time() < end and any(b["role"] == "alert" for b in at.message_boxes(app)):
            time.sleep(0.2)


if __name__ == "__main__":
    sys.exit(main())
