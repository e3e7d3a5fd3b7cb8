#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Two monitors of different sizes on a real X server (Xorg's dummy driver gives real RandR outputs with no
hardware), the wallpaper drawn on the root window: the same picture made for each monitor, one picture
spanned across both, a picture for each, and a monitor unplugged and plugged in again.

Usage: monitors_e2e.py PROGRAM
"""
import os
import sys
import time

from e2e_support import check, main, wait_for

# DUMMY0 (primary) 640x360 at 0,0 and DUMMY1 400x320 right of it: a 1040x360 desktop.
MODES = {"DUMMY0": ("m640", "20 640 656 720 800 360 363 368 375"), "DUMMY1": ("m400", "12 400 416 456 512 320 323 328 335")}
XORG_CONF = """Section "Device"\n Identifier "d"\n Driver "dummy"\n VideoRam 65536\nEndSection
Section "Monitor"\n Identifier "m"\n HorizSync 5.0-1000.0\n VertRefresh 5.0-200.0\nEndSection
Section "Screen"\n Identifier "s"\n Device "d"\n Monitor "m"\n DefaultDepth 24
 SubSection "Display"\n  Depth 24\n  Virtual 2048 1024\n EndSubSection\nEndSection\n"""
RED, BLUE, GREEN, YELLOW, BLACK = (255, 0, 0), (0, 0, 255), (0, 255, 0), (255, 255, 0), (0, 0, 0)


def xorg(s):
    del s.env["QT_QPA_PLATFORM"]  # the session's own offscreen screen: this one has real outputs
    conf = os.path.join(s.root, "xorg.conf")
    with open(conf, "w") as f:
        f.write(XORG_CONF)
    read, write = os.pipe()
    s.spawn(["Xorg", "-noreset", "-nolisten", "tcp", "-config", conf, "-logfile", os.path.join(s.root, "xorg.log"),
             "-displayfd", str(write)], pass_fds=(write,))
    os.close(write)
    with os.fdopen(read) as pipe:
        s.env["DISPLAY"] = ":" + pipe.readline().strip()
    for output, (name, line) in MODES.items():
        s.run("xrandr", "--newmode", name, *line.split())
        s.run("xrandr", "--addmode", output, name)
    plug(s, True)


def plug(s, second):
    s.run("xrandr", "--output", "DUMMY0", "--mode", "m640", "--primary", "--pos", "0x0", "--output", "DUMMY1",
          *(["--mode", "m400", "--right-of", "DUMMY0"] if second else ["--off"]))


def root(s):
    """The root window's pixels as {(x, y): rgb} reader, and its size."""
    if os.environ.get("TESSALY_E2E_OUT"):  # kept to be looked at
        s.run("import", "-window", "root", os.path.join(os.environ["TESSALY_E2E_OUT"], "monitors.png"))
    raw = s.rgb("import", "-window", "root")
    width = 1040 if len(raw) == 1040 * 360 * 3 else 640
    return lambda x, y: tuple(raw[3 * (y * width + x):3 * (y * width + x) + 3]), len(raw) // 3 // 360


def near(a, b):
    return all(abs(p - q) < 40 for p, q in zip(a, b))


def picture(s, name, *draw, size="100x60", colour="red"):
    path = os.path.join(s.root, name)
    s.run("convert", "-size", size, "xc:" + colour, *draw, path)
    return path


def start(s, program, pictures, shown, display):
    """Tessaly started with the pictures, changing once at start from `shown` (-1: none of them)."""
    os.makedirs(s.app_folder, exist_ok=True)
    with open(os.path.join(s.app_folder, "tessdesk.ini"), "w") as f:
        f.write(f"[total]\ntotal={len(pictures)}\n[images]\n" + "".join(f"{i}={p}\n" for i, p in enumerate(pictures))
                + f"[display]\nimageNum={shown}\n{display}\n[time]\nchangeEveryBoot=1\ntimeOption=1\n"
                "[desktop]\nbackend=x11\n[tessaly]\nfirstRun=False\n")
    app = s.spawn([os.path.abspath(program)])
    expected = str((shown + 1) % len(pictures) if "each" not in display else len(pictures) - 1)
    check(wait_for(lambda: s.ini("display", "imageNum") == expected, 20), f"{display.split()}: imageNum {expected}")
    return app


def stop(app):  # the program's window goes; the root keeps its wallpaper
    app.terminate()
    app.wait(5)
    time.sleep(0.3)


