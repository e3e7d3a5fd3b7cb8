#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Runs a real headless GNOME Shell on private D-Bus buses and lets the real program change its wallpaper
through the GNOME back end, once per start, looking each time at what the shell draws.

Usage: gnome_e2e.py PROGRAM SCREENSHOT_TOOL
GNOME Shell caches a background by its path, so a change handed a path it has shown before stays stale;
each picture has its own colour, and each change must show its own. Every missing tool is a failure.
"""
import os
import subprocess
import sys
import time

from e2e_support import Image, Session, check, failures, ini_value, missing_tools, near, wait_for

TOOLS = ["gnome-shell", "dbus-daemon", "gdbus", "gsettings", "convert"]
WIDTH, HEIGHT = 320, 400
# Below the top bar and the notice a shell run as root shows at the top.
PROBE = (WIDTH // 2, HEIGHT * 3 // 4)
COLOURS = [(230, 30, 30), (30, 200, 40), (250, 230, 40), (200, 40, 220), (30, 210, 220), (250, 140, 20)]


def start_bus(s, name):
    """A private bus of its own (a session bus's rules): its address."""
    address = "unix:path=" + os.path.join(s.root, name)
    s.processes.append(subprocess.Popen(["dbus-daemon", "--session", "--nofork", "--address=" + address],
                                        env=s.env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL))
    wait_for(lambda: os.path.exists(address[len("unix:path="):]))
    return address


def name_has_owner(s, name):
    out = s.run(["gdbus", "call", "--session", "-d", "org.freedesktop.DBus", "-o", "/org/freedesktop/DBus",
                 "-m", "org.freedesktop.DBus.NameHasOwner", name]).stdout
    return "true" in out


def leave_overview(s):
    shell = ["gdbus", "call", "--session", "-d", "org.gnome.Shell", "-o", "/org/gnome/Shell", "-m"]
    s.run(shell + ["org.freedesktop.DBus.Properties.Set", "org.gnome.Shell", "OverviewActive", "<false>"])
    time.sleep(0.5)
    state = s.run(shell + ["org.freedesktop.DBus.Properties.Get", "org.gnome.Shell", "OverviewActive"]).stdout
    return "false" in state


def shown_colour(s, tool, shot):
    """The colour the shell draws at the probe point, or None."""
    if subprocess.run([tool, shot], env=s.env, capture_output=True).returncode != 0:
        return None
    out = subprocess.run(["convert", shot, "-depth", "8", "ppm:-"], capture_output=True)
    return Image.from_ppm(out.stdout).at(*PROBE) if out.returncode == 0 else None


def write_settings(s, pictures):
    os.makedirs(s.app_folder, exist_ok=True)
    images = "".join(f"{i}={path}\n" for i, path in enumerate(pictures))
    captions = "".join(f"{i}=\n" for i in range(len(pictures)))
    with open(os.path.join(s.app_folder, "tessdesk.ini"), "w") as f:
        f.write(f"[total]\ntotal={len(pictures)}\n[images]\n{images}[caption]\n{captions}"
                f"[display]\nimageNum={len(pictures) - 1}\ndisplayType=0\nsequenceType=0\n"
                "[font]\ncaptionPosition=2\nonOffCaption=0\nnewFontName=DejaVu Sans\nnewFontSize=16\n"
                "newFontBold=True\nnewFontItalic=False\nnewFontUnderline=False\nnewFontFontStrikethru=False\n"
                "newFontForeColor=0\n"
                "[time]\nchangeEveryBoot=1\ntimeOption=1\ntimeHour=1\n"
                "[desktop]\nbackend=gnome\n[tessaly]\nfirstRun=False\n")


def main():
    if len(sys.argv) != 3:
        print(__doc__)
        return 2
    if missing_tools(TOOLS):
        return 1
    program, tool = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
    s = Session(program, xvfb=False)
    try:
        began = time.monotonic()
        s.env["DBUS_SYSTEM_BUS_ADDRESS"] = start_bus(s, "system_bus")
        s.env["DBUS_SESSION_BUS_ADDRESS"] = start_bus(s, "session_bus")
        s.spawn(["gnome-shell", "--headless", "--no-x11", "--wayland", "--virtual-monitor", f"{WIDTH}x{HEIGHT}"])
        if not check(wait_for(lambda: name_has_owner(s, "org.gnome.Shell"), 60, 0.2), "GNOME Shell is up"):
            return 1
        # The shell starts in the overview, where the background is drawn small; a request made while it
        # is still starting up is forgotten.
        check(wait_for(lambda: leave_overview(s), 20, 0.5), "the overview is closed")
        print(f"     shell up in {time.monotonic() - began:.1f} s", flush=True)

        pictures = []
        for i, (r, g, b) in enumerate(COLOURS):
            pictures.append(os.path.join(s.root, f"picture{i}.png"))
            s.run(["convert", "-size", "64x48", f"xc:#{r:02x}{g:02x}{b:02x}", pictures[-1]])
        write_settings(s, pictures)
        settings = os.path.join(s.app_folder, "tessdesk.ini")
        s.env["QT_QPA_PLATFORM"] = "offscreen"
        shot = os.path.join(os.environ.get("TESSALY_E2E_OUT", s.root), "gnome-wallpaper.png")
        handed = []
        for change, expected in enumerate(COLOURS):
            app = s.start_program()
            recorded = wait_for(lambda: ini_value(settings, "display", "imageNum") == str(change))
            # The shell loads the new file and fades to it on its own time.
            seen = wait_for(lambda: near(shown_colour(s, tool, shot) or (0, 0, 0), expected), step=0.2)
            check(recorded and seen, f"change {change + 1} shows its own picture {expected} "
                                     f"(shown: {shown_colour(s, tool, shot)})")
            handed.append(s.run(["gsettings", "get", "org.gnome.desktop.background", "picture-uri"]).stdout.strip())
            app.terminate()
            app.wait(5)
        # Whether a path shown before shows stale depends on when the shell's script engine frees the old
        # image, so each change must also have been handed a path the shell has never seen.
        check(len(set(handed)) == len(COLOURS), f"each change handed the shell a new path ({handed})")
        copies = [n for n in os.listdir(s.app_folder) if n.startswith("tessaly-") or ".tmp" in n]
        check(len(copies) == 1, f"one copy of the bitmap is left, no temporary file ({copies})")
        print(f"     {len(COLOURS)} changes checked in {time.monotonic() - began:.1f} s in all", flush=True)
    finally:
        s.close()
    print(f"{len(failures)} failed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
