"""Densities against SciPy on grids of ordinary parameters, in both modes.

Points are quantiles from 1e-4 to 1 - 1e-4.  The density is compared by
relative error, the log-density by absolute error over max(1, |log-density|).
Errors grow with the size of the log-gamma and logarithm terms that cancel
in the log-density (large shapes, dof, counts); each bound below is about
three times the worst error measured on its grid (given in the comment).
"""
import numpy as np
import pytest
from scipy import stats

import pradix

P = np.linspace(1e-4, 1 - 1e-4, 61)
SHAPES = [0.3, 0.5, 1.0, 1.5, 2.0, 3.7, 10.0, 55.0]
SCALES = [0.1, 1.0, 3.5]
DOF = [0.5, 1.0, 2.0, 3.7, 10.0, 55.0]

CONTINUOUS = {
    "chisq": [((k,), stats.chi2(k)) for k in SHAPES + [150.0]],
    "exp": [((r,), stats.expon(scale=1 / r)) for r in [0.1, 0.5, 1.0, 2.0, 7.5]],
    "gamma": [((k, s), stats.gamma(k, scale=s)) for k in SHAPES for s in SCALES],
    "invgamma": [((k, s), stats.invgamma(k, scale=s)) for k in SHAPES for s in SCALES],
    "weibull": [((k, s), stats.weibull_min(k, scale=s)) for k in SHAPES for s in SCALES],
    "t": [((k,), stats.t(k)) for k in SHAPES + [150.0]],
    "f": [((a, b), stats.f(a, b)) for a in DOF for b in DOF],
    "beta": [((a, b), stats.beta(a, b)) for a in SHAPES for b in SHAPES],
}

# (pdf relative, log-density) bounds; measured worst errors in the comments.
BOUNDS = {
    "chisq": (4e-13, 1.5e-13),  # 1.4e-13, 3.8e-14
    "exp": (1e-14, 1e-15),  # 1.8e-15, 2.2e-16
    "gamma": (4e-13, 3e-13),  # 1.2e-13, 9.0e-14
    "invgamma": (4e-13, 2e-13),  # 1.0e-13, 6.7e-14
    "weibull": (2e-14, 1e-14),  # 4.2e-15, 3.1e-15
    "t": (4e-13, 4e-13),  # 1.2e-13, 1.2e-13
    "f": (3e-12, 4e-13),  # 9.6e-13, 1.0e-13 (x df1 / df2 up to 1e4)
    "beta": (4e-13, 3e-13),  # 1.3e-13, 9.2e-14
    "binom": (6e-11, 2e-11),  # 1.9e-11, 4.9e-12 (n up to 5000)
    "pois": (5e-11, 3e-12),  # 1.5e-11, 7.7e-13 (rate up to 2000)
}


def worst_errors(f, args, x, pdf, logpdf):
    got, got_log = f(x, *args), f(x, *args, log=True)
    keep = pdf > 1e-280
    rel = np.abs(got - pdf)[keep] / pdf[keep]
    log_err = np.abs(got_log - logpdf)[keep] / np.maximum(1.0, np.abs(logpdf[keep]))
    return rel.max(), log_err.max()


@pytest.mark.parametrize("code", CONTINUOUS)
def test_continuous(code):
    f = getattr(pradix, "d" + code)
    worst = np.zeros(2)
    for args, dist in CONTINUOUS[code]:
        x = dist.ppf(P)
        if code != "t":  # points whose logarithm is not -inf
            x = x[x > 1e-10]
        if code == "beta":
            x = x[1 - x > 1e-10]
        if code == "f":  # 1 - y cancels in the far right tail: error ~ eps x df1 / df2
            x = x[x * args[0] / args[1] <= 1e4]
        worst = np.maximum(worst, worst_errors(f, args, x, dist.pdf(x), dist.logpdf(x)))
    assert np.all(worst <= BOUNDS[code]), worst


def test_binomial():
    worst = np.zeros(2)
    for n in [2, 3, 10, 50, 400, 5000]:
        for prob in [0.01, 0.2, 0.5, 0.77, 0.99]:
            k, dist = np.arange(n + 1), stats.binom(n, prob)
            worst = np.maximum(worst, worst_errors(lambda x, *a, **kw: pradix.dbinom(x, n, *a, **kw),
                                                   (prob,), k, dist.pmf(k), dist.logpmf(k)))
    assert np.all(worst <= BOUNDS["binom"]), worst


def test_poisson():
    worst = np.zeros(2)
    for rate in [0.01, 0.5, 1.0, 3.3, 20.0, 150.0, 2000.0]:
        k, dist = np.arange(int(3 * rate) + 30), stats.poisson(rate)
        worst = np.maximum(worst, worst_errors(pradix.dpois, (rate,), k, dist.pmf(k), dist.logpmf(k)))
    assert np.all(worst <= BOUNDS["pois"]), worst


def test_bernoulli_is_exact():
    for prob in [0.0, 0.3, 0.5, 0.99, 1.0]:
        assert pradix.dbern([0, 1], prob).tolist() == [1.0 - prob, prob]
