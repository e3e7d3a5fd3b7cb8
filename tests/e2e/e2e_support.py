#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""The end-to-end tests' one harness: a temporary home, a private Xvfb (or Qt's offscreen screen), the
program and its helpers started in it, the settings file and pixels read back, and ok/FAIL lines."""
import os
import shutil
import subprocess
import tempfile
import time

failures = []


def check(condition, what):
    print(("ok   " if condition else "FAIL ") + what, flush=True)
    if not condition:
        failures.append(what)
    return condition


def wait_for(probe, timeout=30, step=0.1):
    """The probe's first true value, or its last value after the timeout."""
    end = time.monotonic() + timeout
    while not (value := probe()) and time.monotonic() < end:
        time.sleep(step)
    return value


def missing(tools):
    """A missing tool is a failure, never a skip."""
    return not check(all(shutil.which(tool) for tool in tools), "installed: " + ", ".join(tools))


def summary():
    print(f"{len(failures)} failed")
    return 1 if failures else 0


def similar(a, b):
    """Two raw RGB pictures of one size that differ by little on average."""
    return bool(a) and len(a) == len(b) and sum(abs(x - y) for x, y in zip(a[::97], b[::97])) < 25 * len(a[::97])


class Session:
    def __init__(self, program, xvfb=False):
        self.program, self.processes = program, []
        self.root = tempfile.mkdtemp(prefix="tessaly-e2e-")
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
        self.spawn(["Xvfb", "-displayfd", str(write), "-screen", "0", "1024x768x24"], pass_fds=(write,))
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

    def rgb(self, *argv):
        """Raw 8-bit RGB pixels from ImageMagick (convert FILE ..., import -window ...)."""
        return self.run(*argv, "-depth", "8", "rgb:-", text=False).stdout

    def ini(self, section, key, path=None):
        current = None
        try:
            with open(path or os.path.join(self.app_folder, "tessdesk.ini"), errors="replace") as f:
                for line in f:
                    line = line.strip()
                    if line.startswith("["):
                        current = line[1:-1].lower()
                    elif current == section.lower() and line.lower().startswith(key.lower() + "="):
                        return line.split("=", 1)[1]
        except FileNotFoundError:
            return None

    def close(self):
        for process in reversed(self.processes):
            process.terminate()
            try:
                process.wait(5)
            except subprocess.TimeoutExpired:
                process.kill()
        shutil.rmtree(self.root, ignore_errors=True)
