#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Runs hundreds of damaged pictures through the real loader, one process each, by hand (not in CI).

Each seed of tests/fuzz/pictures is cut short, has bytes changed, and has words of its header set to
huge sizes; every file then goes through picture_load_check (best built with the asan preset), which
loads it as a change and a thumbnail would. Prints how many loaded, were refused, broke or crashed, and
the slowest and largest runs (peak resident memory of the process).

    scripts/picture-stress.py build/asan/tests/fuzz/picture_load_check [work folder]
"""
import os
import random
import subprocess
import sys
import tempfile
import time
from pathlib import Path

SEEDS = Path(__file__).resolve().parent.parent / "tests/fuzz/pictures"
HUGE = [b"\xff\xff", b"\x4e\x20", b"\xff\xdc", b"\x20\x4e", b"\xff\xff\xff\x7f", b"\x00\x00\x01\x00"]


def mutants(name, data, rng):
    """About forty-five damaged copies of one picture."""
    for share in (0.05, 0.2, 0.4, 0.6, 0.8, 0.95):
        yield f"cut{int(share * 100)}-{name}", data[: max(1, int(len(data) * share))]
    yield f"cutlast-{name}", data[:-1]
    for k in range(20):
        changed = bytearray(data)
        for _ in range(rng.choice((1, 2, 4, 16))):
            changed[rng.randrange(len(changed))] = rng.randrange(256)
        yield f"bytes{k}-{name}", bytes(changed)
    # Sizes sit in the first bytes of every format's header: claim huge ones there.
    for k in range(18):
        changed = bytearray(data)
        word = rng.choice(HUGE)
        at = rng.randrange(min(len(changed), 200) - len(word))
        changed[at : at + len(word)] = word
        yield f"claim{k}-{name}", bytes(changed)


def run(checker, path):
    """Outcome line, standard error, seconds, peak resident MiB and exit status of one checker process."""
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen",
               ASAN_OPTIONS="detect_leaks=1:allocator_may_return_null=1",
               LSAN_OPTIONS=f"suppressions={SEEDS.parent.parent / 'lsan.supp'}")
    with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
        start = time.monotonic()
        child = subprocess.Popen([checker, str(path)], stdout=out, stderr=err, env=env)
        # Reaped here rather than by Popen, for this one process's own peak memory.
        while True:
            pid, status, usage = os.wait4(child.pid, os.WNOHANG)
            if pid:
                break
            if time.monotonic() - start > 120:
                child.kill()
            time.sleep(0.01)
        seconds = time.monotonic() - start
        child.returncode = os.waitstatus_to_exitcode(status)
        out.seek(0)
        err.seek(0)
        return (out.read().decode(errors="replace").strip(), err.read().decode(errors="replace"), seconds,
                usage.ru_maxrss / 1024, child.returncode)


def main():
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    checker = sys.argv[1]
    work = Path(sys.argv[2]) if len(sys.argv) > 2 else Path(tempfile.mkdtemp(prefix="picture-stress-"))
    work.mkdir(parents=True, exist_ok=True)
    rng = random.Random(20261207)
    files = []
    for seed in sorted(SEEDS.iterdir()):
        data = seed.read_bytes()
        files.append(seed)
        if seed.name.startswith("cut-") or seed.name == "scan-flood.jpg":
            continue
        for name, bytes_ in mutants(seed.name, data, rng):
            (work / name).write_bytes(bytes_)
            files.append(work / name)
    counts = {"loaded": 0, "refused": 0, "broken": 0, "crashed": 0}
    slowest = (0.0, "")
    largest = (0.0, "")
    for path in files:
        line, err, seconds, peak, status = run(checker, path)
        if status not in (0, 1) or "ERROR: AddressSanitizer" in err or "runtime error" in err:
            counts["crashed"] += 1
            print(f"CRASH {path}: status {status}\n{err[-2000:]}")
        elif "BROKEN" in line:
            counts["broken"] += 1
            print(line)
        elif line.endswith(": ok"):
            counts["loaded"] += 1
        else:
            counts["refused"] += 1
        slowest = max(slowest, (seconds, path.name))
        largest = max(largest, (peak, path.name))
    print(f"{len(files)} files: " + ", ".join(f"{n} {k}" for k, n in counts.items()))
    print(f"slowest {slowest[0]:.2f} s ({slowest[1]}); largest peak RSS {largest[0]:.0f} MiB ({largest[1]})")
    return 1 if counts["broken"] or counts["crashed"] else 0


if __name__ == "__main__":
    sys.exit(main())
