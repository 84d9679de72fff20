"""Points under fixed parameters (the kernel prepared once per call) give the
same bits as the element-by-element evaluation of the same arguments, on the
golden grid plus a few interior parameters."""
import importlib.util
import itertools
import os

import numpy as np
import pytest

import pradix

HERE = os.path.dirname(os.path.abspath(__file__))
_found = importlib.util.spec_from_file_location(
    "make_golden", os.path.join(HERE, "..", "tools", "make_golden.py"))
make_golden = importlib.util.module_from_spec(_found)
_found.loader.exec_module(make_golden)

# Shapes in the other regions of the incomplete gamma and beta functions.
INTERIOR = [0.7, 12.0, 150.0]
CODES = ["chisq", "exp", "gamma", "invgamma", "weibull", "beta", "t", "f"]
NAMES = [f + c for f in "dpq" for c in CODES]


def bits(values):
    v = np.array(values, dtype=np.float64)
    v[np.isnan(v)] = np.nan
    return v.view(np.uint64)


@pytest.mark.parametrize("name", NAMES)
def test_prepared_matches_elementwise(name):
    family, code = name[0], name[1:]
    fn = getattr(pradix, name)
    points = np.array(make_golden.PROBS if family == "q" else make_golden.POINTS, dtype=float)
    axes = [list(a) + INTERIOR for a in make_golden.FLOAT_PARAMS[code]]
    flags = [()] if family == "q" else [(False,), (True,)]
    for params, flag in itertools.product(itertools.product(*axes), flags):
        spread = [np.full(points.shape, p) for p in params]
        want = bits(fn(points, *spread, *flag))
        got = bits(fn(points, *[float(p) for p in params], *flag))
        assert np.array_equal(got, want), (params, flag, points[got != want])
