"""Speed-up of two threads over one for dnorm, pgamma and rgamma.

The same work (CALLS calls on POINTS points each) is done by one thread, then
split between two threads that run at once; the speed-up is the wall time of
one thread over the wall time of two (2.0 at best).  The two sides alternate
and the medians of REPEATS runs are reported.  On a shared machine other
processes take cores too: the figures are noisy and nothing here asserts a
speed-up.  Each thread samples from an engine of its own.

    .venv/bin/python bench/threads.py [--repeats N]
"""
import argparse
import statistics
import threading
import time

import numpy as np

import pradix
from machine import processor

POINTS = 100_000
CALLS = 40

x = np.linspace(-4.0, 4.0, POINTS)
WORK = {
    "dnorm": lambda engine: pradix.dnorm(x, 0.5, 2.0),
    "pgamma": lambda engine: pradix.pgamma(x + 4.5, 2.5, 1.5),
    "rgamma": lambda engine: pradix.rgamma(2.5, 1.5, POINTS, engine=engine),
}


def run(work, threads):
    """Wall time of CALLS calls of `work`, split evenly over `threads` threads."""
    barrier = threading.Barrier(threads + 1)

    def part(seed):
        engine = pradix.Engine(seed)
        barrier.wait()
        for _ in range(CALLS // threads):
            work(engine)

    pool = [threading.Thread(target=part, args=(k,)) for k in range(threads)]
    for t in pool:
        t.start()
    barrier.wait()
    start = time.perf_counter()
    for t in pool:
        t.join()
    return time.perf_counter() - start


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--repeats", type=int, default=7)
    args = parser.parse_args()
    print(f"{processor()}, {POINTS} points x {CALLS} calls, wall time, medians of {args.repeats}")
    print(f"{'function':8} {'1 thread':>10} {'2 threads':>10} {'speed-up':>9}")
    for name, work in WORK.items():
        run(work, 1)  # warm-up
        one, two = [], []
        for _ in range(args.repeats):
            one.append(run(work, 1))
            two.append(run(work, 2))
        t1, t2 = statistics.median(one), statistics.median(two)
        print(f"{name:8} {t1 * 1e3:8.1f}ms {t2 * 1e3:8.1f}ms {t1 / t2:8.2f}x")


if __name__ == "__main__":
    main()
