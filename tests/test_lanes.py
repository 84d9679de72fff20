"""Lane targets: every target this processor runs gives the scalar kernels'
bits, and the module gives the same results whichever target it runs."""
import os
import platform
import subprocess
import sys

import numpy as np
import pytest

import _testkit as tk

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
TARGETS = tk.lane_targets()
RUNNING = [name for name, runs in TARGETS if runs]


def bits(v):
    v = np.array(v, dtype=np.float64)
    v[np.isnan(v)] = np.nan
    return v.view(np.uint64)


def around(points):
    p = np.array(points, dtype=float)
    return np.concatenate([p, np.nextafter(p, np.inf), np.nextafter(p, -np.inf), -p])


rng = np.random.default_rng(11)
SPECIAL = [0.0, np.inf, np.nan, 5e-324, 1e-300, 2.0 ** -52, 1.0, 1e300, 2.0 ** 63]
ARGS = {
    # |x| < 2 directly; integers (fraction at 0); halves (the split's edge);
    # the ends of the double range.
    "exp": np.concatenate([around(SPECIAL + [2.0, 0.5, 1.5, 709.78, 745.2]), np.arange(-40, 40, 0.5),
                           rng.normal(0, 4, 3000), rng.uniform(-750, 750, 1000)]),
    # [0.5, 1.5] directly; mantissas j = 1 .. 10 exactly (fraction at 1).
    "log": np.abs(np.concatenate([around(SPECIAL + [0.5, 1.5, 10.0, 0.1]), np.arange(1.0, 11.0),
                                  10.0 ** rng.uniform(-310, 308, 2000), rng.uniform(0.4, 1.6, 2000)])),
    # the switch between the two fractions at 2.1.
    "erf": np.concatenate([around(SPECIAL + [2.1, 6.0, 1e-8]), rng.normal(0, 2, 3000), rng.uniform(-7, 7, 1000)]),
    # every edge between the fraction's depths and the series' term counts.
    "atan": np.concatenate([around(SPECIAL + [0.5, 1.5, 2.0, 2.5, 3.0, 4.0, 5.0, 7.0, 11.0, 25.0, 100.0, 1000.0]),
                            rng.normal(0, 3, 2000), 10.0 ** rng.uniform(-20, 20, 1000)]),
    # the depths' edges at 1 and 1.4, the series about pi/2, reductions
    # beyond pi.
    "tan": np.concatenate([around(SPECIAL + [1.0, 1.4, 1.55, 1.6, np.pi / 2, np.pi, 4.0, 1e-8]),
                           rng.uniform(-np.pi / 2, np.pi / 2, 3000), rng.uniform(-10, 10, 1000)]),
}


@pytest.mark.parametrize("target", [name for name, _ in TARGETS])
@pytest.mark.parametrize("fn", sorted(ARGS))
def test_target_gives_scalar_bits(target, fn):
    if target not in RUNNING:
        pytest.skip(f"this processor does not run the {target} target")
    x = ARGS[fn]
    want = bits(getattr(tk, fn)(x))
    assert np.array_equal(bits(getattr(tk, fn + "_n")(target, x)), want)
    # Every length of a last, partial vector.
    for n in range(1, 19):
        assert np.array_equal(bits(getattr(tk, fn + "_n")(target, x[-n:])), want[-n:])


@pytest.mark.parametrize("target", [name for name, _ in TARGETS])
@pytest.mark.parametrize("upper", [False, True])
def test_target_gives_scalar_gamma_fractions(target, upper):
    if target not in RUNNING:
        pytest.skip(f"this processor does not run the {target} target")
    x = np.abs(ARGS["exp"][np.isfinite(ARGS["exp"])])
    for a in (1e-3, 0.5, 1.0, 2.5, 9.99, 40.0, 3000.0):
        want = bits(tk.gamma_fraction_n("scalar", upper, a, x))
        assert np.array_equal(bits(tk.gamma_fraction_n(target, upper, a, x)), want)
        for n in range(1, 10):
            assert np.array_equal(bits(tk.gamma_fraction_n(target, upper, a, x[-n:])), want[-n:])


# The fractions some kernels take without their weight or sign: positive
# arguments only, either side of erf's switch.
FRACTION_ARGS = np.concatenate([around([1e-300, 2.0 ** -52, 0.5, 1.0, 2.1, 6.0, 20.0, 1e10]),
                                rng.uniform(0, 8, 2000), 10.0 ** rng.uniform(-20, 20, 500)])
FRACTION_ARGS = FRACTION_ARGS[FRACTION_ARGS > 0]


@pytest.mark.parametrize("target", [name for name, _ in TARGETS])
@pytest.mark.parametrize("fn", ["erf_fraction_n", "tanh_fraction_n"])
def test_target_gives_scalar_fractions(target, fn):
    if target not in RUNNING:
        pytest.skip(f"this processor does not run the {target} target")
    x = FRACTION_ARGS
    want = bits(getattr(tk, fn)("scalar", x))
    assert np.array_equal(bits(getattr(tk, fn)(target, x)), want)
    for n in range(1, 19):
        assert np.array_equal(bits(getattr(tk, fn)(target, x[-n:])), want[-n:])


