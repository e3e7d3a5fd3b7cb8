#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""A user's first day with an installed copy, under Xvfb with openbox as the window manager, trayer as the tray
host and the root window as the desktop: first start, a left click on the icon, the tray menu, a start with no
tray host, and the settings window where it was at each start.

Usage: journey_e2e.py CMAKE BUILD_DIR
"""
import os
import re
import sys
import time

from e2e_support import check, main, similar, wait_for

INSTALLED = ["bin/tessaly", "share/tessaly/badimage.bmp", "share/man/man1/tessaly.1", "share/applications/tessaly.desktop",
             "share/metainfo/org.tessaly.Tessaly.metainfo.xml", "share/icons/hicolor/48x48/apps/tessaly.png"]


def icon(s):
    """The centre of the program's icon inside trayer's panel, or None."""
    tree = s.run("xwininfo", "-root", "-tree").stdout
    panel = tree.find('("panel" "trayer")')
    found = panel >= 0 and re.search(r'"Tessaly": \("tessaly" "Tessaly"\)\s+(\d+)x(\d+)\S*\s+\+(-?\d+)\+(-?\d+)',
                                     tree[panel:])
    return found and int(found[1]) <= 64 and (int(found[3]) + int(found[1]) // 2, int(found[4]) + int(found[2]) // 2)


def settings_window(s):
    return s.run("xdotool", "search", "--onlyvisible", "--name", "^ Tessaly$").stdout.split()


def frame(s):
    """The settings window's place on screen with the window manager's frame: x, y, width, height, once still."""
    def now():
        ids = settings_window(s)
        if not ids:
            return None
        info = s.run("xwininfo", "-id", ids[0]).stdout
        x, y, w, h = (int(re.search(rf"{key}:\s+(-?\d+)", info)[1])
                      for key in ("Absolute upper-left X", "Absolute upper-left Y", "Width", "Height"))
        extents = s.run("xprop", "-id", ids[0], "_NET_FRAME_EXTENTS").stdout.partition("=")[2]
        left, right, top, bottom = (int(n) for n in extents.split(",")) if extents else (0, 0, 0, 0)
        return x - left, y - top, w + left + right, h + top + bottom
    place = None
    for _ in range(20):  # the window manager may still be placing it
        last, place = place, now()
        if place and place == last:
            break
        time.sleep(0.5)
    return place


def centred(s, place):
    """Whether the frame's middle is the middle of the screen's room, within half a pixel."""
    x, y, w, h = (int(n) for n in s.run("xprop", "-root", "_NET_WORKAREA").stdout.partition("=")[2].split(",")[:4])
    return bool(place) and all(abs(2 * start + size - 2 * room_start - room_size) <= 1 for start, size, room_start, room_size
                               in ((place[0], place[2], x, w), (place[1], place[3], y, h)))


def menu(s, where, keys, done):
    """A right click on the icon, then the keys once the menu is up; again when a busy machine lost them."""
    shown = lambda: len(s.run("xdotool", "search", "--onlyvisible", "--class", "tessaly").stdout.split())
    for _ in range(3):
        before = shown()
        s.run("xdotool", "mousemove", str(where[0]), str(where[1]), "click", "3")
        wait_for(lambda: shown() > before)
        s.run("xdotool", "sleep", "0.2", "key", "--delay", "100", *keys)
        if wait_for(done, 10):
            return True
        s.run("xdotool", "key", "Escape")
    return False


def journey(s, cmake, build):
    prefix = os.path.join(s.root, "prefix")
    installed = s.run(cmake, "--install", build, "--prefix", prefix).returncode == 0
    absent = [path for path in INSTALLED if not os.path.isfile(os.path.join(prefix, path))]
    if not check(installed and not absent, f"cmake --install into a prefix (missing: {absent})"):
        return
    s.program = os.path.join(prefix, "bin", "tessaly")
    s.spawn(["openbox"])
    wait_for(lambda: "_NET_SUPPORTING_WM_CHECK" in s.run("xprop", "-root").stdout)
    trayer = s.spawn(["trayer", "--edge", "top", "--align", "right", "--widthtype", "pixel", "--width", "200"])
    wait_for(lambda: '("panel" "trayer")' in s.run("xwininfo", "-root", "-tree").stdout)
    app = s.spawn([s.program], cwd="/")
    where = wait_for(lambda: icon(s))
    if not check(where, "first start: the icon is in the tray") or not check(
            not settings_window(s), "first start: no window is shown"):
        return
    check(wait_for(lambda: s.ini("tessaly", "firstRun") == "False") and s.ini("total", "total") == "2"
          and s.ini("images", "0") == os.path.join(s.app_folder, "image1.gif"),
          "first start: the settings file is seeded with the shipped pictures")
    with open(os.path.join(s.env["XDG_CONFIG_HOME"], "autostart", "tessaly.desktop")) as entry:
        check(f"Exec={os.path.realpath(s.program)}" in entry.read(), "the autostart entry starts this program")
    # The first change is due at once; the list holds two pictures.
    for number, when in (("1", "the first start"), ("0", "a left click on the icon")):
        if number == "0":
            s.run("xdotool", "mousemove", str(where[0]), str(where[1]), "click", "1")
        picture = s.rgb("convert", os.path.join(s.app_folder, f"image{int(number) + 1}.gif"), "-resize", "1024x768!")
        check(wait_for(lambda: s.ini("display", "imageNum") == number)
              and wait_for(lambda: similar(s.rgb("import", "-window", "root"), picture)),
              f"{when}: picture {number} is recorded and the root window shows it stretched")
    check(menu(s, where, ["Down", "Return"], lambda: settings_window(s)),
          'the tray menu\'s "Settings" shows the settings window')
    first = frame(s)
    check(centred(s, first), f"the settings window opens centred the first time, its frame at {first}")
    check(menu(s, where, ["Up", "Return"], lambda: app.poll() is not None) and app.returncode == 0,
          '"Close and Disable", the last entry, ends the program with success')
    trayer.terminate()
    wait_for(lambda: '"trayer"' not in s.run("xwininfo", "-root", "-tree").stdout)  # its tray is gone
    app = s.spawn([s.program])
    check(wait_for(lambda: settings_window(s)) and app.poll() is None,
          "with no tray host the settings window is shown and the program runs on")
    for start in range(1, 4):
        if start > 1:
            check(s.run(s.program, "--quit").returncode == 0 and wait_for(lambda: app.poll() is not None),
                  "--quit ends it with 0")
            app = s.spawn([s.program])
        place = frame(s)
        check(place == first, f"start {start} with no tray host: the settings window is where it was, at {place}")


if __name__ == "__main__":
    sys.exit(main(journey, ["Xvfb", "openbox", "xdotool", "xwininfo", "xprop", "trayer", "import", "convert"], 2,
                  xvfb=True))
