"""The point memo of the discrete functions.

A call keeps the results of its points, one per slot of a table sized to
the call, so that repeated points are computed once.  Thousands of distinct
points in one call share slots (a newer point replaces an older one that
hashes to the same slot); every result must still be the one-by-one call's,
also once the memo has given up on a call whose points do not repeat.
"""
import numpy as np
import pytest

import pradix

rng = np.random.default_rng(17)

CALLS = [
    (pradix.dbinom, (5000, 0.3, True)), (pradix.pbinom, (5000, 0.3)), (pradix.qbinom, (5000, 0.3)),
    (pradix.dpois, (1500.0,)), (pradix.ppois, (1500.0, True)), (pradix.qpois, (1500.0,)),
]


def distinct_points(fn, count):
    if fn in (pradix.qbinom, pradix.qpois):
        return rng.uniform(size=count)
    return rng.permutation(np.arange(-5, count - 5, dtype=np.int64))


@pytest.mark.parametrize("repeats, count", [(6, 3000), (1, 20000)])
@pytest.mark.parametrize("fn, params", CALLS, ids=[fn.__name__ for fn, _ in CALLS])
def test_results_are_those_of_one_by_one_calls(fn, params, repeats, count):
    distinct = distinct_points(fn, count)
    x = rng.permutation(np.repeat(distinct, repeats))
    got = fn(x, *params)
    one = {v: fn(v, *params) for v in distinct[: count // 10].tolist()}
    for i in np.flatnonzero(np.isin(x, list(one))):
        assert got[i] == one[x[i].item()], (fn.__name__, x[i])


@pytest.mark.parametrize("fn, params", CALLS, ids=[fn.__name__ for fn, _ in CALLS])
def test_points_with_the_keys_of_empty_slots_are_computed(fn, params):
    # An empty slot of the memo holds key 0 or key 1: the points whose bits
    # are 0 and 1 must be computed on their first lookup, not found there.
    if fn in (pradix.qbinom, pradix.qpois):
        keys = np.array([0.0, 5e-324])  # bits 0 and 1
        others = rng.uniform(size=50)
    else:
        keys = np.array([0, 1], dtype=np.int64)
        others = np.arange(2, 52, dtype=np.int64)
    for order in (keys, keys[::-1]):
        x = np.concatenate([order, others, order])
        got = fn(x, *params)
        for i, v in enumerate(x.tolist()):
            assert got[i] == fn(v, *params), (fn.__name__, v)
