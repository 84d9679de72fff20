"""The samplers against NumPy's Generator(MT19937) drawing as many variates.

    .venv/bin/python bench/samplers.py [--n N] [--rounds R] [name ...]

One row per sampler: pradix's call with size=N on its engine against the
Generator's method of the same distribution and parameters with size=N
(ratio pradix / NumPy; below 1 means pradix is faster).  Times are CPU time
of the calling thread (time.thread_time), the two sides alternating round
after round, the median of R rounds.  The processor and the lane target are
named.  Names restrict the table to the rows whose call starts with them.
"""
import argparse
import statistics
import time

import numpy as np

import pradix
from machine import lane_target, processor


def rows(n):
    e = pradix.Engine(1)
    g = np.random.Generator(np.random.MT19937(1))
    # (label, pradix, NumPy)
    return [
        ("rnorm(0, 1) / normal", lambda: pradix.rnorm(0, 1, n, engine=e), lambda: g.normal(0, 1, n)),
        ("rexp(1.5) / exponential", lambda: pradix.rexp(1.5, n, engine=e), lambda: g.exponential(1 / 1.5, n)),
        ("rbinom(20, 0.3) / binomial", lambda: pradix.rbinom(20, 0.3, n, engine=e), lambda: g.binomial(20, 0.3, n)),
        ("rgamma(2.5, 1.5) / gamma", lambda: pradix.rgamma(2.5, 1.5, n, engine=e), lambda: g.gamma(2.5, 1.5, n)),
        ("rgamma(0.5, 1) / gamma", lambda: pradix.rgamma(0.5, 1, n, engine=e), lambda: g.gamma(0.5, 1, n)),
        ("rlnorm(0, 1) / lognormal", lambda: pradix.rlnorm(0, 1, n, engine=e), lambda: g.lognormal(0, 1, n)),
        ("rchisq(3) / chisquare", lambda: pradix.rchisq(3, n, engine=e), lambda: g.chisquare(3, n)),
        ("rt(5) / standard_t", lambda: pradix.rt(5, n, engine=e), lambda: g.standard_t(5, n)),
        ("rbeta(2, 3) / beta", lambda: pradix.rbeta(2, 3, n, engine=e), lambda: g.beta(2, 3, n)),
        ("rf(3, 5) / f", lambda: pradix.rf(3, 5, n, engine=e), lambda: g.f(3, 5, n)),
        ("rweibull(2, 1) / weibull", lambda: pradix.rweibull(2, 1, n, engine=e), lambda: g.weibull(2, n)),
        ("rcauchy(0, 1) / standard_cauchy", lambda: pradix.rcauchy(0, 1, n, engine=e),
         lambda: g.standard_cauchy(n)),
        ("runif(0, 1) / uniform", lambda: pradix.runif(0, 1, n, engine=e), lambda: g.uniform(0, 1, n)),
        ("rpois(3.5) / poisson", lambda: pradix.rpois(3.5, n, engine=e), lambda: g.poisson(3.5, n)),
    ]


def cpu_time(fn):
    t0 = time.thread_time()
    fn()
    return time.thread_time() - t0


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("--n", type=int, default=100_000)
    ap.add_argument("--rounds", type=int, default=9)
    ap.add_argument("names", nargs="*")
    args = ap.parse_args()
    print(f"processor: {processor()}; lane target: {lane_target()}; "
          f"{args.n:,} variates, median of {args.rounds} rounds, thread CPU time")
    print(f"{'call':36s} {'pradix ms':>10s} {'NumPy ms':>10s} {'ratio':>7s}")
    for label, ours, peer in rows(args.n):
        if args.names and not any(label.startswith(name) for name in args.names):
            continue
        ours(), peer()  # warm
        a, b = [], []
        for _ in range(args.rounds):
            a.append(cpu_time(ours))
            b.append(cpu_time(peer))
        ma, mb = statistics.median(a), statistics.median(b)
        print(f"{label:36s} {ma * 1e3:10.3f} {mb * 1e3:10.3f} {ma / mb:7.2f}", flush=True)


if __name__ == "__main__":
    main()
