"""Engine seeding, the shared default engine and the sampling front-end."""
import re
import subprocess
import sys

import numpy as np
import pytest

import _testkit
import pradix
from draws_model import TWO_POW_64, Stream, normal

SEED_1_OUTPUTS = [2469588189546311528, 2516265689700432462, 8323445853463659930, 387828560950575246]


@pytest.mark.parametrize("seed, seed64", [(1, 1), (-1, 2**64 - 1), (5, 5), (-(2**31), 2**64 - 2**31)])
def test_engine_is_seeded_with_the_sign_extended_seed(seed, seed64):
    reference = _testkit.Twister.from_seed64(seed64)
    expected = [reference.next() for _ in range(700)]  # past two regenerations of the state
    twister = _testkit.Twister(seed)
    assert [twister.next() for _ in range(700)] == expected
    if seed == 1:
        assert expected[:4] == SEED_1_OUTPUTS
    drawn = pradix.runif(0.0, 1.0, size=700, engine=pradix.Engine(seed))
    assert drawn.tolist() == [float(x) / TWO_POW_64 for x in expected]
    st, t = Stream(seed), _testkit.Twister(seed)
    assert [t.canonical_uniform(), t.positive_uniform(), t.polar_normal()] == [st.uniform(), st.positive(), normal(st)]


@pytest.mark.parametrize("call", [lambda: pradix.Engine(seed=1), lambda: pradix.Engine(1.5),
                                  lambda: pradix.Engine(2**31), lambda: pradix.Engine(-(2**31) - 1),
                                  lambda: pradix.Engine("1"), lambda: pradix.Engine(None),
                                  lambda: pradix.Engine()])
def test_engine_rejects_other_seeds(call):
    with pytest.raises(TypeError):
        call()


def test_engine_has_no_state_visible_from_python():
    engine = pradix.Engine(1)
    with pytest.raises(AttributeError):
        engine.seed = 2
    assert pradix.Engine.__init__.__doc__.startswith("__init__(self: pradix.Engine, arg0: int) -> None")


def test_default_engine_is_seeded_with_1_and_shared_by_every_call():
    script = (
        "import pradix\n"
        "assert not any(isinstance(v, pradix.Engine) for v in vars(pradix).values())\n"
        "e = pradix.Engine(1)\n"
        "assert pradix.rnorm() == pradix.rnorm(engine=e)\n"
        "assert pradix.runif(0, 1, 3).tolist() == pradix.runif(0, 1, 3, engine=e).tolist()\n"
        "assert pradix.rgamma(2.5, 1.0, size=[2]).tolist() == pradix.rgamma(2.5, 1.0, 2, engine=e).tolist()\n"
        "names = [n for n in vars(pradix) if n == 'Engine' or n.startswith('r')]\n"
        "assert names == ['Engine', 'rnorm', 'rbern', 'rbeta', 'rbinom', 'rcauchy', 'rchisq', 'rexp',"
        " 'rf', 'rgamma', 'rinvgamma', 'rlaplace', 'rlnorm', 'rlogis', 'rpois', 'rt', 'runif',"
        " 'rweibull'], names\n"
    )
    subprocess.run([sys.executable, "-c", script], check=True)


SAMPLERS = {"rnorm": "mu: float = 0, sigma: float = 1", "rbeta": "a: float, b: float", "rchisq": "dof: float",
            "rf": "df1: float, df2: float", "rgamma": "shape: float, scale: float",
            "rinvgamma": "shape: float, scale: float", "rlnorm": "mu: float, sigma: float", "rt": "dof: float",
            "runif": "a: float, b: float"}


@pytest.mark.parametrize("name", SAMPLERS)
def test_three_overloads_in_order(name):
    engine = r"engine: pradix\.Engine = <pradix\.Engine object at 0x[0-9a-f]+>"
    params = re.escape(SAMPLERS[name])
    returns = [f"{engine}\\) -> float", f"size: List\\[int\\], {engine}\\) -> numpy\\.ndarray\\[numpy\\.float64\\]",
               f"size: int, {engine}\\) -> numpy\\.ndarray\\[numpy\\.float64\\]"]
    expected = [f"{i}\\. {name}\\({params}, {r}" for i, r in enumerate(returns, 1)]
    lines = [line for line in getattr(pradix, name).__doc__.splitlines() if re.match(r"\d\. ", line)]
    assert len(lines) == 3
    for line, pattern in zip(lines, expected):
        assert re.fullmatch(pattern, line), line


