"""The binomial quantile's search returns exactly the least k with F(k) >= p.

F(k) is the binomial distribution function, its masses summed from the top;
the search keeps masses (from the first one above +0) and stops sums early
where that cannot change them.
The reference here scans the distribution function itself.
"""
import subprocess
import sys

import numpy as np
import pytest

import _testkit as k
import pradix

rng = np.random.default_rng(3)


def cases():
    for n in (2, 3, 7, 40, 333, 1200):
        for prob in (0.0, 1.0, 1e-3, 0.5, 0.999, float(rng.uniform())):
            yield n, prob


@pytest.mark.parametrize("n, prob", list(cases()))
def test_search_matches_scan_of_the_distribution_function(n, prob):
    f = pradix.pbinom(np.arange(n + 1), n, prob)
    picks = f[rng.integers(0, n + 1, 12)]
    # random levels, every tie with F and the doubles next to them
    p = np.concatenate([rng.uniform(size=12), picks, np.nextafter(picks, 0), np.nextafter(picks, 1)])
    p = p[(p > 0) & (p < 1)]
    want = np.array([np.argmax(f >= level) for level in p], dtype=float)
    assert np.array_equal(pradix.qbinom(p, n, prob), want)
    # sums split into chunks of 16 additions
    assert np.array_equal(k.qbinom_chunk16(p, n, prob), want)


def test_large_numbers_of_trials_finish():
    # the bulk of 5e6 trials is wider than any fixed window of a few thousand masses
    assert pradix.qbinom([0.5, 0.5], [10**6, 5 * 10**6], 0.5).tolist() == [500000.0, 2500000.0]
    assert pradix.qbinom(0.5, 2**62, 0.0) == 0.0


def test_runs_on_a_small_thread_stack():
    script = ("import threading, pradix\n"
              "threading.stack_size(131072)\n"
              "out = []\n"
              "t = threading.Thread(target=lambda: out.append(pradix.qbinom(0.5, 100, 0.3)))\n"
              "t.start(); t.join()\n"
              "print(out)\n")
    done = subprocess.run([sys.executable, "-c", script], capture_output=True, text=True, timeout=60)
    assert (done.returncode, done.stdout) == (0, "[30.0]\n"), done.stderr
