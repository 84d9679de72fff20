"""Shortcuts that must not change a single result.

The inverses end their correction loops once the state repeats; log skips
its continued fraction where every level is known exactly (a mantissa of 1
to 10).  Each is compared with the full computation.  (exp's shortcut for a
zero reduced argument is pinned by the golden results at every integer.)"""
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


LN_DIGIT = [0.0, 0.0, 0.6931471805599453, 1.0986122886681098, 1.3862943611198906, 1.6094379124341003,
            1.791759469228055, 1.9459101490553132, 2.0794415416798357, 2.1972245773362196, 2.302585092994046]


def full_log_cf(u):
    z = (u - 1.0) / (u + 1.0)
    w = z * z
    c = 49.0
    for d in range(24, 1, -1):
        c = (2 * d - 1) - ((d * d) * w) / c
    return (z + z) / (1.0 - w / c)


def test_log_of_whole_mantissas():
    for k10 in range(-15, 300, 7):
        for j in range(2, 11):
            x = j * 10.0**k10
            m, e = x, 0
            if x < 1:
                m, e = x * 10, -1
            elif x > 10:
                m, e = x / 10, 1
            while m < 1 or m > 10:
                m, e = (m * 10, e - 1) if m < 1 else (m / 10, e + 1)
            jj = int(m)
            want = e * 2.302585092994046 + (full_log_cf(m / jj) + LN_DIGIT[jj])
            if not 0.5 <= x <= 1.5:
                assert same(k.log(x), want), x