def first(n, seed=7):
    return pradix.rnorm(0.0, 1.0, size=n, engine=pradix.Engine(seed))


@pytest.mark.parametrize("call, shape", [
    (lambda e: pradix.rnorm(5, engine=e), None),  # an int fills mu: scalar overload
    (lambda e: pradix.rnorm(0.0, 1.0, 5, engine=e), (5,)),
    (lambda e: pradix.rnorm(size=5, engine=e), (5,)),
    (lambda e: pradix.rnorm(0, 1, np.int64(3), engine=e), (3,)),
    (lambda e: pradix.rnorm(size=np.array(3), engine=e), (3,)),
    (lambda e: pradix.rnorm(size=(2, 3), engine=e), (2, 3)),
    (lambda e: pradix.rnorm(size=range(1, 3), engine=e), (1, 2)),
    (lambda e: pradix.rnorm(size=np.array([3, 2]), engine=e), (3, 2)),
    (lambda e: pradix.rnorm(size=[], engine=e), ()),
])
def test_overload_dispatch_and_array_equals_scalar_draws(call, shape):
    value = call(pradix.Engine(7))
    if shape is None:
        assert isinstance(value, float) and value == first(1)[0] + 5
        return
    assert value.shape == shape and value.dtype == np.float64 and value.flags.c_contiguous
    refs = sys.getrefcount(value)  # the local name and the call's argument: nobody else holds it
    assert refs == 2 and value.flags.owndata and value.flags.writeable
    engine = pradix.Engine(7)
    scalars = [pradix.rnorm(engine=engine) for _ in range(value.size)]
    assert value.ravel().tolist() == scalars == first(value.size).tolist()


class Unreadable:
    """A sequence of ten million extents whose items must never be read."""

    def __len__(self):
        return 10**7

    def __getitem__(self, i):
        raise AssertionError("an item was converted")


@pytest.mark.parametrize("size, error", [
    (range(10**9), ValueError), (Unreadable(), ValueError), ([-1] * 65, ValueError),
    ([2**63], ValueError), ([2**64 - 1], ValueError), (2**63, ValueError), (2**64 - 1, ValueError),
    ([2**40, 2**40], ValueError), ([1] * 65, ValueError), ([2**45], (MemoryError, ValueError)),
    ([2**64], TypeError), (2**64, TypeError), (-1, TypeError), ([3, -1], TypeError), ("ab", TypeError),
    (b"ab", TypeError), (None, TypeError), (3.0, TypeError), ([1.5], TypeError), (["2"], TypeError),
    (np.array([1.0, 2.0]), TypeError),
])
def test_unusable_sizes_raise_and_draw_nothing(size, error):
    engine = pradix.Engine(3)
    refs = sys.getrefcount(engine)
    for _ in range(3):
        with pytest.raises(error):
            pradix.rgamma(2.0, 1.0, size=size, engine=engine)
    assert sys.getrefcount(engine) == refs
    assert pradix.runif(0, 1, engine=engine) == pradix.runif(0, 1, engine=pradix.Engine(3))


@pytest.mark.parametrize("size", [[0], [3, 0], 0])
def test_empty_sizes_draw_nothing(size):
    engine = pradix.Engine(3)
    assert pradix.rbeta(2.0, 3.0, size, engine=engine).size == 0
    assert pradix.runif(0, 1, engine=engine) == pradix.runif(0, 1, engine=pradix.Engine(3))


@pytest.mark.parametrize("call", [lambda: pradix.rnorm(0.0, 1.0, engine=None), lambda: pradix.rnorm(engine=5),
                                  lambda: pradix.rt("3"), lambda: pradix.rt([1.0, 2.0]),
                                  lambda: pradix.rbeta(2.0), lambda: pradix.rt(3.0, sizes=2)])
def test_unusable_arguments_raise_type_error(call):
    with pytest.raises(TypeError):
        call()


