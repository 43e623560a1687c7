#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
# Copyright 2026 ZRV Player developers
"""The real converter windows, Video Convert (ClipConvert.exe) and the ZRV
Changer ("ZRV Swift Changer.exe"), read and driven through the accessibility
bus as a screen reader meets them: every control named in the interface's
language, no text cut on a screenshot, no two controls on top of each other,
a good file and a refused one added through "Add files…" and Qt's file
dialog, Convert pressed, each row's result read, the output checked with
ffprobe or zrvtool, and the program still answering after the refusal (a
third file added through the dialog is read).

    accessibility_e2e.py BIN_DIR --window clipconvert|changer [--lang en|zh] [--shot PNG] [--shot-after PNG]

--shot keeps the screenshot of the empty window, --shot-after one taken
after the conversion.

Runs inside tests/support/desktop_session.sh; QT_FONT_DPI and QT_SCALE_FACTOR
pass through to the program, for larger fonts and scales."""
import argparse
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
import atspi_driver as at  # noqa: E402

# What each window says, in each language. "columns" are the list's headers;
# "refused" is a pattern for the refused file's result.
WINDOWS = {
    "clipconvert": dict(
        program="ClipConvert.exe", app="ClipConvert", good="clip.zrv", bad="notes.zrv", output="clip.mp4",
        en=dict(title="Video Convert", list="Clips", columns=["Name", "Frames", "Length", "Sound", "Result"],
                options=["Format"], this_item="This clip", all_items="All clips",
                done=r"^done, \d+(\.\d+)? [KM]?B$", refused=r"^not a ZRV clip: it holds no frame$"),
        zh=dict(title="视频转换", list="短片", columns=["名称", "帧数", "时长", "声音", "结果"],
                options=["格式"], this_item="当前短片", all_items="全部短片",
                done=r"^完成，\d+(\.\d+)? [KM]?B$", refused=r"^不是 ZRV 短片：里面没有任何帧$")),
    "changer": dict(
        program="ZRV Swift Changer.exe", app="ZRV Changer", good="video.mp4", bad="notes.mp4", output="video.zrv",
        en=dict(title="ZRV Changer", list="Videos", columns=["Name", "Length", "Picture", "Result"],
                options=["Picture size", "Fit", "Frame rate", "Picture quality", "Sound", "Layout"], extra=["Play"],
                this_item="This video", all_items="All videos",
                done=r"^done, \d+(\.\d+)? [KM]?B, (?P<frames>\d+) frames$",
                refused=r"^'/.*/notes\.mp4' is not a video that can be read \(.+\)$"),
        zh=dict(title="ZRV 转换", list="视频", columns=["名称", "时长", "画面", "结果"],
                options=["画面大小", "适应方式", "帧率", "画质", "声音", "布局"], extra=["播放"],
                this_item="当前视频", all_items="全部视频",
                done=r"^完成，\d+(\.\d+)? [KM]?B，(?P<frames>\d+) 帧$",
                refused=r"^转换失败：“/.*/notes\.mp4”不是可以读取的视频$")),
}
COMMON = {
    "en": dict(locale="en_US.UTF-8", add="Add files…", add_folder="Add folder…", choose="Choose…", remove="Remove",
               convert="Convert", cancel="Cancel", open_folder="Open output folder", status="Status",
               finished="finished: 1 converted, 1 failed", reading="reading…"),
    "zh": dict(locale="zh_CN.UTF-8", add="添加文件…", add_folder="添加文件夹…", choose="选择…", remove="移除", convert="转换",
               cancel="取消", open_folder="打开输出文件夹", status="状态", finished="转换结束：1 个成功，1 个失败",
               reading="正在读取…"),
}
# The roles of what a user sees and works; their boxes must not overlap.
CONTROL_ROLES = {"push button", "radio button", "check box", "combo box", "spin button", "label",
                 "progress bar", "tree table", "table", "tree", "list", "text"}

check = at.check


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("bin")
    parser.add_argument("--window", choices=WINDOWS, required=True)
    parser.add_argument("--lang", choices=("en", "zh"), default="en")
    parser.add_argument("--shot")
    parser.add_argument("--shot-after")
    options = parser.parse_args()
    kind = WINDOWS[options.window]
    t = dict(COMMON[options.lang], **kind[options.lang])
    work = tempfile.mkdtemp(prefix="a11y-", dir=os.environ.get("DESKTOP_WORK"))
    good, bad = os.path.join(work, kind["good"]), os.path.join(work, kind["bad"])
    make_inputs(options.bin, options.window, good, bad)
    again = os.path.join(work, "again" + os.path.splitext(good)[1])
    shutil.copy(good, again)

    env = dict(os.environ, LC_ALL=t["locale"], TMP=work, XDG_DATA_HOME=os.path.join(work, "share"))
    program = subprocess.Popen([os.path.join(options.bin, kind["program"])], env=env,
                               stdout=open(os.path.join(work, "program.log"), "w"), stderr=subprocess.STDOUT)
    try:
        run(program, kind, t, good, bad, again, options.shot)
        if options.shot_after:
            at.Screenshot(options.shot_after)
        check_output(options.bin, options.window, os.path.join(work, kind["output"]), t)
        check(not os.path.exists(os.path.splitext(bad)[0] + os.path.splitext(kind["output"])[1]),
              "the refused file left an output behind")
    finally:
        if program.poll() is None:
            program.kill()
    return at.verdict("%s accessibility, %s" % (options.window, options.lang))


