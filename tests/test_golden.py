"""Every function still gives, bit for bit, the results recorded in
tests/data/golden.npz (made by tools/make_golden.py), against whatever
pradix is importable, through every evaluation path of the element loop:
full arrays, broadcast axes, strided and Fortran-ordered views, one array of
points with scalar parameters, and all-scalar calls.  A failure names the
function, the mode and grid, the path, the first differing arguments and
both bit patterns."""
import importlib.util
import os

import pytest

HERE = os.path.dirname(os.path.abspath(__file__))
_found = importlib.util.spec_from_file_location(
    "make_golden", os.path.join(HERE, "..", "tools", "make_golden.py"))
make_golden = importlib.util.module_from_spec(_found)
_found.loader.exec_module(make_golden)

CASES = make_golden.load()
GROUPS = sorted({(section, name, path) for section, name, *_ in CASES for path in make_golden.paths(section)})


@pytest.mark.parametrize("section, name, path", GROUPS, ids=[f"{s}-{n}-{p}" for s, n, p in GROUPS])
def test_recorded_bits(section, name, path):
    if section in ("kit", "scripted") and make_golden._testkit is None:
        pytest.skip("test kit not built")
    found = [make_golden.difference(s, n, mode, args, want, shape, path)
             for s, n, mode, args, want, shape in CASES if (s, n) == (section, name)]
    found = [m for m in found if m]
    assert not found, "\n".join(found)
