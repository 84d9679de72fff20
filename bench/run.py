"""Speed of pradix against SciPy / NumPy on the same inputs, in one run.

    .venv/bin/python bench/run.py [--n N] [--rounds R] [name ...]
    .venv/bin/python bench/run.py --goals     # the speed targets against their peers
    .venv/bin/python bench/run.py --readme    # the same rows, written into README.md

Every time is the CPU time of the calling thread (time.thread_time) of one
call, pradix and its peer measured alternately round after round, so that a
busy spell of the machine hits both; the figures are medians over the
rounds, and the ratio is pradix / peer (below 1: pradix is faster).  Calls
that take microseconds are timed in loops.  The default table has every
function against SciPy / NumPy (the samplers against NumPy's Generator
drawing as many variates); --goals the speed targets, each against the call
a user would otherwise make, with the goal; --readme writes those rows, the
processor and the lane target into README.md between
`<!-- performance: begin -->` and `<!-- performance: end -->`.
"""
import argparse
import datetime
import os
import statistics
import time

import numpy as np
import scipy.special as sc
import scipy.stats as st

import per_point
import pradix
from machine import ROOT, lane_target, processor

README = os.path.join(ROOT, "README.md")
BEGIN, END = "<!-- performance: begin -->", "<!-- performance: end -->"
N, ROUNDS = 100_000, 15


# ---------------------------------------------------------------- timing

def thread_seconds(fn, number):
    """CPU time of the calling thread for one call of fn, over `number` calls."""
    t0 = time.thread_time()
    for _ in range(number):
        fn()
    return (time.thread_time() - t0) / number


def loops_for(fn, target=0.01):
    """Calls per sample so that a sample takes about `target` seconds."""
    one = max(thread_seconds(fn, 1), 1e-7)
    return max(1, min(100_000, int(target / one)))


def alternate(ours, peer, rounds):
    """Per-round times of two calls measured alternately (which goes first
    alternates too): (pradix times, peer times)."""
    n_ours, n_peer = loops_for(ours), loops_for(peer)
    t_ours, t_peer = [], []
    for r in range(rounds):
        pair = ((ours, n_ours, t_ours), (peer, n_peer, t_peer))
        for fn, number, out in (pair if r % 2 == 0 else pair[::-1]):
            out.append(thread_seconds(fn, number))
    return t_ours, t_peer


def summary(t_ours, t_peer):
    """Median times, the median of the per-round ratios and their quartiles."""
    ratios = sorted(a / b for a, b in zip(t_ours, t_peer))
    q = statistics.quantiles(ratios, n=4) if len(ratios) > 1 else [ratios[0]] * 3
    return {"ours": statistics.median(t_ours), "peer": statistics.median(t_peer), "ratio": q[1], "low": q[0],
            "high": q[2]}


def duration(s):
    for unit, scale in (("s", 1), ("ms", 1e-3), ("µs", 1e-6), ("ns", 1e-9)):
        if s >= scale:
            return f"{s / scale:.3g} {unit}"
    return f"{s * 1e9:.3g} ns"


# ---------------------------------------------------------------- inputs and cases

def inputs(n):
    """Points of each kind, the same in every run: normal, gamma-distributed,
    probabilities, Poisson and binomial counts, points in (0, 1)."""
    rng = np.random.default_rng(1)
    return (rng.normal(size=n), rng.gamma(2.0, size=n), rng.uniform(0.001, 0.999, size=n),
            rng.poisson(4.0, size=n), rng.binomial(20, 0.3, size=n), rng.uniform(0.001, 0.999, size=n))


