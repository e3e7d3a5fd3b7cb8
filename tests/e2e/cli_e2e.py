#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""The program's command line on Qt's offscreen screen: each command against a running copy (its effect
and exit status), --add (several at once with none running, a folder that cannot be written), a watched
folder (pictures copied in, deleted, renamed, the folder gone and back), a killed copy's socket, two copies
started at once, the exit codes with none running.

Usage: cli_e2e.py PROGRAM
"""
import os
import signal
import subprocess
import sys
import time

from e2e_support import check, main, wait_for

NOT_RUNNING = "Tessaly is not running\n"


def command_line(s, program):
    s.program = program = os.path.abspath(program)
    folder, log = s.app_folder + "/", os.path.join(s.root, "log")
    open(log, "w").close()
    # Two pictures, no change due before 2030, and a desktop command that logs each change.
    os.makedirs(folder)
    with open(folder + "tessdesk.ini", "w") as f:
        f.write(f"[total]\ntotal=2\n[images]\n0={folder}image1.gif\n1={folder}image2.gif\n[caption]\n0=First\n"
                "1=\n[font]\ndefaultCaption={name} ({index}/{total}) {{x}} {y}\n[display]\nimageNum=0\ndisplayType=0\nsequenceType=0\n[time]\ntimeOption=1\n"
                f'timeHour=1\nChangeTime=2030-01-01\n[desktop]\nbackend=command\ncommand=sh -c "echo $0 $1 >> {log}"\n'
                "[tessaly]\nfirstRun=False\n")
    running = s.spawn([program])
    check(wait_for(lambda: s.run(program, "--status").returncode == 0), "a running copy answers --status")

    def status(picture, caption, due="2030-01-01 00:00:00"):
        return 0, f"picture: {folder}{picture}\ncaption: {caption}\nnext change: {due}\npictures: 2\n" \
            "watching: 0 folders\n", ""

    ok = (0, "", "")
    for option, reply, changes in [
            ("--status", status("image1.gif", "First"), 0), ("--next", ok, 1),
            ("--status", status("image2.gif", "image2 (2/2) {x} {y}"), 1), ("--previous", ok, 2),
            ("--status", status("image1.gif", "First"), 2),
            ("--previous", (1, "", "tessaly: no earlier picture was shown since Tessaly started\n"), 2),
            ("--pause", ok, 2), ("--status", status("image1.gif", "First", "paused"), 2), ("--resume", ok, 2),
            ("--status", status("image1.gif", "First"), 2), ("--settings", ok, 2), ("--quit", ok, 2)]:
        result = s.run(program, option)
        check((result.returncode, result.stdout, result.stderr) == reply
              and open(log).read() == f"{folder}tessaly.bmp Stretch\n" * changes,
              f"{option}: exit {result.returncode}, {changes} changes")
    check(wait_for(lambda: running.poll() is not None) and running.returncode == 0, "--quit ends it with 0")
    add_pictures(s, program, folder)

    # A second start shows the running copy's settings window, where changes wait: this comes last.
    # Its changes outlast their clients, and freed memory is scribbled over: a client that hangs up
    # before its reply must cost nothing.
    with open(folder + "tessdesk.ini") as f:
        settings = f.read()
    with open(folder + "tessdesk.ini", "w") as f:
        f.write(settings.replace('command=sh -c "', 'command=sh -c "sleep 1; '))
    s.env["MALLOC_PERTURB_"] = "165"
    killed = s.spawn([program])
    wait_for(lambda: s.run(program, "--status").returncode == 0)
    done = open(log).read().count("\n")
    for changes in range(done + 1, done + 4):
        s.run("timeout", "0.3", program, "--next")
        wait_for(lambda: open(log).read().count("\n") == changes)
    check(killed.poll() is None and s.run(program, "--status").returncode == 0,
          "--next whose client is killed before the reply: the copy runs on and answers")
    del s.env["MALLOC_PERTURB_"]
    killed.send_signal(signal.SIGKILL)
    killed.wait()
    check(s.run(program, "--status").stderr == NOT_RUNNING, "the socket a killed copy left answers nothing")
    a, b = s.spawn([program]), s.spawn([program])
    left = wait_for(lambda: a if a.poll() is not None else b if b.poll() is not None else None)
    check(left and left.returncode == 0 and s.run(program, "--status").returncode == 0,
          "of two copies started at once one ends with 0, the other runs")

    # With nothing running and no folder of its own, which none of these may make.
    home = os.path.join(s.root, "nobody")
    s.env.update(HOME=home, XDG_RUNTIME_DIR=home + "/run")
    del s.env["XDG_CONFIG_HOME"]
    for args, code, out, err in [(["--help"], 0, "Usage: tessaly", ""), (["--version"], 0, "Tessaly 1.1.0", ""),
                                 (["--nexr"], 2, "", "Usage: tessaly"), (["--next", "--quit"], 2, "", "Usage"),
                                 (["--next"], 1, "", NOT_RUNNING)]:
        result = s.run(program, *args)
        check(result.returncode == code and out in result.stdout and err in result.stderr
              and bool(result.stdout) == bool(out) and bool(result.stderr) == bool(err) and not os.path.exists(home),
              f"{' '.join(args)}: exit {result.returncode}, no folder made")


GIF = (b"GIF89a\x01\x00\x01\x00\x80\x00\x00\x00\x00\x00\xff\xff\xff!\xf9\x04\x01\x00\x00\x00\x00,\x00\x00"
       b"\x00\x00\x01\x00\x01\x00\x00\x02\x02D\x01\x00;")


def add_pictures(s, program, folder):
    """--add with no copy running starts one; folders give their subfolders' pictures sorted by path."""
    pictures = os.path.join(s.root, "Pictures")
    for name, data in [("Trip/b.gif", GIF), ("Trip/Day 2/a.gif", GIF), ("c.GIF", GIF), ("notes.txt", b"text")]:
        os.makedirs(os.path.dirname(os.path.join(pictures, name)), exist_ok=True)
        with open(os.path.join(pictures, name), "wb") as f:
            f.write(data)
    notes, missing = os.path.join(pictures, "notes.txt"), os.path.join(s.root, "missing.jpg")
    start = time.monotonic()
    result = s.run(program, "--add", pictures)
    check((result.returncode, result.stdout, result.stderr) == (0, "added 3, already in the list 0\n", ""),
          f"--add FOLDER with none running: started, exit {result.returncode}, {result.stdout!r} {result.stderr!r}"
          f" in {time.monotonic() - start:.1f} s")
    check([s.ini("total", "total")] + [s.ini("images", str(i)) for i in range(2, 5)]
          == ["5"] + [os.path.join(pictures, n) for n in ("c.GIF", "Trip/b.gif", "Trip/Day 2/a.gif")],
          "the list saved at once, sorted by path, subfolders included")
    result = s.run(program, "--add", os.path.join(pictures, "c.GIF"), notes, missing, os.path.join(pictures, "Trip"))
    check((result.returncode, result.stdout) == (1, "added 0, already in the list 3\n")
          and result.stderr == f"tessaly: {missing}: no such file or folder\ntessaly: {notes}: not a picture\n",
          f"--add with duplicates, a text file and a missing path: exit {result.returncode}, {result.stderr!r}")
    result = s.run(program, "--add")
    check(result.returncode == 2 and "--add needs at least one file or folder" in result.stderr, "--add alone: usage")
    check(s.run(program, "--quit").returncode == 0
          and wait_for(lambda: s.run(program, "--status").stderr == NOT_RUNNING), "the copy --add started ends")
    add_at_once(s, program, folder)


