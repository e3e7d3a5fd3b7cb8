#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Runs the real program under Xvfb with trayer as the tray host and drives it as a user would.

Usage: tray_e2e.py PROGRAM (tray|change)
  tray    the icon, its menu, "Settings", "Close and Disable", a second start, no tray host
  change  a left click on the icon changes the wallpaper (bitmap rewritten, index recorded)
Every missing tool is a failure.
"""
import os
import subprocess
import sys
import time

from e2e_support import Session, check, failures, ini_value, menu_item, missing_tools, open_menu, wait_for

TOOLS = ["Xvfb", "xdotool", "xwininfo", "trayer", "import", "convert"]


def test_tray(program):
    s = Session(program)
    try:
        check(s.start_tray_host(), "trayer is up as the tray host")
        started = time.monotonic()
        app = s.start_program()
        check(wait_for(s.icon, 10) is not None, "the icon is embedded in the tray host")
        print(f"     icon up {1000 * (time.monotonic() - started):.0f} ms after start")
        check(s.visible_main_window() is None, "the main window is hidden while in the tray")
        entry = os.path.join(s.env["XDG_CONFIG_HOME"], "autostart", "tessaly.desktop")
        check(os.path.isfile(entry) and f"Exec={os.path.realpath(program)}" in open(entry).read(),
              "the first start writes the autostart entry with the program's path")

        icons = sum(1 for line in s.panel_subtree() if '"Tessaly"' in line)
        check(icons == 1, "exactly one icon")

        before = s.snapshot()
        second = subprocess.run([program], env=s.env, timeout=10, capture_output=True)
        check(second.returncode == 0, "a second start exits at once with success")
        check(sum(1 for line in s.panel_subtree() if '"Tessaly"' in line) == 1, "the second start adds no icon")
        check(s.snapshot() == before, "the second start writes nothing")

        popup = open_menu(s)
        if check(popup is not None, "a right click opens the menu"):
            shot = os.path.join(os.environ.get("TESSALY_E2E_OUT", s.root), "tray-menu.png")
            s.run(["import", "-window", popup[0], shot])
            colours = s.run(["convert", shot, "-format", "%k", "info:"]).stdout.strip()
            check(colours.isdigit() and int(colours) > 2, f"the menu is drawn ({colours} colours in {shot})")
            check(popup[2] > 3 * 12, "the menu is tall enough for three items")
            s.click(*menu_item(popup, 0), 1)
            check(wait_for(s.visible_main_window, 5) is not None, '"Settings" shows the main window')

        before = s.snapshot()
        popup = open_menu(s)
        if check(popup is not None, "the menu opens while the settings window is shown"):
            s.click(*menu_item(popup, 2), 1)
            check(wait_for(lambda: app.poll() is not None, 5), '"Close and Disable" ends the program')
            check(app.poll() == 0, "the program ends with success")
            check(wait_for(lambda: s.icon() is None, 5), "the icon is gone")
            check(s.snapshot() == before, '"Close and Disable" writes nothing')

        s.stop_tray_host()
        check(s.run(["xwininfo", "-root", "-tree"]).returncode == 0, "the display still runs")
        app = s.start_program()
        check(wait_for(s.visible_main_window, 10) is not None, "with no tray host the main window is shown")
        check(app.poll() is None, "and the program keeps running")
    finally:
        s.close()


def test_change(program):
    s = Session(program)
    try:
        check(s.start_tray_host(), "trayer is up as the tray host")
        s.start_program()
        if not check(wait_for(s.icon, 10) is not None, "the icon is embedded in the tray host"):
            return
        bitmap = os.path.join(s.app_folder, "tessaly.bmp")
        settings = os.path.join(s.app_folder, "tessdesk.ini")
        time.sleep(1.0)  # let the start-up change settle
        mtime = os.stat(bitmap).st_mtime_ns if os.path.exists(bitmap) else None
        index = ini_value(settings, "display", "imageNum")
        s.click_icon(1)
        changed = wait_for(lambda: os.path.exists(bitmap) and os.stat(bitmap).st_mtime_ns != mtime, 5)
        check(changed, "a left click rewrites tessaly.bmp")
        check(wait_for(lambda: ini_value(settings, "display", "imageNum") not in (None, index), 5),
              f'a left click records the next index (was {index})')
    finally:
        s.close()


def main():
    if len(sys.argv) != 3 or sys.argv[2] not in ("tray", "change"):
        print(__doc__)
        return 2
    if missing_tools(TOOLS):
        return 1
    {"tray": test_tray, "change": test_change}[sys.argv[2]](os.path.abspath(sys.argv[1]))
    print(f"{len(failures)} failed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
