#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""The end-to-end tests' one harness: a temporary home, a private Xvfb (or Qt's offscreen screen), the
program and its helpers started in it, the settings file and pixels read back, and ok/FAIL lines."""
import configparser
import os
import shutil
import subprocess
import sys
import tempfile
import time

failures = []


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


def main(test, tools, arguments, xvfb=False):  # a missing tool is a failure, never a skip
    if len(sys.argv) != 1 + arguments:
        print(sys.modules["__main__"].__doc__)
        return 2
    if check(all(shutil.which(tool) for tool in tools), "installed: " + ", ".join(tools)):
        s = Session(xvfb)
        try:
            test(s, *sys.argv[1:])
        finally:
            s.close()
    print(f"{len(failures)} failed")
    return 1 if failures else 0


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
        read, write = os.pipe()
        # -noreset: between two short-lived clients (xwininfo, xdotool) the server would otherwise reset, and
        # a program connecting just then fails to start. -displayfd: the server picks a free display itself.
        self.spawn(["Xvfb", "-displayfd", str(write), "-noreset", "-screen", "0", "1024x768x24"], pass_fds=(write,))
        os.close(write)
        with os.fdopen(read) as pipe:
            self.env["DISPLAY"] = ":" + pipe.readline().strip()

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
