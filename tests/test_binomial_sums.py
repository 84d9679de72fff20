"""The binomial masses and sums behind dbinom, pbinom and qbinom.

A table computes the masses of a run of points in lanes and sums them from
the top, ending each sum where no mass still to come can change it.  Here:
the runs give dbinom's bits on every lane target; every sum equals the full
sum of dbinom's masses, without early end; and the three facts the early
ends rest on (the mode bounds, the error of the log-masses, the range of
exp) hold against high-precision references.
"""
import math

import mpmath
import numpy as np
import pytest

import _testkit as k
import pradix

mpmath.mp.prec = 160
rng = np.random.default_rng(29)
TARGETS = [name for name, runs in k.lane_targets() if runs]


def bits(v):
    return np.asarray(v, dtype=np.float64).view(np.uint64)


def trials_and_probs(count, largest):
    """Random (n, prob): n log-uniform, prob uniform or near either end."""
    out = []
    for i in range(count):
        n = int(math.exp(rng.uniform(math.log(2), math.log(largest))))
        p = float(rng.uniform()) if i % 3 else float(10 ** rng.uniform(-15, -0.5))
        out.append((n, 1.0 - p if i % 6 == 5 else p))
    return out


def points(n, p, count=24):
    """Points around the mode (within a few standard deviations), anywhere,
    and the ends."""
    sd = math.sqrt(n * p * (1 - p))
    near = np.round(n * p + rng.normal(0, 3, count) * (sd + 1))
    x = np.concatenate([near, n * p + np.arange(-2, 3), rng.integers(0, n, 6), [0, n - 1]])
    return np.unique(np.clip(x, 0, n - 1).astype(np.int64))


def test_lgamma_n_gives_lgamma_on_every_target():
    x = np.concatenate([np.geomspace(1e-300, 1e300, 500), np.arange(1.0, 3000.0), rng.uniform(0, 40, 2000),
                        [0.0, -0.0, -1.0, np.inf, -np.inf, np.nan, 2.0**-52, 1 + 2.0**-52, 1 - 2.0**-53, 2.0**53 + 2]])
    for target in TARGETS:
        assert np.array_equal(bits(k.lgamma_n(target, x)), bits(k.lgamma(x))), target


@pytest.mark.parametrize("target", TARGETS)
def test_runs_give_the_masses_of_dbinom(target):
    cases = trials_and_probs(40, 1e6) + [(2, 0.5), (3, 0.3), (2**53 + 2, 0.5), (2**60, 0.25), (10**15, 1e-9)]
    for n, p in cases:
        for first, count in [(0, min(n + 1, 70)), (max(0, n - 69), min(n + 1, 70)),
                             (int(rng.integers(0, n + 1)), 1), (int(n * p), min(n + 1 - int(n * p), 200))]:
            x = np.arange(first, first + count, dtype=np.int64)
            for log in (False, True):
                got = k.binomial_run(target, n, p, first, count, log)
                assert np.array_equal(bits(got), bits(pradix.dbinom(x, n, p, log))), (n, p, first, log)


@pytest.mark.parametrize("target", TARGETS)
def test_sums_equal_the_full_sums(target):
    cases = trials_and_probs(70, 3e4) + [(2, 0.5), (30, 1e-14), (1000, 1 - 1e-13), (5000, 0.5)]
    for n, p in cases:
        x = points(n, p)
        want = k.binomial_full_sum(x, 0, n, p)
        assert np.array_equal(bits(k.binomial_table_cdf(target, n, p, list(x))), bits(want)), (n, p)
        # side by side, from any first point
        first = int(rng.choice(x))
        count = min(n - first, 40)
        want = k.binomial_full_sum(np.arange(first, first + count), 0, n, p)
        assert np.array_equal(bits(k.binomial_table_cdfs(target, n, p, first, count)), bits(want)), (n, p, first)


@pytest.mark.parametrize("n", [10**6, 10**8, 10**9])
def test_sums_of_large_numbers_of_trials_equal_the_full_sums(n):
    # The reference adds every mass from x down to 60 standard deviations
    # below the mode, where the masses are +0 (checked on a stretch below).
    for p in (0.5, float(rng.uniform(0.05, 0.95))):
        sd = math.sqrt(n * p * (1 - p))
        low = max(0, int(n * p - 60 * sd))
        assert np.all(k.binomial_run("scalar", n, p, max(0, low - 1000), 1000, False) == 0.0)
        x = np.array([n * p, n * p - 1, n * p + 1, n * p - sd, n * p + 2 * sd, n * p - 9 * sd]).astype(np.int64)
        want = k.binomial_full_sum(x, low, n, p)
        assert np.array_equal(bits(pradix.pbinom(x, n, p)), bits(want)), (n, p)


