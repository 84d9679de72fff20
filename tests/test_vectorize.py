"""Array arguments: conversion, broadcasting, layout and the scalar case."""
import numpy as np
import pytest

import pradix

BROADCAST = "pybind11::vectorize: incompatible size/dimension of inputs!"


def test_all_scalar_call_returns_float():
    assert type(pradix.dnorm(0.0)) is float
    assert type(pradix.dnorm(np.float64(0.0), np.array(0.0))) is float  # 0-d arrays are scalars
    assert type(pradix.dunif(1, 0, 4)) is float  # Python ints converted


def test_one_element_list_gives_array():
    out = pradix.dnorm([0.0])
    assert isinstance(out, np.ndarray) and out.shape == (1,) and out.dtype == np.float64
    assert out[0] == pradix.dnorm(0.0)


def test_broadcast_rows():
    x = np.arange(6.0).reshape(2, 3)
    mu = [0.5, 1.0, 2.0]
    out = pradix.dnorm(x, mu)
    assert out.shape == (2, 3)
    for i in range(2):
        for j in range(3):
            assert out[i, j] == pradix.dnorm(x[i, j], mu[j])


@pytest.mark.parametrize("x, mu", [(np.zeros(2), np.zeros(3)), (np.zeros((2, 3)), np.zeros((3, 2))),
                                   (np.zeros((4, 1, 3)), np.zeros((2, 4)))])
def test_incompatible_shapes(x, mu):
    with pytest.raises(RuntimeError) as info:
        pradix.dnorm(x, mu)
    assert str(info.value) == BROADCAST


def test_empty_result():
    out = pradix.dnorm(np.zeros((0, 3)))
    assert out.shape == (0, 3) and out.dtype == np.float64


def test_flag_is_vectorized():
    out = pradix.dnorm(0.0, log=[False, True])
    assert out[0] == pradix.dnorm(0.0) and out[1] == pradix.dnorm(0.0, log=True)
    # any nonzero number is True
    assert pradix.dnorm(0.0, log=2.5) == pradix.dnorm(0.0, log=True)


def test_layouts():
    base = np.linspace(-2, 2, 12).reshape(3, 4)
    c_out = pradix.dnorm(base, 0.1, 1.5)
    f_in = np.asfortranarray(base)
    f_out = pradix.dnorm(f_in, 0.1, 1.5)
    assert f_out.flags.f_contiguous and not f_out.flags.c_contiguous
    assert c_out.flags.c_contiguous
    assert np.array_equal(f_out, c_out)
    # a transposed view mixed with a C-ordered array of the same shape
    t = np.ascontiguousarray(base.T).T  # F-ordered view shape (3, 4)
    mixed = pradix.dnorm(t, np.zeros((3, 4)) + 0.1)
    assert mixed.flags.c_contiguous
    assert np.array_equal(mixed, pradix.dnorm(base, 0.1))
    # strided, non-contiguous input
    strided = np.linspace(-2, 2, 24)[::2]
    assert np.array_equal(pradix.dnorm(strided), pradix.dnorm(strided.copy()))


def test_other_dtypes_are_cast():
    ints = np.arange(5, dtype=np.int32)
    assert np.array_equal(pradix.dnorm(ints), pradix.dnorm(ints.astype(float)))
    f32 = np.linspace(0, 1, 5, dtype=np.float32)
    assert np.array_equal(pradix.dnorm(f32), pradix.dnorm(f32.astype(float)))
    assert pradix.dnorm([[0, 1], [2, 3]]).shape == (2, 2)


@pytest.mark.parametrize("bad", ["abc", object(), [[1, 2], [3]]])
def test_unconvertible_arguments(bad):
    with pytest.raises(TypeError):
        pradix.dnorm(bad)


@pytest.mark.parametrize("call", [lambda: pradix.dcauchy(0.0), lambda: pradix.dnorm(0.0, nonsense=1.0),
                                  lambda: pradix.dunif(0.5, 0, 1, False, 3)])
def test_argument_errors(call):
    with pytest.raises(TypeError):
        call()


def test_input_is_not_modified_and_result_is_new():
    x = np.linspace(-1, 1, 7)
    keep = x.copy()
    out = pradix.dnorm(x)
    assert np.array_equal(x, keep) and out is not x and out.base is None


INT64_MAX = np.iinfo(np.int64).max
INT64_MIN = np.iinfo(np.int64).min
# Float values given for integer parameters, and the integer each acts as
# (None: the result is NaN).
FLOAT_INTEGERS = [(np.nan, None), (np.inf, INT64_MAX), (1e19, INT64_MAX), (2.0**63, INT64_MAX),
                  (-np.inf, INT64_MIN), (-1e19, INT64_MIN), (-(2.0**63), INT64_MIN),
                  (2.9, 2), (-0.5, 0), (-2.5, -2), (2.0**62, 2**62)]
