#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""A real headless sway with two outputs of different sizes, the program on its Xwayland (and on Qt's Wayland
plugin where that is installed): a one-pixel checker, centred, must lie 1:1 in the middle of each output
(sway stretches one bitmap onto every output it is given for all), and fit, fill across the seam and a picture
for each must show as they do on the X root. Each output's pixels are read with grim.

Usage: sway_monitors_e2e.py PROGRAM
Exits 77 (skipped, with the reason) where sway, swaybg, grim or Xwayland is not installed.
"""
import os
import shutil
import sys
import time

from e2e_support import Session, check, main, wait_for
from gnome_monitors_e2e import CHECKER, checker_at
from monitors_e2e import BLACK, BLUE, GREEN, RED, YELLOW, near, picture

# HEADLESS-1 640x360 at 0,0 and HEADLESS-2 400x320 right of it: the same 1040x360 desktop as the X one.
OUTPUTS = [("HEADLESS-1", 640, 360, 0), ("HEADLESS-2", 400, 320, 640)]
TOOLS = ["sway", "swaybg", "swaymsg", "grim", "Xwayland", "convert"]
WAYLAND_PLUGIN = "/usr/lib/x86_64-linux-gnu/qt6/plugins/platforms/libqwayland-generic.so"
# sway refuses to run as root; it and the program (which Xwayland lets in as sway's user only) run as nobody.
AS_USER = ["setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"] if os.geteuid() == 0 else []


def sway(s, outputs=OUTPUTS):
    os.makedirs(s.app_folder)
    if AS_USER:
        for folder, _, files in os.walk(s.root):
            for name in [folder] + [os.path.join(folder, f) for f in files]:
                os.chown(name, 65534, 65534)
    conf = os.path.join(s.root, "sway.conf")
    with open(conf, "w") as f:
        f.write("".join(f"output {n} mode --custom {w}x{h} position {x} 0\n" for n, w, h, x in outputs))
        f.write("xwayland enable\n")
    runtime = s.env["XDG_RUNTIME_DIR"]
    s.env.update(WLR_BACKENDS="headless", WLR_RENDERER="pixman", WLR_LIBINPUT_NO_DEVICES="1",
                 WLR_HEADLESS_OUTPUTS=str(len(outputs)), XDG_CURRENT_DESKTOP="sway")
    before = set(os.listdir("/tmp/.X11-unix")) if os.path.isdir("/tmp/.X11-unix") else set()
    s.spawn(AS_USER + ["sway", "-c", conf])
    socket = wait_for(lambda: [n for n in os.listdir(runtime) if n.startswith("sway-ipc.")], 15)
    if not check(socket and os.path.exists(os.path.join(runtime, "wayland-1")), "sway is up"):
        return False
    s.env.update(SWAYSOCK=os.path.join(runtime, socket[0]), WAYLAND_DISPLAY="wayland-1")
    # sway starts Xwayland when the first X client connects; its socket is there from the start.
    uid = 65534 if AS_USER else os.geteuid()  # not another test's X server started meanwhile
    sockets = wait_for(lambda: [n for n in set(os.listdir("/tmp/.X11-unix")) - before
                                if os.stat(os.path.join("/tmp/.X11-unix", n)).st_uid == uid], 15)
    if not check(sockets, "sway's Xwayland is up"):
        return False
    s.env["DISPLAY"] = ":" + sorted(sockets)[0].lstrip("X")
    return True


def shows(s, name, probe, output=None):
    """Whether sway's whole layout, or one output, read with grim as (x, y) -> rgb, passes the probe (5 s)."""
    def shot():
        path = os.path.join(os.environ.get("TESSALY_E2E_OUT", s.root), name)
        if s.run("grim", *(["-o", output] if output else []), "-t", "ppm", path).returncode != 0:
            return False
        with open(path, "rb") as f:
            _, size, _, raw = f.read().split(b"\n", 3)  # P6, width height, 255, pixels
        width, height = map(int, size.split())
        return probe(lambda x, y: tuple(raw[3 * (y * width + x):3 * (y * width + x) + 3]), width, height)
    return wait_for(shot, 5, 0.2)


