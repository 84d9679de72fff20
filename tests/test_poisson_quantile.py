"""The Poisson quantile keeps the distribution function values its searches
step through, in one range of consecutive k that later searches of the call
join, fill up to, or start afresh far from it.  Whatever the order of the
points, every result is the one-by-one call's, and draws by inversion keep
their stream."""
import numpy as np
import pytest

import pradix

rng = np.random.default_rng(23)


@pytest.mark.parametrize("rate", [0.3, 5.0, 10.9, 11.0, 1500.0, 1e8, 1e12])
def test_searches_of_one_call_match_single_calls(rate):
    p = np.concatenate([rng.uniform(size=300), 10.0 ** -rng.uniform(1, 16, 40), 1 - 10.0 ** -rng.uniform(1, 15, 40)])
    single = np.array([pradix.qpois(level, rate) for level in p])
    for order in (np.argsort(p), np.argsort(-p), rng.permutation(p.size)):
        assert np.array_equal(pradix.qpois(p[order], rate), single[order])


@pytest.mark.parametrize("rate", [3.0, 40.0, 2e5])
def test_draws_are_those_of_single_draws(rate):
    many = pradix.rpois(rate, 500, engine=pradix.Engine(5))
    engine = pradix.Engine(5)
    assert np.array_equal(many, [pradix.rpois(rate, engine=engine) for _ in range(500)])
