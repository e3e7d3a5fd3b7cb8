#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""The warm 4K change as a user meets it: `tessaly --next` of a 24 MP photo on a private 3840x2160 Xvfb,
minus the same command for a tiny picture (what every change costs whatever its picture: the client, the
bitmap write, the rest before the desktop is told), beside djpeg's full decode of the photo, alternating.
The pictures, captions and font are bench_change's own, so its "photo's own part" line is the same figure
measured inside one process.

Usage: blackbox_change.py PROGRAM BENCH_CHANGE [ROUNDS]   (needs Xvfb and djpeg)
"""
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

program = os.path.abspath(sys.argv[1])
bench = os.path.abspath(sys.argv[2])
rounds = int(sys.argv[3]) if len(sys.argv) > 3 else 9
root = tempfile.mkdtemp(prefix="tessaly-blackbox-")
folder = root + "/config/tessaly/"
env = {"PATH": os.environ["PATH"], "LC_ALL": "C.UTF-8", "HOME": root, "XDG_CONFIG_HOME": root + "/config",
       "XDG_RUNTIME_DIR": root + "/run"}
os.makedirs(folder)
os.makedirs(root + "/run", 0o700)
subprocess.run([bench, "--generate", folder], check=True, env=dict(env, QT_QPA_PLATFORM="offscreen"))
with open(folder + "tessdesk.ini", "w") as f:
    f.write(f"[total]\ntotal=2\n[images]\n0={folder}tiny.png\n1={folder}photo24.jpg\n[caption]\n0=Tiny\n"
            "1=Morning over the hills\n[display]\nimageNum=1\ndisplayType=0\n[font]\nonOffCaption=1\n"
            "captionPosition=2\nnewFontName=DejaVu Sans\nnewFontSize=20\nnewFontBold=True\n"
            "newFontForeColor=16777215\n[time]\ntimeOption=1\ntimeHour=1\nChangeTime=2030-01-01\n"
            "[desktop]\nbackend=command\ncommand=true\n[tessaly]\nfirstRun=False\n")
read, write = os.pipe()
xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write), "-noreset", "-screen", "0", "3840x2160x24"],
                        pass_fds=(write,))
os.close(write)
env["DISPLAY"] = ":" + os.fdopen(read).readline().strip()
running = subprocess.Popen([program], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
try:
    for _ in range(100):
        if subprocess.run([program, "--status"], env=env, capture_output=True).returncode == 0:
            break
        time.sleep(0.1)
    ms = {"tiny": [], "photo": [], "djpeg": []}
    for i in range(2 * rounds + 2):  # the first two warm the program up; the list alternates tiny, photo
        start = time.monotonic()
        subprocess.run([program, "--next"], env=env, check=True, capture_output=True)
        if i >= 2:
            ms["tiny" if i % 2 == 0 else "photo"].append((time.monotonic() - start) * 1000)
        if i % 2:
            start = time.monotonic()
            subprocess.run(["djpeg", "-outfile", "/dev/null", folder + "photo24.jpg"], check=True)
            ms["djpeg"].append((time.monotonic() - start) * 1000)
    tiny, photo, djpeg = (statistics.median(ms[k]) for k in ("tiny", "photo", "djpeg"))
    print(f"--next, medians of {rounds}: tiny picture {tiny:.1f} ms, 24 MP photo {photo:.1f} ms; the photo's own "
          f"part {photo - tiny:.1f} ms against djpeg's full decode {djpeg:.1f} ms = {(photo - tiny) / djpeg:.2f}x "
          f"(target <= 0.75)")
finally:
    subprocess.run([program, "--quit"], env=env, capture_output=True)
    running.wait(10)
    xvfb.terminate()
    shutil.rmtree(root, ignore_errors=True)
