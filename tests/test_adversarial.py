"""Every density, distribution function and quantile on hostile arguments.

Each function is evaluated on the full cross product of extreme values for
each of its parameters.  Nothing may raise, crash or hang, and a NaN in any
floating argument must give NaN.
"""
import itertools

import numpy as np
import pytest

import pradix
from catalogue import CODES, INTEGER_POINTS, PARAMS, I

FLOATS = np.array([np.nan, np.inf, -np.inf, 0.0, -0.0, 5e-324, 1e-300, 2.0**-53, 0.5, 1.0, 2.0,
                   7.5, 1e15, 1e308, -1e308, -1.0])
INTS = np.array([np.iinfo(np.int64).min, -(2**40), -1, 0, 1, 2, 5, 2**40, np.iinfo(np.int64).max],
                dtype=np.int64)
# Binomial and Poisson distribution functions and quantiles cost time linear
# (or quadratic) in the count, so they get moderate integers.
SMALL_INTS = np.array([np.iinfo(np.int64).min, -1, 0, 1, 2, 5, 40], dtype=np.int64)


def functions():
    for family in "dpq":
        for code in CODES:
            name = family + code
            if hasattr(pradix, name):
                yield name


def argument_grid(name):
    family, code = name[0], name[1:]
    costly = family in "pq" and code in ("binom", "pois")
    ints = SMALL_INTS if costly else INTS
    kinds = []
    if family == "q":
        kinds.append(FLOATS)
    else:
        kinds.append(ints if code in INTEGER_POINTS else FLOATS)
    for _, t in PARAMS[code]:
        kinds.append(ints if t == I else FLOATS)
    grids = np.meshgrid(*kinds, indexing="ij")
    return [g.ravel() for g in grids]


CALLS = [(name, flag) for name in functions() for flag in ((None,) if name[0] == "q" else (False, True))]


@pytest.mark.parametrize("name, flag", CALLS)
def test_extremes(name, flag):
    fn = getattr(pradix, name)
    args = argument_grid(name)
    out = fn(*args) if flag is None else fn(*args, flag)
    assert out.dtype == np.float64 and out.shape == args[0].shape
    nan_in = np.zeros(out.shape, dtype=bool)
    for a in args:
        if a.dtype == np.float64:
            nan_in |= np.isnan(a)
    assert np.all(np.isnan(out[nan_in]))
    # every NaN leaves the module as the one canonical quiet NaN
    assert np.all(out.view(np.uint64)[np.isnan(out)] == 0x7FF8000000000000)