def make_inputs(bin_dir, window, good, bad):
    """A file the window converts and a text file under its kind of name."""
    if window == "clipconvert":
        subprocess.run([os.path.join(bin_dir, "zrvtool"), "make", "--frames", "24", "--fps", "8",
                        "--sound", "tone", good], check=True)
    else:
        subprocess.run(["ffmpeg", "-v", "error", "-f", "lavfi", "-i", "testsrc=size=160x120:rate=10:duration=2",
                        "-f", "lavfi", "-i", "sine=frequency=440:duration=2", "-shortest",
                        "-c:v", "libx264", "-pix_fmt", "yuv420p", "-c:a", "aac", good], check=True)
    with open(bad, "w") as notes:
        notes.write("not a video, not a clip: just a few words of text\n" * 20)


def check_output(bin_dir, window, output, t):
    check(os.path.isfile(output), "no output %s" % output)
    if not os.path.isfile(output):
        return
    if window == "clipconvert":
        probe = subprocess.run(["ffprobe", "-v", "error", "-count_frames", "-show_entries",
                                "stream=codec_type,nb_read_frames", "-of", "json", output],
                               capture_output=True, text=True)
        streams = json.loads(probe.stdout or "{}").get("streams", [])
        video = [s for s in streams if s.get("codec_type") == "video"]
        check(probe.returncode == 0 and video and int(video[0].get("nb_read_frames", 0)) == 24,
              "ffprobe does not read the 24 frames of %s: %s %s" % (output, probe.stdout, probe.stderr))
        check(any(s.get("codec_type") == "audio" for s in streams), "the video has no sound: %s" % streams)
    else:
        info = subprocess.run([os.path.join(bin_dir, "zrvtool"), "info", "--json", output],
                              capture_output=True, text=True)
        facts = json.loads(info.stdout or "{}")
        check(info.returncode == 0 and facts.get("frames", 0) > 0 and facts.get("sound"),
              "zrvtool does not read %s: %s %s" % (output, info.stdout, info.stderr))
        if t.get("frames_said"):
            check(facts.get("frames") == t["frames_said"],
                  "the row says %s frames, the clip holds %s" % (t["frames_said"], facts.get("frames")))


def rows_of(table, columns):
    """The list's rows, each the texts of its cells, read through AT-SPI."""
    cells = [at.read(o) for o in at.objects(table) if o.getRoleName() in ("table cell", "tree item", "list item")]
    return [cells[i:i + columns] for i in range(0, len(cells) - columns + 1, columns)]


def wait_for_rows(table, columns, done, timeout=30):
    end = time.monotonic() + timeout
    while True:
        rows = rows_of(table, columns)
        if done(rows) or time.monotonic() > end:
            return rows
        time.sleep(0.3)


def add_file(app, window, t, path):
    at.press(at.find(window, name=t["add"], role="push button"))
    at.answer_file_dialog(app, path, owner=t["title"])
    time.sleep(0.5)


def spoken_names(obj):
    """What a screen reader says for OBJ: its name and the names of the
    labels it is labelled by (a combo box's name is its current text)."""
    names = [obj.name or ""]
    for relation in obj.getRelationSet():
        if relation.getRelationType() == at.pyatspi.RELATION_LABELLED_BY:
            names += [(relation.getTarget(i).name or "").rstrip(":：") for i in range(relation.getNTargets())]
    return names


