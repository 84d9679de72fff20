"""Every function still gives, bit for bit, the results recorded in
tests/data/golden.npz (made by tools/make_golden.py), against whatever
pradix is importable.  A failure names the function, the mode and grid, the
first differing arguments and both bit patterns."""
import importlib.util
import os

import pytest

HERE = os.path.dirname(os.path.abspath(__file__))
_found = importlib.util.spec_from_file_location(
    "make_golden", os.path.join(HERE, "..", "tools", "make_golden.py"))
make_golden = importlib.util.module_from_spec(_found)
_found.loader.exec_module(make_golden)

CASES = make_golden.load()
GROUPS = sorted({(section, name) for section, name, *_ in CASES})


@pytest.mark.parametrize("section, name", GROUPS, ids=[f"{s}-{n}" for s, n in GROUPS])
def test_recorded_bits(section, name):
    if section in ("kit", "scripted") and make_golden._testkit is None:
        pytest.skip("test kit not built")
    found = [make_golden.difference(*case) for case in CASES if case[:2] == (section, name)]
    found = [m for m in found if m]
    assert not found, "\n".join(found)