def middle_checker(at, width, height, left=0):
    return checker_at(at, left + (width - CHECKER[0]) // 2, (height - CHECKER[1]) // 2)


def change(s, program, pictures, display, platform, keep=None):
    """The program started with the pictures, changing once at start; stopped once imageNum says it did,
    unless `keep` (a list) is given to hold it."""
    with open(os.path.join(s.app_folder, "tessdesk.ini"), "w") as f:
        f.write(f"[total]\ntotal={len(pictures)}\n[images]\n" + "".join(f"{i}={p}\n" for i, p in enumerate(pictures))
                + f"[display]\nimageNum=-1\n{display}\n[time]\nchangeEveryBoot=1\ntimeOption=1\n"
                "[tessaly]\nfirstRun=False\n")
    if AS_USER:
        os.chown(os.path.join(s.app_folder, "tessdesk.ini"), 65534, 65534)
    s.env["QT_QPA_PLATFORM"] = platform
    app = s.spawn(AS_USER + [os.path.abspath(program)])
    expected = str(len(pictures) - 1)
    done = check(wait_for(lambda: s.ini("display", "imageNum") == expected, 20),
                 f"{platform}, {display.split()}: imageNum {expected}")
    if keep is None:
        app.terminate()  # its window, shown without a tray, would cover the wallpaper; swaybg keeps it
        app.wait(5)
    else:
        keep.append(app)
    return done


def checker_picture(s):
    checker = os.path.join(s.root, "checker.png")
    s.run("convert", "-size", "%dx%d" % CHECKER, "pattern:gray50", checker)
    return checker


def one_output(program):
    """swaybg would centre the 161 px wide checker at a half pixel of a 640 px output, blurring all of it."""
    s = Session(False)
    try:
        if sway(s, OUTPUTS[:1]) and change(s, program, [checker_picture(s)], "displayType=1", "xcb"):
            check(shows(s, "sway-one.ppm", middle_checker), "one output, centred: the checker 1:1 in its middle")
    finally:
        s.close()


def monitors(s, program):
    one_output(program)
    if not sway(s):
        return
    checker = checker_picture(s)
    platforms = ["xcb"] + (["wayland"] if os.path.exists(WAYLAND_PLUGIN) else [])
    for platform in platforms:
        # Qt names the screens XWAYLAND0… on Xwayland, HEADLESS-1… on its Wayland plugin: both must find sway's.
        if change(s, program, [checker], "displayType=1\nscreens=same", platform):
            check(shows(s, f"sway-{platform}.ppm", lambda at, *_: all(middle_checker(at, w, h, x) for _, w, h, x in OUTPUTS)),
                  f"{platform}, same, centred: the checker 1:1 in the middle of each output")

    if "wayland" in platforms:
        # Qt's Wayland plugin, the first output at scale 2 (320x180 logical) left of one at 1: each still gets
        # its own picture in its own pixels, neither drawn over the other.
        s.run("swaymsg", "--", "output", "HEADLESS-1", "scale", "2", ";", "output", "HEADLESS-2", "position", "320", "0")
        if change(s, program, [checker], "displayType=1\nscreens=same", "wayland"):
            check(all(shows(s, f"sway-scale-{n}.ppm", middle_checker, n) for n, _, _, _ in OUTPUTS),
                  "wayland, scale 2 beside 1: the checker 1:1 in each output's middle")
        s.run("swaymsg", "--", "output", "HEADLESS-1", "scale", "1", ";", "output", "HEADLESS-2", "position", "640", "0")

    quadrants = picture(s, "quadrants.png", "-fill", "blue", "-draw", "rectangle 50,0 99,29", "-fill", "lime",
                        "-draw", "rectangle 0,30 49,59", "-fill", "yellow", "-draw", "rectangle 50,30 99,59")
    points = [(10, 180), (30, 10), (615, 350), (645, 20), (645, 50), (1035, 275), (1035, 300)]
    if change(s, program, [quadrants], "displayType=0\nfitting=fit\nscreens=same", "xcb"):
        wanted = [BLACK, RED, YELLOW, BLACK, RED, YELLOW, BLACK]
        check(shows(s, "sway-fit.ppm", lambda at, *_: all(near(at(*p), e) for p, e in zip(points, wanted))),
              "same, fit: whole on each output, its shape kept")

    # Half the desktop's width, doubled to fill it, its middle rows kept; the boundary at x 320 of the picture
    # lands on the seam.
    bands = picture(s, "bands.png", "-fill", "red", "-draw", "rectangle 0,0 519,119", "-fill", "lime",
                    "-draw", "rectangle 320,120 519,359", size="520x360", colour="blue")
    points = [(5, 30), (700, 30), (300, 90), (5, 300), (635, 300), (645, 300), (1035, 300)]
    if change(s, program, [bands], "displayType=0\nfitting=fill\nscreens=span", "xcb"):
        wanted = [RED, RED, BLUE, BLUE, BLUE, GREEN, GREEN]
        check(shows(s, "sway-span.ppm", lambda at, *_: all(near(at(*p), e) for p, e in zip(points, wanted))),
              "span, fill: cropped, not stretched, and lined up across the seam")

    red, blue = picture(s, "red.png"), picture(s, "blue.png", colour="blue")
    if change(s, program, [red, blue], "displayType=0\nscreens=each", "xcb"):
        check(shows(s, "sway-each.ppm", lambda at, *_: near(at(320, 180), RED) and near(at(840, 160), BLUE)),
              "each: red on the first output, blue on the second")

    # A third output plugged in while the program runs: its own picture, the list not moved on.
    # (Its window covers the output it opened on, not the new one.)
    running = []
    if change(s, program, [checker], "displayType=1\nscreens=same", "xcb", running):
        began = time.monotonic()
        s.run("swaymsg", "create_output")
        check(shows(s, "sway-plugged.ppm", middle_checker, "HEADLESS-3") and s.ini("display", "imageNum") == "0",
              f"plugged in: the checker 1:1 on the new output (seen after {time.monotonic() - began:.1f} s), "
              "imageNum kept")
        running[0].terminate()
        running[0].wait(5)


if __name__ == "__main__":
    missing = [tool for tool in TOOLS if not shutil.which(tool)]
    if missing:
        print("skipped: sway's test needs " + ", ".join(missing) + " (Debian: sway swaybg grim xwayland imagemagick)")
        sys.exit(77)
    sys.exit(main(monitors, [], 1))
