"""Error function and its inverse against SciPy, with their special values.

Measured (absolute, against scipy.special.erf): about 9e-13 just below the
switch point 2.1, where the series-type fraction loses digits to rounding,
1e-16 above it.  The inverse inherits that: relative error 2e-13 for |y| up
to 0.99, 2e-11 around erf(2.09) = 0.9966; close to 1 it is limited by the
spacing of doubles near 1 (7e-7 at 1 - y = 1e-12).  Below |y| of about
2.5e-16 the inverse is only a rough guess: erf flushes arguments below 2^-52
to 0.
"""
import math

import numpy as np
import pytest
import scipy.special as sc

import _testkit as tk

EPS = 2.0**-52
INF, NAN = math.inf, math.nan


@pytest.mark.parametrize(
    "x, expected",
    [(0.0, 0.0), (1e-17, 0.0), (-1e-17, 0.0), (6.0, 1.0), (1e300, 1.0), (INF, 1.0),
     (-INF, -1.0), (NAN, NAN)],
)
def test_erf_special_values(x, expected):
    np.testing.assert_equal(tk.erf(x), expected)


@pytest.mark.parametrize(
    "lo, hi, bound", [(0.0, 1.5, 1e-14), (1.5, 2.1, 1.2e-12), (math.nextafter(2.1, 3), 9.0, 2.3e-16)]
)
def test_erf_accuracy(lo, hi, bound):
    x = np.linspace(lo, hi, 20001)
    assert np.max(np.abs(tk.erf(x) - sc.erf(x))) < bound
    assert np.array_equal(tk.erf(-x), -tk.erf(x))


def test_erf_switch_point_and_small_arguments():
    # The complementary function's fraction strictly above 2.1: the one
    # choice erf and its block form both ask.
    x = [math.nextafter(2.1, 0.0), 2.1, math.nextafter(2.1, 3.0)]
    assert tk.erf_takes_complement(np.array(x)).tolist() == [False, False, True]
    for x in (2.1, math.nextafter(2.1, 3.0)):
        assert abs(tk.erf(x) - sc.erf(x)) < 3e-13
    x = np.geomspace(1e-15, 1.0, 2000)
    assert np.max(np.abs(tk.erf(x) / sc.erf(x) - 1.0)) < 2e-14


@pytest.mark.parametrize(
    "y, expected",
    [(0.0, 0.0), (1.0, INF), (-1.0, -INF), (1.0 - 1e-17, INF), (1.0 - EPS / 4, INF),
     (-1.0 + EPS / 4, -INF), (NAN, NAN), (1.5, NAN), (-1.5, NAN), (1.0 + 2 * EPS, NAN),
     (INF, NAN), (-INF, NAN)],
)
def test_erfinv_special_values(y, expected):
    np.testing.assert_equal(tk.erfinv(y), expected)


@pytest.mark.parametrize(
    "y, bound",
    [(np.geomspace(5e-16, 0.99, 3000), 5e-13), (np.linspace(0.99, 0.9999, 3000), 5e-11),
     (1 - np.geomspace(1e-12, 1e-4, 300), 2e-6)],
    ids=["central", "shoulder", "tail"],
)
def test_erfinv_accuracy(y, bound):
    assert np.max(np.abs(tk.erfinv(y) / sc.erfinv(y) - 1.0)) < bound
    assert np.array_equal(tk.erfinv(-y), -tk.erfinv(y))


def test_erfinv_round_trip():
    assert tk.erf(tk.erfinv(0.5)) == pytest.approx(0.5, abs=4 * EPS)
    y = np.linspace(-1.0, 1.0, 20001)[1:-1]
    assert np.max(np.abs(tk.erf(tk.erfinv(y)) - y)) < 1e-12


def test_erfinv_below_resolution_stays_finite_and_small():
    h = tk.erfinv(np.geomspace(5e-324, 2.5e-16, 300))
    assert np.all(np.isfinite(h)) and np.all(h >= 0.0) and np.all(h < 1e-15)
