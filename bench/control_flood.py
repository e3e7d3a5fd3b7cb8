#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Prints what 10,000 hostile clients of the control socket cost the running program: its resident
memory and open files before and after, and whether it still answers. Each round opens more idle
clients than the program keeps (the rest are closed at once), hangs up before replies, sends garbage
and lines over the bound; the last round's idle clients are left for the program's deadline to drop.

Usage: bench/control_flood.py PROGRAM [CLIENTS]   (the program runs on Qt's offscreen screen)
"""
import os
import socket
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))
from e2e_support import Session, wait_for  # noqa: E402

ROUND = 100  # clients per round: 40 idle, 20 that hang up, 20 garbage, 20 over-long lines


def resident(pid):
    with open(f"/proc/{pid}/status") as status:
        return next(int(line.split()[1]) for line in status if line.startswith("VmRSS:"))


def files(pid):
    return len(os.listdir(f"/proc/{pid}/fd"))


def round_of_clients(path, refused):
    idle = []
    for i in range(ROUND):
        client = socket.socket(socket.AF_UNIX)
        try:
            client.connect(path)
            if i < 40:
                idle.append(client)
                continue
            client.sendall(b"status\n" if i < 60 else os.urandom(64) + b"\n" if i < 80 else b"x" * 5000)
        except OSError:
            refused[0] += 1
        client.close()
    return idle


def flood(s, program, clients="10000"):
    program = os.path.abspath(program)
    # A program with its pictures and nothing to ask at start: a first start's questions would hold
    # the commands back.
    data = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "data")
    os.makedirs(s.app_folder)
    with open(os.path.join(s.app_folder, "tessdesk.ini"), "w") as f:
        f.write(f"[total]\ntotal=1\n[images]\n0={data}/image1.gif\n[time]\ntimeOption=1\ntimeHour=1\n"
                "ChangeTime=2030-01-01\n[desktop]\nbackend=command\ncommand=true\n[tessaly]\nfirstRun=False\n")
    running = s.spawn([program])
    if not wait_for(lambda: s.run(program, "--status").returncode == 0):
        sys.exit("the program did not start")
    path = os.path.join(s.env["XDG_RUNTIME_DIR"], "tessaly.socket")
    time.sleep(2)  # the start's own work done, the memory settled
    before = resident(running.pid), files(running.pid)
    refused, start = [0], time.monotonic()
    for _ in range(int(clients) // ROUND - 1):
        for client in round_of_clients(path, refused):
            client.close()
    last = round_of_clients(path, refused)
    # The program's deadline drops the idle ones it kept: each then reads the end of the stream.
    for client in last:
        client.settimeout(30)
        try:
            while client.recv(4096):
                pass
        except OSError:
            pass
        client.close()
    elapsed = time.monotonic() - start
    time.sleep(2)
    after = resident(running.pid), files(running.pid)
    answers = s.run(program, "--status").returncode == 0
    print(f"{clients} clients in {elapsed:.1f} s ({refused[0]} refused by the kernel's queue)")
    print(f"resident memory: {before[0]} kB before, {after[0]} kB after ({after[0] - before[0]:+d} kB)")
    print(f"open files: {before[1]} before, {after[1]} after")
    print(f"socket file still there: {os.path.exists(path)}; --status answers: {answers}")


if __name__ == "__main__":
    if len(sys.argv) not in (2, 3):
        sys.exit(__doc__)
    session = Session(xvfb=False)
    try:
        flood(session, *sys.argv[1:])
    finally:
        session.close()
