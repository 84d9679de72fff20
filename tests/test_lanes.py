"""Lane targets: every target this processor runs gives the scalar kernels'
bits, and the module gives the same results whichever target it runs."""
import os
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


def test_choice():
    best = RUNNING[-1]
    assert tk.lane_choice(None) == best
    assert tk.lane_choice("no-such-target") == best
    for name, _ in TARGETS:
        below = [n for n, _ in TARGETS[:[t for t, _ in TARGETS].index(name) + 1] if n in RUNNING]
        assert tk.lane_choice(name) == below[-1]


# Under a forced target: the golden results, and the prepared block path
# (scalar parameters) against the element path (array parameters, the scalar
# kernels) on ordinary and special points.
CHECK = r"""
import numpy as np, pradix
rng = np.random.default_rng(4)
x = np.concatenate([[-np.inf, -1e300, -3.0, -0.0, 0.0, 5e-324, 1e-17, 2.0 ** -52, 0.5, 1.0, 1.5, 2.0, 10.0,
                     1e300, np.inf, np.nan], rng.normal(0, 3, 700), rng.gamma(2.0, 2.0, 300)])
bad = []
for name in ("dnorm", "dlnorm", "dlogis", "pnorm", "plnorm"):
    fn = getattr(pradix, name)
    for mu in (-2.0, 0.0, 1.5, np.inf, np.nan):
        for sigma in (0.0, 1e-17, 0.4, 1.0, 30.0, np.inf, -1.0):
            for mode in (False, True):
                full = fn(x, np.full_like(x, mu), np.full_like(x, sigma), mode)
                for got in (fn(x, mu, sigma, mode), fn(np.repeat(x, 2)[::2], mu, sigma, mode),
                            fn(x.reshape(2, -1).T, mu, sigma, mode).T.ravel()):
                    if not np.array_equal(got.view(np.uint64), full.view(np.uint64)):
                        bad.append((name, mu, sigma, mode))
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
