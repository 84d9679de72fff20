"""The element loop's shortcuts give the recorded bits too.

The golden cases are recorded with every argument a full array, the general
loop calling the scalar kernel at each element.  Here the same points go
through the other paths: one array of points with scalar parameters (the
kernel prepared once per call, points memoised) and all-scalar calls read
without NumPy."""
import importlib.util
import os
from collections import defaultdict

import numpy as np
import pytest

import pradix

HERE = os.path.dirname(os.path.abspath(__file__))
_found = importlib.util.spec_from_file_location(
    "make_golden", os.path.join(HERE, "..", "tools", "make_golden.py"))
make_golden = importlib.util.module_from_spec(_found)
_found.loader.exec_module(make_golden)

CASES = [c for c in make_golden.load() if c[0] == "module"]
NAMES = sorted({c[1] for c in CASES})


def scalar(a):
    return a.item()  # int64 elements as Python ints, float64 as floats


@pytest.mark.parametrize("name", NAMES)
def test_prepared_and_scalar_paths(name):
    fn = getattr(pradix, name)
    for _, _, mode, args, want in (c for c in CASES if c[1] == name):
        flag = [] if mode.startswith("q/") else [mode.startswith("log/")]
        groups = defaultdict(list)
        for i in range(args[0].size):
            groups[tuple(a[i].tobytes() for a in args[1:])].append(i)
        for rows in groups.values():
            idx = np.array(rows)
            params = [scalar(a[rows[0]]) for a in args[1:]] + flag
            got = make_golden.bits(fn(args[0][idx], *params))
            assert np.array_equal(got, want[idx]), (name, mode, params)
            i = rows[len(rows) // 2]
            one = make_golden.bits([fn(scalar(args[0][i]), *params)])
            assert one[0] == want[i], (name, mode, scalar(args[0][i]), params)
