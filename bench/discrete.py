"""Binomial sums against SciPy, and how their cost grows with the number of
trials.

    .venv/bin/python bench/discrete.py [--repeat R]

Rows (pradix / peer; below 1 means pradix is faster):
- pbinom(k, n[], p[]) with n in 1000-5000, p in 0.05-0.95 and k drawn from
  each point's distribution, 10,000 points, against scipy.special.bdtr;
- pbinom on 10,000 points drawn from Binomial(10^6, 0.5), against bdtr;
- one pbinom(n/2, n, 0.5): its time at n = 10^8 over its time at n = 10^6;
- one qbinom(0.5, n, 0.5): the same ratio;
and the peak memory of qbinom(0.5, 10**8, 0.5) in a process of its own,
over that of a process that only imports pradix.

Times are CPU time of the calling thread (time.thread_time), the two sides
of a row alternating, the median of R rounds.  The processor is named.
"""
import argparse
import subprocess
import sys
import time

import numpy as np
from scipy.special import bdtr

import pradix
from machine import processor


def cpu_time(fn):
    t0 = time.thread_time()
    fn()
    return time.thread_time() - t0


def alternate(a, b, repeat):
    """Medians of the CPU times of a and b, run one after the other."""
    ta, tb = [], []
    for _ in range(repeat):
        ta.append(cpu_time(a))
        tb.append(cpu_time(b))
    return float(np.median(ta)), float(np.median(tb))


def rows():
    rng = np.random.default_rng(1)
    n = rng.integers(1000, 5001, 10000)
    p = rng.uniform(0.05, 0.95, 10000)
    k = rng.binomial(n, p)
    bulk = rng.binomial(10**6, 0.5, 10000)
    # (label, pradix or the larger case, the peer or the smaller case, kind)
    return [
        ("pbinom(k, n[], p[]), n 1000-5000, 10,000 points / bdtr",
         lambda: pradix.pbinom(k, n, p), lambda: bdtr(k, n, p), "peer"),
        ("pbinom on 10,000 points of Binomial(10^6, 0.5) / bdtr",
         lambda: pradix.pbinom(bulk, 10**6, 0.5), lambda: bdtr(bulk, 10**6, 0.5), "peer"),
        ("one pbinom(n/2, n, 0.5): time at n = 10^8 / at 10^6",
         lambda: pradix.pbinom(5 * 10**7, 10**8, 0.5), lambda: pradix.pbinom(5 * 10**5, 10**6, 0.5), "growth"),
        ("one qbinom(0.5, n, 0.5): time at n = 10^8 / at 10^6",
         lambda: pradix.qbinom(0.5, 10**8, 0.5), lambda: pradix.qbinom(0.5, 10**6, 0.5), "growth"),
    ]


def peak_megabytes(statement):
    script = (f"import resource, pradix\n{statement}\n"
              "print(resource.getrusage(resource.RUSAGE_SELF).ru_maxrss)\n")
    done = subprocess.run([sys.executable, "-c", script], capture_output=True, text=True, check=True)
    return int(done.stdout.split()[-1]) / 1024


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--repeat", type=int, default=7)
    opts = parser.parse_args()
    print(f"processor: {processor()}; pradix lanes and numbers as built; median of {opts.repeat}, CPU time")
    for label, a, b, kind in rows():
        a(), b()  # warm up: imports, first-use set-up
        ta, tb = alternate(a, b, opts.repeat)
        unit = "pradix / peer" if kind == "peer" else "ratio"
        print(f"{label:58s} {ta * 1e3:10.3f} ms {tb * 1e3:10.3f} ms   {unit} {ta / tb:7.2f}")
    base = peak_megabytes("pass")
    used = peak_megabytes("pradix.qbinom(0.5, 10**8, 0.5)")
    print(f"peak memory of qbinom(0.5, 10**8, 0.5): {used:.1f} MB ({used - base:.1f} MB above an idle process)")


if __name__ == "__main__":
    main()
