"""What passing arguments by keyword adds to a one-point or one-draw call.

Each pair is the same call with its arguments by position and by keyword;
the cost of the keywords is the difference.  CPU time of the calling thread,
the calls of a pair alternating, medians of REPEATS runs of LOOPS calls.

    .venv/bin/python bench/keywords.py [--repeats N]
"""
import argparse
import statistics
import time

import pradix

LOOPS = 20_000

engine = pradix.Engine(1)
PAIRS = [
    ("rnorm(0.0, 1.0, e)", lambda: pradix.rnorm(0.0, 1.0, engine),
     "rnorm(0.0, 1.0, engine=e)", lambda: pradix.rnorm(0.0, 1.0, engine=engine)),
    ("rnorm()", lambda: pradix.rnorm(),
     "rnorm(engine=e)", lambda: pradix.rnorm(engine=engine)),
    ("rgamma(2.5, 1.0, e)", lambda: pradix.rgamma(2.5, 1.0, engine),
     "rgamma(2.5, 1.0, engine=e)", lambda: pradix.rgamma(2.5, 1.0, engine=engine)),
    ("rgamma(2.5, 1.0, 10, e)", lambda: pradix.rgamma(2.5, 1.0, 10, engine),
     "rgamma(2.5, 1.0, size=10, engine=e)", lambda: pradix.rgamma(2.5, 1.0, size=10, engine=engine)),
    ("dnorm(0.3)", lambda: pradix.dnorm(0.3),
     "dnorm(x=0.3)", lambda: pradix.dnorm(x=0.3)),
    ("dgamma(0.3, 2.5, 1.0, True)", lambda: pradix.dgamma(0.3, 2.5, 1.0, True),
     "dgamma(0.3, shape=2.5, scale=1.0, log=True)", lambda: pradix.dgamma(0.3, shape=2.5, scale=1.0, log=True)),
]


def per_call(fn):
    start = time.thread_time_ns()
    for _ in range(LOOPS):
        fn()
    return (time.thread_time_ns() - start) / LOOPS


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--repeats", type=int, default=9)
    args = parser.parse_args()
    print(f"ns per call, medians of {args.repeats}")
    for plain_name, plain, keyword_name, keyword in PAIRS:
        a, b = [], []
        for _ in range(args.repeats):
            a.append(per_call(plain))
            b.append(per_call(keyword))
        ta, tb = statistics.median(a), statistics.median(b)
        print(f"{plain_name:30} {ta:6.0f}   {keyword_name:45} {tb:6.0f}   keywords add {tb - ta:5.0f}")


if __name__ == "__main__":
    main()
