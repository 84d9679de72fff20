"""The module's own exp, log, expm1, log1p, sqrt, tan, atan, floor, ipow, factorial."""
import math

import mpmath
import numpy as np
import pytest

import _testkit as k
from reference import reference, rel_error, same

INF = math.inf
NAN = math.nan
EPS = 2.0**-52
rng = np.random.default_rng(20261207)


@pytest.mark.parametrize(
    "fn, x, want",
    [
        (k.exp, 0.0, 1.0),
        (k.exp, 1e-17, 1.0),
        (k.exp, -INF, 0.0),
        (k.exp, INF, INF),
        (k.exp, 709.5, INF),
        (k.exp, -708.4, 0.0),
        (k.exp, -709.49, 0.0),
        (k.exp, -710.0, 0.0),
        (k.exp, 2.0**63, INF),  # clamped integer exponent
        (k.exp, -(2.0**63), 0.0),
        (k.exp, 1e300, INF),
        (k.exp, -1e300, 0.0),
        (k.log, 10.0, 2.302585092994046),
        (k.log, 1e-300, -INF),
        (k.log, 0.0, -INF),
        (k.log, 2.0**-53, -INF),
        (k.log, 1.0 + EPS / 2, 0.0),
        (k.log, INF, INF),
        (k.log, -1.0, NAN),
        (k.log, -0.0, -INF),
        (k.sqrt, 1e-17, 0.0),
        (k.sqrt, 4.0, 2.0),
        (k.sqrt, -1.0, NAN),
        (k.sqrt, INF, INF),
        (k.tan, math.pi / 2, 1.633124e16),
        (k.tan, -math.pi / 2, -1.633124e16),
        (k.tan, 1e-17, 0.0),
        (k.atan, INF, math.pi / 2),
        (k.atan, -INF, -math.pi / 2),
        (k.atan, 1e-17, 0.0),
        (k.floor, -2.5, -3.0),
        (k.floor, 2.5, 2.0),
        (k.floor, -1e-17, -1e-17),  # indistinguishable from zero: unchanged
        (k.floor, 1e300, 1e300),  # beyond 2^63: already an integer
        (k.floor, -(2.0**63), -(2.0**63)),
        (k.floor, -INF, -INF),
    ],
)
def test_stated_values(fn, x, want):
    assert same(fn(x), want)


@pytest.mark.parametrize("fn", [k.exp, k.log, k.expm1, k.log1p, k.sqrt, k.tan, k.atan, k.floor])
def test_nan_passes_through(fn):
    assert math.isnan(fn(NAN))


def test_exp_boundaries_of_the_argument_split():
    assert math.isfinite(k.exp(709.49))
    assert 1.9e-308 < k.exp(-708.51) < 2.1e-308
    # n = -709: small positive values between about 1.2e-308 and 2.0e-308
    v = k.exp(np.linspace(-709.0, -708.5001, 50))
    assert np.all((v > 1.1e-308) & (v < 2.1e-308))
    # negative arguments with a fractional part >= 1/2 evaluate the fraction at y in [1.5, 2)
    assert rel_error(k.exp(-2.3), math.exp(-2.3)) < 1e-15


def test_log_takes_direct_fraction_at_its_ends():
    assert rel_error(k.log(0.5), math.log(0.5)) < 1e-15
    assert rel_error(k.log(1.5), math.log(1.5)) < 1e-15
    assert -35.8 < k.log(3e-16) < -35.7


def test_sqrt_of_one_plus_eps_iterates():
    x = 1.0 + EPS
    assert abs(k.sqrt(x) - 1.0) <= 2 * EPS


def test_odd_symmetry():
    xs = np.concatenate([rng.uniform(0, 10, 500), np.exp(rng.uniform(-30, 300, 200))])
    assert same(k.tan(-xs[:500]), -k.tan(xs[:500]))
    assert same(k.atan(-xs), -k.atan(xs))


