#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""The real program started from a command line, on Qt's offscreen screen: every command against a running
copy (its effect and exit status), --help and --version leaving no folder, two copies started at once, a
socket left by a killed copy, a portable copy, and a named pipe, a folder or a device in the list at start.

Usage: cli_e2e.py PROGRAM DATA_DIR
"""
import os
import shutil
import signal
import subprocess
import sys
import time

from e2e_support import DEADLINE, Image, Session, check, failures, missing_tools, near, wait_for

NOT_RUNNING = "Tessaly is not running\n"


def session(program):
    s = Session(program, xvfb=False)
    s.env["QT_QPA_PLATFORM"] = "offscreen"
    return s


def command(s, *args, env=None):
    return subprocess.run([s.program, *args], env=env or s.env, capture_output=True, text=True,
                          timeout=DEADLINE)


def read(path):
    try:
        with open(path, encoding="utf-8", errors="replace") as f:
            return f.read()
    except OSError:
        return ""


def socket_up(s):
    return wait_for(lambda: os.path.exists(os.path.join(s.env["XDG_RUNTIME_DIR"], "tessaly.socket")))


def recording_setup(s):
    """Two pictures, no change due before 2030, and a desktop command that logs each change."""
    folder = s.app_folder + "/"
    os.makedirs(folder)
    recorder = os.path.join(s.root, "record.sh")
    with open(recorder, "w") as f:
        f.write('#!/bin/sh\necho "$1 $2" >> "$(dirname "$0")/changes.log"\n')
    os.chmod(recorder, 0o700)
    with open(folder + "tessdesk.ini", "w") as f:
        f.write(f"[total]\ntotal=2\n[images]\n0={folder}image1.gif\n1={folder}image2.gif\n[caption]\n0=First\n"
                "1=Second\n[display]\nimageNum=0\ndisplayType=0\nsequenceType=0\n[time]\ntimeOption=1\n"
                f"timeHour=1\nChangeTime=2030-01-01\n[desktop]\nbackend=command\ncommand={recorder}\n"
                "[tessaly]\nfirstRun=False\n")
    return folder


def test_commands(program):
    s = session(program)
    try:
        folder = recording_setup(s)
        running = s.start_program()
        check(socket_up(s), "the running copy holds its socket")
        due = "2030-01-01 00:00:00"

        def status(picture, caption, nxt):
            return 0, f"picture: {folder}{picture}\ncaption: {caption}\nnext change: {nxt}\n", ""

        ok = (0, "", "")
        steps = [("--status", status("image1.gif", "First", due), 0), ("--next", ok, 1),
                 ("--status", status("image2.gif", "Second", due), 1), ("--previous", ok, 2),
                 ("--status", status("image1.gif", "First", due), 2),
                 ("--previous", (1, "", "tessaly: no earlier picture was shown since Tessaly started\n"), 2),
                 ("--pause", ok, 2), ("--status", status("image1.gif", "First", "paused"), 2),
                 ("--resume", ok, 2), ("--status", status("image1.gif", "First", due), 2),
                 ("--settings", ok, 2), ("--quit", ok, 2)]
        for option, reply, changes in steps:
            result = command(s, option)
            got = (result.returncode, result.stdout, result.stderr)
            check(got == reply, f"{option}: {got!r}")
            logged = read(os.path.join(s.root, "changes.log"))
            check(logged == f"{folder}tessaly.bmp Stretch\n" * changes, f"{option}: {changes} changes made")
        check(wait_for(lambda: running.poll() is not None) and running.returncode == 0, "--quit ends it, with 0")
        check(command(s, "--status").stderr == NOT_RUNNING, "then nothing runs")
    finally:
        s.close()


def test_one_copy(program, killed_before):
    s = session(program)
    try:
        recording_setup(s)
        if killed_before:
            killed = s.start_program()
            socket_up(s)
            check(command(s, "--status").returncode == 0, "a first copy answers")
            killed.send_signal(signal.SIGKILL)
            killed.wait(DEADLINE)
            check(command(s, "--status").stderr == NOT_RUNNING, "its socket left behind answers nothing")
        a, b = s.start_program(), s.start_program()
        wait_for(lambda: a.poll() is not None or b.poll() is not None)
        left, stays = (a, b) if a.poll() is not None else (b, a)
        check(left.returncode == 0, "of two started at once, one ends with 0")
        time.sleep(0.5)
        check(stays.poll() is None and command(s, "--status").returncode == 0, "and the other one runs")
    finally:
        s.close()


def test_printing(program):
    rows = [(["--help"], 0, "Usage: tessaly", ""), (["--version"], 0, "Tessaly 1.1.0", ""),
            (["--nexr"], 2, "", "Usage: tessaly"), (["--next", "--quit"], 2, "", "Usage: tessaly"),
            (["--next"], 1, "", "Tessaly is not running")]
    s = session(program)
    try:
        home = os.path.join(s.root, "nobody")
        for args, code, out, err in rows:
            result = command(s, *args, env={"HOME": home, "XDG_RUNTIME_DIR": home + "/run"})
            check(result.returncode == code and (out in result.stdout if out else not result.stdout)
                  and (err in result.stderr if err else not result.stderr)
                  and not os.path.exists(home), f"{' '.join(args)}: exit {result.returncode}, no folder made")
    finally:
        s.close()


def portable_copy(s, data, ini=None):
    """A copy of the program in a folder of its own, with its settings file (or the shipped files)."""
    folder = os.path.join(s.root, "portable")
    os.makedirs(folder)
    shutil.copy2(s.program, folder)
    if ini is None:
        for name in ("tessdesk.ini", "badimage.bmp", "image1.gif", "image2.gif"):
            shutil.copy(os.path.join(data, name), folder)
    else:
        with open(os.path.join(folder, "tessdesk.ini"), "w") as f:
            f.write(ini)
    return folder


def test_portable(program, data):
    rows = [("[total]\ntotal=1\n[images]\n0=/somewhere/a.jpg\n[time]\nChangeTime=\n[tessaly]\nfirstRun=False\n",
             "/somewhere/a.jpg"),
            # The first start puts the sample pictures from its own folder in the list.
            ("[time]\nChangeTime=\n[tessaly]\nfirstRun=True\n", "image1.gif")]
    for ini, first in rows:
        s = session(program)
        try:
            folder = portable_copy(s, data, ini)
            s.spawn([os.path.join(folder, "tessaly")])
            settings = os.path.join(folder, "tessdesk.ini")
            wait_for(lambda: "ChangeTime=2" in read(settings))
            expected = first if first.startswith("/") else os.path.join(folder, first)
            check(f"0={expected}\n" in read(settings) and "firstRun=False" in read(settings),
                  f"a portable copy keeps its list in its own folder ({first})")
            check(not os.path.exists(os.path.join(s.env["XDG_CONFIG_HOME"], "tessaly"))
                  and not os.path.exists(os.path.join(s.env["XDG_CONFIG_HOME"], "autostart")),
                  "and writes nothing outside it")
        finally:
            s.close()


def ppm(path, size=None):
    out = subprocess.run(["convert", path] + (["-resize", "%dx%d!" % size] if size else [])
                         + ["-depth", "8", "ppm:-"], capture_output=True)
    return Image.from_ppm(out.stdout) if out.returncode == 0 and out.stdout else None


def test_unusable_entry(program, data, entry):
    s = session(program)
    try:
        folder = portable_copy(s, data)
        path = entry if entry.startswith("/") else os.path.join(folder, entry)
        if entry == "pipe.jpg":
            os.mkfifo(path)
        elif entry == "folder.jpg":
            os.mkdir(path)
        # The desktop here is a command that keeps a copy of what it is given.
        shown = os.path.join(folder, "shown.bmp")
        ini = os.path.join(folder, "tessdesk.ini")
        text = (read(ini).replace("total=0", "total=1").replace("[caption]", f"0={path}\n[caption]")
                .replace("firstRun=True", "firstRun=False").replace("backend=auto", "backend=command")
                .replace("command=\n", f'command=sh -c "cp $0 {shown}"\n'))
        with open(ini, "w") as f:
            f.write(text)
        app = s.spawn([os.path.join(folder, "tessaly")])
        # A pipe that is opened blocks the start for ever; the deadline only ends a test that failed.
        wallpaper = wait_for(lambda: ppm(shown))
        fallback = wallpaper and ppm(os.path.join(folder, "badimage.bmp"), (wallpaper.width, wallpaper.height))
        # The fallback picture's background and its sun.
        same = fallback and all(near(wallpaper.at(int(x * wallpaper.width), int(y * wallpaper.height)),
                                     fallback.at(int(x * wallpaper.width), int(y * wallpaper.height)), 20)
                                for x, y in ((0.1, 0.1), (0.6, 0.375)))
        check(same and app.poll() is None, f"{entry} in the list: the fallback picture is shown and it runs on")
    finally:
        s.close()


def main():
    if len(sys.argv) != 3:
        print(__doc__)
        return 2
    if missing_tools(["convert"]):
        return 1
    program, data = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
    test_commands(program)
    test_one_copy(program, False)
    test_one_copy(program, True)
    test_printing(program)
    test_portable(program, data)
    for entry in ("pipe.jpg", "folder.jpg", "/dev/zero"):
        test_unusable_entry(program, data, entry)
    print(f"{len(failures)} failed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
