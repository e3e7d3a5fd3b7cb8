#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Runs the real program under Xvfb with trayer as the tray host and drives it as a user would.

Usage: tray_e2e.py PROGRAM (tray|change)
  tray    the icon, its menu, "Settings", "Close and Disable", a second start, no tray host
  change  a left click on the icon changes the wallpaper (bitmap rewritten, index recorded)
Every missing tool is a failure.
"""
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

TOOLS = ["Xvfb", "xdotool", "xwininfo", "trayer", "import", "convert"]
TITLE = " Tessaly"
failures = []


def check(condition, what):
    print(("ok   " if condition else "FAIL ") + what, flush=True)
    if not condition:
        failures.append(what)
    return condition


def wait_for(probe, timeout, step=0.05):
    end = time.monotonic() + timeout
    while True:
        value = probe()
        if value or time.monotonic() > end:
            return value
        time.sleep(step)


def free_display():
    for n in range(91, 160):
        if not os.path.exists(f"/tmp/.X{n}-lock") and not os.path.exists(f"/tmp/.X11-unix/X{n}"):
            return n
    raise RuntimeError("no free X display number")


class Session:
    def __init__(self, program):
        self.program = program
        self.root = tempfile.mkdtemp(prefix="tessaly-e2e-")
        self.env = dict(os.environ)
        for name in ("HOME", "XDG_CONFIG_HOME", "XDG_RUNTIME_DIR"):
            path = os.path.join(self.root, name.lower())
            os.makedirs(path, mode=0o700)
            self.env[name] = path
        for name in ("QT_QPA_PLATFORM", "WAYLAND_DISPLAY", "DBUS_SESSION_BUS_ADDRESS"):
            self.env.pop(name, None)
        self.display = free_display()
        self.env["DISPLAY"] = f":{self.display}"
        self.processes = []
        self.xvfb = self.spawn(["Xvfb", self.env["DISPLAY"], "-noreset", "-screen", "0", "1024x768x24"])
        if not wait_for(lambda: self.run(["xdpyinfo"]).returncode == 0 if shutil.which("xdpyinfo")
                        else os.path.exists(f"/tmp/.X11-unix/X{self.display}"), 10):
            raise RuntimeError("Xvfb did not start")
        self.tray = None

    @property
    def app_folder(self):
        return os.path.join(self.env["XDG_CONFIG_HOME"], "tessaly")

    def spawn(self, argv):
        process = subprocess.Popen(argv, env=self.env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.processes.append(process)
        return process

    def run(self, argv):
        return subprocess.run(argv, env=self.env, capture_output=True, text=True)

    def start_tray_host(self):
        self.tray = self.spawn(["trayer", "--edge", "top", "--align", "right", "--widthtype", "pixel",
                                "--width", "200", "--height", "32", "--transparent", "false"])
        return wait_for(lambda: self.panel_subtree() is not None, 10)

    def stop_tray_host(self):
        if self.tray:
            self.tray.terminate()
            self.tray.wait(5)
            self.tray = None

    def tree(self):
        return self.run(["xwininfo", "-root", "-tree"]).stdout.splitlines()

    def panel_subtree(self):
        lines = self.tree()
        for i, line in enumerate(lines):
            if '("panel" "trayer")' in line:
                indent = len(line) - len(line.lstrip())
                sub = []
                for other in lines[i + 1:]:
                    if other.strip() and len(other) - len(other.lstrip()) <= indent:
                        break
                    sub.append(other)
                return sub
        return None

    def icon(self):
        """The program's icon window inside the tray host: (x, y, width, height) on the screen."""
        for line in self.panel_subtree() or []:
            match = re.search(r'"Tessaly": \("tessaly" "Tessaly"\)\s+(\d+)x(\d+)\S*\s+\+(-?\d+)\+(-?\d+)', line)
            if match:
                w, h, x, y = map(int, match.groups())
                return x, y, w, h
        return None

    def tessaly_windows(self):
        return [line for line in self.tree() if '"Tessaly"' in line or f'"{TITLE}"' in line]

    def popups(self):
        """Viewable override-redirect windows of the program (its menus)."""
        found = []
        for line in self.tree():
            match = re.match(r'\s*(0x[0-9a-f]+) "Tessaly": \("tessaly" "Tessaly"\)\s+(\d+)x(\d+)\+(-?\d+)\+(-?\d+)', line)
            if not match:
                continue
            info = self.run(["xwininfo", "-id", match.group(1)]).stdout
            if "Override Redirect State: yes" in info and "IsViewable" in info:
                found.append((match.group(1),) + tuple(map(int, match.groups()[1:])))
        return found

    def visible_main_window(self):
        out = self.run(["xdotool", "search", "--onlyvisible", "--name", f"^{TITLE}$"]).stdout.split()
        return out[0] if out else None

    def click(self, x, y, button):
        self.run(["xdotool", "mousemove", str(x), str(y), "click", str(button)])

    def click_icon(self, button):
        x, y, w, h = self.icon()
        self.click(x + w // 2, y + h // 2, button)

    def start_program(self):
        return self.spawn([self.program])

    def snapshot(self):
        """Every file under the temporary home with its bytes, to show that nothing was written."""
        files = {}
        for base in (self.env["XDG_CONFIG_HOME"], self.env["HOME"]):
            for folder, _, names in os.walk(base):
                for name in names:
                    path = os.path.join(folder, name)
                    with open(path, "rb") as f:
                        files[path] = (os.stat(path).st_mtime_ns, f.read())
        return files

    def close(self):
        for process in reversed(self.processes):
            if process.poll() is None:
                process.terminate()
                try:
                    process.wait(5)
                except subprocess.TimeoutExpired:
                    process.kill()
        shutil.rmtree(self.root, ignore_errors=True)


def ini_value(path, section, key):
    current = None
    try:
        with open(path, encoding="utf-8", errors="replace") as f:
            for raw in f:
                line = raw.strip()
                if line.startswith("["):
                    current = line[1:line.find("]")].strip().lower()
                elif "=" in line and current == section.lower():
                    name, value = line.split("=", 1)
                    if name.strip().lower() == key.lower():
                        return value.strip()
    except FileNotFoundError:
        pass
    return None


def menu_item(popup, row):
    _, w, h, x, y = popup
    return x + w // 2, y + (2 * row + 1) * h // 6


def open_menu(s):
    s.click_icon(3)
    popups = wait_for(s.popups, 5)
    return popups[0] if popups else None


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
    missing = [tool for tool in TOOLS if shutil.which(tool) is None]
    if missing:
        print("FAIL missing tools: " + ", ".join(missing))
        return 1
    {"tray": test_tray, "change": test_change}[sys.argv[2]](os.path.abspath(sys.argv[1]))
    print(f"{len(failures)} failed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
