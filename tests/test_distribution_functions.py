"""The seventeen distribution functions: stated values, log mode, mended
limits (rule tables: test_rules.py)."""
import math
import struct

import numpy as np
import pytest

import _testkit as k
import pradix
from interrupted import interrupt
from reference import same

INF = math.inf


@pytest.mark.parametrize(
    "got, want, rel",
    [
        (lambda: pradix.pweibull(2, INF, 2), 0.6321205588285577, 2.3e-16),
        (lambda: pradix.pt(1, 2), 0.5 + 1 / (2 * math.sqrt(3)), 3e-16),
        # the log-gamma terms round the sum up a little: 0.5000000000000016
        (lambda: pradix.pbinom(2, 5, 0.5), 0.5, 1e-14),
        (lambda: pradix.pnorm(1.0), 0.8413447460685429, 1e-13),
    ],
)
def test_stated_values_within_rounding(got, want, rel):
    assert got() == pytest.approx(want, rel=rel, abs=0)


def test_log_mode():
    assert pradix.pnorm(-9, log_p=True) == -INF
    assert pradix.plnorm(-1, 0, 1, log_p=True) == -INF
    assert pradix.pbinom(-1, 5, 0.3, log_p=True) == -INF
    assert same(pradix.pnorm(INF, log_p=True), 0.0)
    x = np.linspace(-3, 3, 31)
    assert same(pradix.pnorm(x, log_p=True), k.log(pradix.pnorm(x)))
    # pf with an infinite first degree of freedom logs 1 - p, not p
    assert same(pradix.pf(2, INF, 10, log_p=True), k.log(1 - pradix.pchisq(5, 10)))
    assert pradix.pf(2, INF, 10, log_p=True) < 0


def test_poisson_switches_method_at_sixteen():
    assert same(pradix.ppois(0, 2), k.exp(-2.0))
    assert same(pradix.ppois(15, 10), k.exp(-10.0) * (1 + k.poisson_partial_sum(15, 10.0)))
    assert same(pradix.ppois(16, 10), 1 - k.gamma_p(17.0, 10.0))
    assert same(pradix.ppois(3, 10.5), 1 - k.gamma_p(4.0, 10.5))


def test_student_t_matches_normal_and_cauchy():
    x = np.linspace(-6, 6, 61)
    assert same(pradix.pt(x, INF), pradix.pnorm(x))
    assert same(pradix.pt(x, 1), pradix.pcauchy(x, 0, 1))


# Mended faults: probabilities stay within [0, 1].
@pytest.mark.parametrize(
    "got, want",
    [
        (lambda: pradix.plogis(100, 0, 1), 1.0),
        (lambda: pradix.plogis(2000, 0, 1), 1.0),
        (lambda: pradix.plogis(-2000, 0, 1), 0.0),
        (lambda: pradix.plogis(1e300, 0, 1), 1.0),
        (lambda: pradix.plogis(-1e300, 0, 1), 0.0),
        (lambda: pradix.pt(1e200, 2), 1.0),
        (lambda: pradix.pt(-1e200, 2), 0.0),
        (lambda: pradix.ppois(2**63 - 1, 5.0), 1.0),
    ],
)
def test_mended_limits(got, want):
    assert same(got(), want)


@pytest.mark.parametrize("got", [lambda: pradix.pchisq(1e15, 1e15), lambda: pradix.pt(0.5, 1e15),
                                 lambda: pradix.plogis(np.linspace(-1e4, 1e4, 2001), 0, 1)])
def test_probabilities_stay_in_unit_interval(got):
    v = np.asarray(got())
    assert np.all((v >= 0) & (v <= 1))


def test_cauchy_undefined_point_is_the_quiet_nan():
    # x = mu with sigma = 0 makes 0 / 0, whose processor NaN has the sign bit set
    assert struct.pack("<d", pradix.pcauchy(3.0, 3.0, 0.0)) == struct.pack("<Q", 0x7FF8000000000000)


# With 2^62 trials no sum ends early (the bounds do not reach): it runs until stopped.
@pytest.mark.parametrize("call", ["pradix.pbinom(2**61, 2**62, 0.5)"])
def test_ctrl_c_stops_a_binomial_sum(call):
    seen = interrupt(call)
    assert seen["outcome"] == "KeyboardInterrupt" and seen["delay"] < 2.0 and seen["healthy"]
