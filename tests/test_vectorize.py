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


# ---- parameters that vary from element to element -----------------------------
# The loop keeps the preparations of a call (runs, repeated and grouped
# parameters), walks broadcast grids with the parameters fixed along the
# inner loop and evaluates points of one preparation in blocks; whatever it
# does, every element must be the scalar call at that position, bit for bit,
# and the result keep its layout.

def one_by_one(fn, *args):
    """The scalar call at every element of the broadcast arguments."""
    arrays = np.broadcast_arrays(*[np.asarray(a) for a in args])
    out = np.empty(arrays[0].shape)
    for idx in np.ndindex(out.shape):
        out[idx] = fn(*[a[idx].item() for a in arrays])
    return out


def same_bits(got, want):
    return got.shape == want.shape and np.array_equal(np.ascontiguousarray(got).view(np.uint64),
                                                      np.ascontiguousarray(want).view(np.uint64))


def assert_bits(got, want):
    assert same_bits(got, want)


_RNG = np.random.default_rng(18)
# Each kernel with points and two or three parameter pools to draw from: a
# block form (dnorm, dgamma, pgamma, qgamma, dlaplace, dbeta, dt, pnorm),
# point evaluation only (qbeta, pt, qt), integer points and memoised kernels
# (dbinom, dpois, pbinom, qpois; the preparations of pbinom and qpois own
# tables), and a kernel without preparation (dcauchy).
VARYING = {
    "dnorm": (np.r_[_RNG.normal(size=40), -np.inf, np.nan, 0.0], [-1.0, 0.0, 0.5, np.inf], [0.0, 0.5, 2.0, -1.0]),
    "dgamma": (np.r_[_RNG.gamma(2.0, size=40), 0.0, -1.0, np.inf], [0.5, 1.0, 2.5, 9.5], [0.5, 1.5, np.nan]),
    "pgamma": (_RNG.gamma(2.0, size=40), [0.5, 2.5, 30.0], [1.0, 1.5]),
    "qgamma": (_RNG.uniform(size=40), [0.5, 2.5, 30.0], [1.0, 1.5]),
    "qbeta": (_RNG.uniform(size=30), [0.5, 2.0, 3.0], [0.7, 3.0]),
    "pt": (_RNG.normal(scale=3, size=40), [0.5, 3.0, 1e6], None),
    "qt": (_RNG.uniform(size=40), [0.5, 3.0, 7.5], None),
    "dbinom": (np.arange(-1, 25), [0, 1, 7, 20], [0.0, 0.3, 0.9]),
    "pbinom": (np.arange(-1, 25), [1, 7, 20, 40], [0.3, 0.5, 0.9]),
    "dpois": (np.r_[np.arange(-1, 40), 2**62], [0.0, 0.5, 4.0, 30.0, np.inf, np.nan, 1e-300], None),
    "qpois": (_RNG.uniform(size=40), [0.5, 4.0, 30.0], None),
    "dcauchy": (_RNG.normal(size=40), [-1.0, 0.0, 2.0], [0.5, 2.0]),
    "dlaplace": (np.r_[_RNG.normal(size=40), np.inf, np.nan], [-1.0, 0.0, np.inf], [0.0, 0.5, 2.0, np.inf]),
    "dbeta": (np.r_[_RNG.uniform(size=40), 0.0, 1.0, 1.5], [0.5, 1.0, 3.0, 0.0, np.inf], [0.7, 3.0, np.nan]),
    "dt": (np.r_[_RNG.normal(scale=3, size=40), np.inf], [0.5, 3.0, 1e6, np.inf], None),
    "pnorm": (np.r_[_RNG.normal(size=40), -np.inf, np.nan], [-1.0, 0.0, 0.5, -np.inf], [0.0, 1.0, 2.0, -1.0]),
}


