"""The normal quantile family and the distribution functions run in blocks:
pradix against the call a user would otherwise make, on the same inputs.

    .venv/bin/python bench/blocks.py [--n N] [--rounds R] [row ...]

Times are the CPU time of the calling thread for one call (time.thread_time),
pradix and its peer alternating round by round, the median of the per-round
ratios kept (quartiles beside); the ratio is pradix / peer (below 1: pradix
is faster) and is set against the goal where a row has one.  The processor
and the lane target in use (PRADIX_ISA, or the module's choice) are printed
first.  The machine may be shared: repeat runs and read the spread.
"""
import argparse

import numpy as np
import scipy.special as sc
import scipy.stats as st

import pradix
from machine import lane_target, processor
from run import alternate, duration, inputs, summary


def rows(n):
    """(call, peer, pradix call, peer call, goal or None)."""
    y, x, u = inputs(n)[:3]
    return [
        ("qnorm(u)", "ndtri(u)", lambda: pradix.qnorm(u), lambda: sc.ndtri(u), 120.0),
        ("qlnorm(u, 0, 1)", "exp(ndtri(u))", lambda: pradix.qlnorm(u, 0.0, 1.0), lambda: np.exp(sc.ndtri(u)), 120.0),
        ("qt(u, 5)", "stdtrit(5, u)", lambda: pradix.qt(u, 5.0), lambda: sc.stdtrit(5.0, u), 2.0),
        ("qbeta(u, 2, 3)", "betaincinv(2, 3, u)", lambda: pradix.qbeta(u, 2.0, 3.0),
         lambda: sc.betaincinv(2.0, 3.0, u), 4.0),
        ("qpois(u, 30)", "poisson.ppf(u, 30)", lambda: pradix.qpois(u, 30.0), lambda: st.poisson.ppf(u, 30.0), None),
        ("pt(y, 5)", "stdtr(5, y)", lambda: pradix.pt(y, 5.0), lambda: sc.stdtr(5.0, y), 1.5),
        ("plogis(y)", "logistic.cdf(y)", lambda: pradix.plogis(y, 0.0, 1.0), lambda: st.logistic.cdf(y), 1.5),
        ("pweibull(x, 1.5, 2)", "weibull_min.cdf", lambda: pradix.pweibull(x, 1.5, 2.0),
         lambda: st.weibull_min.cdf(x, 1.5, scale=2.0), 4.0),
        ("pnorm(y)", "ndtr(y)", lambda: pradix.pnorm(y), lambda: sc.ndtr(y), 7.0),
        ("pexp(x, 2)", "expon.cdf", lambda: pradix.pexp(x, 2.0), lambda: st.expon.cdf(x, scale=0.5), None),
        ("plaplace(y, 0.5, 2)", "laplace.cdf", lambda: pradix.plaplace(y, 0.5, 2.0),
         lambda: st.laplace.cdf(y, 0.5, 2.0), None),
        ("pcauchy(y, 0.5, 2)", "cauchy.cdf", lambda: pradix.pcauchy(y, 0.5, 2.0),
         lambda: st.cauchy.cdf(y, 0.5, 2.0), None),
        ("plnorm(x, 0.5, 2)", "lognorm.cdf", lambda: pradix.plnorm(x, 0.5, 2.0),
         lambda: st.lognorm.cdf(x, 2.0, scale=np.exp(0.5)), None),
        ("pf(x, 3, 7)", "fdtr(3, 7, x)", lambda: pradix.pf(x, 3.0, 7.0), lambda: sc.fdtr(3.0, 7.0, x), None),
        ("pinvgamma(x, 2.5, 1.5)", "invgamma.cdf", lambda: pradix.pinvgamma(x, 2.5, 1.5),
         lambda: st.invgamma.cdf(x, 2.5, scale=1.5), None),
    ]


def main():
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("--n", type=int, default=100_000, help="points per call (default 100,000)")
    ap.add_argument("--rounds", type=int, default=9, help="alternating rounds per row (default 9)")
    ap.add_argument("only", nargs="*", help="rows whose call starts with one of these words")
    opts = ap.parse_args()
    print(f"processor: {processor()}; lane target: {lane_target()}")
    print(f"{opts.n:,} points; CPU time of the calling thread, pradix and peer alternating, "
          f"median of {opts.rounds} rounds")
    print(f"{'call':<24} {'peer':<22} {'pradix':>10} {'peer':>10} {'ratio':>7} {'quartiles':>13} {'goal':>6}")
    for call, peer, ours, ref, goal in rows(opts.n):
        if opts.only and not any(call.startswith(w) for w in opts.only):
            continue
        ours(), ref()  # warm up: first-call costs, page faults of the results
        s = summary(*alternate(ours, ref, opts.rounds))
        mark = "" if goal is None else ("ok" if s["ratio"] <= goal else "miss")
        goal_s = "" if goal is None else f"{goal:g}"
        print(f"{call:<24} {peer:<22} {duration(s['ours']):>10} {duration(s['peer']):>10} {s['ratio']:>7.2f} "
              f"{s['low']:>6.2f}-{s['high']:<6.2f} {goal_s:>6} {mark}", flush=True)


if __name__ == "__main__":
    main()
