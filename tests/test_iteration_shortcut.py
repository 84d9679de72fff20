"""Ending the inverses' correction loops on a repeated state changes nothing."""
import numpy as np
import pytest

import _testkit as k
from reference import same

rng = np.random.default_rng(11)
N = 20000


def probabilities(n):
    # ordinary values, both tails, the exact ends and a few hostile ones
    tails = 10.0 ** rng.uniform(-300, -1, n // 4)
    return np.concatenate([rng.uniform(0, 1, n // 2), tails, 1 - tails,
                           [0.0, 1.0, 0.5, -0.0, 5e-324, 1 - 2**-53, np.nan, 1.5, -0.5]])


def shapes(n):
    return np.exp(rng.uniform(np.log(1e-3), np.log(1e5), n))


def test_erfinv():
    y = np.concatenate([probabilities(N) * 2 - 1, rng.uniform(-1e-15, 1e-15, 500)])
    assert same(k.erfinv(y), k.erfinv_all_steps(y))


def test_gamma_p_inv():
    p = probabilities(N)
    a = shapes(p.size)
    assert same(k.gamma_p_inv(a, p), k.gamma_p_inv_all_steps(a, p))


@pytest.mark.parametrize("low, high", [(1e-2, 1e3), (0.9, 1.3)])
def test_beta_inc_inv(low, high):
    p = probabilities(N // 2)
    a = np.exp(rng.uniform(np.log(low), np.log(high), p.size))
    b = np.exp(rng.uniform(np.log(low), np.log(high), p.size))
    assert same(k.beta_inc_inv(a, b, p), k.beta_inc_inv_all_steps(a, b, p))
