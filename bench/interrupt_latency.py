"""How long Ctrl-C takes to stop a long call of the main thread while other
threads keep busy.

Each trial starts a fresh process whose main thread runs a search of some
2^31 steps (`qbinom(0.5, 2**62, 0.5)`, which releases the interpreter lock)
while THREADS other threads run either Python loops (they hold the lock in
turns, so the main thread must wait for it to run the signal handler) or
long pradix calls (which release it).  After a random delay the parent sends
SIGINT and the child reads CLOCK_MONOTONIC (one clock for both processes)
as soon as KeyboardInterrupt reaches it; the latency is the difference.  The
median and the largest of TRIALS trials are printed per kind of busy
thread.  On a shared machine other processes take cores too.

    .venv/bin/python bench/interrupt_latency.py [--trials N] [--threads K]
"""
import argparse
import os
import random
import signal
import statistics
import subprocess
import sys
import time

from run import processor

CHILD = r'''
import signal, sys, threading, time
import numpy as np
import pradix

signal.signal(signal.SIGINT, signal.default_int_handler)
pradix.dnorm([0.0])
busy = True


def python_loop():
    n = 0
    while busy:
        n += 1


def pradix_calls():
    x = np.linspace(0.01, 0.99, 2 * 10**5)
    while busy:
        pradix.qgamma(x, 2.5, 1.0)


work = {"python": python_loop, "pradix": pradix_calls}[sys.argv[1]]
threads = [threading.Thread(target=work) for _ in range(int(sys.argv[2]))]
for t in threads:
    t.start()
print("start", flush=True)
try:
    pradix.qbinom(0.5, 2**62, 0.5)
    print("returned", flush=True)
except KeyboardInterrupt:
    print(time.clock_gettime(time.CLOCK_MONOTONIC), flush=True)
busy = False
for t in threads:
    t.join()
'''


def trial(kind, threads):
    child = subprocess.Popen([sys.executable, "-c", CHILD, kind, str(threads)], stdout=subprocess.PIPE, text=True)
    try:
        assert child.stdout.readline() == "start\n"
        time.sleep(random.uniform(0.2, 0.6))
        sent = time.clock_gettime(time.CLOCK_MONOTONIC)
        os.kill(child.pid, signal.SIGINT)
        stopped = float(child.stdout.readline())
        child.wait(timeout=60)
    finally:
        child.kill()
        child.wait()
    return stopped - sent


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--trials", type=int, default=40)
    parser.add_argument("--threads", type=int, default=8)
    args = parser.parse_args()
    random.seed(1)
    print(f"{processor()}, {os.cpu_count()} logical CPUs, {args.threads} busy threads, {args.trials} trials each")
    kinds = ("python", "pradix")
    delays = {kind: [] for kind in kinds}
    for _ in range(args.trials):
        for kind in kinds:  # alternating, so that both see the same load
            delays[kind].append(trial(kind, args.threads))
    for kind in kinds:
        d = delays[kind]
        print(f"busy threads running {kind:7}: median {1000 * statistics.median(d):.0f} ms, "
              f"largest {1000 * max(d):.0f} ms")


if __name__ == "__main__":
    main()
