#!/usr/bin/env python3
"""The first search of a fresh process, as an interface times it: each run starts the program, sends "uci",
a position and "isready", then "go movetime T", and measures from writing "go" to reading "bestmove". Also
shows how long "uci" took to answer "uciok" and "isready" to answer "readyok" (where the tables are paged in).
Busy processes beside the runs stand for a loaded machine; --idle leaves the memory idle between runs.

Usage: bench/firstsearch.py [-n RUNS] [--busy N] [--movetime MS] [--idle S] [--no-isready] [PROGRAM...]
       (defaults: 20 runs, 3 busy processes, movetime 10, no idle time, build/orvex)
"""

import argparse
import os
import statistics
import subprocess
import sys
import tempfile
import time

POSITION = "position startpos moves e2e4 e7e5 g1f3 b8c6"


def read_until(proc, word, limit=30.0):
    """Reads lines until one starts with the word; the time it arrived."""
    deadline = time.monotonic() + limit
    while time.monotonic() < deadline:
        line = proc.stdout.readline()
        if not line:
            sys.exit("the program ended before %r" % word)
        if line.startswith(word):
            return time.monotonic()
    sys.exit("no %r within %s s" % (word, limit))


def send(proc, line):
    proc.stdin.write(line + "\n")
    proc.stdin.flush()
    return time.monotonic()


def one_run(program, movetime, isready, workdir):
    proc = subprocess.Popen(program, stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True, cwd=workdir)
    try:
        t = send(proc, "uci")
        uci = read_until(proc, "uciok") - t
        send(proc, POSITION)
        ready = None
        if isready:
            t = send(proc, "isready")
            ready = read_until(proc, "readyok") - t
        t = send(proc, "go movetime %d" % movetime)
        search = read_until(proc, "bestmove") - t
        send(proc, "quit")
        proc.wait(timeout=10)
        return uci, ready, search
    finally:
        if proc.poll() is None:
            proc.kill()


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("-n", type=int, default=20, help="runs")
    parser.add_argument("--busy", type=int, default=3, help="busy processes beside the runs")
    parser.add_argument("--movetime", type=int, default=10, help="milliseconds of the search")
    parser.add_argument("--idle", type=float, default=0.0, help="seconds of idle time before each run")
    parser.add_argument("--no-isready", dest="isready", action="store_false", help="send no isready")
    parser.add_argument("program", nargs="*", default=["build/orvex"])
    args = parser.parse_args()
    program = [os.path.abspath(p) if os.path.isfile(p) else p for p in args.program]

    busy = [subprocess.Popen(["sh", "-c", "while :; do :; done"]) for _ in range(args.busy)]
    try:
        with tempfile.TemporaryDirectory() as workdir:
            runs = []
            for i in range(args.n):
                if args.idle:
                    time.sleep(args.idle)
                uci, ready, search = one_run(program, args.movetime, args.isready, workdir)
                runs.append((uci, ready, search))
                print("run %2d: uci %5.1f ms, isready %s, go movetime %d -> bestmove %5.1f ms"
                      % (i + 1, uci * 1000, "%5.1f ms" % (ready * 1000) if ready is not None else "   -    ",
                         args.movetime, search * 1000))
    finally:
        for p in busy:
            p.kill()
    searches = [r[2] * 1000 for r in runs]
    within = sum(1 for s in searches if s <= 2 * args.movetime)
    print("first search: median %.1f ms, longest %.1f ms, %d of %d within %d ms"
          % (statistics.median(searches), max(searches), within, len(searches), 2 * args.movetime))
    if args.isready:
        readies = [r[1] * 1000 for r in runs]
        print("isready: median %.1f ms, longest %.1f ms" % (statistics.median(readies), max(readies)))
    ucis = [r[0] * 1000 for r in runs]
    print("uci: median %.1f ms, longest %.1f ms" % (statistics.median(ucis), max(ucis)))


if __name__ == "__main__":
    main()
