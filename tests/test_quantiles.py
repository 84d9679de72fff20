"""The seventeen quantile functions: stated values, closed forms, discrete
ties (rule tables: test_rules.py)."""
import math

import numpy as np
import pytest

import _testkit as k
import pradix
from interrupted import interrupt
from reference import same

INF = math.inf


@pytest.mark.parametrize(
    "got, want, tol",
    [
        (lambda: pradix.qnorm(0.975), 1.959963984540054, 1e-13),
        (lambda: pradix.qexp(0.5, 2), math.log(2) / 2, 1e-15),
        (lambda: pradix.qcauchy(0.75, 1, 2), 3.0, 1e-15),
        (lambda: pradix.qt(0.75, 2), 0.816496580927726, 1e-15),
    ],
)
def test_stated_values_within_rounding(got, want, tol):
    assert got() == pytest.approx(want, rel=tol, abs=0)


def test_closed_forms():
    assert same(pradix.qt(0.975, 1), k.tan(0.475 * math.pi))
    assert same(pradix.qexp(0.5, 2), -k.log(0.5) / 2)
    p = np.linspace(0.01, 0.99, 99)
    assert same(pradix.qt(p, INF), pradix.qnorm(p))
    assert same(pradix.qlnorm(p, 0.3, 1.2), k.exp(pradix.qnorm(p, 0.3, 1.2)))


def test_student_t_symmetry():
    p = np.linspace(0.001, 0.499, 250)
    exact = (1 - (1 - p)) == p
    assert same(pradix.qt(1 - p[exact], 10), -pradix.qt(p[exact], 10))
    assert 0.1 < pradix.qt(0.55, 0.95) < 0.2
    # 1 - 0.55 is not 0.45 in doubles, so the mirror holds only approximately
    assert pradix.qt(0.55, 0.95) == pytest.approx(-pradix.qt(0.45, 0.95), rel=1e-13)


def test_discrete_tie_rules():
    # binomial: least k with F(k) >= p; Poisson: least k with F(k) > p
    f2 = pradix.pbinom(2, 5, 0.5)
    assert pradix.qbinom(f2, 5, 0.5) == 2.0
    for rate in (0.5, 3.0, 10.5):
        for kk in range(6):
            f = pradix.ppois(kk, rate)
            if f < 1:
                assert pradix.qpois(f, rate) == kk + 1


def test_qpois_searches_that_cannot_end_give_nan():
    assert math.isnan(pradix.qpois(0.5, 1e300))
    assert math.isnan(pradix.qpois(1e-300, 1e13))


def test_qexp_with_zero_rate_is_infinite_everywhere_inside():
    p = np.array([1e-300, 1e-17, 0.3, 1 - 1e-16])
    assert np.all(pradix.qexp(p, 0.0) == INF)


# With 2^62 trials the binomial search steps through every k until stopped.
@pytest.mark.parametrize("call", ["pradix.qbinom(0.5, 2**62, 0.5)", "pradix.qpois(0.5, 1e16)"])
def test_ctrl_c_stops_a_quantile_search(call):
    seen = interrupt(call)
    assert seen["outcome"] == "KeyboardInterrupt" and seen["delay"] < 2.0 and seen["healthy"]