def cases(n):
    x, xp, u, k, kb, xb = inputs(n)
    g = np.random.default_rng(2)
    # name: (pradix call, reference call)
    return {
        "dnorm": (lambda: pradix.dnorm(x, 0.5, 2.0), lambda: st.norm.pdf(x, 0.5, 2.0)),
        "dbern": (lambda: pradix.dbern(k % 2, 0.3), lambda: st.bernoulli.pmf(k % 2, 0.3)),
        "dbeta": (lambda: pradix.dbeta(xb, 2.0, 3.0), lambda: st.beta.pdf(xb, 2.0, 3.0)),
        "dbinom": (lambda: pradix.dbinom(kb, 20, 0.3), lambda: st.binom.pmf(kb, 20, 0.3)),
        "dcauchy": (lambda: pradix.dcauchy(x, 0.5, 2.0), lambda: st.cauchy.pdf(x, 0.5, 2.0)),
        "dchisq": (lambda: pradix.dchisq(xp, 3.0), lambda: st.chi2.pdf(xp, 3.0)),
        "dexp": (lambda: pradix.dexp(xp, 2.0), lambda: st.expon.pdf(xp, scale=0.5)),
        "df": (lambda: pradix.df(xp, 3.0, 7.0), lambda: st.f.pdf(xp, 3.0, 7.0)),
        "dgamma": (lambda: pradix.dgamma(xp, 2.5, 1.5), lambda: st.gamma.pdf(xp, 2.5, scale=1.5)),
        "dinvgamma": (lambda: pradix.dinvgamma(xp, 2.5, 1.5), lambda: st.invgamma.pdf(xp, 2.5, scale=1.5)),
        "dlaplace": (lambda: pradix.dlaplace(x, 0.5, 2.0), lambda: st.laplace.pdf(x, 0.5, 2.0)),
        "dlnorm": (lambda: pradix.dlnorm(xp, 0.5, 2.0), lambda: st.lognorm.pdf(xp, 2.0, scale=np.exp(0.5))),
        "dlogis": (lambda: pradix.dlogis(x, 0.5, 2.0), lambda: st.logistic.pdf(x, 0.5, 2.0)),
        "dpois": (lambda: pradix.dpois(k, 4.0), lambda: st.poisson.pmf(k, 4.0)),
        "dt": (lambda: pradix.dt(x, 5.0), lambda: st.t.pdf(x, 5.0)),
        "dunif": (lambda: pradix.dunif(x, -1.0, 2.0), lambda: st.uniform.pdf(x, -1.0, 3.0)),
        "dweibull": (lambda: pradix.dweibull(xp, 1.5, 2.0), lambda: st.weibull_min.pdf(xp, 1.5, scale=2.0)),
        "pnorm": (lambda: pradix.pnorm(x, 0.5, 2.0), lambda: st.norm.cdf(x, 0.5, 2.0)),
        "pbern": (lambda: pradix.pbern(k % 2, 0.3), lambda: st.bernoulli.cdf(k % 2, 0.3)),
        "pbeta": (lambda: pradix.pbeta(xb, 2.0, 3.0), lambda: st.beta.cdf(xb, 2.0, 3.0)),
        "pbinom": (lambda: pradix.pbinom(kb, 20, 0.3), lambda: st.binom.cdf(kb, 20, 0.3)),
        "pcauchy": (lambda: pradix.pcauchy(x, 0.5, 2.0), lambda: st.cauchy.cdf(x, 0.5, 2.0)),
        "pchisq": (lambda: pradix.pchisq(xp, 3.0), lambda: st.chi2.cdf(xp, 3.0)),
        "pexp": (lambda: pradix.pexp(xp, 2.0), lambda: st.expon.cdf(xp, scale=0.5)),
        "pf": (lambda: pradix.pf(xp, 3.0, 7.0), lambda: st.f.cdf(xp, 3.0, 7.0)),
        "pgamma": (lambda: pradix.pgamma(xp, 2.5, 1.5), lambda: st.gamma.cdf(xp, 2.5, scale=1.5)),
        "pinvgamma": (lambda: pradix.pinvgamma(xp, 2.5, 1.5), lambda: st.invgamma.cdf(xp, 2.5, scale=1.5)),
        "plaplace": (lambda: pradix.plaplace(x, 0.5, 2.0), lambda: st.laplace.cdf(x, 0.5, 2.0)),
        "plnorm": (lambda: pradix.plnorm(xp, 0.5, 2.0), lambda: st.lognorm.cdf(xp, 2.0, scale=np.exp(0.5))),
        "plogis": (lambda: pradix.plogis(x, 0.5, 2.0), lambda: st.logistic.cdf(x, 0.5, 2.0)),
        "ppois": (lambda: pradix.ppois(k, 4.0), lambda: st.poisson.cdf(k, 4.0)),
        "pt": (lambda: pradix.pt(x, 5.0), lambda: st.t.cdf(x, 5.0)),
        "punif": (lambda: pradix.punif(x, -1.0, 2.0), lambda: st.uniform.cdf(x, -1.0, 3.0)),
        "pweibull": (lambda: pradix.pweibull(xp, 1.5, 2.0), lambda: st.weibull_min.cdf(xp, 1.5, scale=2.0)),
        "qnorm": (lambda: pradix.qnorm(u, 0.5, 2.0), lambda: st.norm.ppf(u, 0.5, 2.0)),
        "qbern": (lambda: pradix.qbern(u, 0.3), lambda: st.bernoulli.ppf(u, 0.3)),
        "qbeta": (lambda: pradix.qbeta(u, 2.0, 3.0), lambda: st.beta.ppf(u, 2.0, 3.0)),
        "qbinom": (lambda: pradix.qbinom(u, 20, 0.3), lambda: st.binom.ppf(u, 20, 0.3)),
        "qcauchy": (lambda: pradix.qcauchy(u, 0.5, 2.0), lambda: st.cauchy.ppf(u, 0.5, 2.0)),
        "qchisq": (lambda: pradix.qchisq(u, 3.0), lambda: st.chi2.ppf(u, 3.0)),
        "qexp": (lambda: pradix.qexp(u, 2.0), lambda: st.expon.ppf(u, scale=0.5)),
        "qf": (lambda: pradix.qf(u, 3.0, 7.0), lambda: st.f.ppf(u, 3.0, 7.0)),
        "qgamma": (lambda: pradix.qgamma(u, 2.5, 1.5), lambda: st.gamma.ppf(u, 2.5, scale=1.5)),
        "qinvgamma": (lambda: pradix.qinvgamma(u, 2.5, 1.5), lambda: st.invgamma.ppf(u, 2.5, scale=1.5)),
        "qlaplace": (lambda: pradix.qlaplace(u, 0.5, 2.0), lambda: st.laplace.ppf(u, 0.5, 2.0)),
        "qlnorm": (lambda: pradix.qlnorm(u, 0.5, 2.0), lambda: st.lognorm.ppf(u, 2.0, scale=np.exp(0.5))),
        "qlogis": (lambda: pradix.qlogis(u, 0.5, 2.0), lambda: st.logistic.ppf(u, 0.5, 2.0)),
        "qpois": (lambda: pradix.qpois(u, 4.0), lambda: st.poisson.ppf(u, 4.0)),
        "qt": (lambda: pradix.qt(u, 5.0), lambda: st.t.ppf(u, 5.0)),
        "qunif": (lambda: pradix.qunif(u, -1.0, 2.0), lambda: st.uniform.ppf(u, -1.0, 3.0)),
        "qweibull": (lambda: pradix.qweibull(u, 1.5, 2.0), lambda: st.weibull_min.ppf(u, 1.5, scale=2.0)),
        "rnorm": (lambda: pradix.rnorm(0.5, 2.0, n), lambda: g.normal(0.5, 2.0, n)),
        "rbern": (lambda: pradix.rbern(0.3, n), lambda: g.binomial(1, 0.3, n)),
        "rbeta": (lambda: pradix.rbeta(2.0, 3.0, n), lambda: g.beta(2.0, 3.0, n)),
        "rbinom": (lambda: pradix.rbinom(20, 0.3, n), lambda: g.binomial(20, 0.3, n)),
        "rcauchy": (lambda: pradix.rcauchy(0.5, 2.0, n), lambda: 0.5 + 2.0 * g.standard_cauchy(n)),
        "rchisq": (lambda: pradix.rchisq(3.0, n), lambda: g.chisquare(3.0, n)),
        "rexp": (lambda: pradix.rexp(2.0, n), lambda: g.exponential(0.5, n)),
        "rf": (lambda: pradix.rf(3.0, 7.0, n), lambda: g.f(3.0, 7.0, n)),
        "rgamma": (lambda: pradix.rgamma(2.5, 1.5, n), lambda: g.gamma(2.5, 1.5, n)),
        "rinvgamma": (lambda: pradix.rinvgamma(2.5, 1.5, n), lambda: 1.0 / g.gamma(2.5, 1 / 1.5, n)),
        "rlaplace": (lambda: pradix.rlaplace(0.5, 2.0, n), lambda: g.laplace(0.5, 2.0, n)),
        "rlnorm": (lambda: pradix.rlnorm(0.5, 2.0, n), lambda: g.lognormal(0.5, 2.0, n)),
        "rlogis": (lambda: pradix.rlogis(0.5, 2.0, n), lambda: g.logistic(0.5, 2.0, n)),
        "rpois": (lambda: pradix.rpois(4.0, n), lambda: g.poisson(4.0, n)),
        "rt": (lambda: pradix.rt(5.0, n), lambda: g.standard_t(5.0, n)),
        "runif": (lambda: pradix.runif(-1.0, 2.0, n), lambda: g.uniform(-1.0, 2.0, n)),
        "rweibull": (lambda: pradix.rweibull(1.5, 2.0, n), lambda: 2.0 * g.weibull(1.5, n)),
    }


