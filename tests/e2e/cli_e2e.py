#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""The real program's command line on Qt's offscreen screen: every command against a running copy (its
effect and exit status), the exit codes with nothing running, two copies started at once after a killed
one left its socket, and a portable copy.

Usage: cli_e2e.py PROGRAM DATA_DIR
"""
import os
import shutil
import signal
import sys

from e2e_support import Session, check, missing, summary, wait_for

NOT_RUNNING = "Tessaly is not running\n"


def read(path):
    try:
        with open(path) as f:
            return f.read()
    except OSError:
        return ""


def commands(s):
    """Two pictures, no change due before 2030, and a desktop command that logs each change."""
    folder = s.app_folder + "/"
    os.makedirs(folder)
    log, recorder = os.path.join(s.root, "changes.log"), os.path.join(s.root, "record.sh")
    with open(recorder, "w") as f:
        f.write(f'#!/bin/sh\necho "$1 $2" >> {log}\n')
    os.chmod(recorder, 0o700)
    with open(folder + "tessdesk.ini", "w") as f:
        f.write(f"[total]\ntotal=2\n[images]\n0={folder}image1.gif\n1={folder}image2.gif\n[caption]\n0=First\n"
                "1=Second\n[display]\nimageNum=0\ndisplayType=0\nsequenceType=0\n[time]\ntimeOption=1\ntimeHour=1\n"
                f"ChangeTime=2030-01-01\n[desktop]\nbackend=command\ncommand={recorder}\n[tessaly]\nfirstRun=False\n")
    running = s.spawn([s.program])
    check(wait_for(lambda: s.run(s.program, "--status").returncode == 0), "a running copy answers --status")

    def status(picture, caption, due="2030-01-01 00:00:00"):
        return 0, f"picture: {folder}{picture}\ncaption: {caption}\nnext change: {due}\n", ""

    ok = (0, "", "")
    steps = [("--status", status("image1.gif", "First"), 0), ("--next", ok, 1),
             ("--status", status("image2.gif", "Second"), 1), ("--previous", ok, 2), ("--status", status("image1.gif", "First"), 2),
             ("--previous", (1, "", "tessaly: no earlier picture was shown since Tessaly started\n"), 2),
             ("--pause", ok, 2), ("--status", status("image1.gif", "First", "paused"), 2), ("--resume", ok, 2),
             ("--status", status("image1.gif", "First"), 2), ("--settings", ok, 2), ("--quit", ok, 2)]
    for option, reply, changes in steps:
        result = s.run(s.program, option)
        check((result.returncode, result.stdout, result.stderr) == reply
              and read(log) == f"{folder}tessaly.bmp Stretch\n" * changes, f"{option}: {result.returncode}, {changes} changes")
    check(wait_for(lambda: running.poll() is not None) and running.returncode == 0, "--quit ends it with 0")
    # A second start shows the running copy's settings window, where changes wait: this comes last.
    killed = s.spawn([s.program])
    wait_for(lambda: s.run(s.program, "--status").returncode == 0)
    killed.send_signal(signal.SIGKILL)
    killed.wait()
    check(s.run(s.program, "--status").stderr == NOT_RUNNING, "the socket a killed copy left answers nothing")
    a, b = s.spawn([s.program]), s.spawn([s.program])
    wait_for(lambda: a.poll() is not None or b.poll() is not None)
    left, running = (a, b) if a.poll() is not None else (b, a)
    check(left.returncode == 0 and running.poll() is None and s.run(s.program, "--status").returncode == 0,
          "of two copies started at once one ends with 0, the other runs")

def printing(s):
    home = os.path.join(s.root, "nobody")
    s.env.update(HOME=home, XDG_RUNTIME_DIR=home + "/run")
    del s.env["XDG_CONFIG_HOME"]
    for args, code, out, err in [(["--help"], 0, "Usage: tessaly", ""), (["--version"], 0, "Tessaly 1.1.0", ""),
                                 (["--nexr"], 2, "", "Usage: tessaly"), (["--next", "--quit"], 2, "", "Usage: tessaly"),
                                 (["--next"], 1, "", NOT_RUNNING)]:
        result = s.run(s.program, *args)
        check(result.returncode == code and out in result.stdout and err in result.stderr
              and bool(result.stdout) == bool(out) and bool(result.stderr) == bool(err) and not os.path.exists(home),
              f"{' '.join(args)}: exit {result.returncode}, no folder made")


def portable(s, data):
    """A copy of the program beside the shipped files keeps its list in its own folder."""
    folder = os.path.join(s.root, "portable")
    os.makedirs(folder)
    for name in ("tessdesk.ini", "badimage.bmp", "image1.gif", "image2.gif"):
        shutil.copy(os.path.join(data, name), folder)
    shutil.copy2(s.program, folder)
    s.spawn([os.path.join(folder, "tessaly")])
    settings = os.path.join(folder, "tessdesk.ini")
    check(wait_for(lambda: s.ini("tessaly", "firstRun", settings) == "False")
          and s.ini("images", "0", settings) == os.path.join(folder, "image1.gif")
          and not os.listdir(s.env["XDG_CONFIG_HOME"]), "a portable copy keeps its list in its own folder only")


def main():
    if len(sys.argv) != 3:
        print(__doc__)
        return 2
    if missing(["sh"]):
        return 1
    for test in (commands, printing, lambda s: portable(s, os.path.abspath(sys.argv[2]))):
        s = Session(os.path.abspath(sys.argv[1]))
        try:
            test(s)
        finally:
            s.close()
    return summary()


if __name__ == "__main__":
    sys.exit(main())
