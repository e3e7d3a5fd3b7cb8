#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Prints what a watched tree of tiny pictures costs the running program: the first look at it (from the
start until the list holds its pictures), the slowest --status answer meanwhile, the resident memory at
rest with and without the tree watched, and the wake-ups (context switches of every thread) and CPU time
over a window in which nothing changes. One picture deleted is timed until the list is saved without it.

Usage: bench/watch_cost.py PROGRAM [FOLDERS] [PER_FOLDER] [IDLE_SECONDS]
       (defaults 5000 x 10 pictures, 30 s; the program runs on Qt's offscreen screen)
"""
import os
import socket
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))
from e2e_support import Session, wait_for  # noqa: E402

GIF = (b"GIF89a\x01\x00\x01\x00\x80\x00\x00\x00\x00\x00\xff\xff\xff!\xf9\x04\x01\x00\x00\x00\x00,\x00\x00"
       b"\x00\x00\x01\x00\x01\x00\x00\x02\x02D\x01\x00;")


def proc(pid):
    with open(f"/proc/{pid}/status") as f:
        resident = next(int(line.split()[1]) for line in f if line.startswith("VmRSS:"))
    switches = {}
    for task in os.listdir(f"/proc/{pid}/task"):  # every thread's, by thread
        with open(f"/proc/{pid}/task/{task}/status") as f:
            switches[task] = sum(int(line.split()[1]) for line in f if "ctxt_switches" in line)
    with open(f"/proc/{pid}/stat") as f:
        ticks = sum(int(x) for x in f.read().rsplit(")", 1)[1].split()[11:13])
    return resident / 1024, switches, ticks / os.sysconf("SC_CLK_TCK")


def woken(before, after):
    """Context switches between two looks, of the threads there at the second (a thread new since counts whole)."""
    return sum(count - before.get(task, 0) for task, count in after.items())


def settings(s, tree, watched):
    folder = s.app_folder
    os.makedirs(folder, exist_ok=True)
    ini = os.path.join(folder, "tessdesk.ini")
    if not watched:  # the list the watching run saved, the folder no longer watched
        with open(ini) as f:
            kept = f.read().split("[folders]")[0]
        with open(ini, "w") as f:
            f.write(kept)
        return
    with open(ini, "w") as f:
        f.write(f"[total]\ntotal=1\n[images]\n0={folder}/image1.gif\n[display]\nimageNum=0\n[time]\ntimeOption=1\n"
                "timeHour=1\nChangeTime=2030-01-01\n[desktop]\nbackend=command\ncommand=true\n"
                f"[tessaly]\nfirstRun=False\n[folders]\n0={tree}\n")


def status_ms(s, program):
    """The running copy's answer to status on its socket, timed without a client program's own start."""
    start = time.monotonic()
    with socket.socket(socket.AF_UNIX) as client:
        client.connect(os.path.join(s.env["XDG_RUNTIME_DIR"], "tessaly.socket"))
        client.sendall(b"status\n")
        out = b""
        while not out.endswith(b"\n") or out.count(b"\n") < 6:
            chunk = client.recv(4096)
            if not chunk:
                break
            out += chunk
    return (time.monotonic() - start) * 1000, out.decode()


def run(s, program, tree, watched, idle):
    settings(s, tree, watched)
    start = time.monotonic()
    copy = s.spawn([program])
    wait_for(lambda: s.run(program, "--status").returncode == 0)
    slowest, looked = 0.0, None
    print(f"  --status answered in {status_ms(s, program)[0]:.1f} ms once started", flush=True)
    while watched and time.monotonic() - start < 600:
        took, out = status_ms(s, program)
        slowest = max(slowest, took)
        if "pictures: 1\n" not in out and "pictures: " in out:
            looked = time.monotonic() - start
            break
        time.sleep(0.05)
    time.sleep(3)  # the memory given back a second after start, the look's garbage freed
    rss0, switches0, cpu0 = proc(copy.pid)
    time.sleep(idle)
    rss1, switches1, cpu1 = proc(copy.pid)
    pictures = status_ms(s, program)[1].split("pictures: ")[1].split("\n")[0]
    print(f"{'watching' if watched else 'not watching'}: {pictures} pictures in the list"
          + (f", first look done {looked:.2f} s after start, slowest --status meanwhile {slowest:.0f} ms"
             if watched else "")
          + f"; at rest {rss1:.1f} MiB resident, {woken(switches0, switches1)} wake-ups and {cpu1 - cpu0:.2f} s CPU"
            f" in {idle} s", flush=True)
    if watched:  # the list is full (32,767): a picture deleted leaves it, and one not taken yet takes its place
        ini = os.path.join(s.app_folder, "tessdesk.ini")
        gone = os.path.join(tree, "f0", "0.gif")
        start = time.monotonic()
        os.remove(gone)
        took = wait_for(lambda: gone not in open(ini).read(), timeout=30) and time.monotonic() - start
        print(f"a picture deleted: the list saved after {took:.2f} s" if took else "a picture deleted: not seen")
    s.run(program, "--quit")
    copy.wait(30)
    return rss1


def bench(s, program, folders="5000", per_folder="10", idle="30"):
    program = os.path.abspath(program)
    tree = os.path.join(s.root, "tree")
    start = time.monotonic()
    for i in range(int(folders)):
        os.makedirs(os.path.join(tree, f"f{i}"))
        for j in range(int(per_folder)):
            path = os.path.join(tree, f"f{i}", f"{j}.gif")
            with open(path, "wb") as f:
                f.write(GIF)
            os.utime(path, (0, 1_600_000_000))
    print(f"{int(folders) * int(per_folder)} pictures in {folders} folders made in {time.monotonic() - start:.1f} s", flush=True)
    with_tree = run(s, program, tree, True, int(idle))
    without = run(s, program, tree, False, int(idle))
    print(f"resident memory watching the tree: {with_tree - without:+.1f} MiB (target <= +10)")


if __name__ == "__main__":
    if not 2 <= len(sys.argv) <= 5:
        print(__doc__)
        sys.exit(2)
    session = Session(False)
    try:
        bench(session, *sys.argv[1:])
    finally:
        session.close()
