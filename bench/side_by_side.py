#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
# Copyright 2026 ZRV Player developers
"""Times two commands side by side as whole processes.

  side_by_side.py RUNS LABEL 'ZRV COMMAND' 'MKV COMMAND'

After one warm-up run each (caches, plugin registries, the page cache), the
pair runs in turn (ZRV, MKV, ZRV, MKV, ...) RUNS times. Each run is timed from
the kernel's own accounting: wall clock, and user plus system time of the
process and all its threads. Prints the medians of both and the median of the
pair-by-pair ratios, which holds up better than a ratio of medians when the
machine's speed drifts.
"""
import os
import shlex
import statistics
import subprocess
import sys
import time


def run(command):
    """Wall and CPU seconds of one run."""
    start = time.perf_counter()
    child = subprocess.Popen(shlex.split(command), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    _, status, usage = os.wait4(child.pid, 0)
    wall = time.perf_counter() - start
    if status != 0:
        sys.exit(f"{command}: exit status {status}")
    return wall, usage.ru_utime + usage.ru_stime


def main():
    runs, label, ours, theirs = int(sys.argv[1]), sys.argv[2], sys.argv[3], sys.argv[4]
    run(ours), run(theirs)
    a, b = [], []
    for _ in range(runs):
        a.append(run(ours))
        b.append(run(theirs))
    med = statistics.median
    ratio = lambda i: med(x[i] / y[i] for x, y in zip(a, b))
    print(f"{label:<28} ZRV {med(x[0] for x in a):6.3f} s wall {med(x[1] for x in a):6.3f} s CPU | "
          f"MKV {med(x[0] for x in b):6.3f} s wall {med(x[1] for x in b):6.3f} s CPU | "
          f"{ratio(0):.2f} x wall, {ratio(1):.2f} x CPU")


if __name__ == "__main__":
    main()