def add_at_once(s, program, folder):
    """Several --add at once with none running start one copy, in the tray; a save that fails is answered."""
    more = [os.path.join(s.root, "more", f"{i}.gif") for i in range(4)]
    os.makedirs(os.path.dirname(more[0]))
    for picture in more:
        with open(picture, "wb") as f:
            f.write(GIF)
    adders = [subprocess.Popen([program, "--add", picture], env=s.env, stdout=subprocess.PIPE,
                               stderr=subprocess.PIPE, text=True) for picture in more[:3]]
    replies = [(adder.wait(60), adder.stdout.read(), adder.stderr.read()) for adder in adders]
    copies = session_copies(s, program)
    stored = {s.ini("images", str(i)) for i in range(int(s.ini("total", "total")))}
    check(replies == [(0, "added 1, already in the list 0\n", "")] * 3 and set(more[:3]) <= stored
          and len(copies) == 1 and not s.run(program, "--status").stdout.endswith("paused\n"),
          f"three --add at once with none running: {replies}, {len(copies)} copies, changes not held")
    check(s.run(program, "--quit").returncode == 0
          and wait_for(lambda: s.run(program, "--status").stderr == NOT_RUNNING), "that copy ends")

    # A copy whose folder is read-only: the add is refused at once with the file and the reason, and nothing
    # of it is kept, as a second try once the folder can be written shows.
    bound = s.spawn(["unshare", "-m", "sh", "-c", 'mount --bind "$0" "$0" && mount -o remount,bind,ro "$0" '
                     '&& exec "$1"', folder, program])
    wait_for(lambda: s.run(program, "--status").returncode == 0)
    start = time.monotonic()
    result = s.run("timeout", "10", program, "--add", more[3])
    took = time.monotonic() - start
    check(result.returncode == 1 and f"nothing was added: Could not save {folder}tessdesk.ini" in result.stderr
          and "Read-only file system" in result.stderr,
          f"--add to a read-only folder: exit {result.returncode} in {took:.1f} s, {result.stderr!r}")
    s.run("nsenter", "-t", str(bound.pid), "-m", "mount", "-o", "remount,bind,rw", folder)
    result = s.run(program, "--add", more[3])
    check((result.returncode, result.stdout) == (0, "added 1, already in the list 0\n"),
          f"once it can be written, the same add: exit {result.returncode}, {result.stdout!r}")
    s.run(program, "--quit")
    check(wait_for(lambda: bound.poll() is not None), "and that copy ends")
    watch_folder(s, program)