def monitors(s, program):
    xorg(s)
    quadrants = picture(s, "quadrants.png", "-fill", "blue", "-draw", "rectangle 50,0 99,29", "-fill", "lime",
                        "-draw", "rectangle 0,30 49,59", "-fill", "yellow", "-draw", "rectangle 50,30 99,59")

    # Centred, the same picture on each: 1:1 in the middle of each monitor, black around it.
    stop(start(s, program, [quadrants], -1, "displayType=1\nscreens=same"))
    at, _ = root(s)
    for name, (left, top) in {"primary": (270, 150), "second": (790, 130)}.items():
        corners = [at(left + 2, top + 2), at(left + 97, top + 2), at(left + 2, top + 57), at(left + 97, top + 57)]
        check(all(near(c, e) for c, e in zip(corners, [RED, BLUE, GREEN, YELLOW])), f"same, centred: {name} {corners}")
        check(near(at(left - 2, top + 2), BLACK) and near(at(left + 102, top + 57), BLACK),
              f"same, centred: 1:1 on the {name} monitor, black around it")
    # Negative control: stretched across the desktop, a primary-sized bitmap put the picture at its middle.
    check(near(at(520, 180), BLACK), "same, centred: nothing in the middle of the whole desktop")

    # Fitted, the same picture on each: as large as each monitor allows, black at its sides or above and below.
    stop(start(s, program, [quadrants], -1, "displayType=0\nfitting=fit\nscreens=same"))
    at, _ = root(s)
    seen = [at(x, y) for x, y in ((10, 180), (30, 10), (615, 350), (645, 20), (645, 50), (1035, 275), (1035, 300))]
    check(all(near(c, e) for c, e in zip(seen, [BLACK, RED, YELLOW, BLACK, RED, YELLOW, BLACK])),
          f"same, fit: whole on each monitor, its shape kept {seen}")

    # Spanned and filled: a picture half the desktop's width, doubled, its middle rows kept; a boundary at the
    # seam lines up across it. Stretched (fitting ignored), its red band would reach down to y = 120.
    bands = picture(s, "bands.png", "-fill", "red", "-draw", "rectangle 0,0 519,119", "-fill", "lime",
                    "-draw", "rectangle 320,120 519,359", size="520x360", colour="blue")
    stop(start(s, program, [bands], -1, "displayType=0\nfitting=fill\nscreens=span"))
    at, _ = root(s)
    seen = [at(x, y) for x, y in ((5, 30), (700, 30), (300, 90), (5, 300), (635, 300), (645, 300), (1035, 300))]
    check(all(near(c, e) for c, e in zip(seen, [RED, RED, BLUE, BLUE, BLUE, GREEN, GREEN])),
          f"span, fill: cropped, not stretched, and lined up across the seam {seen}")

    # A picture for each, in list order from the first; imageNum the last one used.
    red, blue = picture(s, "red.png"), picture(s, "blue.png", colour="blue")
    app = start(s, program, [red, blue], -1, "displayType=0\nscreens=each")
    primary, second = (620, 350), (1020, 300)  # clear of the settings window the program shows without a tray
    shows = lambda a, b: (lambda at: near(at(*primary), a) and (b is None or near(at(*second), b)))(root(s)[0])
    check(wait_for(lambda: shows(RED, BLUE), 5), "each: red on the primary, blue on the second")

    # Unplugged: the one monitor shows the last picture again, within 2 s, the list not moved on.
    began = time.monotonic()
    plug(s, False)
    check(wait_for(lambda: root(s)[1] == 640 and shows(BLUE, None), 5, 0.05),
          f"unplugged: blue made for the one monitor after {time.monotonic() - began:.1f} s")
    check(time.monotonic() - began < 2.5 and s.ini("display", "imageNum") == "1", "unplugged: in time, imageNum kept")
    # Once per burst: the root's pixmap, new at every change, stays the same a while after.
    pixmap = lambda: s.run("xprop", "-root", "_XROOTPMAP_ID").stdout
    first = pixmap()
    time.sleep(1.5)
    check(first == pixmap(), "unplugged: made once for the burst of screen events")
    began = time.monotonic()
    plug(s, True)
    check(wait_for(lambda: root(s)[1] == 1040 and shows(RED, BLUE), 5, 0.05),
          f"plugged in again: red and blue in their places after {time.monotonic() - began:.1f} s")
    check(s.ini("display", "imageNum") == "1", "plugged in again: imageNum kept")
    stop(app)

    # Qt's own scale (as on Windows) divides each screen's size but keeps its corner in device pixels: the
    # second monitor's part lies at 640, not at 1280 as a corner counted in scaled pixels would put it.
    s.env["QT_SCALE_FACTOR"] = "2"
    stop(start(s, program, [red, blue], -1, "displayType=0\nscreens=each"))
    del s.env["QT_SCALE_FACTOR"]
    at, width = root(s)
    seen = [at(x, y) for x, y in ((5, 5), (635, 355), (645, 5), (1035, 315))]
    check(width == 1040 and all(near(c, e) for c, e in zip(seen, [RED, RED, BLUE, BLUE])),
          f"Qt at scale 2: each monitor's picture in its place {seen}")


if __name__ == "__main__":
    sys.exit(main(monitors, ["Xorg", "xrandr", "xprop", "import", "convert"], 1))