def draws(name, n, pattern, rng):
    """Points and parameter arrays of n elements: parameters in runs,
    alternating, grouped at random, or all distinct."""
    points, *pools = VARYING[name]
    pools = [p for p in pools if p is not None]
    x = rng.choice(points, n)
    if pattern == "runs":
        idx = np.repeat(np.arange(n // 7 + 1), 7)[:n]
    elif pattern == "alternating":
        idx = np.arange(n) % 3
    elif pattern == "grouped":
        idx = rng.integers(0, 5, n)
    else:  # distinct
        idx = np.arange(n)
    params = []
    for k, pool in enumerate(pools):
        pool = np.asarray(pool)
        if pattern == "distinct":
            p = rng.choice(pool, n) * (1 + rng.uniform(0, 1e-3, n)) if pool.dtype.kind == "f" else rng.choice(pool, n)
        else:
            p = pool[(idx * (k + 2) + k) % len(pool)]
        params.append(p)
    return x, params


@pytest.mark.parametrize("pattern", ["runs", "alternating", "grouped", "distinct"])
@pytest.mark.parametrize("name", list(VARYING))
def test_varying_parameters_patterns(name, pattern):
    fn = getattr(pradix, name)
    rng = np.random.default_rng(hash((name, pattern)) % 2**32)
    for n in (1, 2, 15, 16, 700, 3000):  # small calls, and more than a batch
        x, params = draws(name, n, pattern, rng)
        assert_bits(fn(x, *params), one_by_one(fn, x, *params))


# The kernels that evaluate batches of points under many preparations
# (at_points), most making the batch's preparations together (prepare_n):
# points and parameters drawn per point, a few points on the rows.
def _located(g, n, x):
    return x, g.normal(size=n), g.uniform(0.3, 3.0, n)


_GAMMA_LIKE = lambda g, n: (np.r_[0.0, -1.0, np.inf, g.gamma(2.0, 2.0, n - 3)], g.uniform(0.2, 9.5, n),
                            g.uniform(0.2, 4.0, n))
_NORMAL_LIKE = lambda g, n: _located(g, n, np.r_[-np.inf, np.inf, np.nan, g.normal(scale=2.0, size=n - 3)])
_LOG_NORMAL = lambda g, n: _located(g, n, np.r_[0.0, -1.0, np.inf, g.lognormal(size=n - 3)])
_POSITIVE = lambda g, n: (np.r_[0.0, -1.0, np.inf, g.gamma(2.0, 2.0, n - 3)], g.uniform(0.2, 30.0, n))
PER_POINT = {
    "dnorm": _NORMAL_LIKE, "dlaplace": _NORMAL_LIKE, "dlogis": _NORMAL_LIKE, "pnorm": _NORMAL_LIKE,
    "dlnorm": _LOG_NORMAL, "plnorm": _LOG_NORMAL,
    "dbeta": lambda g, n: (np.r_[0.0, 1.0, 1.5, g.uniform(size=n - 3)], g.uniform(0.2, 5.0, n), g.uniform(0.2, 5.0, n)),
    "dgamma": _GAMMA_LIKE, "dinvgamma": _GAMMA_LIKE, "pgamma": _GAMMA_LIKE,
    "dt": lambda g, n: (np.r_[np.inf, g.normal(scale=3.0, size=n - 1)], g.uniform(0.2, 30.0, n)),
    "dchisq": _POSITIVE, "dexp": _POSITIVE,
    "dpois": lambda g, n: (np.r_[-1, 2**62, g.poisson(8.0, n - 2)], g.uniform(0.2, 30.0, n)),
    "dbinom": lambda g, n: (np.r_[-1, 10**6, g.integers(0, 60, n - 2)], g.choice(10**5, n, replace=False),
                           g.uniform(0.01, 0.99, n)),
}


def per_point_cases(name, n=3 * 256 + 57):
    """(case, expected path, x, parameters, flags) for one kernel: the flag
    random, alternating and in runs with every parameter drawn per point, then
    each parameter alternating or in runs (the flag random): arrays of several
    batches.  Every 32nd point repeats the parameters of the point before it
    under the other flag.  Points whose parameters are distinct but for such
    repeats go to fresh batches (prepare_n); parameters that repeat are kept
    by the call, their batches from those ("kept")."""
    g = np.random.default_rng(sum(map(ord, name)))
    x, *drawn = PER_POINT[name](g, n)
    runs = np.repeat(np.arange(n), g.integers(1, 9, n))[:n]
    flags = {"random": g.uniform(size=n) < 0.5, "alternating": np.arange(n) % 2 == 1, "runs": runs % 2 == 1}
    cases = [(f"flags {f}", "fresh", drawn, flags[f]) for f in flags]
    for k in range(len(drawn)):
        for pattern, idx in (("alternating", np.arange(n) % 2), ("runs", runs)):
            params = list(drawn)
            params[k] = drawn[k][idx]
            path = "fresh" if len(drawn) > 1 else "kept"
            cases.append((f"parameter {k} {pattern}", path, params, flags["random"]))
    out = []
    for case, path, params, flag in cases:
        params, flag = [p.copy() for p in params], flag.copy()
        for p in params:
            p[31::32] = p[30::32][:p[31::32].size]
        flag[31::32] = ~flag[30::32][:flag[31::32].size]
        out.append((case, path, x, params, flag))
    return out


@pytest.mark.parametrize("name", list(PER_POINT))
def test_flags_and_parameters_per_point_in_batches(name):
    fn = getattr(pradix, name)
    for case, _, x, params, flag in per_point_cases(name):
        assert same_bits(fn(x, *params, flag), one_by_one(fn, x, *params, flag)), case


def test_per_point_cases_take_the_batch_paths():
    # The same arrays through a test-kit kernel with prepare_n and at_points
    # (the kernels above share what decides the path: expose_staged.cpp):
    # every point goes to at_points, from preparations made together where
    # the case says "fresh".
    kit = pytest.importorskip("_testkit")
    for name in PER_POINT:
        for case, path, x, params, flag in per_point_cases(name):
            a, b = (params + [0.5])[:2]
            kit.loop_flag_probe_counts()
            got = kit.loop_flag_probe(x, a, b, flag)
            seen = kit.loop_flag_probe_counts()
            assert same_bits(got, one_by_one(kit.loop_flag_probe, x, a, b, flag)), (name, case)
            assert seen["batched"] == x.size, (name, case)
            assert (seen["prepared_n"] > 0) == (path == "fresh"), (name, case)


@pytest.mark.parametrize("name", ["dnorm", "dgamma", "qbeta", "dbinom", "pbinom", "dcauchy"])
def test_grids(name):
    # Parameters on the outer axis, on the inner axis, on both, and a third
    # axis with the parameters fixed along the middle one.
    fn = getattr(pradix, name)
    points, *pools = VARYING[name]
    pools = [np.resize(p, 4) for p in pools if p is not None]  # a common length, for one axis
    x = np.asarray(points)
    cases = [
        (x[:, None], *[p[None, :] for p in pools]),  # parameters fixed down each column
        (x[None, :], *[p[:, None] for p in pools]),  # fixed along each row (the C order)
        (x[:, None], pools[0][None, :], *[p[:, None][:1] for p in pools[1:]]),
        (x[None, :, None], pools[0][:, None, None], *[p[None, None, :] for p in pools[1:]]),
        (x[:7, None], *[np.repeat(p, 3)[None, :] for p in pools]),  # short columns
    ]
    for args in cases:
        got = fn(*args)
        assert got.flags.c_contiguous
        assert_bits(got, one_by_one(fn, *args))
    if len(pools) > 1:  # each parameter on its own axis
        args = (x[:, None, None], pools[0][None, :, None], pools[1][None, None, :])
        assert_bits(fn(*args), one_by_one(fn, *args))


@pytest.mark.parametrize("name", ["dnorm", "pgamma", "qt", "dbinom", "pbinom"])
def test_varying_parameters_layouts(name):
    # Fortran order, transposed views, negative and zero strides.
    fn = getattr(pradix, name)
    rng = np.random.default_rng(7)
    x, params = draws(name, 600, "grouped", rng)
    x2 = x.reshape(20, 30)
    p2 = [p.reshape(20, 30) for p in params]
    f_args = [np.asfortranarray(a) for a in [x2, *p2]]
    got = fn(*f_args)
    assert got.flags.f_contiguous and not got.flags.c_contiguous
    assert_bits(got, one_by_one(fn, *f_args))
    got = fn(x2.T, *[p.T for p in p2])  # transposed views throughout: Fortran-contiguous
    assert got.flags.f_contiguous and not got.flags.c_contiguous
    assert_bits(got, one_by_one(fn, x2.T, *[p.T for p in p2]))
    layouts = [
        [x2.T, *[np.ascontiguousarray(p.T) for p in p2]],              # mixed orders
        [x2[::-1], *[p[:, ::-1] for p in p2]],                         # negative strides
        [x2[::-2, ::3], *[p[::-2, ::3] for p in p2]],                  # strided both ways
        [x2, *[np.broadcast_to(p[:1], (20, 30)) for p in p2]],         # zero strides, full shape
        [x2, *[np.broadcast_to(p[:, :1], (20, 30)) for p in p2]],
        [np.broadcast_to(x2[:1], (20, 30)), *[p[::-1, ::-1] for p in p2]],
    ]
    for args in layouts:
        got = fn(*args)
        assert got.flags.c_contiguous
        assert_bits(got, one_by_one(fn, *args))


def test_more_groups_than_kept_preparations():
    # Thousands of distinct parameters, repeating: the kept table fills and is
    # emptied (with points waiting in a batch) again and again.
    rng = np.random.default_rng(11)
    groups = rng.uniform(0.5, 9.5, 2500)
    idx = rng.integers(0, groups.size, 20000)
    x = rng.gamma(2.0, size=idx.size)
    got = pradix.dgamma(x, groups[idx], 1.5)
    want = np.array([pradix.dgamma(a, s, 1.5) for a, s in zip(x.tolist(), groups[idx].tolist())])
    assert_bits(got, want)
    n = rng.integers(5, 60, 9)  # more (n, prob) pairs than tables kept at once
    k = rng.integers(0, 60, 3000)
    pick = rng.integers(0, 9, k.size)
    got = pradix.pbinom(k, n[pick], 0.3 + 0.05 * pick)
    want = [pradix.pbinom(int(a), int(b), c) for a, b, c in zip(k, n[pick], (0.3 + 0.05 * pick).tolist())]
    assert_bits(got, np.array(want))
    # More tables than a call keeps, some of large n (their masses count
    # against the memory the call keeps), visited again and again.
    n = np.r_[rng.integers(5, 3000, 150), 10**7, 2 * 10**7]
    pick = rng.integers(0, n.size, 4000)
    prob = 0.2 + 0.5 * pick / n.size
    k = rng.binomial(n[pick], prob)
    got = pradix.pbinom(k, n[pick], prob)
    want = [pradix.pbinom(int(a), int(b), c) for a, b, c in zip(k, n[pick], prob.tolist())]
    assert_bits(got, np.array(want))


@pytest.mark.parametrize("log", [False, True])
def test_binomial_masses_with_and_without_the_calls_table(log):
    # Per-point parameters whose log-gammas the call's table holds (small n)
    # and does not (n beyond it, n beyond 2^53), mixed within every batch.
    rng = np.random.default_rng(23)
    n = rng.choice(np.array([2, 7, 60, 3 * 10**6, 2**53 + 6, 2**62]), 3000)
    k = np.where(rng.uniform(size=n.size) < 0.5, rng.integers(-1, 62, n.size), n // 3 + rng.integers(-2, 3, n.size))
    p = rng.uniform(0.01, 0.99, n.size)
    assert_bits(pradix.dbinom(k, n, p, log), one_by_one(pradix.dbinom, k, n, p, log))


def test_nan_integer_parameters_among_varying():
    # An integer parameter given as NaN makes its element NaN, the others are
    # evaluated as usual, in rows and in batches.
    n = np.array([10.0, np.nan, 10.0, 12.7, -np.inf] * 40)
    k = np.arange(n.size) % 13
    for args in [(k, n, 0.4), (k[:, None], n[None, :40], 0.4), (k.astype(float) + 0.5, n, 0.4)]:
        assert_bits(pradix.dbinom(*args), one_by_one(pradix.dbinom, *args))
        assert_bits(pradix.pbinom(*args), one_by_one(pradix.pbinom, *args))


@pytest.mark.parametrize("shape", [(0,), (0, 5), (5, 0), (1,), (1, 1)])
def test_empty_and_one_element_varying(shape):
    x = np.full(shape, 0.3)
    mu = np.full(shape[-1:], 0.1)
    got = pradix.dnorm(x, mu, np.full(shape, 2.0))
    assert got.shape == shape and got.dtype == np.float64
    assert_bits(got, one_by_one(pradix.dnorm, x, mu, np.full(shape, 2.0)))


def test_per_point_driver():
    # A test-kit kernel whose preparation has at_points: every call with
    # varying parameters hands it batches of at most 256 points with their
    # preparations (equal slots exactly for equal parameters), whatever the
    # pattern or layout, and the results are the scalar calls' bits.
    kit = pytest.importorskip("_testkit")
    rng = np.random.default_rng(5)
    pool = np.array([0.5, -1.0, 2.0, 0.0, np.nan, np.inf])
    x = rng.normal(size=3000)
    idx = {"runs": np.repeat(np.arange(500), 6) % 6, "alternating": np.arange(3000) % 3,
           "grouped": rng.integers(0, 6, 3000), "distinct": None}
    kit.loop_probe_counts()
    for name, i in idx.items():
        a = rng.normal(size=3000) if i is None else pool[i]
        b = rng.normal(size=3000) if i is None else pool[(i + 1) % pool.size]
        for args in [(x, a, b), (x[:7], a[:7], b[:7]), (x.reshape(60, 50)[::-1].T, a.reshape(50, 60), 0.5)]:
            assert_bits(kit.loop_probe(*args), one_by_one(kit.loop_probe, *args))
    seen = kit.loop_probe_counts()
    assert seen["calls"] > 0 and seen["largest"] == 256 and seen["mismatches"] == 0
    # One array of points under fixed parameters is prepared once and never
    # goes to at_points; nor does a grid whose columns keep one preparation.
    kit.loop_probe(x, 0.5, 2.0)
    kit.loop_probe(x[:, None], pool[None, :], pool[None, :])
    assert kit.loop_probe_counts()["calls"] == 0


@pytest.mark.parametrize("log", [False, True])
def test_poisson_masses_with_rates_per_point_match_single_calls(log):
    # Counts inside the call's table of log-gammas, at its last entries,
    # beyond it and at the largest int64, under rates that vary per point.
    gen = np.random.default_rng(7)
    rate = gen.uniform(0.5, 50.0, 4000)
    k = gen.poisson(rate)
    k[::7] = gen.integers(-3, 2**20 + 5, k[::7].size)
    k[::11] = 2**20 + gen.integers(-4, 2, k[::11].size)
    k[:3] = [2**63 - 1, 2**20 - 2, 2**20 - 1]
    rate[::13] = np.resize([0.0, np.inf, np.nan, 1e300], rate[::13].size)
    got = pradix.dpois(k, rate, log)
    one = np.array([pradix.dpois(int(a), float(b), log) for a, b in zip(k, rate)])
    assert np.array_equal(got.view(np.uint64), one.view(np.uint64))