@pytest.mark.parametrize("call", [lambda e: pradix.runif(0.0, 1.0, engine=e), lambda e: pradix.rnorm(size=3, engine=e),
                                  lambda e: pradix.rbinom(10, 0.5, [2, 2], e), lambda e: pradix.rt(-1.0, engine=e)])
def test_uninitialised_engine_is_refused(call):
    with pytest.raises(TypeError, match="not initialised"):
        call(pradix.Engine.__new__(pradix.Engine))


def test_canonical_uniform_conversion():
    edges = {0: 0.0, 2**63: 0.5, 2**64 - 1025: 1 - 2**-53, 2**64 - 1024: 1.0, 2**64 - 1: 1.0}
    ties = [2**63 + 2**10, 2**63 + 3 * 2**10, 2**62 + 2**9 + 1, 2**53 + 1, 3]
    rng = np.random.default_rng(0)
    for x in list(edges) + ties + [int(v) for v in rng.integers(0, 2**64, 500, dtype=np.uint64)]:
        assert _testkit.canonical_uniform_of([x]) == (float(x) / TWO_POW_64, 1)
        assert _testkit.positive_uniform_of([x]) == (float(x) / TWO_POW_64 or 5e-324, 1)
    for x, u in edges.items():
        assert _testkit.canonical_uniform_of([x])[0] == u


HALF = 2**63
ACCEPTED = [HALF + 2**62, HALF - 2**61]  # w1 = 0.5, w2 = -0.25


@pytest.mark.parametrize("outputs, used", [
    (ACCEPTED, 2),
    ([HALF, HALF + 2**40] + ACCEPTED, 4),  # u1 = 0.5: w1 = 0 rejected though s < 1
    ([HALF + 2**40, HALF] + ACCEPTED, 4),  # w2 = 0
    ([2**64 - 1, HALF + 2**34] + ACCEPTED, 4),  # s = 1 + 2^-58 rounds to 1: rejected
    ([2**64 - 1, 2**64 - 1] + ACCEPTED, 4),  # s = 2
    ([HALF + 2**40, HALF - 2**41], 2),  # s ~ 2^-44: rescaled before the logarithm
    ([HALF + 2**11, HALF - 2**11], 2),  # smallest nonzero coordinates, 2^-52
])
def test_polar_normal_on_scripted_outputs(outputs, used):
    value, n = _testkit.polar_normal_of(outputs)
    assert n == used
    assert value == normal(Stream(outputs))
    twister = _testkit.Twister(1)


@pytest.mark.parametrize("seed64", [1, 5489, 0, 2**64 - 1, 2**63 + 12345])
def test_engine_is_the_standard_64_bit_twister_in_any_chunks(seed64):
    expected = _testkit.library_twister_outputs(seed64, 2000)  # past six regenerations of the state
    twister = _testkit.Twister.from_seed64(seed64)
    assert [twister.next() for _ in range(5)] == expected[:5]
    got = expected[:5]
    for n in [0, 1, 306, 312, 7, 1, 313, 624, 0, 400]:
        got += twister.outputs(n)
    assert got == expected[:len(got)]


@pytest.mark.parametrize("prob", [0.0, 5e-324, 1e-300, 2.0**-64, 2.0**-63 * 3, 2.0**-11, 0.1, 0.3, 0.5,
                                  0.5 + 2.0**-53, 1 - 2.0**-53, 1 - 2.0**-10, 1.0])
def test_trial_threshold_splits_outputs_where_the_uniform_passes_prob(prob):
    none, last = _testkit.trial_threshold(prob)
    below = lambda x: prob >= _testkit.positive_uniform_of([x])[0]
    assert none == (not below(0))
    if not none:
        assert below(last)
        assert last == 2**64 - 1 or not below(last + 1)
    # Outputs just below, at and just above the largest that succeeds, and
    # the ends, as the samplers' block forms count them: each as one draw.
    outputs = [x for x in (0, 1, last - 2, last - 1, last, last + 1, last + 2, 2**64 - 1) if 0 <= x < 2**64]
    each, count = _testkit.trial_outcomes(prob, outputs)
    assert each == [below(x) for x in outputs]
    assert count == sum(map(below, outputs))
