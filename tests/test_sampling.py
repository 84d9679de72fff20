"""Sampling kernels: seeded streams, engine consumption, invalid and infinite parameters, fit."""
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


@pytest.mark.parametrize("draw, used", [
    (lambda e: pradix.runif(0, 1, engine=e), 1),
    (lambda e: pradix.rnorm(engine=e), 4),  # the first pair is rejected
    (lambda e: pradix.rnorm(5, 0, engine=e), 4),
    (lambda e: pradix.rlnorm(0, 1, engine=e), 4),
    (lambda e: pradix.rgamma(2, 1, engine=e), 5),
    (lambda e: pradix.rgamma(0.5, 1, engine=e), 4),
    (lambda e: pradix.rbeta(2, 3, engine=e), 8),
])
def test_outputs_consumed_from_seed_1(draw, used):
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


INVALID = [
    ("runif", (2.0, 2.0)), ("runif", (3.0, 1.0)), ("runif", (NAN, 1.0)), ("runif", (0.0, NAN)),
    ("rnorm", (0.0, -1.0)), ("rnorm", (NAN, 1.0)), ("rnorm", (0.0, NAN)), ("rlnorm", (0.0, -1e-300)),
    ("rgamma", (2.0, 1e-17)), ("rgamma", (-1.0, 1.0)), ("rgamma", (NAN, 1.0)), ("rgamma", (2.0, -INF)),
    ("rchisq", (-1.0,)), ("rchisq", (NAN,)), ("rinvgamma", (3.0, 1e16)), ("rinvgamma", (-1.0, 1.0)),
    ("rinvgamma", (2.0, -1.0)), ("rbeta", (-1.0, 2.0)), ("rbeta", (2.0, NAN)), ("rf", (1e-17, 5.0)),
    ("rf", (5.0, 0.0)), ("rt", (0.0,)), ("rt", (-INF,)), ("rt", (NAN,)),
]


@pytest.mark.parametrize("name, params", INVALID)
def test_invalid_parameters_give_nan_and_draw_nothing(name, params):
    f = getattr(pradix, name)
    engine = pradix.Engine(5)
    value = f(*params, engine=engine)
    assert struct.pack("<d", value) == struct.pack("<Q", 0x7FF8000000000000)
    assert np.isnan(f(*params, size=[2, 3], engine=engine)).all()
    assert pradix.rgamma(2.0, 1.0, engine=engine) == pradix.rgamma(2.0, 1.0, engine=pradix.Engine(5))


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
]


@pytest.mark.parametrize("name, params, dist", FIT)
def test_goodness_of_fit(name, params, dist):
    sample = getattr(pradix, name)(*params, size=20000, engine=pradix.Engine(2024))
    assert stats.kstest(sample, dist.cdf).pvalue > 1e-3


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
    assert seen["outcome"] == "KeyboardInterrupt" and seen["delay"] < 1.0 and seen["healthy"]
    assert seen["next"] != pradix.runif(0.0, 1.0, engine=pradix.Engine(11))  # the engine kept its draws
