#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
# Copyright 2026 ZRV Player developers
"""The real zrvplayer read and driven through the accessibility bus, as a
screen reader meets it: every control named in the interface's language,
no text cut on a screenshot of the window, a clip opened through File > open
and its dialog, the status line announced and counting frames while playing,
pause, and the speed and zoom items' check marks.

    accessibility_e2e.py BIN_DIR [--lang en|zh] [--shot PNG]

Runs inside tests/support/desktop_session.sh; QT_FONT_DPI and QT_SCALE_FACTOR
pass through to the player, for larger fonts and scales."""
import argparse
import os
import re
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
import atspi_driver as at  # noqa: E402

TEXTS = {
    "en": dict(locale="en_US.UTF-8", picture="picture", position="position", volume="volume",
               volume_icon="volume icon", position_tip="drag valid when pausing", volume_tip="adjust volume",
               open="open", play="play", pause="pause", distill="distill", file="File", play_menu="Play",
               speed="speed", show="show", quick="quick", normal="normal", big="big", quit="quit",
               loaded="have sound...total 96 frames", current=r"current (\d+) frame", frame="frame %d"),
    "zh": dict(locale="zh_CN.UTF-8", picture="画面", position="播放位置", volume="音量", volume_icon="音量图标",
               position_tip="暂停时拖动有效", volume_tip="音量调节（左小右大）", open="打开", play="播放",
               pause="暂停", distill="提取", file="文件", play_menu="播放", speed="速度", show="缩放",
               quick="快速", normal="正常", big="放大", quit="退出", loaded="含有声音...共96帧",
               current=r"当前第(\d+)帧", frame="第%d帧"),
}

check = at.check


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("bin")
    parser.add_argument("--lang", choices=TEXTS, default="en")
    parser.add_argument("--shot")
    options = parser.parse_args()
    t = TEXTS[options.lang]
    work = tempfile.mkdtemp(prefix="a11y-", dir=os.environ.get("DESKTOP_WORK"))
    clip = os.path.join(work, "clip.zrv")
    subprocess.run([os.path.join(options.bin, "zrvtool"), "make", "--frames", "96", "--fps", "8",
                    "--sound", "tone", clip], check=True)

    env = dict(os.environ, LC_ALL=t["locale"], SDL_AUDIODRIVER="dummy", PULSE_SERVER="unix:/nonexistent",
               TMP=work, XDG_DATA_HOME=os.path.join(work, "share"))
    player = subprocess.Popen([os.path.join(options.bin, "zrvplayer")], env=env,
                              stdout=open(os.path.join(work, "player.log"), "w"), stderr=subprocess.STDOUT)
    try:
        run(player, t, clip, options.shot)
    finally:
        if player.poll() is None:
            player.kill()
    return at.verdict("player accessibility, " + options.lang)


def run(player, t, clip, shot_path):
    app = at.find_app("zrvplayer", pid=player.pid)
    window = at.find(app, name="ZRV Player V1.8", role="frame")
    time.sleep(0.5)

    # Names and descriptions.
    check(at.unnamed_controls(window) == [], "controls without a name: %s" % at.unnamed_controls(window))
    named = {o.name: o for o in at.objects(window) if at.showing(o)}
    for key in ("picture", "position", "volume", "volume_icon", "open", "play", "pause", "distill"):
        check(t[key] in named, "no control named %r" % t[key])
    check(not any(o.name == "Button1" for o in at.objects(app)), "the hidden default button is exposed")
    if t["position"] in named:
        check(named[t["position"]].description == t["position_tip"], "the position slider's description")
        check(named[t["position"]].getRoleName() == "slider", "the position slider's role")
    if t["volume"] in named:
        volume = named[t["volume"]]
        check(volume.description == t["volume_tip"], "the volume slider's description")
        value = volume.queryValue()
        check(value.maximumValue == 100 and 0 <= value.currentValue <= 100, "the volume is no percentage")

    # No text cut: on a screenshot, inside each label's box.
    shot = at.Screenshot(shot_path)
    cut = at.cut_labels(window, shot)
    check(cut == [], "labels cut: %s" % cut)
    # Nothing overlaps: the controls' boxes are apart.
    boxes = [(o.name, at.extents(o)) for o in at.objects(window)
             if at.showing(o) and o.childCount == 0 and o.getRoleName() in ("push button", "slider", "label", "filler")]
    for i, (name_a, a) in enumerate(boxes):
        for name_b, b in boxes[i + 1:]:
            overlap = a[0] < b[0] + b[2] and b[0] < a[0] + a[2] and a[1] < b[1] + b[3] and b[1] < a[1] + a[3]
            check(not overlap, "%r %s and %r %s overlap" % (name_a, a, name_b, b))

    # File > open, through the dialog; the status line announces the clip.
    at.choose_menu(app, t["file"], t["open"])

    def answer():
        # The first file dialog of a freshly built (or sanitized) program can
        # take long to come; a menu choice lost on the way is made again, as
        # a user would, and said.
        try:
            at.answer_file_dialog(app, clip, owner="ZRV Player V1.8", timeout=20)
        except LookupError:
            print("no file dialog 20 s after File > open; choosing it again")
            at.choose_menu(app, t["file"], t["open"])
            at.answer_file_dialog(app, clip, owner="ZRV Player V1.8", timeout=60)

    events = at.listen(["object:property-change:accessible-name", "object:text-changed"], answer, 3)
    status = at.find(window, role="label", where=lambda o: o.name.startswith(t["loaded"][:4]))
    check(at.read(status) == t["loaded"], "status after the open: %r" % at.read(status))
    check(any(t["loaded"] in (e[1] + e[3]) for e in events),
          "no name or text event announced the open (events: %s)" % events[:6])

    # Play: the status line counts frames upwards; pause stops it.
    at.press(at.find(window, name=t["play"], role="push button"))
    counts = []
    for _ in range(6):
        time.sleep(0.5)
        found = re.search(t["current"], at.read(status))
        if found:
            counts.append(int(found.group(1)))
    check(len(counts) >= 4 and counts == sorted(counts) and counts[-1] > counts[0],
          "the frame count does not go up while playing: %s" % counts)
    pause = at.find(window, name=t["pause"], role="push button")
    check("sensitive" in at.states(pause), "pause is not enabled while playing")
    at.press(pause)
    time.sleep(0.6)
    first = at.read(status)
    time.sleep(0.6)
    check(at.read(status) == first, "the frame count goes on after pause")
    picture = named.get(t["picture"])
    if picture is not None:
        found = re.search(t["current"], first)
        check(found and picture.description == t["frame"] % int(found.group(1)),
              "the picture says %r while the status line says %r" % (picture.description, first))
    check("sensitive" not in at.states(pause), "pause is still enabled after pausing")

    # Speed and zoom: the chosen item is checked, "normal" no longer.
    for menu, chosen in ((t["speed"], t["quick"]), (t["show"], t["big"])):
        item = at.choose_menu(app, t["play_menu"], menu, chosen)
        time.sleep(0.3)
        check("checked" in at.states(item), "%s > %s is not checked" % (menu, chosen))
        submenu = item.parent
        normal = at.find(submenu, name=t["normal"], visible=False)
        check("checked" not in at.states(normal), "%s > %s stays checked" % (menu, t["normal"]))

    at.choose_menu(app, t["file"], t["quit"])
    try:
        player.wait(timeout=10)
    except subprocess.TimeoutExpired:
        check(False, "File > quit did not end the program")


if __name__ == "__main__":
    sys.exit(main())