def test_ties_at_half_a_unit_are_not_beyond_reach():
    sums = np.concatenate([[1.0, 0.5, 0.75, 1 - 2.0**-53, 2.0**-1000], rng.uniform(0, 1, 200)])
    ulp = np.nextafter(sums, np.inf) - sums
    half = ulp / 2  # exact for these sums
    assert not np.any(k.beyond_reach(half, sums))
    assert np.all(k.beyond_reach(np.nextafter(half, 0), sums))
    # half a unit does change a sum with an odd last digit (ties to even)
    odd = sums[(sums.view(np.uint64) & 1) == 1]
    assert np.all(odd + (np.nextafter(odd, np.inf) - odd) / 2 != odd)


def exact_log_mass(n, kk, lp, lq):
    n, kk = mpmath.mpf(n), mpmath.mpf(kk)
    lchoose = mpmath.loggamma(n + 1) - mpmath.loggamma(n - kk + 1) - mpmath.loggamma(kk + 1)
    return lchoose + kk * mpmath.mpf(lp) + (n - kk) * mpmath.mpf(lq)


def test_log_masses_are_within_a_hundredth_of_the_bound():
    worst = 0.0
    for n, p in trials_and_probs(120, 1e15) + [(2**53 + 1, 0.5), (2**62, 0.3)]:
        delta, _, _ = k.binomial_bounds(n, p)
        lp, lq = float(k.log(p)), float(k.log(1.0 - p))
        for kk in {0, n, 1, n - 1, int(n * p), int(rng.integers(0, n + 1)), int(rng.integers(0, n + 1))}:
            got = float(pradix.dbinom(kk, n, p, True))
            err = abs(mpmath.mpf(got) - exact_log_mass(n, kk, lp, lq))
            worst = max(worst, float(err / delta))
    assert worst < 0.01


def test_the_log_masses_rise_to_the_rising_end_and_fall_from_the_falling_start():
    for n, p in trials_and_probs(200, 1e15):
        _, rising_end, falling_start = k.binomial_bounds(n, p)
        lp, lq = mpmath.mpf(float(k.log(p))), mpmath.mpf(float(k.log(1.0 - p)))

        def step(j):  # s(j) - s(j - 1)
            return mpmath.log(mpmath.mpf(n - j + 1) / j) + lp - lq

        if rising_end >= 1:
            assert step(rising_end) > 0, (n, p)
        if falling_start + 1 <= n:
            assert step(falling_start + 1) < 0, (n, p)
        assert falling_start - rising_end <= 8 + 1e-9 * n, (n, p)  # the margins are narrow


def test_exp_is_close_from_minus_700_to_709_small_below_and_zero_below_minus_720():
    # the error grows with the power of e taken, so most points lie near -700
    y = np.concatenate([rng.uniform(-700, 709, 1000), rng.uniform(-700, -680, 3000), np.arange(-700, 709, 0.5),
                        rng.uniform(680, 709, 1000), [-700.0, 1.0, 0.0, -1e-300, 709.0]])
    got = k.exp(y)
    want = np.array([mpmath.exp(mpmath.mpf(v)) for v in y])
    assert max(float(abs(g / w - 1)) for g, w in zip(got, want)) < 2.0**-40 / 16
    assert np.all(k.exp(rng.uniform(-720, -700, 2000)) <= 2.0**-1000)
    below = np.concatenate([np.nextafter(-720.0, -np.inf) - rng.uniform(0, 1e4, 2000), [-1e300, -np.inf]])
    assert np.all(bits(k.exp(below)) == 0)


def test_the_quantile_bound_holds_below_every_point():
    for n, p in trials_and_probs(60, 2e4):
        f = pradix.pbinom(np.arange(n), n, p)
        running = np.maximum.accumulate(f)
        for kk in points(n, p, 8):
            assert k.binomial_bound_below(n, p, f[kk]) >= running[kk], (n, p, kk)


@pytest.mark.parametrize("target", TARGETS)
def test_points_with_the_calls_table_of_log_gammas_give_the_same_bits(target):
    # as a per-point driver evaluates them: one table of log-gammas for the call
    n = rng.integers(2, 6000, 3000)
    n[::7] = rng.integers(2, 2**40, n[::7].size)  # beyond the table, and from runs computed in lanes
    p = np.where(np.arange(n.size) % 5 == 0, 10.0 ** -rng.uniform(1, 17, n.size), rng.uniform(size=n.size))
    x = np.clip(np.round(n * p + rng.normal(0, 2, n.size) * np.sqrt(n * p * (1 - p))), -1, n + 1).astype(np.int64)
    args = [list(n), list(p)]
    for log in (False, True):
        assert np.array_equal(bits(k.dbinom_points(target, list(x), *args, True, log)), bits(pradix.dbinom(x, n, p, log)))
    small = np.where(n < 10**6)[0][:800]
    assert np.array_equal(bits(k.pbinom_points(target, list(x[small]), list(n[small]), list(p[small]), True, False)),
                          bits(pradix.pbinom(x[small], n[small], p[small])))
    q = rng.uniform(size=small.size)
    assert np.array_equal(bits(k.qbinom_points(target, list(q), list(n[small]), list(p[small]), True, False)),
                          bits(pradix.qbinom(q, n[small], p[small])))
