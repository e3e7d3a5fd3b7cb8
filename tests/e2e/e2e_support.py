#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""The end-to-end tests' one harness: a temporary home, a private Xvfb (or Qt's offscreen screen), the
program and its helpers started in it, the settings file and pixels read back, and ok/FAIL lines. A desktop
(server, session programs, how its screen is read) is a Desktop; the tests say what it must show."""
import configparser
import os
import shutil
import subprocess
import sys
import tempfile
import time

failures = []
X11_SOCKETS = "/tmp/.X11-unix"


def check(condition, what):
    print(("ok   " if condition else "FAIL ") + what, flush=True)
    if not condition:
        failures.append(what)
    return condition


def wait_for(probe, timeout=30, step=0.1):
    end = time.monotonic() + timeout
    while not (value := probe()) and time.monotonic() < end:
        time.sleep(step)
    return value


def similar(a, b):  # two raw RGB pictures of one size that differ by little on average
    return bool(a) and len(a) == len(b) and sum(abs(x - y) for x, y in zip(a[::97], b[::97])) < 25 * len(a[::97])


def near(a, b, tolerance=40):
    return a is not None and all(abs(p - q) < tolerance for p, q in zip(a, b))


def reader(raw, width, left=0, top=0):
    """(x, y) -> rgb of raw 8-bit RGB rows `width` pixels wide whose first pixel is the screen's left, top."""
    return lambda x, y: tuple(raw[3 * ((y - top) * width + x - left):3 * ((y - top) * width + x - left) + 3])


def checker_at(at, left, top, size):
    """Whether a one-pixel checker of `size` lies 1:1 with its top-left corner at left, top."""
    corner = 255 if at(left, top)[0] > 127 else 0
    for y in range(top + 2, top + size[1] - 2, 3):
        for x in range(left + 2, left + size[0] - 2, 3):
            expected = corner if (x - left + y - top) % 2 == 0 else 255 - corner
            if any(abs(c - expected) > 60 for c in at(x, y)):
                return False
    return True


def main(test, tools, arguments, xvfb=False, desktops=None):
    """`desktops`: the Desktop classes by name, the last argument choosing one. A missing tool is a failure,
    never a skip, but for a desktop that may well be missing from a machine (skip_missing: exit 77)."""
    if len(sys.argv) != 1 + arguments or (desktops and sys.argv[-1] not in desktops):
        print(sys.modules["__main__"].__doc__)
        return 2
    desktop = desktops[sys.argv[-1]]() if desktops else None
    tools = tools + (desktop.tools if desktop else [])
    if desktop and desktop.skip_missing and not all(shutil.which(tool) for tool in tools):
        print("skipped: needs " + ", ".join(tool for tool in tools if not shutil.which(tool)))
        return 77
    if check(all(shutil.which(tool) for tool in tools), "installed: " + ", ".join(tools)):
        s = Session(xvfb)
        try:
            if desktop is None:
                test(s, *sys.argv[1:])
            elif desktop.start(s):
                test(s, desktop, *sys.argv[1:-1])
        finally:
            s.close()
    print(f"{len(failures)} failed")
    return 1 if failures else 0


class Desktop:
    """What differs between desktops: the programs it needs, how it is started and how its screen is read."""
    tools, skip_missing = [], False

    def start(self, s):  # the server and the session's programs; False (told) when they did not come up
        return True

    def screen(self, s, name):  # the screen's pixels as (x, y) -> rgb, or None when they cannot be read
        raise NotImplementedError