@pytest.mark.parametrize(
    "x, expected",
    # beyond 2^53 pi the reduction leaves a rounding artefact, from about
    # 9.5e169 one whose square overflows; inf - inf in the reduction
    [(1e17, 0.0), (1e18, -1.040614891432845), (1.7e308, NAN), (INF, NAN)],
)
def test_tan_of_huge_arguments(x, expected):
    np.testing.assert_equal(k.tan(x), expected)


@pytest.mark.parametrize(
    "x, n, want",
    [
        (NAN, 0, 1.0),
        (2.0, 3, 8.0),
        (2.0, 10, 1024.0),
        (2.0, -2, 0.25),
        (3.0, 5, 243.0),
        (1.5, -(2**63), 0.0),
        (1.5, 2**63 - 1, INF),
        (-2.0, 7, -128.0),
    ],
)
def test_ipow(x, n, want):
    assert same(k.ipow(x, n), want)


def test_factorial():
    assert k.factorial(0) == 1 and k.factorial(1) == 1
    assert k.factorial(16) == 20922789888000
    assert k.factorial(20) == 2432902008176640000
    # beyond 20! the product wraps modulo 2^64, reaching 0 from 66! on
    assert k.factorial(21) == (math.factorial(21) % 2**64) - 2**64
    assert k.factorial(66) == 0
    assert k.factorial(2**63 - 1) == 0


# Error bounds measured on these grids (120-bit references), with margin.
ACCURACY = [
    ("exp", k.exp, mpmath.exp, rng.uniform(-2, 2, 800), 3e-15),
    ("exp", k.exp, mpmath.exp, rng.uniform(-700, 700, 800), 1e-13),
    ("log", k.log, mpmath.log, np.exp(rng.uniform(-36, 709, 800)), 1e-15),
    ("expm1", k.expm1, mpmath.expm1, rng.uniform(-0.5, 0.5, 800), 2e-12),
    ("expm1", k.expm1, mpmath.expm1, rng.uniform(-1e-4, 1e-4, 400), 1e-15),
    ("log1p", k.log1p, mpmath.log1p, rng.uniform(-0.5, 0.5, 800), 5e-13),
    ("log1p", k.log1p, mpmath.log1p, rng.uniform(-1e-4, 1e-4, 400), 1e-15),
    ("sqrt", k.sqrt, mpmath.sqrt, np.exp(rng.uniform(0, 709, 800)), 5e-16),
    ("tan", k.tan, mpmath.tan, rng.uniform(-1.5, 1.5, 800), 5e-15),
    ("atan", k.atan, mpmath.atan, rng.uniform(-60, 60, 800), 1e-15),
    ("atan", k.atan, mpmath.atan, np.exp(rng.uniform(-30, 700, 400)), 1e-15),
]


@pytest.mark.parametrize("name, fn, ref, xs, bound", ACCURACY, ids=[a[0] for a in ACCURACY])
def test_relative_accuracy(name, fn, ref, xs, bound):
    assert rel_error(fn(xs), reference(ref, xs)).max() < bound


def test_sqrt_below_one_is_accurate_in_absolute_terms():
    # The stopping rule |g - x/g| / (g + 1) < EPS is absolute for small roots.
    xs = np.exp(rng.uniform(-36, 0, 800))
    assert np.abs(k.sqrt(xs) - reference(mpmath.sqrt, xs)).max() < 3e-16


def test_tan_away_from_poles():
    xs = rng.uniform(-9, 9, 1500)
    off = np.abs(((xs - math.pi / 2) / math.pi) - np.round((xs - math.pi / 2) / math.pi)) * math.pi
    xs = xs[off > 0.05]
    assert rel_error(k.tan(xs), reference(mpmath.tan, xs)).max() < 5e-12


ADVERSARIAL = [NAN, INF, -INF, 0.0, -0.0, 5e-324, -5e-324, 2.2e-308, 1e308, -1e308, 2.0**63, -(2.0**63)]


@pytest.mark.parametrize("fn", [k.exp, k.log, k.expm1, k.log1p, k.sqrt, k.tan, k.atan, k.floor])
def test_adversarial_arguments_terminate(fn):
    out = fn(np.array(ADVERSARIAL))
    assert out.shape == (len(ADVERSARIAL),)
