#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""A real headless GNOME Shell on private D-Bus buses; the program changes its wallpaper once per start and
the shell must draw each new picture (it caches a background by its path: each change needs a new path).

Usage: gnome_e2e.py PROGRAM SCREENSHOT_TOOL
"""
import os
import sys

from e2e_support import check, main, wait_for

WIDTH, HEIGHT = 320, 400
PROBE = 3 * (HEIGHT * 3 // 4 * WIDTH + WIDTH // 2)  # below the top bar and the notice a root shell shows
COLOURS = [(230, 30, 30), (30, 200, 40), (250, 230, 40), (200, 40, 220), (30, 210, 220), (250, 140, 20)]


def overview(s, method, *value):
    return s.run("gdbus", "call", "--session", "-d", "org.gnome.Shell", "-o", "/org/gnome/Shell", "-m",
                 "org.freedesktop.DBus.Properties." + method, "org.gnome.Shell", "OverviewActive", *value).stdout


def shows(s, tool, colour):
    """Whether the shell draws the colour at the probe point."""
    shot = os.path.join(os.environ.get("TESSALY_E2E_OUT", s.root), "gnome.png")
    pixel = s.run(tool, shot).returncode == 0 and s.rgb("convert", shot)[PROBE:PROBE + 3]
    return bool(pixel) and all(abs(a - b) < 40 for a, b in zip(pixel, colour))


def private_buses(s):
    """An empty system bus and a session bus of the test's own."""
    for bus in ("SYSTEM", "SESSION"):
        path = os.path.join(s.root, bus.lower() + "_bus")
        s.spawn(["dbus-daemon", "--session", "--nofork", "--address=unix:path=" + path])
        wait_for(lambda: os.path.exists(path))
        s.env[f"DBUS_{bus}_BUS_ADDRESS"] = "unix:path=" + path


def gnome(s, program, tool):
    private_buses(s)
    shell = s.spawn(["gnome-shell", "--headless", "--no-x11", "--wayland", "--virtual-monitor", f"{WIDTH}x{HEIGHT}"])
    # The shell starts in the overview, where the background is drawn small; a request made while it is
    # still starting up is forgotten.
    if not check(wait_for(lambda: overview(s, "Set", "<false>") and "false" in overview(s, "Get"), 90, 0.5),
                 "GNOME Shell is up and out of its overview"):
        # A shell that never came up: whether it ended or hangs tells where to look.
        print("     the shell " + ("still runs" if shell.poll() is None else f"ended with {shell.returncode}"))
        return
    pictures = [os.path.join(s.root, f"{i}.png") for i in range(len(COLOURS))]
    for path, colour in zip(pictures, COLOURS):
        s.run("convert", "-size", "64x48", "xc:#%02x%02x%02x" % colour, path)
    os.makedirs(s.app_folder)
    with open(os.path.join(s.app_folder, "tessdesk.ini"), "w") as f:
        f.write(f"[total]\ntotal={len(pictures)}\n[images]\n" + "".join(f"{i}={p}\n" for i, p in enumerate(pictures))
                + f"[display]\nimageNum={len(pictures) - 1}\n[time]\nchangeEveryBoot=1\ntimeOption=1\n"
                "[desktop]\nbackend=gnome\n[tessaly]\nfirstRun=False\n")
    handed = set()
    for change, colour in enumerate(COLOURS):
        app = s.spawn([os.path.abspath(program)])
        check(wait_for(lambda: s.ini("display", "imageNum") == str(change))
              and wait_for(lambda: shows(s, os.path.abspath(tool), colour), step=0.2),
              f"start {change + 1}: the shell shows picture {change} {colour}")
        handed.add(s.run("gsettings", "get", "org.gnome.desktop.background", "picture-uri").stdout)
        app.terminate()
        app.wait(5)
    check(len(handed) == len(COLOURS), "each change handed the shell a new path")
    copies = [n for n in os.listdir(s.app_folder) if n.startswith("tessaly-") or ".tmp" in n]
    check(len(copies) == 1, f"one copy of the bitmap is left, no temporary file ({copies})")


if __name__ == "__main__":
    sys.exit(main(gnome, ["gnome-shell", "dbus-daemon", "gdbus", "gsettings", "convert"], 2))