class Session:
    def __init__(self, xvfb):
        self.processes, self.root = [], tempfile.mkdtemp(prefix="tessaly-e2e-")
        # Nothing of the desktop the tests run in: the program sees only this session.
        self.env = {"PATH": os.environ["PATH"], "LC_ALL": "C.UTF-8"}
        for name in ("HOME", "XDG_CONFIG_HOME", "XDG_RUNTIME_DIR"):
            self.env[name] = os.path.join(self.root, name.lower())
            os.makedirs(self.env[name], 0o700)
        self.app_folder = os.path.join(self.env["XDG_CONFIG_HOME"], "tessaly")
        if not xvfb:
            self.env["QT_QPA_PLATFORM"] = "offscreen"
            return
        self.x_server(["Xvfb", "-noreset", "-screen", "0", "1024x768x24"])

    def x_server(self, argv, screen=""):
        """Starts an X server and makes it the session's display. -noreset: between two short-lived clients
        (xwininfo, xdotool) the server would otherwise reset, and a program connecting just then fails to
        start. -displayfd: the server picks a free display itself."""
        self.env.pop("QT_QPA_PLATFORM", None)
        read, write = os.pipe()
        self.spawn(argv + ["-displayfd", str(write)], pass_fds=(write,))
        os.close(write)
        with os.fdopen(read) as pipe:
            self.env["DISPLAY"] = ":" + pipe.readline().strip() + screen

    def buses(self, *names):
        """Buses of the session's own ("SESSION", "SYSTEM"): nothing of the machine's reaches the programs."""
        for bus in names:
            path = os.path.join(self.root, bus.lower() + "_bus")
            self.spawn(["dbus-daemon", "--session", "--nofork", "--address=unix:path=" + path])
            self.env[f"DBUS_{bus}_BUS_ADDRESS"] = "unix:path=" + path
            if not check(wait_for(lambda: os.path.exists(path), 30), f"a private {bus.lower()} bus"):
                return False
        return True

    def new_x_display(self, before, uid=None, timeout=30):
        """The display of an X server a compositor started (Xwayland): a socket not among `before`, owned by
        `uid` when given (not another test's server started meanwhile)."""
        found = wait_for(lambda: [n for n in set(os.listdir(X11_SOCKETS)) - before
                                  if uid is None or os.stat(os.path.join(X11_SOCKETS, n)).st_uid == uid], timeout)
        if found:
            self.env["DISPLAY"] = ":" + sorted(found)[0].lstrip("X")
        return bool(found)

    def settings(self, pictures, display, shown=-1, sections="", owner=None):
        """The settings file of a program that changes once at its start, from `shown` (-1: none yet)."""
        os.makedirs(self.app_folder, exist_ok=True)
        path = os.path.join(self.app_folder, "tessdesk.ini")
        with open(path, "w") as f:
            f.write(f"[total]\ntotal={len(pictures)}\n[images]\n" + "".join(f"{i}={p}\n" for i, p in enumerate(pictures))
                    + f"[display]\nimageNum={shown}\n{display}\n[time]\nchangeEveryBoot=1\ntimeOption=1\n"
                    "[tessaly]\nfirstRun=False\n" + sections)
        if owner is not None:
            os.chown(path, owner, owner)

    def change(self, program, pictures, display, expected, sections="", keep=False, prefix=(), timeout=30):
        """The program started on `pictures`, changing once at its start; told whether imageNum became
        `expected`. Stopped then (its window, shown where there is no tray, would cover the wallpaper; the
        desktop keeps the wallpaper), unless kept: then it is returned."""
        self.settings(pictures, display, sections=sections, owner=65534 if prefix else None)
        app = self.spawn(list(prefix) + [os.path.abspath(program)])
        done = check(wait_for(lambda: self.ini("display", "imageNum") == str(expected), timeout),
                     f"{' '.join(display.split())}: imageNum {expected}")
        if keep:
            return app
        self.stop(app)
        return done

    @staticmethod
    def stop(app):
        app.terminate()
        try:
            app.wait(10)
        except subprocess.TimeoutExpired:
            app.kill()
        time.sleep(0.3)

    def out(self, name):  # where a screenshot goes: kept to be looked at when the build says where
        return os.path.join(os.environ.get("TESSALY_E2E_OUT", self.root), name)

    def spawn(self, argv, **options):
        process = subprocess.Popen(argv, env=self.env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                                   **options)
        self.processes.append(process)
        return process

    def run(self, *argv, text=True):
        return subprocess.run(argv, env=self.env, capture_output=True, text=text, timeout=60)

    def rgb(self, *argv):  # raw 8-bit RGB pixels from ImageMagick: convert FILE ..., import -window ...
        return self.run(*argv, "-depth", "8", "rgb:-", text=False).stdout

    def ini(self, section, key, path=None):
        parser = configparser.ConfigParser(interpolation=None, strict=False)
        parser.read(path or os.path.join(self.app_folder, "tessdesk.ini"), encoding="utf-8")
        return parser.get(section, key, fallback=None)

    def close(self):
        for process in reversed(self.processes):
            process.terminate()
            try:
                process.wait(5)
            except subprocess.TimeoutExpired:
                process.kill()
        shutil.rmtree(self.root, ignore_errors=True)
