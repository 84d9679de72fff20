"""Every density over every combination of hostile arguments: NaN, infinities,
signed zeros, subnormals, values around 2^-52, huge values and int64 extremes.
The calls must finish without raising, give NaN wherever an argument is NaN or
a parameter is invalid, and never give a negative density."""
import warnings

import numpy as np
import pytest

import pradix

EPS = 2.0**-52
FLOATS = np.array([np.nan, np.inf, -np.inf, 0.0, -0.0, 5e-324, -5e-324, 1e-300, 1e-17, EPS,
                   0.5, 1.0, 2.0, 3.5, 1e17, 1e308, -1e308, -2.0])
INTS = np.array([np.iinfo(np.int64).min, np.iinfo(np.int64).max, -2**62, 2**62, -1, 0, 1, 2, 3, 10**15],
                dtype=np.int64)


def bad_prob(p):
    return ~((p >= 0) & (p <= 1))


# Parameter kinds (i: int64, f: float64) and the parameters that make the result NaN.
CASES = {
    "dnorm": ("fff", lambda x, m, s: s < 0),
    "dbern": ("if", lambda x, p: bad_prob(p)),
    "dbeta": ("fff", lambda x, a, b: (a < 0) | (b < 0)),
    "dbinom": ("iif", lambda x, n, p: bad_prob(p) | (n < 0)),
    "dcauchy": ("fff", lambda x, m, s: s < 0),
    "dchisq": ("ff", lambda x, k: k < 0),
    "dexp": ("ff", lambda x, r: (r < 0) | (r == np.inf)),
    "df": ("fff", lambda x, a, b: (a < EPS) | (b < EPS)),
    "dgamma": ("fff", lambda x, k, s: (k < 0) | (s < EPS)),
    "dinvgamma": ("fff", lambda x, a, b: (a < 0) | (b < 0)),
    "dlaplace": ("fff", lambda x, m, s: s < 0),
    "dlnorm": ("fff", lambda x, m, s: s < 0),
    "dlogis": ("fff", lambda x, m, s: s < 0),
    "dpois": ("if", lambda x, r: r < 0),
    "dt": ("ff", lambda x, k: k < EPS),
    "dunif": ("fff", lambda x, a, b: a >= b),
    "dweibull": ("fff", lambda x, k, s: (k < EPS) | (s < EPS)),
}


def test_every_density_is_covered():
    assert sorted(CASES) == sorted(n for n in vars(pradix) if n.startswith("d"))


@pytest.mark.parametrize("name", CASES)
def test_hostile_arguments(name):
    kinds, invalid = CASES[name]
    grids = np.meshgrid(*[INTS if k == "i" else FLOATS for k in kinds], indexing="ij")
    args = [g.ravel() for g in grids]
    any_nan = np.zeros(args[0].shape, bool)
    for a in args:
        if a.dtype == np.float64:
            any_nan |= np.isnan(a)
    with np.errstate(invalid="ignore"):
        expect_nan = any_nan | invalid(*args)
    f = getattr(pradix, name)
    for log in (False, True):
        got = f(*args, log=log)
        assert got.dtype == np.float64 and got.shape == args[0].shape
        assert np.isnan(got[expect_nan]).all()
        if not log:
            assert not (got < 0).any()


@pytest.mark.parametrize("name", ["dbern", "dbinom", "dpois"])
def test_hostile_floats_for_integer_points(name):
    # NaN points give NaN; infinities and values beyond int64 act as the
    # int64 extremes: masses within [0, 1], Python floats and arrays alike.
    params = {"dbern": (0.3,), "dbinom": (10, 0.3), "dpois": (2.5,)}[name]
    f = getattr(pradix, name)
    got = f(np.array([np.nan, np.inf, -np.inf, 1e300, -1e300]), *params)
    assert np.isnan(got[0]) and ((got[1:] >= 0) & (got[1:] <= 1)).all()
    assert np.isnan(f(float("nan"), *params)) and f(1e300, *params) == got[3]


def test_huge_counts():
    big = np.iinfo(np.int64).max
    assert pradix.dbinom(3, [big, 2**62], 0.5).tolist() == [0.0, 0.0]
    assert pradix.dbinom(big, big, 1.0) == 1.0 and pradix.dbinom(big - 1, big, 1.0) == 0.0
    assert pradix.dpois(big, 1.0) == 0.0 and pradix.dpois(big, 1e300) == 0.0