def run(program, kind, t, good, bad, again, shot_path):
    app = at.find_app(kind["app"], pid=program.pid)
    window = at.find(app, name=t["title"],
                     where=lambda o: o.parent is not None and o.parent.getRoleName() == "application")
    time.sleep(0.5)

    check(window.getRoleName() == "frame", "the window is a %r, no frame" % window.getRoleName())

    # Names: every visible control, each command and option by its name in
    # the window's language, tool tips as descriptions.
    check(at.unnamed_controls(window) == [], "controls without a name: %s" % at.unnamed_controls(window))
    named = {}
    for o in at.objects(window):
        if at.showing(o) and o.getRoleName() != "label":
            for name in spoken_names(o):
                named.setdefault(name, o)
    for name in [t["add"], t["add_folder"], t["remove"], t["choose"], t["convert"], t["cancel"], t["open_folder"],
                 t["list"], t["this_item"], t["all_items"]] + t["options"] + t.get("extra", []):
        check(name in named, "no control named %r" % name)
    for name in (t["add"], t["convert"], t["list"]) + tuple(t["options"]):
        if name in named:
            check(named[name].description.strip() != "", "%r has no description" % name)
    check(not any(re.match(r"^Button\d*$", o.name or "") for o in at.objects(app)), "a 'Button1'-like object")
    table = named.get(t["list"])
    check(table is not None and table.getRoleName() in ("tree table", "table", "tree", "list"),
          "the list is no table: %s" % (table.getRoleName() if table else None))
    headers = [at.read(o) for o in at.objects(table)
               if o.getRoleName() in ("column header", "table column header")] if table else []
    check(headers == t["columns"], "the list's columns read %s" % headers)

    # No text cut on a screenshot, nothing on top of something else.
    shot = at.Screenshot(shot_path)
    cut = at.cut_labels(window, shot)
    check(cut == [], "labels cut: %s" % cut)
    check_overlaps(window)

    # A good file and a refused one, each through "Add files…" and its dialog.
    add_file(app, window, t, good)
    add_file(app, window, t, bad)
    columns = len(t["columns"])
    rows = wait_for_rows(table, columns, lambda r: len(r) == 2 and all(row[-1] != t["reading"] for row in r))
    check([r[0] for r in rows] == [os.path.basename(good), os.path.basename(bad)], "the rows read %s" % rows)
    if len(rows) == 2:
        check(rows[0][-1] == "", "the good file's row already says %r" % rows[0][-1])
        check(re.search(t["refused"], rows[1][-1]) is not None, "the refused file's row says %r" % rows[1][-1])
        check(all(cell for cell in rows[0][1:-1]), "the good file's facts are missing: %s" % rows[0])
        if kind["program"] == "ClipConvert.exe":
            check(rows[0][1] == "24", "the clip's row counts %r frames" % rows[0][1])

    # Convert: the good row reads "done", the refused one why, the status line the sum.
    at.press(at.find(window, name=t["convert"], role="push button"))
    rows = wait_for_rows(table, columns, lambda r: len(r) == 2 and re.search(t["done"], r[0][-1]) is not None, 60)
    print("rows after converting:", rows)
    check(len(rows) == 2 and re.search(t["done"], rows[0][-1]) is not None, "the good file's result: %s" % rows)
    if len(rows) == 2:
        found = re.search(t["done"], rows[0][-1])
        if found and "frames" in found.groupdict():
            t["frames_said"] = int(found.group("frames"))
        check(re.search(t["refused"], rows[1][-1]) is not None, "the refused file's result: %r" % rows[1][-1])
    # The status line's name is its text, so that its changes are heard.
    try:
        status = at.find(window, role="label", where=lambda o: o.description == t["status"], timeout=5)
    except LookupError:
        check(False, "no label described as the status line %r" % t["status"])
        return
    end = time.monotonic() + 10
    while at.read(status) != t["finished"] and time.monotonic() < end:
        time.sleep(0.3)
    check(at.read(status) == t["finished"], "the status line reads %r" % at.read(status))

    # Still working: the commands answer, and the finished run can be shown.
    check(program.poll() is None, "the program ended after the refused file")
    convert = at.find(window, name=t["convert"], role="push button")
    check("sensitive" in at.states(convert), "Convert is not enabled after the run")
    check("sensitive" in at.states(at.find(window, name=t["open_folder"], role="push button")),
          "'Open output folder' is not enabled after a converted file")
    check("sensitive" not in at.states(at.find(window, name=t["cancel"], role="push button")),
          "Cancel is still enabled after the run")
    # Another file goes in through the dialog after the refusal, and is read.
    add_file(app, window, t, again)
    rows = wait_for_rows(table, columns, lambda r: len(r) == 3 and r[2][-1] != t["reading"])
    check(len(rows) == 3 and rows[2][0] == os.path.basename(again) and rows[2][-1] == ""
          and all(rows[2][1:-1]), "a file added after the run reads %s" % rows)


def check_overlaps(window):
    """No two controls' boxes overlap; what is inside a list or a combo box
    is that control's own business."""
    boxes = []

    def walk(obj):
        for child in (obj.getChildAtIndex(i) for i in range(obj.childCount)):
            if child is None or not at.showing(child):
                continue
            if child.getRoleName() in CONTROL_ROLES:
                box = at.extents(child)
                if box[2] > 0 and box[3] > 0:
                    boxes.append((child.getRoleName(), child.name, box))
                continue
            walk(child)

    walk(window)
    for i, (role_a, name_a, a) in enumerate(boxes):
        for role_b, name_b, b in boxes[i + 1:]:
            overlap = a[0] < b[0] + b[2] and b[0] < a[0] + a[2] and a[1] < b[1] + b[3] and b[1] < a[1] + a[3]
            check(not overlap, "%s %r %s and %s %r %s overlap" % (role_a, name_a, a, role_b, name_b, b))


if __name__ == "__main__":
    sys.exit(main())