def goals(n):
    """The speed targets, each against the peer a user would otherwise call on the same inputs, in groups:
    (group title, [(call as shown, peer as shown, pradix call, peer call, goal)]).  A row may also compare
    pradix with itself (a large call against a small one: the peer is then the small call)."""
    x, xp, u, k, kb, xb = inputs(n)
    mt = np.random.Generator(np.random.MT19937(2))
    mt1 = np.random.Generator(np.random.MT19937(3))
    engine = pradix.Engine(3)
    return [
        (f"{n:,} points, scalar parameters", [
            ("`dnorm`", "`scipy.stats.norm.pdf`", lambda: pradix.dnorm(x, 0.5, 2.0),
             lambda: st.norm.pdf(x, 0.5, 2.0), 1.5),
            ("`dgamma`", "`scipy.stats.gamma.pdf`", lambda: pradix.dgamma(xp, 2.5, 1.5),
             lambda: st.gamma.pdf(xp, 2.5, scale=1.5), 1.5),
            ("`dbeta`", "`scipy.stats.beta.pdf`", lambda: pradix.dbeta(xb, 2.0, 3.0),
             lambda: st.beta.pdf(xb, 2.0, 3.0), 1.0),
            ("`dt`", "`scipy.stats.t.pdf`", lambda: pradix.dt(x, 5.0), lambda: st.t.pdf(x, 5.0), 1.0),
            ("`dlogis`", "`scipy.stats.logistic.pdf`", lambda: pradix.dlogis(x, 0.5, 2.0),
             lambda: st.logistic.pdf(x, 0.5, 2.0), 2.0),
            ("`dbinom`, counts 0 to 20", "`scipy.stats.binom.pmf`", lambda: pradix.dbinom(kb, 20, 0.3),
             lambda: st.binom.pmf(kb, 20, 0.3), 0.5),
            ("`dpois`, counts 0 to 15", "`scipy.stats.poisson.pmf`", lambda: pradix.dpois(k, 4.0),
             lambda: st.poisson.pmf(k, 4.0), 0.5),
            ("`pbinom`, counts 0 to 20", "`scipy.stats.binom.cdf`", lambda: pradix.pbinom(kb, 20, 0.3),
             lambda: st.binom.cdf(kb, 20, 0.3), 0.5),
            ("`pnorm`", "`scipy.special.ndtr`", lambda: pradix.pnorm(x, 0.5, 2.0),
             lambda: sc.ndtr((x - 0.5) / 2.0), 4.0),
            ("`pgamma`", "`scipy.special.gammainc`", lambda: pradix.pgamma(xp, 2.5, 1.5),
             lambda: sc.gammainc(2.5, xp / 1.5), 4.0),
            ("`pbeta`", "`scipy.special.betainc`", lambda: pradix.pbeta(xb, 2.0, 3.0),
             lambda: sc.betainc(2.0, 3.0, xb), 8.0),
            ("`pt`", "`scipy.special.stdtr`", lambda: pradix.pt(x, 5.0), lambda: sc.stdtr(5.0, x), 1.5),
            ("`plogis`", "`scipy.stats.logistic.cdf`", lambda: pradix.plogis(x, 0.5, 2.0),
             lambda: st.logistic.cdf(x, 0.5, 2.0), 1.5),
            ("`pweibull`", "`scipy.stats.weibull_min.cdf`", lambda: pradix.pweibull(xp, 1.5, 2.0),
             lambda: st.weibull_min.cdf(xp, 1.5, scale=2.0), 4.0),
            ("`qnorm`", "`scipy.special.ndtri`", lambda: pradix.qnorm(u), lambda: sc.ndtri(u), 120.0),
            ("`qlnorm(u, 0, 1)`", "`numpy.exp(scipy.special.ndtri(u))`", lambda: pradix.qlnorm(u, 0.0, 1.0),
             lambda: np.exp(sc.ndtri(u)), 120.0),
            ("`qt(u, 5)`", "`scipy.special.stdtrit`", lambda: pradix.qt(u, 5.0), lambda: sc.stdtrit(5.0, u), 2.0),
            ("`qgamma`", "`scipy.special.gammaincinv`", lambda: pradix.qgamma(u, 2.5, 1.5),
             lambda: sc.gammaincinv(2.5, u) * 1.5, 6.0),
            ("`qbeta`", "`scipy.special.betaincinv`", lambda: pradix.qbeta(u, 2.0, 3.0),
             lambda: sc.betaincinv(2.0, 3.0, u), 4.0),
            ("`runif`", "`Generator(MT19937).uniform`", lambda: pradix.runif(-1.0, 2.0, n),
             lambda: mt.uniform(-1.0, 2.0, n), 2.5),
            ("`rnorm`", "`Generator(MT19937).normal`", lambda: pradix.rnorm(0.0, 1.0, n),
             lambda: mt.normal(0.0, 1.0, n), 2.0),
            ("`rgamma`", "`Generator(MT19937).gamma`", lambda: pradix.rgamma(2.5, 1.5, n),
             lambda: mt.gamma(2.5, 1.0 / 1.5, n), 2.5),
            ("`rbinom(20, 0.3)`", "`Generator(MT19937).binomial`", lambda: pradix.rbinom(20, 0.3, n),
             lambda: mt.binomial(20, 0.3, n), 3.0),
            ("`rexp`", "`Generator(MT19937).exponential`", lambda: pradix.rexp(2.0, n),
             lambda: mt.exponential(0.5, n), 6.0),
        ]),
        (f"{n:,} points, parameters per point", per_point_goals(n)),
        ("One call", [
            ("`dnorm(0.3)`", "`scipy.special.ndtr(0.3)`", lambda: pradix.dnorm(0.3), lambda: sc.ndtr(0.3), 1.2),
            ("`pgamma(2.0, 2.5, 1.5)`", "`scipy.special.gammainc(2.5, 2.0 / 1.5)`",
             lambda: pradix.pgamma(2.0, 2.5, 1.5), lambda: sc.gammainc(2.5, 2.0 / 1.5), 2.0),
            ("`rnorm(engine=e)`", "`g.normal()`", lambda: pradix.rnorm(engine=engine), lambda: mt1.normal(), 1.5),
            ("`pbinom(n // 2, n, 0.5)`, n = 10^8", "the same at n = 10^6 (pradix)",
             lambda: pradix.pbinom(10**8 // 2, 10**8, 0.5), lambda: pradix.pbinom(10**6 // 2, 10**6, 0.5), 30.0),
            ("`qbinom(0.5, n, 0.5)`, n = 10^8", "the same at n = 10^6 (pradix)",
             lambda: pradix.qbinom(0.5, 10**8, 0.5), lambda: pradix.qbinom(0.5, 10**6, 0.5), 30.0),
        ]),
    ]


def per_point_goals(n):
    """The rows of bench/per_point.py that have a peer and a goal (parameters drawn per point, grids, the
    binomial sums), as goal rows."""
    return [(f"`{label}`", f"`{peer_label}`", ours, peer, goal)
            for label, ours, peer_label, peer, goal, _ in per_point.rows(n)
            if peer is not None and goal is not None]


# ---------------------------------------------------------------- reports

def measure_goals(n, rounds, log=None):
    """(group title, [(call, peer, summary, goal)])."""
    out = []
    for title, rows in goals(n):
        measured = []
        for call, peer, ours, ref, goal in rows:
            s = summary(*alternate(ours, ref, rounds))
            measured.append((call, peer, s, goal))
            if log:
                log(call, peer, s, goal)
        out.append((title, measured))
    return out


def readme_block(groups, n, rounds):
    lines = [BEGIN, "<!-- Written by bench/run.py --readme; measure again rather than edit. -->", ""]
    lines.append(f"`bench/run.py --readme` measured these on {processor()} ({os.cpu_count()} logical cores, "
                 f"shared with other work), lane target `{lane_target()}`, {datetime.date.today().isoformat()}: "
                 f"the CPU time of the calling thread for one call, pradix and its peer alternately, median of "
                 f"{rounds} rounds, {n:,} points unless stated.  The ratio is pradix / peer (below 1: pradix is "
                 "faster), with the quartiles of the per-round ratios beside.")
    lines += ["", "| call | peer | ratio | quartiles | pradix | peer |", "|---|---|---:|---:|---:|---:|"]
    for title, rows in groups:
        lines.append(f"| **{title}** | | | | | |")
        for call, peer, s, _ in rows:
            lines.append(f"| {call} | {peer} | {s['ratio']:.2f} | {s['low']:.2f} to {s['high']:.2f} "
                         f"| {duration(s['ours'])} | {duration(s['peer'])} |")
    lines.append(END)
    return "\n".join(lines)


def write_readme(block, path=README):
    with open(path, encoding="utf-8") as f:
        text = f.read()
    a, b = text.index(BEGIN), text.index(END) + len(END)
    with open(path, "w", encoding="utf-8") as f:
        f.write(text[:a] + block + text[b:])


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("--n", type=int, default=N, help=f"points per call (default {N:,})")
    ap.add_argument("--rounds", type=int, default=ROUNDS, help=f"rounds, medians taken over them (default {ROUNDS})")
    ap.add_argument("--goals", action="store_true", help="only the speed targets, against their peers")
    ap.add_argument("--readme", action="store_true", help="measure the targets and write the README's table")
    ap.add_argument("names", nargs="*")
    opts = ap.parse_args()
    if opts.goals or opts.readme:
        print(f"goals: n = {opts.n}, median of {opts.rounds} rounds, pradix and peer alternately, "
              f"{processor()}, lane target {lane_target()}")
        print(f"{'call':<28} {'peer':<44} {'pradix':>10} {'peer':>10} {'ratio':>6} {'goal':>5}")

        def log(call, peer, s, goal):
            mark = "ok" if s["ratio"] <= goal else "MISS"
            print(f"{call.replace('`', ''):<28} {peer.replace('`', ''):<44} {duration(s['ours']):>10} "
                  f"{duration(s['peer']):>10} {s['ratio']:>6.2f} {goal:>5.1f} {mark}", flush=True)

        groups = measure_goals(opts.n, opts.rounds, log)
        if opts.readme:
            write_readme(readme_block(groups, opts.n, opts.rounds))
            print(f"wrote the table into {README}")
        return
    table = cases(opts.n)
    names = opts.names or list(table)
    print(f"n = {opts.n}, median of {opts.rounds} rounds, pradix and reference alternately")
    print(f"{'function':<10} {'pradix':>10} {'reference':>10} {'ratio':>7}")
    for name in names:
        if not hasattr(pradix, name):
            continue
        s = summary(*alternate(*table[name], opts.rounds))
        print(f"{name:<10} {duration(s['ours']):>10} {duration(s['peer']):>10} {s['ratio']:>7.2f}", flush=True)
        if name == "pnorm":
            # SciPy's bare special function on the standardised argument, beside.
            x = inputs(opts.n)[0]
            s = summary(*alternate(table[name][0], lambda: sc.ndtr((x - 0.5) / 2.0), opts.rounds))
            print(f"{'  ndtr':<10} {'':>10} {duration(s['peer']):>10} {s['ratio']:>7.2f}", flush=True)


if __name__ == "__main__":
    main()
