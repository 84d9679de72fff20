"""Bernoulli, binomial and inversion samplers: streams, engine consumption, special parameters, fit."""
import math
import struct

import numpy as np
import pytest
from scipy import stats

import _testkit
import pradix
from draws_model import SAMPLERS, Stream, consumed

INF = math.inf
NAN = math.nan

STREAMS = [
    ("rbern", (0.3,)), ("rbern", (0.999,)),
    ("rcauchy", (0.0, 1.0)), ("rcauchy", (-2.5, 0.01)),
    ("rexp", (1.0,)), ("rexp", (3e-3,)), ("rexp", (INF,)),
    ("rlaplace", (0.0, 1.0)), ("rlaplace", (5.0, 0.25)),
    ("rlogis", (0.0, 1.0)), ("rlogis", (-1.0, 3.0)),
    # below 11 the Poisson search starts at 0, from 11 on near a normal guess
    ("rpois", (0.7,)), ("rpois", (10.9,)), ("rpois", (11.0,)), ("rpois", (1234.5,)),
    ("rweibull", (0.5, 2.0)), ("rweibull", (3.0, 1.0)), ("rweibull", (INF, 2.0)),
]


@pytest.mark.parametrize("name, params", STREAMS)
def test_streams_are_the_quantiles_of_successive_uniforms(name, params):
    n = 50
    engine = pradix.Engine(17)
    drawn = getattr(pradix, name)(*params, size=n, engine=engine)
    st = Stream(17)
    expected = [SAMPLERS[name](st, *params) for _ in range(n)]
    assert st.used == n
    assert drawn.tobytes() == np.array(expected).tobytes()
    assert pradix.runif(0.0, 1.0, engine=engine) == st.uniform()  # one output per draw


@pytest.mark.parametrize("n_trials, prob", [(1, 0.9), (3, 0.3), (8, 0.5)])
def test_rbinom_counts_successive_rbern_trials(n_trials, prob):
    counts_engine, trials_engine = pradix.Engine(9), pradix.Engine(9)
    counts = pradix.rbinom(n_trials, prob, size=40, engine=counts_engine)
    trials = pradix.rbern(prob, size=[40, n_trials], engine=trials_engine)
    assert counts.tolist() == trials.sum(axis=1).tolist()
    assert pradix.runif(0.0, 1.0, engine=counts_engine) == pradix.runif(0.0, 1.0, engine=trials_engine)


@pytest.mark.parametrize("draw, value, used", [
    # the first four uniforms of seed 1 (about 0.134, 0.136, 0.451, 0.021) are all below 0.5
    (lambda e: pradix.rbinom(4, 0.5, engine=e), 4.0, 4),
    (lambda e: pradix.rbern(1.0, engine=e), 1.0, 1),
    (lambda e: pradix.rbern(0.0, engine=e), 0.0, 1),
    (lambda e: pradix.rbinom(0, 0.3, engine=e), 0.0, 0),
    (lambda e: pradix.rbinom(10, 1.0, engine=e), 10.0, 10),
    (lambda e: pradix.rbinom(10, 0.0, engine=e), 0.0, 10),
    # parameters the sampler lets through but the quantile refuses, after the draw
    (lambda e: pradix.rcauchy(0.0, INF, engine=e), NAN, 1),
    (lambda e: pradix.rlaplace(0.0, INF, engine=e), NAN, 1),
    (lambda e: pradix.rlogis(0.0, INF, engine=e), NAN, 1),
    # mass escaped to +inf; a Poisson search that could not end is NaN
    (lambda e: pradix.rpois(INF, engine=e), INF, 1),
    (lambda e: pradix.rexp(0.0, engine=e), INF, 1),
    (lambda e: pradix.rpois(1e300, engine=e), NAN, 1),
])
def test_values_and_outputs_consumed_from_seed_1(draw, value, used):
    got = draw(pradix.Engine(1))
    assert math.isnan(got) if math.isnan(value) else got == value
    assert consumed(1, draw) == used


