"""Speed of pradix against SciPy / NumPy on the same inputs, in one run.

    .venv/bin/python bench/run.py [--n N] [--repeat R] [name ...]
    .venv/bin/python bench/run.py --goals     # the speed targets against their peers

For every function present, prints the best-of-R time of pradix and of the
reference on identical arguments, and their ratio (pradix / reference:
below 1 means pradix is faster).  The samplers are compared with NumPy's
Generator drawing the same number of variates.
"""
import argparse
import time

import numpy as np
import scipy.special as sc
import scipy.stats as st

import pradix


def best_time(fn, repeat):
    best = float("inf")
    for _ in range(repeat):
        t0 = time.perf_counter()
        fn()
        best = min(best, time.perf_counter() - t0)
    return best


def peers(n):
    """Second references for a few functions: SciPy's bare special function
    on the standardised argument (name: (label, call))."""
    x = np.random.default_rng(1).normal(size=n)
    return {"pnorm": ("ndtr", lambda: sc.ndtr((x - 0.5) / 2.0))}


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
    """(name, pradix call, peer name, peer call, goal): the targets of the speed work, each against the
    peer a user would otherwise call on the same inputs."""
    x, xp, u, k, kb, xb = inputs(n)
    mt = np.random.Generator(np.random.MT19937(2))
    return [
        ("dnorm", lambda: pradix.dnorm(x, 0.5, 2.0), "stats.norm.pdf", lambda: st.norm.pdf(x, 0.5, 2.0), 1.5),
        ("dgamma", lambda: pradix.dgamma(xp, 2.5, 1.5), "stats.gamma.pdf",
         lambda: st.gamma.pdf(xp, 2.5, scale=1.5), 1.5),
        ("dbeta", lambda: pradix.dbeta(xb, 2.0, 3.0), "stats.beta.pdf", lambda: st.beta.pdf(xb, 2.0, 3.0), 1.0),
        ("dt", lambda: pradix.dt(x, 5.0), "stats.t.pdf", lambda: st.t.pdf(x, 5.0), 1.0),
        ("dlogis", lambda: pradix.dlogis(x, 0.5, 2.0), "stats.logistic.pdf",
         lambda: st.logistic.pdf(x, 0.5, 2.0), 2.0),
        ("dbinom", lambda: pradix.dbinom(kb, 20, 0.3), "stats.binom.pmf", lambda: st.binom.pmf(kb, 20, 0.3), 0.5),
        ("dpois", lambda: pradix.dpois(k, 4.0), "stats.poisson.pmf", lambda: st.poisson.pmf(k, 4.0), 0.5),
        ("pbinom", lambda: pradix.pbinom(kb, 20, 0.3), "stats.binom.cdf", lambda: st.binom.cdf(kb, 20, 0.3), 0.5),
        ("pnorm", lambda: pradix.pnorm(x, 0.5, 2.0), "special.ndtr", lambda: sc.ndtr((x - 0.5) / 2.0), 4.0),
        ("pgamma", lambda: pradix.pgamma(xp, 2.5, 1.5), "special.gammainc", lambda: sc.gammainc(2.5, xp / 1.5), 4.0),
        ("pbeta", lambda: pradix.pbeta(xb, 2.0, 3.0), "special.betainc", lambda: sc.betainc(2.0, 3.0, xb), 8.0),
        ("qgamma", lambda: pradix.qgamma(u, 2.5, 1.5), "special.gammaincinv",
         lambda: sc.gammaincinv(2.5, u) * 1.5, 8.0),
        ("qbeta", lambda: pradix.qbeta(u, 2.0, 3.0), "special.betaincinv", lambda: sc.betaincinv(2.0, 3.0, u), 8.0),
        ("runif", lambda: pradix.runif(-1.0, 2.0, n), "Generator(MT19937).uniform",
         lambda: mt.uniform(-1.0, 2.0, n), 2.5),
        ("rexp", lambda: pradix.rexp(2.0, n), "Generator(MT19937).exponential",
         lambda: mt.exponential(0.5, n), 8.0),
        ("dnorm(0.3)", lambda: pradix.dnorm(0.3), "special.ndtr(0.3)", lambda: sc.ndtr(0.3), 1.2),
        ("pgamma(2,2.5,1.5)", lambda: pradix.pgamma(2.0, 2.5, 1.5), "special.gammainc(2.5,4/3)",
         lambda: sc.gammainc(2.5, 2.0 / 1.5), 2.0),
    ]


def interleaved(ours, ref, repeat, number):
    """Best-of-repeat times of two calls measured alternately, so that a busy
    spell of the machine hits both."""
    t_ours = t_ref = float("inf")
    for _ in range(repeat):
        t_ours = min(t_ours, best_time(lambda: [ours() for _ in range(number)], 1) / number)
        t_ref = min(t_ref, best_time(lambda: [ref() for _ in range(number)], 1) / number)
    return t_ours, t_ref


def run_goals(n, repeat):
    print(f"goals: n = {n}, best of {repeat}, pradix and peer measured alternately")
    print(f"{'function':<18} {'peer':<30} {'pradix':>10} {'peer':>10} {'ratio':>6} {'goal':>5}")
    for name, ours, peer, ref, goal in goals(n):
        scalar = "(" in name
        number = 20000 if scalar else 1
        t_ours, t_ref = interleaved(ours, ref, repeat, number)
        unit, scale = ("us", 1e6) if scalar else ("ms", 1e3)
        ratio = t_ours / t_ref
        mark = "ok" if ratio <= goal else "MISS"
        print(f"{name:<18} {peer:<30} {t_ours * scale:>7.2f} {unit} {t_ref * scale:>7.2f} {unit} {ratio:>6.2f}"
              f" {goal:>5.1f} {mark}")


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--n", type=int, default=200_000)
    ap.add_argument("--repeat", type=int, default=5)
    ap.add_argument("--goals", action="store_true", help="only the speed targets, against their peers")
    ap.add_argument("names", nargs="*")
    opts = ap.parse_args()
    if opts.goals:
        run_goals(opts.n, opts.repeat)
        return
    table = cases(opts.n)
    extra = peers(opts.n)
    names = opts.names or list(table)
    print(f"n = {opts.n}, best of {opts.repeat}")
    print(f"{'function':<10} {'pradix ms':>10} {'reference ms':>13} {'ratio':>7}")
    for name in names:
        if not hasattr(pradix, name):
            continue
        ours, ref = table[name]
        t_ours = best_time(ours, opts.repeat)
        t_ref = best_time(ref, opts.repeat)
        print(f"{name:<10} {t_ours * 1e3:>10.2f} {t_ref * 1e3:>13.2f} {t_ours / t_ref:>7.2f}")
        if name in extra:
            label, peer = extra[name]
            t_peer = best_time(peer, opts.repeat)
            print(f"{'  ' + label:<10} {'':>10} {t_peer * 1e3:>13.2f} {t_ours / t_peer:>7.2f}")


if __name__ == "__main__":
    main()
