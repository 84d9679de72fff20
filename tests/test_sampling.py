"""Samplers: seeded streams against the model, engine consumption, invalid and
infinite parameters, fit."""
import math
import struct

import numpy as np
import pytest
from scipy import stats

import _testkit
import pradix
from draws_model import SAMPLERS, Stream, consumed
from interrupted import interrupt

INF = math.inf
NAN = math.nan


def test_seed_1_stream_examples():
    def fresh():
        return pradix.Engine(1)

    assert pradix.runif(0, 1, engine=fresh()) == 0.13387664401253274
    assert pradix.rnorm(engine=fresh()) == pytest.approx(-0.039399956754155, abs=1e-14)
    assert pradix.rgamma(2, 1, engine=fresh()) == pytest.approx(1.61631723873, abs=1e-11)
    assert pradix.rgamma(0.5, 1, engine=fresh()) == pytest.approx(0.00600047973388, abs=1e-14)
    assert pradix.rbeta(2, 3, engine=fresh()) == pytest.approx(0.270127284687, abs=1e-12)
    assert pradix.rlnorm(0.25, 0.0, engine=fresh()) == _testkit.exp(0.25)
    assert pradix.rnorm(5, 0, engine=fresh()) == 5.0
    b = math.nextafter(1.0, 2.0)
    assert (pradix.runif(1.0, b, size=5, engine=fresh()) == b).all()


