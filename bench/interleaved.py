#!/usr/bin/env python3
"""Times two commands in alternation (A, B, A, B, ...) after one warm-up run of each, so that a
change of machine load during the run falls on both alike. Prints, for each, the median wall
time and the median CPU time (user + system, from the child's own resource use), and the
ratios B / A.

Usage: interleaved.py RUNS 'COMMAND A' 'COMMAND B'   (each command split on spaces)
"""
import os
import statistics
import subprocess
import sys
import time


def run(argv):
    start = time.perf_counter()
    child = subprocess.Popen(argv, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    _, _, usage = os.wait4(child.pid, 0)
    return time.perf_counter() - start, usage.ru_utime + usage.ru_stime


def main():
    runs = int(sys.argv[1])
    commands = [c.split() for c in sys.argv[2:4]]
    for argv in commands:
        run(argv)
    wall = [[], []]
    cpu = [[], []]
    for _ in range(runs):
        for i, argv in enumerate(commands):
            w, c = run(argv)
            wall[i].append(w)
            cpu[i].append(c)
    mw = [statistics.median(w) for w in wall]
    mc = [statistics.median(c) for c in cpu]
    for i, label in enumerate("AB"):
        print(f"  {label}: wall {mw[i]:.3f} s, CPU {mc[i]:.3f} s   {' '.join(commands[i][:4])} ...")
    print(f"  B / A: wall {mw[1] / mw[0]:.2f}, CPU {mc[1] / mc[0]:.2f}")


if __name__ == "__main__":
    main()
