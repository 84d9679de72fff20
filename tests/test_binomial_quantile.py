"""The binomial quantile's search returns exactly the least k with F(k) >= p.

F(k) is the binomial distribution function, its masses summed from the top.
The search passes over the k ruled out by a bound, and later searches of a
call start from the values earlier ones kept.  The reference here scans the
distribution function itself.  Calls whose cost grew with n run in child
processes with limits on time and memory.
"""
import os
import subprocess
import sys

import numpy as np
import pytest

import pradix

rng = np.random.default_rng(3)


def cases():
    for n in (2, 3, 7, 40, 333, 1200, 20000):
        for prob in (0.0, 1.0, 1e-3, 0.5, 0.999, 1e-17, 1 - 2**-53, float(rng.uniform())):
            yield n, prob


def levels(f):
    """Random levels, every tie with F and the doubles next to them."""
    picks = f[rng.integers(0, f.size, 12)]
    p = np.concatenate([rng.uniform(size=12), picks, np.nextafter(picks, 0), np.nextafter(picks, 1),
                        [1e-300, 5e-324, 1 - 2**-53]])
    return p[(p > 0) & (p < 1)]


@pytest.mark.parametrize("n, prob", list(cases()))
def test_search_matches_scan_of_the_distribution_function(n, prob):
    f = pradix.pbinom(np.arange(n + 1), n, prob)
    p = levels(f)
    want = np.array([np.argmax(f >= level) for level in p], dtype=float)
    assert np.array_equal(np.array([pradix.qbinom(level, n, prob) for level in p]), want)
    # one call: the searches meet what earlier ones kept, in every order
    for order in (np.argsort(p), np.argsort(-p), rng.permutation(p.size)):
        assert np.array_equal(pradix.qbinom(p[order], n, prob), want[order])


def test_many_searches_of_one_call_match_single_calls():
    n, prob = 10**6, 0.37
    p = np.concatenate([rng.uniform(size=3000), 10.0 ** -rng.uniform(1, 300, 300), 1 - 10.0 ** -rng.uniform(1, 15, 300)])
    rng.shuffle(p)
    single = np.array([pradix.qbinom(level, n, prob) for level in p[::37]])
    assert np.array_equal(pradix.qbinom(p, n, prob)[::37], single)


def test_large_numbers_of_trials_finish():
    # the bulk of 5e6 trials is wider than any fixed window of a few thousand masses
    assert pradix.qbinom([0.5, 0.5], [10**6, 5 * 10**6], 0.5).tolist() == [500000.0, 2500000.0]
    assert pradix.qbinom(0.5, 2**62, 0.0) == 0.0


# (call, result, seconds, MB): calls whose time or memory grew with n.
BOUNDED = [
    ("pradix.qbinom(0.5, 2**62, 1.0)", 2.0**62, 5, None),
    ("pradix.qbinom(0.5, 10**8, 0.5)", 5e7, 5, 400),
    ("pradix.qbinom([1e-300, 0.5, 1 - 2**-53], 10**8, 0.3)", None, 20, 400),
    ("pradix.pbinom(5 * 10**7, 10**8, 0.5)", None, 5, 400),
    ("pradix.pbinom([10**8 - 1, 3 * 10**7], 10**8, 0.5)", None, 5, 400),
    ("pradix.pbinom(2**62 - 1, 2**62, 1.0)", 0.0, 5, None),
]


# Under the sanitizers (tools/sanitize.sh) memory is not the module's own and
# time runs slower.
SANITIZED = "libasan" in os.environ.get("LD_PRELOAD", "")


@pytest.mark.parametrize("call, want, seconds, megabytes", BOUNDED)
def test_calls_once_unbounded_finish_in_time_and_memory(call, want, seconds, megabytes):
    script = ("import resource, pradix\n"
              f"out = {call}\n"
              "print(repr(getattr(out, 'tolist', lambda: out)()))\n"
              "print(resource.getrusage(resource.RUSAGE_SELF).ru_maxrss // 1024)\n")
    done = subprocess.run([sys.executable, "-c", script], capture_output=True, text=True,
                          timeout=seconds * (5 if SANITIZED else 1))
    assert done.returncode == 0, done.stderr
    result, peak = done.stdout.split("\n")[:2]
    if want is not None:
        assert eval(result) == want
    if megabytes is not None and not SANITIZED:
        assert int(peak) < megabytes


def test_runs_on_a_small_thread_stack():
    script = ("import threading, pradix\n"
              "threading.stack_size(131072)\n"
              "out = []\n"
              "t = threading.Thread(target=lambda: out.append((pradix.qbinom(0.5, 100, 0.3), pradix.pbinom(30, 100, 0.3))))\n"
              "t.start(); t.join()\n"
              "print(out[0][0], out[0][1] == pradix.pbinom(30, 100, 0.3))\n")
    done = subprocess.run([sys.executable, "-c", script], capture_output=True, text=True, timeout=60)
    assert (done.returncode, done.stdout) == (0, "30.0 True\n"), done.stderr
