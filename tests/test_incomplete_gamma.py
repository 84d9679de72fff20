"""Regularized incomplete gamma function, its inverse and the Poisson partial
sum, against SciPy.

Measured (absolute, against scipy.special.gammainc): about 2e-12 for the
lower continued fraction (worst just below x - a = 10), 1e-16 for the upper
one.  The quadrature integrates its window to 1.5e-13 (a <= 100) up to
1.5e-10 (a = 1e5), but ignores what lies outside it: up to 2.5e-9 below
(a just under 30) and 1.3e-4 above (a = 10, x from 25.8 to 30).
gamma_p_inv returns p to 5e-13 for a in [0.5, 1000], p in [0.01, 0.99];
further out the 36 corrections need not settle and the result may be NaN.
"""
import math
import os
import sys

import numpy as np
import pytest
import scipy.special as sc

import _testkit as tk

EPS = 2.0**-52
INF, NAN = math.inf, math.nan


@pytest.mark.parametrize(
    "a, x, expected, tol",
    [(1.0, 0.5, 0.3934693402873666, 4 * EPS), (0.5, 2.0, 0.9544997361036416, 4 * EPS),
     (3.0, 2.0, 0.3233235838169365, 4 * EPS),  # 0.3233235838169369 through lgamma's rounding
     (20.0, 15.0, 0.12478121503, 1e-11), (3.16e-14, 5.628, 1.0, 0.0),  # 41.3 unclamped
     (3.0, -1.0, 0.0, 0.0), (1e4, 1e-17, 0.0, 0.0), (1e-20, EPS, 1.0, 0.0), (1e-20, 1e6, 1.0, 0.0)],
)
def test_examples(a, x, expected, tol):
    assert tk.gamma_p(a, x) == pytest.approx(expected, abs=tol)


LOWER, UPPER, QUADRATURE = 0, 1, 2


def below(v):
    return math.nextafter(v, -INF)


def above(v):
    return math.nextafter(v, INF)


# The method at each region boundary and its neighbouring doubles: the lower
# fraction while x - a < 10 (a < 10), otherwise the upper one; from a = 10 on
# the quadrature while x / a <= 3.
@pytest.mark.parametrize(
    "a, xs, methods",
    [(3.0, [below(13.0), 13.0, above(13.0)], [LOWER, UPPER, UPPER]),
     (0.5, [below(10.5), 10.5, above(10.5)], [LOWER, UPPER, UPPER]),
     (below(10.0), [15.0, 19.98, 20.0], [LOWER, LOWER, UPPER]),
     (10.0, [15.0, 30.0, above(30.0)], [QUADRATURE, QUADRATURE, UPPER]),
     (above(10.0), [5.0, 30.0, 31.0], [QUADRATURE, QUADRATURE, UPPER]),
     (20.0, [below(60.0), 60.0, above(60.0)], [QUADRATURE, QUADRATURE, UPPER])],
)
def test_region_choice(a, xs, methods):
    assert tk.gamma_p_region(a, np.array(xs)).tolist() == methods


def test_nan_and_probability_range():
    for a, x in [(NAN, 1.0), (1.0, NAN), (-0.5, 1.0), (2.0, INF)]:
        assert math.isnan(tk.gamma_p(a, x))
    vals = np.array([0.0, 5e-324, 1e-300, 3e-14, 1e-3, 0.7, 9.99, 10.0, 55.0, 1e3, 1e9, 1e15, 1e300])
    p = tk.gamma_p(*np.meshgrid(vals, vals))
    assert np.all((p[~np.isnan(p)] >= 0.0) & (p[~np.isnan(p)] <= 1.0))


def grid(a_lo, a_hi):
    a = np.geomspace(a_lo, a_hi, 60)[:, None]
    x = np.hstack([np.geomspace(1e-3, 1.0, 20) * a, np.linspace(0.02, 8.0, 150) * a,
                   a + np.linspace(-8, 12, 150) * np.sqrt(a)])
    a = np.broadcast_to(a, x.shape)
    return a[x > 0], x[x > 0]


def test_accuracy_of_continued_fractions():
    a, x = grid(1e-3, 9.99)
    p, ref = tk.gamma_p(a, x), sc.gammainc(a, x)
    assert np.max(np.abs(p - ref)) < 5e-12
    tail = (x < a) & (ref > 1e-300)
    assert np.max(np.abs(p[tail] / ref[tail] - 1)) < 2e-13
    a, x = grid(10.0, 3000.0)
    a, x = a[x / a > 3], x[x / a > 3]
    assert np.max(np.abs(tk.gamma_p(a, x) - sc.gammainc(a, x))) < 3e-16


def quadrature_window(a, x):
    spans = [(30, 4, 5), (40, 5, 5), (50, 6, 5), (70, 7, 6), (90, 8, 7), (300, 9, 8), (800, 10, 9)]
    k1, k2 = next(((k1, k2) for top, k1, k2 in spans if a <= top), (11, 10))
    return max(0.0, min(x, a) - k1 * math.sqrt(a)), min(x, a + k2 * math.sqrt(a))


@pytest.mark.parametrize("a_lo, a_hi, bound", [(10, 100, 2.5e-13), (100, 1000, 2e-12),
                                               (1000, 3000, 8e-12), (3000, 1e5, 3e-10)])
