"""Staged kernels run in blocks: log-gammas of many arguments together give
lgamma's bits, and parameters that vary from point to point (each point's
preparation made from log-gammas and logarithms taken together, then one
block over all points) give the bits of the element path, which prepares
and evaluates each point on its own.  Every lane target this processor
runs, and chunks cut anywhere."""
import numpy as np
import pytest

import _testkit as tk
import pradix

TARGETS = [name for name, runs in tk.lane_targets() if runs]
INF, NAN = np.inf, np.nan


def bits(v):
    v = np.array(v, dtype=np.float64)
    v[np.isnan(v)] = np.nan
    return v.view(np.uint64)


@pytest.fixture(params=TARGETS)
def target(request):
    tk.use_lanes(request.param)
    yield request.param
    tk.use_lanes("scalar")


rng = np.random.default_rng(17)
SPECIAL = np.array([0.0, -0.0, 5e-324, 1e-300, 2.0 ** -52, 0.5, 1.0, 1.0 + 2.0 ** -52, 2.0, 10.0, 1e300, INF, -1.0, NAN])


def test_lgamma_n_gives_lgamma_bits(target):
    x = np.concatenate([SPECIAL, 10.0 ** rng.uniform(-310, 308, 500), rng.uniform(0, 30, 500),
                        np.arange(1.0, 40.0), np.nextafter(np.arange(1.0, 40.0), 0.0)])
    want = bits(tk.lgamma(x))
    assert np.array_equal(bits(tk.lgamma_n(x)), want)
    for n in (1, 7, 63, 64, 65, 129):  # around the chunk edges
        assert np.array_equal(bits(tk.lgamma_n(x[-n:])), want[-n:])


def test_erfinv_block_gives_erfinv_bits(target):
    # The corrections of a block run in lock-step, each point leaving at its
    # own end: the same bits as one point at a time, chunks cut anywhere.
    y = np.concatenate([SPECIAL, -SPECIAL, [1 - 2.0 ** -53, -1 + 2.0 ** -53, 0.9966, -0.9966, 1e-17, 2.5e-16],
                        rng.uniform(-1, 1, 1500), 1 - 10.0 ** -rng.uniform(0, 17, 200),
                        -(1 - 10.0 ** -rng.uniform(0, 17, 200)), 10.0 ** -rng.uniform(0, 320, 100)])
    want = bits(tk.erfinv(y))
    assert np.array_equal(bits(tk.erfinv_n(y)), want)
    for n in (1, 7, 63, 64, 65, 129, 300):
        assert np.array_equal(bits(tk.erfinv_n(y[-n:])), want[-n:])


def mixed(values, n):
    """n parameters: the special ones, repeats and fresh values, shuffled."""
    finite = values[np.isfinite(values) & (values >= 0)]
    fresh = rng.uniform(finite.min(), min(finite.max(), 50.0), n)
    p = np.concatenate([values, rng.choice(values, n // 2), fresh])
    return rng.permutation(p)[:n]


N = 1500
X = np.concatenate([SPECIAL, rng.gamma(2.0, 3.0, N)])[:N]
U = np.concatenate([SPECIAL[(SPECIAL >= 0) | np.isnan(SPECIAL)], rng.uniform(0, 1, N)])[:N]
SHAPES = np.array([0.0, 1e-17, 0.3, 1.0, 2.5, 9.999, 10.0, 10.001, 30.0, 300.0, 1e4, INF, NAN, -1.0])
SCALES = np.array([1e-17, 0.5, 1.0, 2.0, 7.0, INF, NAN, -1.0])


@pytest.mark.parametrize("mode", [False, True])
def test_densities_per_point(target, mode):
    shape, scale = mixed(SHAPES[SHAPES < 400], N), mixed(SCALES, N)
    want = bits(pradix.dgamma(X, shape, scale, mode))
    assert np.array_equal(bits(tk.dgamma_per_point(X, shape, scale, mode)), want)
    a, b = mixed(SHAPES[SHAPES < 400], N), mixed(SHAPES[SHAPES < 400], N)
    want = bits(pradix.dbeta(U, a, b, mode))
    assert np.array_equal(bits(tk.dbeta_per_point(U, a, b, mode)), want)


@pytest.mark.parametrize("mode", [False, True])
def test_gamma_probability_per_point(target, mode):
    # Shapes on both sides of the quadrature's threshold: each stretch of
    # points with one shape gets its own fractions.
    shape, scale = mixed(SHAPES, N), mixed(SCALES, N)
    want = bits(pradix.pgamma(X, shape, scale, mode))
    assert np.array_equal(bits(tk.pgamma_per_point(X, shape, scale, mode)), want)
    sorted_shape = np.sort(shape)  # long stretches of equal shapes
    want = bits(pradix.pgamma(X, sorted_shape, scale, mode))
    assert np.array_equal(bits(tk.pgamma_per_point(X, sorted_shape, scale, mode)), want)


def test_gamma_probability_shape_per_point_on_regular_points(target):
    # Every point of every chunk asks for the same fraction, each at its own
    # shape: the lower one (x = 0.3 a), the upper one (x = a + 12 below shape
    # 10, x = 4 a above).  Each lane's fraction at its own shape, as single
    # calls give it, per point in the test kit and in the module's batches.
    a, b = rng.uniform(0.5, 9.5, 700), rng.uniform(10.5, 60.0, 700)
    for x, shape in [(0.3 * a, a), (a + 12.0, a), (4.0 * b, b)]:
        want = bits([pradix.pgamma(u, s, 1.0) for u, s in zip(x.tolist(), shape.tolist())])
        assert np.array_equal(bits(tk.pgamma_per_point(x, shape, np.ones_like(x), False)), want)
        assert np.array_equal(bits(pradix.pgamma(x, shape, 1.0)), want)


def test_gamma_quantile_per_point(target):
    n = 300
    p, shape, scale = U[:n], mixed(SHAPES[SHAPES < 400], n), mixed(SCALES, n)
    want = bits(pradix.qgamma(p, shape, scale))
    assert np.array_equal(bits(tk.qgamma_per_point(p, shape, scale)), want)