INTEGER_CALLS = {  # function: call with the integer argument v in its place
    "pbinom x": lambda f, v: f.pbinom(v, 10, 0.5), "dbinom n": lambda f, v: f.dbinom(3, v, 0.5),
    "ppois x": lambda f, v: f.ppois(v, 3.0), "dpois x": lambda f, v: f.dpois(v, 3.0),
    "pbern x": lambda f, v: f.pbern(v, 0.3), "qbinom n": lambda f, v: f.qbinom(0.5, v, 0.0),
}


@pytest.mark.parametrize("value, acts_as", FLOAT_INTEGERS)
@pytest.mark.parametrize("call", list(INTEGER_CALLS.values()), ids=list(INTEGER_CALLS))
def test_float_integer_arguments(call, value, acts_as):
    # The same rule for a Python float, a NumPy scalar, arrays and lists, with
    # no undefined cast (x86 made every out-of-range value INT64_MIN).
    want = np.nan if acts_as is None else call(pradix, int(acts_as))
    forms = [value, np.float64(value), np.float32(value) if abs(value) < 1e30 else value,
             np.array([value, value]), [value], np.array([[value]]).T]
    for form in forms:
        got = np.asarray(call(pradix, form), dtype=float).ravel()
        assert np.all(got.view(np.uint64) == np.float64(want).view(np.uint64)), form


def test_float_integer_array_mixed_with_nan():
    x = np.array([[np.nan, 3.0], [1e300, 2.5]])
    got = pradix.pbinom(x, 10, 0.5)
    assert np.isnan(got[0, 0]) and got[0, 1] == pradix.pbinom(3, 10, 0.5)
    assert got[1, 0] == 1.0 and got[1, 1] == pradix.pbinom(2, 10, 0.5)
    f = np.asfortranarray(np.array([[1.0, 2.0], [3.0, 4.0]]))
    assert pradix.dpois(f, 2.0).flags.f_contiguous  # the float copy keeps the layout


@pytest.mark.parametrize("value", [2**53 + 1, 2**63 - 1, -(2**63), 2**64 + 3, 10**300, True])
def test_python_int_conversion_is_numpys(value):
    assert pradix.dunif(value, -np.inf, np.inf, True) == pradix.dunif(np.array(value, dtype=float), -np.inf,
                                                                      np.inf, True)
    assert pradix.pnorm(value, 0, 1) == pradix.pnorm(np.float64(value))


@pytest.mark.parametrize("value", [10**400, 2**63, -(2**63) - 1])
def test_integers_numpy_refuses(value):
    # Beyond float range for a float parameter, beyond int64 for an integer
    # one: NumPy's own conversion refuses, and so does the call.
    with pytest.raises(TypeError):
        pradix.dnorm(value) if value == 10**400 else pradix.dpois(value, 1.0)


@pytest.mark.parametrize("name, args", [("dbinom", (20, 0.3)), ("pbinom", (20, 0.3)), ("dpois", (4.0,)),
                                        ("ppois", (4.0,)), ("dgamma", (2.5, 1.5)), ("qbeta", (2.0, 3.0)),
                                        ("qbinom", (20, 0.3)), ("qpois", (4.0,))])
def test_fixed_parameters_path(name, args):
    # One array and scalar parameters (prepared once, points memoised)
    # against the same points one by one.
    rng = np.random.default_rng(3)
    if name[0] == "q":
        x = rng.choice(rng.uniform(0, 1, 50), 5000)
    elif name in ("dbinom", "pbinom", "dpois", "ppois"):
        x = rng.integers(-2, 25, 5000)
    else:
        x = rng.choice(rng.uniform(0, 6, 40), 5000)
    fn = getattr(pradix, name)
    got = fn(x, *args)
    want = [fn(v.item(), *args) for v in x[:300]] + [fn(v.item(), *args) for v in x[-300:]]
    assert np.array_equal(np.concatenate([got[:300], got[-300:]]), want, equal_nan=True)
    strided = np.repeat(x[:200], 2)[::2]
    assert np.array_equal(fn(strided, *args), got[:200], equal_nan=True)


# Ctrl-C during a long array call: the element loop itself polls, whichever
# path it takes (a block of points under scalar parameters, or one kernel
# call per element when a parameter is an array), and returns no result.
@pytest.mark.parametrize("call", ["pradix.qbeta(np.full(10**7, 0.3), 2.0, 3.0)",
                                  "pradix.qbeta(np.full(10**7, 0.3), np.full(10**7, 2.0), 3.0)"],
                         ids=["block", "element"])
def test_ctrl_c_stops_an_array_call(call):
    from interrupted import interrupt

    seen = interrupt(call)
    assert seen["outcome"] == "KeyboardInterrupt" and seen["delay"] < 2.0 and seen["healthy"]
