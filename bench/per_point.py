"""Parameters that vary per point, and large counts: pradix against its peer.

    .venv/bin/python bench/per_point.py [--n N] [--rounds R] [--quick] [row ...]

Each row times a pradix call and the SciPy call a user would otherwise make
on the same inputs, in one process: CPU time of the calling thread
(time.thread_time), the two sides alternating round by round, the median of
the rounds kept.  The ratio is pradix / peer (below 1: pradix is faster) and
is set against the goal.  Rows marked "self" time pradix alone at two sizes
and give the ratio of the times (the pradix column holds the time at the
larger size, the peer column the time at the smaller).  The processor and the lane target in use
(PRADIX_ISA, or the best the processor runs) are printed first; the machine
is shared, so repeat runs and read the spread.

Parameters drawn per point are distinct per point (uniform over the stated
range) unless a row says "groups": those draw each point's parameters from
a few values, the case a call keeps preparations for.  --quick skips the
rows that run for seconds (the binomial sums at large n).
"""
import argparse
import os
import platform
import statistics
import time

import numpy as np
import scipy.special as sc
import scipy.stats as st

import pradix
from machine import processor


def lane_target():
    """The target the module picks: PRADIX_ISA, or the best below it that
    the processor runs (the rule of the module's lane choice)."""
    order = ["scalar", "sse2", "avx2", "avx512"]
    asked = os.environ.get("PRADIX_ISA")
    top = order.index(asked) if asked in order else len(order) - 1
    flags = set()
    try:
        with open("/proc/cpuinfo") as f:
            for line in f:
                if line.startswith("flags"):
                    flags = set(line.split(":", 1)[1].split())
                    break
    except OSError:
        pass
    runs = {"scalar": True, "sse2": platform.machine() in ("x86_64", "AMD64"), "avx2": "avx2" in flags,
            "avx512": "avx512f" in flags}
    best = next(t for t in reversed(order[:top + 1]) if runs[t])
    return best + (f" (PRADIX_ISA={asked})" if asked else "")


def thread_time(fn, number=1):
    t0 = time.thread_time()
    for _ in range(number):
        fn()
    return (time.thread_time() - t0) / number


def alternating(ours, peer, rounds):
    """Median thread times of two calls measured in alternation."""
    a, b = [], []
    for _ in range(rounds):
        a.append(thread_time(ours))
        b.append(thread_time(peer))
    return statistics.median(a), statistics.median(b)


