#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Kills and storms: the program killed at random moments of its changes, then many --next at once, on
GNOME's settings store with a slow gsettings. Afterwards the settings file is whole, no temporary is
left, the desktop's file exists, and every --next that exited 0 stands for one change made.

Usage: storm_e2e.py PROGRAM [KILLS CLIENTS WIDTHxHEIGHT]
"""
import configparser
import os
import random
import re
import signal
import subprocess
import sys
import time

from e2e_support import check, main, wait_for


def storm(s, program, kills="10", clients="30", size="3000x2000"):
    program = os.path.abspath(program)
    folder, log = s.app_folder + "/", os.path.join(s.root, "applied")
    os.makedirs(folder)
    # A desktop that takes its time, so that kills land inside its call too; every file it is given is logged.
    tools = os.path.join(s.root, "bin")
    os.makedirs(tools)
    with open(os.path.join(tools, "gsettings"), "w") as f:
        f.write(f'#!/bin/sh\n{subprocess.getoutput("command -v gsettings")} "$@" || exit\n'
                f'case "$3" in picture-uri) echo "$4" >> {log}; sleep 0.3;; esac\n')
    os.chmod(os.path.join(tools, "gsettings"), 0o755)
    s.env.update(PATH=tools + ":" + s.env["PATH"], GSETTINGS_BACKEND="keyfile")
    for i, colour in enumerate(["red", "blue"]):
        s.run("convert", "-size", size, f"gradient:{colour}-white", "-quality", "90", f"{folder}{i}.jpg")
    s.run("convert", "-size", "8x8", "xc:magenta", f"BMP3:{folder}badimage.bmp")
    with open(folder + "tessdesk.ini", "w") as f:
        f.write(f"[total]\ntotal=2\n[images]\n0={folder}0.jpg\n1={folder}1.jpg\n[display]\nimageNum=0\n"
                "displayType=0\nsequenceType=0\n[time]\ntimeOption=1\ntimeHour=1\nChangeTime=2030-01-01\n"
                "[desktop]\nbackend=gnome\n[tessaly]\nfirstRun=False\n")

    def shown():  # the file the desktop was last told to show
        uri = s.run("gsettings", "get", "org.gnome.desktop.background", "picture-uri").stdout.strip()
        return re.sub(r"^'file://|'$", "", uri) if uri.startswith("'file://") else None

    def start():
        running = s.spawn([program])
        ready = wait_for(lambda: s.run(program, "--status").returncode == 0, 20)
        return running if ready else None

    chance = random.Random(int(kills) * 7919)
    lost = 0
    for _ in range(int(kills)):
        running = start()
        if not running:
            break
        # The desktop's file must still be there after the last run was killed and this one started.
        lost += shown() is not None and not os.path.isfile(shown())
        client = subprocess.Popen([program, "--next"], env=s.env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        time.sleep(chance.uniform(0.2, 1.2))
        running.send_signal(signal.SIGKILL)
        running.wait()
        client.wait(30)
    check(running is not None, f"the program started again after each of {kills} kills")
    check(lost == 0, f"the desktop's file was there after every kill ({lost} missing)")

    running = start()
    check(s.run(program, "--next").returncode == 0, "a change after the kills is applied")
    check(configparser.ConfigParser(strict=False, interpolation=None).read(folder + "tessdesk.ini")
          and s.ini("display", "imageNum") in ("0", "1"), "the settings file is whole, its index valid")
    names = os.listdir(folder)
    check(not [n for n in names if n.startswith(".")], f"no temporaries left: {[n for n in names if n.startswith('.')]}")
    copies = [n for n in names if re.fullmatch(r"tessaly-\d+\.bmp", n)]
    check(len(copies) <= 2 and os.path.isfile(shown() or ""), f"{len(copies)} copies, the one shown is there")

    # Many at once: each exit 0 is one change made, each refusal says why.
    before = len(open(log).read().split())
    burst = [subprocess.Popen([program, "--next"], env=s.env, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                              text=True) for _ in range(int(clients))]
    replies = [(p.wait(120), p.stderr.read()) for p in burst]
    applied = len(open(log).read().split()) - before
    done = sum(code == 0 for code, _ in replies)
    refusals = {err for code, err in replies if code != 0}
    check(done == applied and done >= 1, f"{clients} at once: {done} exits 0 for {applied} changes")
    check(refusals <= {"tessaly: a change is already waiting\n"}, f"the others were told: {refusals}")
    check(running.poll() is None and s.run(program, "--status").returncode == 0, "the program still answers")


if __name__ == "__main__":
    sys.exit(main(storm, ["convert", "gsettings"], len(sys.argv) - 1 if len(sys.argv) == 5 else 1))