# (draw, value or None, outputs consumed) from an engine seeded with 1
@pytest.mark.parametrize("draw, value, used", [
    (lambda e: pradix.runif(0, 1, engine=e), None, 1),
    (lambda e: pradix.rnorm(engine=e), None, 4),  # the first pair is rejected
    (lambda e: pradix.rnorm(5, 0, engine=e), None, 4),
    (lambda e: pradix.rlnorm(0, 1, engine=e), None, 4),
    (lambda e: pradix.rgamma(2, 1, engine=e), None, 5),
    (lambda e: pradix.rgamma(0.5, 1, engine=e), None, 4),
    (lambda e: pradix.rbeta(2, 3, engine=e), None, 8),
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
    if value is not None:
        got = draw(pradix.Engine(1))
        assert math.isnan(got) if math.isnan(value) else got == value
    assert consumed(1, draw) == used


CASES = [
    ("runif", (0.0, 1.0)), ("runif", (-3.5, 1e-300)), ("runif", (1.0, math.nextafter(1.0, 2.0))),
    ("rnorm", (0.0, 1.0)), ("rnorm", (-2.0, 1e-3)), ("rlnorm", (0.3, 1.7)),
    ("rgamma", (0.0, 1.0)), ("rgamma", (1e-3, 2.0)), ("rgamma", (1.0, 0.5)), ("rgamma", (1.0000001, 1.0)),
    ("rgamma", (2.5, 3.0)), ("rgamma", (1e6, 1e-6)),
    ("rchisq", (0.0,)), ("rchisq", (0.3,)), ("rchisq", (9.0,)),
    ("rinvgamma", (0.7, 2.0)), ("rinvgamma", (4.0, 0.01)),
    ("rbeta", (0.5, 0.5)), ("rbeta", (2.0, 30.0)), ("rbeta", (0.0, 2.0)),
    ("rf", (1.0, 1.0)), ("rf", (7.0, 3.5)), ("rt", (0.5,)), ("rt", (30.0,)),
    # boosted and unboosted parts side by side
    ("rgamma", (0.5, 1.0)), ("rchisq", (2.0,)), ("rt", (2.0,)), ("rt", (5.0,)),
    ("rbeta", (2.0, 0.3)), ("rf", (0.5, 4.0)),
    ("rbern", (0.3,)), ("rbern", (0.999,)),
    ("rcauchy", (0.0, 1.0)), ("rcauchy", (-2.5, 0.01)),
    ("rexp", (1.0,)), ("rexp", (3e-3,)), ("rexp", (INF,)),
    ("rlaplace", (0.0, 1.0)), ("rlaplace", (5.0, 0.25)),
    ("rlogis", (0.0, 1.0)), ("rlogis", (-1.0, 3.0)),
    # below 11 the Poisson search starts at 0, from 11 on near a normal guess
    ("rpois", (0.7,)), ("rpois", (10.9,)), ("rpois", (11.0,)), ("rpois", (1234.5,)),
    ("rweibull", (0.5, 2.0)), ("rweibull", (3.0, 1.0)), ("rweibull", (INF, 2.0)),
]


@pytest.mark.parametrize("name, params", CASES)
def test_streams_match_the_model_bit_for_bit(name, params):
    n = 60
    engine = pradix.Engine(11)
    drawn = getattr(pradix, name)(*params, size=n, engine=engine)
    st = Stream(11)
    expected = [SAMPLERS[name](st, *params) for _ in range(n)]
    assert drawn.tobytes() == np.array(expected).tobytes()
    assert pradix.runif(0.0, 1.0, engine=engine) == st.uniform()  # same outputs consumed


# (infinite shapes: parts that draw nothing)
@pytest.mark.parametrize("name, params", CASES + [("rt", (INF,)), ("rbeta", (INF, 2.0)), ("rf", (3.0, INF))])
def test_array_fills_are_successive_scalar_draws(name, params):
    # Arrays are filled by blocks of draws (some samplers transform a whole
    # block of uniforms at once): 2.5 blocks must give the scalar stream.
    f = getattr(pradix, name)
    filled, scalar = pradix.Engine(13), pradix.Engine(13)
    drawn = f(*params, size=[3, 213], engine=filled)
    expected = [f(*params, engine=scalar) for _ in range(3 * 213)]
    assert drawn.tobytes() == np.array(expected).reshape(3, 213).tobytes()
    assert pradix.runif(0.0, 1.0, engine=filled) == pradix.runif(0.0, 1.0, engine=scalar)


@pytest.mark.parametrize("n_trials, prob", [(1, 0.9), (3, 0.3), (8, 0.5)])
def test_rbinom_counts_successive_rbern_trials(n_trials, prob):
    counts_engine, trials_engine = pradix.Engine(9), pradix.Engine(9)
    counts = pradix.rbinom(n_trials, prob, size=40, engine=counts_engine)
    trials = pradix.rbern(prob, size=[40, n_trials], engine=trials_engine)
    assert counts.tolist() == trials.sum(axis=1).tolist()
    assert pradix.runif(0.0, 1.0, engine=counts_engine) == pradix.runif(0.0, 1.0, engine=trials_engine)


INVALID = [
    ("runif", (2.0, 2.0)), ("runif", (3.0, 1.0)), ("runif", (NAN, 1.0)), ("runif", (0.0, NAN)),
    ("rnorm", (0.0, -1.0)), ("rnorm", (NAN, 1.0)), ("rnorm", (0.0, NAN)), ("rlnorm", (0.0, -1e-300)),
    ("rgamma", (2.0, 1e-17)), ("rgamma", (-1.0, 1.0)), ("rgamma", (NAN, 1.0)), ("rgamma", (2.0, -INF)),
    ("rchisq", (-1.0,)), ("rchisq", (NAN,)), ("rinvgamma", (3.0, 1e16)), ("rinvgamma", (-1.0, 1.0)),
    ("rinvgamma", (2.0, -1.0)), ("rbeta", (-1.0, 2.0)), ("rbeta", (2.0, NAN)), ("rf", (1e-17, 5.0)),
    ("rf", (5.0, 0.0)), ("rt", (0.0,)), ("rt", (-INF,)), ("rt", (NAN,)),
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
    value = f(*params, engine=engine)
    assert struct.pack("<d", value) == struct.pack("<Q", 0x7FF8000000000000)
    assert np.isnan(f(*params, size=[2, 3], engine=engine)).all()
    assert pradix.runif(0.0, 1.0, engine=engine) == pradix.runif(0.0, 1.0, engine=pradix.Engine(5))


def test_a_uniform_of_one_gives_the_upper_end():
    # 2^64 - 1 rounds up to 2^64: U = 1 exactly, one output in 2^54
    assert _testkit.positive_uniform_of([2**64 - 1]) == (1.0, 1)
    ends = [pradix.qcauchy(1.0, 0.0, 1.0), pradix.qexp(1.0, 1.0), pradix.qlaplace(1.0, 0.0, 1.0),
            pradix.qlogis(1.0, 0.0, 1.0), pradix.qpois(1.0, 3.0), pradix.qweibull(1.0, 2.0, 1.0)]
    assert ends == [INF] * 6


# Infinite shapes never reach the rejection loop: rgamma(inf) is +inf without
# drawing, and the composites take what their arithmetic makes of it.
@pytest.mark.parametrize("name, params, value, used", [
    ("rgamma", (INF, 1.0), INF, lambda st: None),
    ("rgamma", (INF, INF), INF, lambda st: None),
    ("rchisq", (INF,), INF, lambda st: None),
    ("rinvgamma", (INF, 2.0), 0.0, lambda st: None),
    ("rbeta", (2.0, INF), 0.0, lambda st: SAMPLERS["rgamma"](st, 2.0, 1.0)),
    ("rbeta", (INF, 2.0), NAN, lambda st: SAMPLERS["rgamma"](st, 2.0, 1.0)),
    ("rbeta", (INF, INF), NAN, lambda st: None),
    ("rt", (INF,), NAN, lambda st: SAMPLERS["rnorm"](st, 0.0, 1.0)),
    ("rf", (INF, 5.0), NAN, lambda st: SAMPLERS["rchisq"](st, 5.0)),
    ("rf", (5.0, INF), NAN, lambda st: SAMPLERS["rchisq"](st, 5.0)),
    # A shape of -0.0 is the point mass at 0, drawn like +0.0.
    ("rgamma", (-0.0, 1.0), 0.0, lambda st: SAMPLERS["rgamma"](st, 0.0, 1.0)),
    ("rchisq", (-0.0,), 0.0, lambda st: SAMPLERS["rchisq"](st, 0.0)),
    ("rbeta", (-0.0, 2.0), 0.0, lambda st: SAMPLERS["rbeta"](st, 0.0, 2.0)),
])
def test_infinite_and_negative_zero_shapes(name, params, value, used):
    for seed in (1, 2, 3):
        drawn = getattr(pradix, name)(*params, engine=pradix.Engine(seed))
        assert math.isnan(drawn) if math.isnan(value) else struct.pack("<d", drawn) == struct.pack("<d", value)
        st = Stream(seed)
        used(st)
        assert consumed(seed, lambda e: getattr(pradix, name)(*params, engine=e)) == st.used


FIT = [
    ("runif", (-2.0, 3.0), stats.uniform(-2.0, 5.0)), ("rnorm", (1.0, 2.0), stats.norm(1.0, 2.0)),
    ("rlnorm", (0.5, 0.75), stats.lognorm(0.75, scale=math.exp(0.5))),
    ("rgamma", (0.3, 2.0), stats.gamma(0.3, scale=2.0)), ("rgamma", (1.0, 1.0), stats.gamma(1.0)),
    ("rgamma", (4.5, 0.5), stats.gamma(4.5, scale=0.5)), ("rchisq", (3.0,), stats.chi2(3.0)),
    ("rinvgamma", (3.0, 2.0), stats.invgamma(3.0, scale=2.0)), ("rbeta", (0.7, 2.5), stats.beta(0.7, 2.5)),
    ("rf", (5.0, 12.0), stats.f(5.0, 12.0)), ("rt", (4.0,), stats.t(4.0)),
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


def test_nan_draws_are_the_canonical_nan():
    # 0 / 0 from two zero gamma draws; an invalid parameter; scalar and array
    engine = pradix.Engine(3)
    values = [pradix.rbeta(0.0, 0.0, engine=engine), pradix.rnorm(0.0, -1.0, engine=engine)]
    values += list(pradix.rbeta(0.0, 0.0, 4, engine=engine))
    bits = np.array(values).view(np.uint64)
    assert np.all(bits == 0x7FF8000000000000)


@pytest.mark.parametrize("call", ["pradix.rbinom(10**11, 0.5, engine=engine)",  # one long kernel call
                                  "pradix.rnorm(size=10**8, engine=engine)",  # a long fill loop
                                  "pradix.rbinom(10**7, 0.5, size=[10, 10], engine=engine)",
                                  "pradix.rpois(1e16, size=5, engine=engine)"])  # a long Poisson search
def test_ctrl_c_stops_a_sampler_and_returns_nothing(call):
    seen = interrupt(call)
    assert seen["outcome"] == "KeyboardInterrupt" and seen["delay"] < 2.0 and seen["healthy"]
    assert seen["next"] != pradix.runif(0.0, 1.0, engine=pradix.Engine(11))  # the engine kept its draws


@pytest.mark.parametrize("call", ["pradix.rbinom(65536, 0.5, 10**6, engine=engine)",  # trials poll across draws
                                  "pradix.rbinom(3, 0.5, 10**8, engine=engine)"])
def test_ctrl_c_stops_binomial_draws_within_a_second(call):
    seen = interrupt(call)
    assert seen["outcome"] == "KeyboardInterrupt" and seen["delay"] < 1.0 and seen["healthy"]
