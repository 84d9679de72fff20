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
