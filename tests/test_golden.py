"""Every function still gives, bit for bit, the results recorded in
tests/data/golden.json (made by tools/make_golden.py)."""
import importlib.util
import json
import os

import pytest

HERE = os.path.dirname(os.path.abspath(__file__))
with open(os.path.join(HERE, "data", "golden.json")) as fh:
    GOLDEN = json.load(fh)

_found = importlib.util.spec_from_file_location(
    "make_golden", os.path.join(HERE, "..", "tools", "make_golden.py"))
make_golden = importlib.util.module_from_spec(_found)
_found.loader.exec_module(make_golden)


@pytest.mark.parametrize("name", sorted(GOLDEN["functions"]))
def test_functions(name):
    assert make_golden.evaluate(name) == GOLDEN["functions"][name]


def test_sampler_streams():
    now = make_golden.streams()
    for name, want in GOLDEN["streams"].items():
        assert now[name] == want, name