def rows(n):
    """(label, pradix call, peer label, peer call, goal, slow); peer None: a
    "self" row whose pradix call returns the two times to divide."""
    rng = np.random.default_rng(18)
    y = rng.normal(size=n)
    mu = rng.normal(size=n)
    sigma = rng.uniform(0.5, 2.0, n)
    x = rng.gamma(2.0, 1.5, n)
    shape = rng.uniform(0.5, 9.5, n)
    xb = rng.uniform(0.001, 0.999, n)
    a = rng.uniform(0.5, 9.5, n)
    nb = rng.integers(5, 60, n)
    pb = rng.uniform(0.05, 0.95, n)
    kb = rng.binomial(nb, pb)
    rate = rng.uniform(0.5, 50.0, n)
    kp = rng.poisson(rate)
    g = rng.integers(0, 10, n)
    shape_g = np.linspace(0.5, 9.5, 10)[g]
    xg = rng.gamma(2.0, 1.5, 1000)
    sg = rng.uniform(0.5, 9.5, 100)
    m = 10_000
    nd = rng.integers(1000, 5001, m)
    pd = rng.uniform(0.05, 0.95, m)
    kd = rng.binomial(nd, pd)
    kbig = rng.binomial(10**6, 0.5, m)

    def growth(fn, small, large):
        return lambda: (thread_time(lambda: fn(large)), thread_time(lambda: fn(small)))

    return [
        ("dnorm(y, mu[], 2)", lambda: pradix.dnorm(y, mu, 2.0), "norm.pdf",
         lambda: st.norm.pdf(y, mu, 2.0), 2.0, False),
        ("dnorm(y, mu[], sigma[], log)", lambda: pradix.dnorm(y, mu, sigma, True), "norm.logpdf",
         lambda: st.norm.logpdf(y, mu, sigma), 1.5, False),
        ("dgamma(x, shape[], 1.5)", lambda: pradix.dgamma(x, shape, 1.5), "gamma.pdf",
         lambda: st.gamma.pdf(x, shape, scale=1.5), 2.5, False),
        ("dbeta(x, a[], 3)", lambda: pradix.dbeta(xb, a, 3.0), "beta.pdf",
         lambda: st.beta.pdf(xb, a, 3.0), 2.0, False),
        ("dbinom(k, n[], p[])", lambda: pradix.dbinom(kb, nb, pb), "binom.pmf",
         lambda: st.binom.pmf(kb, nb, pb), 2.0, False),
        ("dpois(k, rate[], log)", lambda: pradix.dpois(kp, rate, True), "poisson.logpmf",
         lambda: st.poisson.logpmf(kp, rate), 2.0, False),
        ("pnorm(y, mu[], 1)", lambda: pradix.pnorm(y, mu, 1.0), "ndtr(y - mu)",
         lambda: sc.ndtr(y - mu), 9.0, False),
        ("pgamma(x, shape[], 1.5)", lambda: pradix.pgamma(x, shape, 1.5), "gammainc",
         lambda: sc.gammainc(shape, x / 1.5), 2.5, False),
        ("grid dgamma 1000 x 100", lambda: pradix.dgamma(xg[:, None], sg[None, :], 1.5), "gamma.pdf",
         lambda: st.gamma.pdf(xg[:, None], sg[None, :], scale=1.5), 2.5, False),
        ("dgamma(x, shape[10 groups], 1.5)", lambda: pradix.dgamma(x, shape_g, 1.5), "gamma.pdf",
         lambda: st.gamma.pdf(x, shape_g, scale=1.5), None, False),
        ("pgamma(x, shape[10 groups], 1.5)", lambda: pradix.pgamma(x, shape_g, 1.5), "gammainc",
         lambda: sc.gammainc(shape_g, x / 1.5), None, False),
        ("pbinom(k, n[], p[]) n 1e3-5e3, 1e4 pts", lambda: pradix.pbinom(kd, nd, pd), "bdtr",
         lambda: sc.bdtr(kd, nd, pd), 20.0, True),
        ("pbinom 1e4 pts of Bin(1e6, 0.5)", lambda: pradix.pbinom(kbig, 10**6, 0.5), "bdtr",
         lambda: sc.bdtr(kbig, 10**6, 0.5), 10.0, True),
        ("pbinom(n/2, n, .5): 1e8 / 1e6", growth(lambda k: pradix.pbinom(k // 2, k, 0.5), 10**6, 10**8), None,
         None, 30.0, True),
        ("qbinom(.5, n, .5): 1e8 / 1e6", growth(lambda k: pradix.qbinom(0.5, k, 0.5), 10**6, 10**8), None,
         None, 30.0, True),
    ]


def main():
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("--n", type=int, default=100_000, help="points per call (default 100,000)")
    ap.add_argument("--rounds", type=int, default=9, help="alternating rounds per row (default 9)")
    ap.add_argument("--quick", action="store_true", help="skip the rows that take seconds")
    ap.add_argument("only", nargs="*", help="rows whose label contains one of these words")
    opts = ap.parse_args()
    print(f"processor: {processor()}; lane target: {lane_target()}")
    print(f"{opts.n} points unless stated; CPU time of the calling thread, pradix and peer alternating, "
          f"median of {opts.rounds} rounds (3 for the slow rows)")
    print(f"{'call':<40} {'peer':<15} {'pradix':>10} {'peer':>10} {'ratio':>8} {'goal':>6}")
    for label, ours, peer_label, peer, goal, slow in rows(opts.n):
        if opts.only and not any(w in label for w in opts.only):
            continue
        if slow and opts.quick:
            continue
        rounds = 3 if slow else opts.rounds
        if peer is None:
            pairs = [ours() for _ in range(rounds)]
            t_ours = statistics.median(p[0] for p in pairs)
            t_peer = statistics.median(p[1] for p in pairs)
            peer_label = "self"
        else:
            ours(), peer()  # warm up: first-call costs, page faults of the results
            t_ours, t_peer = alternating(ours, peer, rounds)
        ratio = t_ours / t_peer
        mark = "" if goal is None else ("ok" if ratio <= goal else "miss")
        goal_s = "" if goal is None else f"{goal:.1f}"
        print(f"{label:<40} {peer_label:<15} {t_ours * 1e3:>7.2f} ms {t_peer * 1e3:>7.2f} ms {ratio:>8.2f} "
              f"{goal_s:>6} {mark}", flush=True)


if __name__ == "__main__":
    main()
