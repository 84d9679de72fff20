"""Bounded fuzzing: every function called with random mixes of special and
huge values, wrong types, odd shapes, size lists and engines.

Each distribution's functions run in a child process of their own, which
prints every call before making it: a crash or a hang is reported with the
call that caused it.  A call must return a float or a float64 array, or raise
one of the refusals below; anything else is reported too.  The seed is fixed,
so a failure replays.  The magnitudes of the binomial trials and the Poisson
rates are bounded where the cost of a call grows with them by design.
"""
import subprocess
import sys

import pytest

from catalogue import CODES, PARAMS

CALLS_PER_FUNCTION = 150

CHILD = r'''
import random, sys
import numpy as np
import pradix

CODE, CALLS, PARAMS = sys.argv[1], int(sys.argv[2]), sys.argv[3].split(",")
rng = random.Random(CODE)
nprng = np.random.default_rng(len(CODE))
refused = (TypeError, ValueError, OverflowError, MemoryError, RuntimeError)  # RuntimeError: shapes that do not broadcast

REAL = [float("nan"), float("inf"), -float("inf"), 0.0, -0.0, 5e-324, 2.2e-308, 1e-300, 1e-17, 0.3, 0.5,
        1.0 - 2**-53, 1.0, 1.5, 2.0, 11.0, 1e6, 2.0**53, 1e300, 1.7976931348623157e308, -1.0, -1e300]
INTEGER = [0, 1, 2, 7, -1, 40, 2**31, 2**53 + 1, 2**62, 2**63 - 1, -2**63, 2**63, 2**64, -2**64]
WRONG = ["a", None, b"x", [1.0, "a"], {}, object(), 1j, [[1.0], [2.0, 3.0]],
         "1.5", b"1", np.complex128(0.5), np.array([0.5j]), [2**53 + 1, 2**63], np.uint64(2**63)]
BOUNDED = {  # parameters whose size sets a call's cost
    "n_trials": [0, 1, 2, 7, 40, 1000, -1, -2**63, 2**63, 0.5, float("nan")],
    "rate": [0.0, 5e-324, 0.5, 3.7, 10.9, 11.0, 50.0, 300.0, 1e19, 1e300, float("inf"), float("nan"), -1.0],
}
SIZES = [0, 1, 3, [2, 2], [0], [], (1, 0, 3), [1] * 65, range(10**9), [2**63], [2**45], -1, 2**64, "ab", [1.5],
         np.array([2, 1]), np.int64(2), None]


def scalar(name):
    if name in BOUNDED:
        return rng.choice(BOUNDED[name])
    pool = rng.choice([REAL, REAL, INTEGER, WRONG])
    return rng.choice(pool)


def value(name):
    kind = rng.random()
    if kind < 0.55 or (name in BOUNDED and kind < 0.8):
        return scalar(name)
    if name in BOUNDED:  # small arrays of the bounded values
        items = [v for v in BOUNDED[name] if isinstance(v, (int, float)) and abs(v) < 2**62]
        return np.array([rng.choice(items) for _ in range(rng.randint(0, 4))])
    shape = rng.choice([(), (0,), (3,), (2, 3), (1, 0, 2), (4, 1), (2,)])
    dtype = rng.choice([np.float64, np.float32, np.int64, np.int8, np.uint64, bool, np.complex128, object])
    pool = REAL + INTEGER[:6]
    data = np.array([rng.choice(pool) for _ in range(int(np.prod(shape)))], dtype=object).reshape(shape)
    try:
        arr = data.astype(dtype)
    except (TypeError, ValueError, OverflowError):
        arr = data
    if arr.ndim == 2 and rng.random() < 0.5:
        arr = arr.T  # not C-contiguous
    return arr


def engine():
    return rng.choice([pradix.Engine(rng.randint(-2**31, 2**31 - 1)), pradix.Engine.__new__(pradix.Engine), None, 3])


def make_call(name):
    if name[0] == "r":
        args = [value(p) for p in PARAMS]
        kwargs = {}
        if rng.random() < 0.6:
            kwargs["size"] = rng.choice(SIZES)
        if rng.random() < 0.5:
            kwargs["engine"] = engine()
        return args, kwargs
    first = "p" if name[0] == "q" else "x"
    args = [value(first)] + [value(p) for p in PARAMS]
    if name[0] != "q" and rng.random() < 0.4:
        args.append(rng.choice([True, False, np.array([True, False]), 1, "yes", None]))
    if rng.random() < 0.1:
        args.pop()  # one argument short
    return args, {}


def show(x):
    if isinstance(x, np.ndarray):
        return f"np.array({x.tolist()!r}, dtype={x.dtype.name})" + (".T" if not x.flags.c_contiguous else "")
    return repr(x)


# Calls whose time or memory once had no bound, made once each before the
# random ones (they draw nothing from the random sources).
SCRIPTED = {
    "binom": ["pradix.qbinom(0.5, 2**62, 1.0)", "pradix.qbinom(0.5, 2**62, 0.0)", "pradix.qbinom(0.5, 10**8, 0.5)",
              "pradix.qbinom([1e-300, 1 - 2**-53], 10**8, 0.3)", "pradix.pbinom(5 * 10**7, 10**8, 0.5)",
              "pradix.pbinom(2**62 - 1, 2**62, 1.0)", "pradix.dbinom([3, 4], 10, 0.5)",
              "pradix.rbinom(65536, 0.5, 20)"],
    "pois": ["pradix.qpois([0.5, 1e-300], 1e12)", "pradix.ppois(10**15, 1e15)"],
}
for text in SCRIPTED.get(CODE, []):
    print(text, flush=True)
    eval(text)

for family in "dprq":
    name = family + CODE
    fn = getattr(pradix, name)
    for _ in range(CALLS):
        args, kwargs = make_call(name)
        text = f"pradix.{name}(" + ", ".join([show(a) for a in args] + [f"{k}={show(v)}" for k, v in kwargs.items()]) + ")"
        print(text, flush=True)
        try:
            out = fn(*args, **kwargs)
        except refused:
            continue
        ok = isinstance(out, float) or (isinstance(out, np.ndarray) and out.dtype == np.float64)
        if not ok:
            print("UNEXPECTED RESULT", type(out), flush=True)
            sys.exit(3)
print("DONE", flush=True)
'''


@pytest.mark.parametrize("code", CODES)
def test_random_calls_neither_crash_nor_hang(code):
    params = ",".join(name for name, _ in PARAMS[code])
    try:
        done = subprocess.run([sys.executable, "-c", CHILD, code, str(CALLS_PER_FUNCTION), params],
                              capture_output=True, text=True, timeout=120)
    except subprocess.TimeoutExpired as hung:
        last = (hung.stdout or b"").decode(errors="replace").strip().splitlines()[-1:]
        pytest.fail(f"hung in {last}")
    lines = done.stdout.strip().splitlines()
    assert done.returncode == 0 and lines[-1:] == ["DONE"], (
        f"exit {done.returncode} in {lines[-1:]}\n{done.stderr[-3000:]}")
