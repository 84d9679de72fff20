"""Cost of the stop polls: this build against another build of pradix.

    .venv/bin/python bench/interrupt_overhead.py BASE_DIR [--rounds R]

BASE_DIR holds another build of the module: for instance the parent commit,
or this checkout with `num::interrupt::check` and `StopPoll::operator()`
made to return false (the polls compiled out), installed with
`pip install --no-deps --target BASE_DIR <checkout>`.  Each
round times every case once in a fresh process per build, alternating the
builds; the best time of each is kept and their ratio printed (this / base:
above 1 means the polls cost time).  Ratios are what matter on a shared
machine; repeat runs to see the noise.
"""
import argparse
import subprocess
import sys

CASES = {
    "rbinom trials": "pradix.rbinom(2 * 10**7, 0.5)",
    "runif fill": "pradix.runif(0.0, 1.0, size=4 * 10**6)",
    "rnorm fill": "pradix.rnorm(size=2 * 10**6)",
    "rpois fill": "pradix.rpois(40.0, size=2000)",
    "pbinom sum": "pradix.pbinom(2 * 10**5, 4 * 10**5, 0.5)",
    "qbinom search": "pradix.qbinom(0.5, 10**6, 0.5)",
    "qpois search": "pradix.qpois(1e-300, 1e5)",
    "dnorm loop": "pradix.dnorm(x, 0.5, 2.0)",
    "pnorm walk": "pradix.pnorm(x, x[::-1], 2.0 + 0.0 * x)",
}

TIMER = r'''
import sys, time
if {path!r}:
    sys.path.insert(0, {path!r})
import numpy
import pradix
pradix.dnorm([0.0])
x = numpy.linspace(-3.0, 3.0, 4 * 10**6)
call = lambda: {call}
t0 = time.perf_counter(); call(); print(time.perf_counter() - t0)
'''


def timed(path, call):
    out = subprocess.run([sys.executable, "-c", TIMER.format(path=path, call=call)], capture_output=True,
                         text=True, check=True).stdout
    return float(out)


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("base")
    parser.add_argument("--rounds", type=int, default=7)
    args = parser.parse_args()
    for name, call in CASES.items():
        this = base = float("inf")
        for _ in range(args.rounds):
            this = min(this, timed("", call))
            base = min(base, timed(args.base, call))
        print(f"{name:14s} this {this:8.4f} s  base {base:8.4f} s  ratio {this / base:6.3f}", flush=True)


if __name__ == "__main__":
    main()