def watch_folder(s, program):
    """--watch: the list follows the folder within seconds; a folder gone keeps its pictures, passed over."""
    watched, old = os.path.join(s.root, "Watched"), time.time() - 3600
    os.makedirs(watched + "/sub")
    for name in ("a.gif", "b.gif", "sub/c.gif"):
        with open(os.path.join(watched, name), "wb") as f:
            f.write(GIF)
        os.utime(os.path.join(watched, name), (old, old))
    result = s.run(program, "--watch", watched)
    check((result.returncode, result.stdout) == (0, "added 3, already in the list 0\n"),
          f"--watch FOLDER: exit {result.returncode}, {result.stdout!r} {result.stderr!r}")
    total = int(s.ini("total", "total"))
    first = total - 3

    def listed():
        return [s.ini("images", str(i)) for i in range(first, int(s.ini("total", "total")))]

    def settled(want, what):
        start = time.monotonic()
        got = wait_for(lambda: listed() == [os.path.join(watched, n) for n in want], timeout=15)
        check(got and time.monotonic() - start < 8, f"{what}: {listed()} after {time.monotonic() - start:.1f} s")

    status = s.run(program, "--status").stdout
    check(f"pictures: {total}\nwatching: 1 folders\n" in status and s.ini("folders", "0") == watched,
          f"--status counts the pictures and the folder, [folders] holds it: {status!r}")
    for i in range(40):  # a burst copied in, the last still being written when the copy ends
        with open(os.path.join(watched, f"new{i:02}.gif"), "wb") as f:
            f.write(GIF)
    new = [f"new{i:02}.gif" for i in range(40)]
    settled(["a.gif", "b.gif", "sub/c.gif"] + new, "a burst copied in joins after the folder's pictures")
    os.remove(os.path.join(watched, "a.gif"))
    settled(["b.gif", "sub/c.gif"] + new, "a deleted picture leaves the list")
    os.rename(os.path.join(watched, "b.gif"), os.path.join(watched, "sub/z.gif"))
    settled(["sub/z.gif", "sub/c.gif"] + new, "a renamed picture keeps its place")
    os.rename(watched, watched + ".away")
    time.sleep(3)
    shown = [s.run(program, "--next").returncode == 0
             and watched not in s.run(program, "--status").stdout for _ in range(6)]
    status = s.run(program, "--status").stdout
    check(listed() == [os.path.join(watched, n) for n in ["sub/z.gif", "sub/c.gif"] + new] and all(shown)
          and "watching: 1 folders (1 polled)" in status,
          f"a folder gone: its pictures kept and passed over, {shown}, {status!r}")
    os.rename(watched + ".away", watched)
    s.run(program, "--next")  # polled at each change
    check(wait_for(lambda: "watching: 1 folders\n" in s.run(program, "--status").stdout, timeout=10),
          "the folder back: watched again")
    result = s.run(program, "--unwatch", watched)
    check(result.returncode == 0 and "watching: 0 folders" in s.run(program, "--status").stdout
          and s.ini("folders", "0") is None and len(listed()) == 42,
          f"--unwatch: exit {result.returncode}, the pictures stay as plain entries")
    s.run(program, "--quit")


def session_copies(s, program):
    """The copies of the program running in this session: other tests may run the same build at once."""
    mine = f"XDG_RUNTIME_DIR={s.env['XDG_RUNTIME_DIR']}".encode()
    copies = []
    for pid in filter(str.isdigit, os.listdir("/proc")):
        try:
            with open(f"/proc/{pid}/cmdline", "rb") as f:
                argv = f.read().split(b"\0")
            with open(f"/proc/{pid}/environ", "rb") as f:
                environment = f.read().split(b"\0")
        except OSError:
            continue
        if argv[0] == program.encode() and mine in environment:
            copies.append(pid)
    return copies


if __name__ == "__main__":
    sys.exit(main(command_line, ["sh", "unshare", "nsenter"], 1))