# What each target needs of the processor, stated here rather than asked of
# the module (the AVX-512 unit may use AVX2 instructions as well), and what
# the automatic choice needs besides: a processor of the kind it was measured
# faster on.
NEEDS = {"scalar": set(), "sse2": set(), "avx2": {"avx2"}, "avx512": {"avx2", "avx512f"}}
WINS_ON = {"scalar": set(), "sse2": set(), "avx2": set(), "avx512": {"amd"}}
FEATURES = ("avx2", "avx512f", "amd")


def expected(asked, have):
    names = [name for name, _ in TARGETS]
    if asked in names:
        return [name for name in names[:names.index(asked) + 1] if NEEDS[name] <= have][-1]
    return [name for name in names if NEEDS[name] | WINS_ON[name] <= have][-1]


@pytest.mark.parametrize("target", [name for name, _ in TARGETS])
@pytest.mark.parametrize("upper", [False, True])
def test_target_gives_scalar_gamma_fractions_per_lane_shape(target, upper):
    # Each element at its own shape: the one-shape fraction's bits at that
    # shape, for shapes mixed within every vector and every partial length.
    if target not in RUNNING:
        pytest.skip(f"this processor does not run the {target} target")
    x = np.abs(ARGS["exp"][np.isfinite(ARGS["exp"])])
    pool = np.array([1e-3, 0.5, 1.0, 2.5, 9.99, 40.0, 3000.0, 5e-324, 0.0])
    a = np.concatenate([rng.choice(pool, x.size // 2), rng.uniform(0.01, 60, x.size - x.size // 2)])
    rng.shuffle(a)
    want = np.array([tk.gamma_fraction_n("scalar", upper, ai, [xi])[0] for ai, xi in zip(a, x)])
    assert np.array_equal(bits(tk.gamma_fraction_each_n("scalar", upper, a, x)), bits(want))
    assert np.array_equal(bits(tk.gamma_fraction_each_n(target, upper, a, x)), bits(want))
    for n in range(1, 19):
        assert np.array_equal(bits(tk.gamma_fraction_each_n(target, upper, a[-n:], x[-n:])), bits(want[-n:]))


def test_choice():
    here = tk.processor_features()
    have = {f for f in FEATURES if here[f]}
    assert RUNNING == [name for name, _ in TARGETS if NEEDS[name] <= have]
    for asked in [None, "no-such-target"] + [name for name, _ in TARGETS]:
        assert tk.lane_choice(asked) == tk.lane_choice(asked, here) == expected(asked, have)
    with pytest.raises(ValueError):
        tk.lane_choice(None, {"sse5": True})


def cpuinfo():
    """The first processor's vendor and flags as Linux reports them, or None."""
    try:
        with open("/proc/cpuinfo", encoding="utf-8") as f:
            fields = dict(line.split(":", 1) for line in f.read().split("\n\n")[0].splitlines() if ":" in line)
    except OSError:
        return None
    fields = {k.strip(): v.strip() for k, v in fields.items()}
    return (fields["vendor_id"], set(fields["flags"].split())) if "vendor_id" in fields else None


@pytest.mark.skipif(platform.machine() not in ("x86_64", "AMD64") or cpuinfo() is None,
                    reason="x86-64 Linux only")
def test_processor_answers_as_the_kernel_does():
    # The module asks the processor itself; Linux lists the same instruction
    # sets, and only where it saves their registers.  (A build whose
    # answers were all no would quietly run every call on sse2.)
    vendor, flags = cpuinfo()
    here = tk.processor_features()
    assert here == {"avx2": "avx2" in flags, "avx512f": "avx512f" in flags, "amd": vendor == "AuthenticAMD"}


@pytest.mark.parametrize("have", [set(f) for f in
                                  [(), ("avx2",), ("avx512f",), ("avx2", "avx512f"), ("amd",), ("avx2", "amd"),
                                   ("avx2", "avx512f", "amd")]],
                         ids=lambda h: "+".join(sorted(h)) or "baseline")
@pytest.mark.parametrize("asked", [None, "no-such-target", "scalar", "sse2", "avx2", "avx512"])
def test_choice_on_other_processors(have, asked):
    # Asked for a target: the best at or below it that a processor with these
    # answers runs, never one it lacks, whether or not it wins there.
    # Unasked: the widest it runs that was measured to win on its kind.
    assert tk.lane_choice(asked, {f: f in have for f in FEATURES}) == expected(asked, have)


@pytest.mark.skipif("avx512" not in [name for name, _ in TARGETS], reason="x86-64 builds only")
def test_choice_never_takes_avx512_unasked_off_amd():
    # The measured loser: an AVX-512 processor not made by AMD runs avx2.
    other = {"avx2": True, "avx512f": True, "amd": False}
    assert tk.lane_choice(None, other) == "avx2"
    assert tk.lane_choice("avx512", other) == "avx512"
    assert tk.lane_choice(None, dict(other, amd=True)) == "avx512"


# Under a forced target: the golden results, and the prepared block path
# (scalar parameters) against the element path (array parameters, the scalar
# kernels) on ordinary and special points.
CHECK = r"""
import numpy as np, pradix
rng = np.random.default_rng(4)
x = np.concatenate([[-np.inf, -1e300, -3.0, -0.0, 0.0, 5e-324, 1e-17, 2.0 ** -52, 0.5, 1.0, 1.5, 2.0, 10.0,
                     1e300, np.inf, np.nan], rng.normal(0, 3, 700), rng.gamma(2.0, 2.0, 300),
                    rng.uniform(0, 1, 300), 1 - 10.0 ** -rng.uniform(0, 17, 40)])
inf, nan = np.inf, np.nan
def grid(*axes):
    return [tuple(p) for p in np.array(np.meshgrid(*axes)).reshape(len(axes), -1).T]
LOCATION_SCALE = grid((-2.0, 0.0, 1.5, inf, nan), (0.0, 1e-17, 0.4, 1.0, 30.0, inf, -1.0))
SHAPE_SCALE = grid((0.0, 1e-17, 0.5, 1.0, 2.5, 40.0, inf, nan, -1.0), (0.0, 1e-17, 0.5, 1.0, 3.0, inf))
DOF = grid((0.0, 1e-17, 0.5, 1.0, 2.0, 3.0, 5.0, 50.0, 1e6, inf, nan, -1.0))
PAIRS = grid((0.0, 1e-17, 0.5, 1.0, 2.0, 7.0, 60.0, inf, nan), (0.0, 0.5, 1.0, 3.0, 7.0, 60.0, inf))
CASES = {"dnorm": LOCATION_SCALE, "dlnorm": LOCATION_SCALE, "dlogis": LOCATION_SCALE, "pnorm": LOCATION_SCALE,
         "plnorm": LOCATION_SCALE, "dgamma": SHAPE_SCALE, "dinvgamma": SHAPE_SCALE, "dweibull": SHAPE_SCALE,
         "dchisq": DOF, "dexp": DOF, "dt": DOF, "dbeta": PAIRS, "df": PAIRS,
         "pgamma": SHAPE_SCALE, "pchisq": DOF, "pbeta": PAIRS, "pt": DOF, "pf": PAIRS, "pinvgamma": SHAPE_SCALE,
         "plogis": LOCATION_SCALE, "pcauchy": LOCATION_SCALE, "plaplace": LOCATION_SCALE, "pexp": DOF,
         "pweibull": SHAPE_SCALE}
bad = []
for name, params in CASES.items():
    fn = getattr(pradix, name)
    for p in params:
        for mode in (False, True):
            full = fn(x, *[np.full_like(x, v) for v in p], mode)
            for got in (fn(x, *p, mode), fn(np.repeat(x, 2)[::2], *p, mode), fn(x.reshape(2, -1).T, *p, mode).T.ravel()):
                if not np.array_equal(got.view(np.uint64), full.view(np.uint64)):
                    bad.append((name, p, mode))
u = np.concatenate([[0.0, 5e-324, 1e-300, 1e-17, 2.0 ** -53, 0.5, 1 - 2.0 ** -53, 1.0, 1.5, -0.5, np.nan],
                    rng.uniform(0, 1, 600), 10.0 ** -rng.uniform(0, 300, 100), 1 - 10.0 ** -rng.uniform(0, 17, 40)])
QCASES = {"qexp": DOF, "qweibull": SHAPE_SCALE, "qlaplace": LOCATION_SCALE, "qlogis": LOCATION_SCALE,
          "qgamma": SHAPE_SCALE, "qchisq": DOF, "qinvgamma": SHAPE_SCALE, "qbeta": PAIRS, "qf": PAIRS,
          "qnorm": LOCATION_SCALE, "qlnorm": LOCATION_SCALE, "qt": DOF,
          "qpois": grid((0.0, 1e-17, 0.5, 10.9, 11.0, 30.0, 400.0, inf, nan, -1.0))}
for name, params in QCASES.items():
    fn = getattr(pradix, name)
    for p in params:
        full = fn(u, *[np.full_like(u, v) for v in p])
        for got in (fn(u, *p), fn(np.repeat(u, 2)[::2], *p)):
            if not np.array_equal(got.view(np.uint64), full.view(np.uint64)):
                bad.append((name, p))
assert not bad, bad
"""


@pytest.mark.parametrize("target", ["scalar", "sse2", "avx2", "avx512"])
def test_module_under_forced_target(target):
    if target not in RUNNING:
        pytest.skip(f"this processor does not run the {target} target")
    env = dict(os.environ, PRADIX_ISA=target)
    run = subprocess.run([sys.executable, "-c", CHECK], env=env, capture_output=True, text=True)
    assert run.returncode == 0, run.stderr
    golden = subprocess.run([sys.executable, os.path.join(ROOT, "tools", "make_golden.py"), "--check"],
                            env=env, capture_output=True, text=True, cwd=ROOT)
    assert golden.returncode == 0, golden.stdout[-3000:] + golden.stderr[-3000:]
