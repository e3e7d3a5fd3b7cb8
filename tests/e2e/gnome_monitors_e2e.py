#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""A real headless GNOME Shell with two virtual monitors of different sizes at scale 2: a one-pixel checker,
centred, must show pixel for pixel in the middle of each monitor (GNOME halves a centred bitmap at scale 2
and stretches a primary-sized one onto the other monitor).

Usage: gnome_monitors_e2e.py PROGRAM SCREENSHOT_TOOL
"""
import os
import sys

from e2e_support import check, main, wait_for
from gnome_e2e import overview, private_buses

MONITORS = [(640, 800), (480, 400)]  # side by side, the primary first, at scale 2
CHECKER = (61, 41)


def pixels(s, tool):
    shot = os.path.join(os.environ.get("TESSALY_E2E_OUT", s.root), "gnome-monitors.png")
    if s.run(tool, shot).returncode != 0:
        return None, 0
    size = s.run("identify", "-format", "%w %h", shot).stdout.split()
    raw = s.rgb("convert", shot)
    width = int(size[0]) if size else 1
    return (lambda x, y: tuple(raw[3 * (y * width + x):3 * (y * width + x) + 3])), width


def checker_at(at, left, top):
    """Whether the checker lies 1:1 with its top-left corner at left, top: alternate pixels black and white."""
    corner = 255 if at(left, top)[0] > 127 else 0
    for y in range(top + 2, top + CHECKER[1] - 2, 3):
        for x in range(left + 2, left + CHECKER[0] - 2, 3):
            expected = corner if (x - left + y - top) % 2 == 0 else 255 - corner
            if any(abs(c - expected) > 60 for c in at(x, y)):
                return False
    return True


def shows(s, tool):
    overview(s, "Set", "<false>")  # the shell may go back to its overview when the program's window goes
    at, width = pixels(s, tool)
    if not at or width != sum(w for w, _ in MONITORS):
        return False
    left = 0
    for w, h in MONITORS:
        if not checker_at(at, left + (w - CHECKER[0]) // 2, (h - CHECKER[1]) // 2):
            return False
        left += w
    return True


def gnome(s, program, tool):
    private_buses(s)
    s.run("gsettings", "set", "org.gnome.desktop.interface", "scaling-factor", "2")
    monitors = [a for w, h in MONITORS for a in ("--virtual-monitor", f"{w}x{h}")]
    before = set(os.listdir("/tmp/.X11-unix")) if os.path.isdir("/tmp/.X11-unix") else set()
    s.spawn(["gnome-shell", "--headless", "--wayland", *monitors])
    if not check(wait_for(lambda: overview(s, "Set", "<false>") and "false" in overview(s, "Get"), 90, 0.5),
                 "GNOME Shell is up and out of its overview"):
        return
    # The program on the shell's Xwayland, as it runs in a GNOME session without Qt's Wayland plugin.
    sockets = wait_for(lambda: set(os.listdir("/tmp/.X11-unix")) - before, 30)
    auth = wait_for(lambda: [n for n in os.listdir(s.env["XDG_RUNTIME_DIR"]) if n.startswith(".mutter-Xwayland")], 30)
    if not check(sockets and auth, "Xwayland is up"):
        return
    del s.env["QT_QPA_PLATFORM"]
    s.env["DISPLAY"] = ":" + sorted(sockets)[0].lstrip("X")
    s.env["XAUTHORITY"] = os.path.join(s.env["XDG_RUNTIME_DIR"], auth[0])
    checker = os.path.join(s.root, "checker.png")
    s.run("convert", "-size", "%dx%d" % CHECKER, "pattern:gray50", "-filter", "point", checker)
    os.makedirs(s.app_folder)
    with open(os.path.join(s.app_folder, "tessdesk.ini"), "w") as f:
        f.write(f"[total]\ntotal=1\n[images]\n0={checker}\n[display]\nimageNum=-1\ndisplayType=1\nscreens=same\n"
                "[time]\nchangeEveryBoot=1\ntimeOption=1\n[desktop]\nbackend=gnome\n[tessaly]\nfirstRun=False\n")
    app = s.spawn([os.path.abspath(program)])
    check(wait_for(lambda: s.ini("display", "imageNum") == "0"), "the change is made")
    # Its window goes (shown where there is no tray); the shell keeps the wallpaper.
    app.terminate()
    app.wait(5)
    check(wait_for(lambda: shows(s, os.path.abspath(tool)), 20, 0.5), "each monitor shows the checker 1:1 in its middle")
    check("spanned" in s.run("gsettings", "get", "org.gnome.desktop.background", "picture-options").stdout,
          "handed over as one spanned bitmap")


if __name__ == "__main__":
    sys.exit(main(gnome, ["gnome-shell", "dbus-daemon", "gdbus", "gsettings", "convert", "identify"], 2))
