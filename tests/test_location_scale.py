"""Normal, Laplace, Cauchy, logistic, log-normal and uniform densities."""
import math

import numpy as np
import pytest
import scipy.stats as st

import pradix
from reference import rel_error, same

NAN = math.nan


@pytest.mark.parametrize("fn", [pradix.dnorm, pradix.dlaplace, pradix.dcauchy, pradix.dlogis, pradix.dlnorm, pradix.dunif])
@pytest.mark.parametrize("bad", [(NAN, 0, 1), (0, NAN, 1), (0, 0, NAN), (0.5, 0, -1)])
def test_invalid_is_nan_in_both_modes(fn, bad):
    if fn is pradix.dunif and bad == (0.5, 0, -1):
        bad = (0.5, 1, 0)
    assert math.isnan(fn(*bad)) and math.isnan(fn(*bad, log=True))


rng = np.random.default_rng(7)
N = 3000
X = rng.uniform(-30, 30, N)
MU = rng.uniform(-5, 5, N)
S = np.exp(rng.uniform(-3, 3, N))
XP = np.exp(rng.uniform(-5, 5, N))
A = rng.uniform(-5, 5, N)
XU = rng.uniform(-6, 12, N)

# (name, ours, scipy pdf, scipy logpdf, x, mu, sigma); bounds measured on these grids.
CASES = [
    ("norm", pradix.dnorm, st.norm, X, MU, S),
    ("laplace", pradix.dlaplace, st.laplace, X, MU, S),
    ("cauchy", pradix.dcauchy, st.cauchy, X, MU, S),
    ("logis", pradix.dlogis, st.logistic, X, MU, S),
]


@pytest.mark.parametrize("name, fn, dist, x, mu, s", CASES, ids=[c[0] for c in CASES])
def test_accuracy_against_scipy(name, fn, dist, x, mu, s):
    want_log = dist.logpdf(x, mu, s)
    got_log = fn(x, mu, s, log=True)
    # log-densities: absolute error grows with their size
    assert np.all(np.abs(got_log - want_log) <= 1e-14 * np.maximum(1.0, np.abs(want_log)))
    want = dist.pdf(x, mu, s)
    keep = want > 1e-290  # far from underflow
    assert rel_error(fn(x, mu, s)[keep], want[keep]).max() < 1e-11


def test_lnorm_and_unif_against_scipy():
    want_log = st.lognorm.logpdf(XP, S, scale=np.exp(MU))
    got_log = pradix.dlnorm(XP, MU, S, log=True)
    # dnorm(log x) - log x cancels when the two are close
    assert np.all(np.abs(got_log - want_log) <= 5e-14 * np.maximum(1.0, np.abs(want_log)))
    want = st.lognorm.pdf(XP, S, scale=np.exp(MU))
    keep = want > 1e-290
    assert rel_error(pradix.dlnorm(XP, MU, S)[keep], want[keep]).max() < 1e-11
    b = A + S
    assert np.array_equal(pradix.dunif(XU, A, b), st.uniform.pdf(XU, A, b - A))


def test_standard_normal_at_zero():
    # exp of the exact log-density lands one unit in the last place low
    assert pradix.dnorm(0.0) == pytest.approx(0.3989422804014327, rel=4e-16)
    assert pradix.dnorm(0.0, log=True) == -0.9189385332046728


def test_dnorm_defaults():
    assert pradix.dnorm(0.3) == pradix.dnorm(0.3, 0, 1, False)
    assert pradix.dnorm(0.3, sigma=2.0) == pradix.dnorm(0.3, 0.0, 2.0)


def test_dlnorm_is_dnorm_of_the_log_over_x():
    import _testkit

    x = np.exp(np.linspace(-3, 3, 41))
    lx = _testkit.log(x)
    assert same(pradix.dlnorm(x, 0.2, 1.3), pradix.dnorm(lx, 0.2, 1.3) / x)
    assert same(pradix.dlnorm(x, 0.2, 1.3, log=True), pradix.dnorm(lx, 0.2, 1.3, log=True) - lx)