INVALID = [
    ("rbern", (1.5,)), ("rbern", (-0.1,)), ("rbern", (INF,)), ("rbern", (-INF,)), ("rbern", (NAN,)),
    ("rbinom", (-1, 0.3)), ("rbinom", (5, 1.5)), ("rbinom", (5, NAN)), ("rbinom", (-(2**63), 0.5)),
    ("rcauchy", (0.0, -1.0)), ("rcauchy", (NAN, 1.0)), ("rlaplace", (0.0, -1e-300)), ("rlaplace", (0.0, NAN)),
    ("rlogis", (NAN, 1.0)), ("rlogis", (1.0, -INF)), ("rexp", (-1.0,)), ("rexp", (NAN,)),
    ("rpois", (-1e-300,)), ("rpois", (NAN,)), ("rweibull", (1e-17, 1.0)), ("rweibull", (1.0, 1e-17)),
    ("rweibull", (NAN, 1.0)), ("rweibull", (1.0, -INF)),
]


@pytest.mark.parametrize("name, params", INVALID)
def test_invalid_parameters_give_nan_and_draw_nothing(name, params):
    f = getattr(pradix, name)
    engine = pradix.Engine(5)
    assert struct.pack("<d", f(*params, engine=engine)) == struct.pack("<Q", 0x7FF8000000000000)
    assert np.isnan(f(*params, size=[2, 3], engine=engine)).all()
    assert pradix.runif(0.0, 1.0, engine=engine) == pradix.runif(0.0, 1.0, engine=pradix.Engine(5))


def test_a_uniform_of_one_gives_the_upper_end():
    # 2^64 - 1 rounds up to 2^64: U = 1 exactly, one output in 2^54
    assert _testkit.positive_uniform_of([2**64 - 1]) == (1.0, 1)
    ends = [pradix.qcauchy(1.0, 0.0, 1.0), pradix.qexp(1.0, 1.0), pradix.qlaplace(1.0, 0.0, 1.0),
            pradix.qlogis(1.0, 0.0, 1.0), pradix.qpois(1.0, 3.0), pradix.qweibull(1.0, 2.0, 1.0)]
    assert ends == [INF] * 6


FIT = [
    ("rbern", (0.3,), stats.bernoulli(0.3)), ("rbinom", (20, 0.3), stats.binom(20, 0.3)),
    ("rcauchy", (1.0, 2.0), stats.cauchy(1.0, 2.0)), ("rexp", (2.5,), stats.expon(scale=0.4)),
    ("rlaplace", (-1.0, 0.5), stats.laplace(-1.0, 0.5)), ("rlogis", (2.0, 3.0), stats.logistic(2.0, 3.0)),
    ("rpois", (4.5,), stats.poisson(4.5)), ("rpois", (60.0,), stats.poisson(60.0)),
    ("rweibull", (1.7, 2.0), stats.weibull_min(1.7, scale=2.0)),
]


@pytest.mark.parametrize("name, params, dist", FIT)
def test_goodness_of_fit(name, params, dist):
    n = 20000
    sample = getattr(pradix, name)(*params, size=n, engine=pradix.Engine(2024))
    if isinstance(dist.dist, stats.rv_continuous):
        assert stats.kstest(sample, dist.cdf).pvalue > 1e-3
        return
    # chi-square over the central counts, the tails pooled into the end bins
    lo, hi = dist.ppf(1e-3), dist.ppf(1 - 1e-3)
    ks = np.arange(lo, hi + 1)
    observed = np.array([np.sum(np.clip(sample, lo, hi) == k) for k in ks])
    expected = n * dist.pmf(ks)
    expected[0], expected[-1] = n * dist.cdf(lo), n * dist.sf(hi - 1)
    assert observed.sum() == n
    assert stats.chisquare(observed, expected).pvalue > 1e-3