def test_quadrature_integrates_its_window(a_lo, a_hi, bound):
    a, x = grid(a_lo, a_hi)
    a, x = a[x / a <= 3], x[x / a <= 3]
    lb, ub = np.array([quadrature_window(ai, xi) for ai, xi in zip(a, x)]).T
    p = tk.gamma_p(a, x)
    assert np.max(np.abs(p - (sc.gammainc(a, ub) - sc.gammainc(a, lb)))) < bound
    assert np.max(np.abs(p - sc.gammainc(a, x))) < 1.5e-4


def test_quadrature_neglects_mass_outside_window():
    x = np.linspace(20 + 5 * math.sqrt(20), 60.0, 200)
    assert np.all(tk.gamma_p(20.0, x) == tk.gamma_p(20.0, 60.0))
    assert tk.gamma_p(20.0, 60.0) == pytest.approx(0.99995262, abs=1e-8)
    assert tk.gamma_p(20.0, math.nextafter(60.0, 99.0)) > 0.9999999
    assert tk.gamma_p(10.0, 30.0) == pytest.approx(sc.gammainc(10.0, 30.0) - 1.2208e-4, abs=1e-8)
    lb, _ = quadrature_window(30.0, 45.0)  # only 4 standard deviations below
    assert sc.gammainc(30.0, lb) > 2e-9
    assert tk.gamma_p(30.0, 45.0) == pytest.approx(sc.gammainc(30.0, 45.0) - sc.gammainc(30.0, lb),
                                                   abs=1e-13)


@pytest.mark.parametrize(
    "a, p, expected",
    [(3.0, 0.0, 0.0), (3.0, -1.0, 0.0), (3.0, 1.0, INF), (3.0, 1 - EPS / 4, INF), (0.0, 0.5, 0.0),
     (-2.0, 0.5, 0.0), (3.0, 1.5, NAN), (NAN, 0.5, NAN), (3.0, NAN, NAN),
     (2.0, 1e-4, NAN), (0.5, 1 - 1e-5, NAN)],  # the last two: unsettled far tails
)
def test_inverse_special_values(a, p, expected):
    np.testing.assert_equal(tk.gamma_p_inv(a, p), expected)


def test_inverse_round_trip_and_scipy():
    a, p = np.meshgrid(np.geomspace(0.5, 1000, 60), np.linspace(0.01, 0.99, 99))
    x = tk.gamma_p_inv(a, p)
    assert np.max(np.abs(tk.gamma_p(a, x) - p)) < 1e-12
    small = a < 10  # no quadrature: the inverse matches SciPy's closely
    assert np.max(np.abs(x[small] / sc.gammaincinv(a[small], p[small]) - 1)) < 1e-12


def test_inverse_tiny_shapes():
    a, p = np.meshgrid(np.geomspace(0.02, 0.5, 40), np.linspace(0.005, 0.5, 60))
    x, ref = tk.gamma_p_inv(a, p), sc.gammaincinv(a, p)
    ok = ~np.isnan(x)
    assert ok.mean() > 0.99
    above = ok & (ref > 1e-15)
    assert np.max(np.abs(x[above] / ref[above] - 1)) < 1e-12
    # Below 2^-52 gamma_p is 0, so the corrections cannot home in on the root.
    ratio = x[ok & ~above] / ref[ok & ~above]
    assert np.all((ratio > 0.99) & (ratio < 2.5))


def test_inverse_terminates_on_adversarial_input():
    vals = np.array([NAN, INF, -INF, 0.0, 5e-324, 1e-300, EPS, 0.5, 1 - 1e-16, 1.0, 2.0, 1e300])
    assert tk.gamma_p_inv(*np.meshgrid(vals, vals)).shape == (12, 12)


def test_poisson_partial_sum():
    for k in (2, 3, 7, 15, 20):
        for x in (0.0, 0.3, 3.0, 14.9, -2.0):
            exact = sum(x**j / math.factorial(j) for j in range(1, k + 1))
            assert tk.poisson_partial_sum(k, x) == pytest.approx(exact, rel=1e-14, abs=1e-15)
    assert tk.poisson_partial_sum(2, 3.0) == 7.5
    assert tk.poisson_partial_sum(1, 3.0) == 3.0 and tk.poisson_partial_sum(0, 3.0) == 0.0
    assert np.all(np.isnan(tk.poisson_partial_sum(np.array([-1, 21, 2**62]), 3.0)))


def test_quadrature_table():
    sys.path.insert(0, os.path.join(os.path.dirname(os.path.dirname(__file__)), "tools"))
    from gauss_legendre import table

    nodes, weights = tk.gl50_nodes(), tk.gl50_weights()
    assert (nodes, weights) == table()
    assert nodes[:4] == [-0.031098338327188876, 0.031098338327188876,
                         -0.09317470156008614, 0.09317470156008614]
    assert weights[:4] == [0.06217661665534726] * 2 + [0.06193606742068324] * 2
    assert nodes[49] == 0.998866404420071 and weights[48] == 0.002908622553155141
    ref_x, ref_w = np.polynomial.legendre.leggauss(50)
    order = np.argsort(np.abs(ref_x) + 1e-3 * (ref_x > 0))
    assert np.allclose(nodes, ref_x[order], rtol=0, atol=1e-15)
    assert np.allclose(weights, ref_w[order], rtol=0, atol=5e-15)
