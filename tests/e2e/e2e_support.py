#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""What the end-to-end scripts share: a private Xvfb display with a temporary home, the trayer tray host,
the program's windows and icon found through xwininfo and xdotool, and the settings file read back."""
import os
import re
import shutil
import subprocess
import tempfile
import time

TITLE = " Tessaly"
failures = []


def missing_tools(tools):
    """Says which of the tools are not installed; a test run without them must fail, not skip."""
    missing = [tool for tool in tools if shutil.which(tool) is None]
    if missing:
        print("FAIL missing tools: " + ", ".join(missing))
    return bool(missing)


def check(condition, what):
    print(("ok   " if condition else "FAIL ") + what, flush=True)
    if not condition:
        failures.append(what)
    return condition


# Every wait ends as soon as its probe holds, so a generous deadline costs nothing on a quiet machine and
# keeps a loaded one (parallel builds, other tests' displays) from failing a check that was only slow.
DEADLINE = float(os.environ.get("TESSALY_E2E_DEADLINE", "30"))


def wait_for(probe, timeout=DEADLINE, step=0.05):
    end = time.monotonic() + timeout
    while True:
        value = probe()
        if value or time.monotonic() > end:
            return value
        time.sleep(step)


def start_xvfb(env):
    """A private Xvfb on a display number the server picks itself, so that tests running side by side
    never race for one: (process, display number)."""
    read, write = os.pipe()
    process = subprocess.Popen(["Xvfb", "-displayfd", str(write), "-noreset", "-screen", "0", "1024x768x24"],
                               env=env, pass_fds=(write,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(write)
    with os.fdopen(read) as pipe:
        number = pipe.readline().strip()
    if not number.isdigit():
        process.kill()
        raise RuntimeError("Xvfb did not start")
    return process, int(number)


class Session:
    def __init__(self, program, xvfb=True):
        self.program = program
        self.root = tempfile.mkdtemp(prefix="tessaly-e2e-")
        self.env = dict(os.environ)
        for name in ("HOME", "XDG_CONFIG_HOME", "XDG_RUNTIME_DIR"):
            path = os.path.join(self.root, name.lower())
            os.makedirs(path, mode=0o700)
            self.env[name] = path
        # Only DISPLAY is left to describe the session, so the program sets the wallpaper on the private
        # display's root window and never on the desktop the tests were started from.
        for name in ("QT_QPA_PLATFORM", "WAYLAND_DISPLAY", "DBUS_SESSION_BUS_ADDRESS", "XDG_CURRENT_DESKTOP",
                     "DESKTOP_SESSION", "XDG_SESSION_DESKTOP", "KDE_FULL_SESSION", "GNOME_DESKTOP_SESSION_ID",
                     "MATE_DESKTOP_SESSION_ID", "SWAYSOCK"):
            self.env.pop(name, None)
        self.processes = []
        self.tray = None
        if xvfb:
            self.xvfb, self.display = start_xvfb(self.env)
            self.env["DISPLAY"] = f":{self.display}"
            self.processes.append(self.xvfb)
        else:
            self.env.pop("DISPLAY", None)

    @property
    def app_folder(self):
        return os.path.join(self.env["XDG_CONFIG_HOME"], "tessaly")

    def spawn(self, argv, cwd=None):
        process = subprocess.Popen(argv, env=self.env, cwd=cwd, stdout=subprocess.DEVNULL,
                                   stderr=subprocess.DEVNULL)
        self.processes.append(process)
        return process

    def run(self, argv):
        return subprocess.run(argv, env=self.env, capture_output=True, text=True)

    def start_tray_host(self):
        self.tray = self.spawn(["trayer", "--edge", "top", "--align", "right", "--widthtype", "pixel",
                                "--width", "200", "--height", "32", "--transparent", "false"])
        return wait_for(lambda: self.panel_subtree() is not None)

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

    def start_program(self, cwd=None):
        return self.spawn([self.program], cwd)

    def window(self, title):
        """The id of the shown top-level window with exactly this title (not the icon, which shares the
        program's name), or None."""
        found = self.run(["xdotool", "search", "--onlyvisible", "--name", f"^{re.escape(title)}$"]).stdout.split()
        tops = set(re.findall(r"^\s+(0x[0-9a-f]+) ", self.run(["xwininfo", "-root", "-children"]).stdout, re.M))
        for window in found:
            if hex(int(window)) in tops:
                return window
        return None

    def geometry(self, window):
        """(x, y, width, height) of a window's inside on the screen."""
        out = self.run(["xdotool", "getwindowgeometry", "--shell", window]).stdout
        values = dict(line.split("=", 1) for line in out.split() if "=" in line)
        return tuple(int(values[k]) for k in ("X", "Y", "WIDTH", "HEIGHT"))

    def focus(self, window):
        """Gives a window the keyboard, as a window manager would on a click."""
        self.run(["xdotool", "windowfocus", "--sync", window])

    def keys(self, *names):
        for name in names:
            self.run(["xdotool", "key", "--delay", "60", name])
            time.sleep(0.1)

    def type_text(self, text):
        self.run(["xdotool", "type", "--delay", "40", text])

    def screenshot(self, path, window="root"):
        return self.run(["import", "-window", window, path]).returncode == 0

    def pixels(self, window="root"):
        """The window's pixels as an Image, or None."""
        out = subprocess.run(["import", "-window", window, "-depth", "8", "ppm:-"], env=self.env, capture_output=True)
        return Image.from_ppm(out.stdout) if out.returncode == 0 else None

    def close(self):
        for process in reversed(self.processes):
            if process.poll() is None:
                process.terminate()
                try:
                    process.wait(5)
                except subprocess.TimeoutExpired:
                    process.kill()
        shutil.rmtree(self.root, ignore_errors=True)


class Image:
    """Pixels read from a binary PPM, addressed as (x, y) -> (r, g, b)."""

    def __init__(self, width, height, data):
        self.width, self.height, self.data = width, height, data

    @staticmethod
    def from_ppm(raw):
        fields = []
        pos = 0
        while len(fields) < 4:
            while raw[pos:pos + 1].isspace():
                pos += 1
            if raw[pos:pos + 1] == b"#":
                pos = raw.index(b"\n", pos)
                continue
            end = pos
            while not raw[end:end + 1].isspace():
                end += 1
            fields.append(raw[pos:end])
            pos = end
        if fields[0] != b"P6" or int(fields[3]) != 255:
            raise ValueError("not an 8-bit binary PPM")
        width, height = int(fields[1]), int(fields[2])
        return Image(width, height, raw[pos + 1:pos + 1 + 3 * width * height])

    def at(self, x, y):
        i = 3 * (y * self.width + x)
        return tuple(self.data[i:i + 3])


def near(colour, expected, tolerance=40):
    return all(abs(a - b) <= tolerance for a, b in zip(colour, expected))


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
    """The centre of one of the three first entries; two more follow below a separator."""
    _, w, h, x, y = popup
    return x + w // 2, y + (2 * row + 1) * h // 11


def open_menu(s):
    s.click_icon(3)
    popups = wait_for(s.popups)
    return popups[0] if popups else None
