"""Writes tests/data/golden.json: exact results of every function.

    .venv/bin/python tools/make_golden.py

For each density, distribution function and quantile (both modes) the file
holds the SHA-256 of the IEEE bit patterns of its results on a fixed grid of
ordinary and extreme arguments; for each sampler, 64 draws from a seeded
engine as hex bit patterns.  These are this build's own results: the test
built on them catches a change of a single bit anywhere (an altered order of
operations, a constant, a rule).  Regenerate only for a deliberate change of
results, and say why in the commit.
"""
import hashlib
import json
import os

import numpy as np

import pradix

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
OUT = os.path.join(ROOT, "tests", "data", "golden.json")

POINTS = [-np.inf, -1e300, -30.5, -3.0, -1.0, -0.5, -1e-17, -0.0, 0.0, 1e-300, 1e-17, 0.05, 0.3, 0.5,
          0.75, 0.999, 1.0, 1.5, 2.0, 3.7, 10.0, 42.0, 1e3, 1e300, np.inf, np.nan]
PROBS = [0.0, 1e-300, 1e-17, 1e-6, 0.01, 0.1, 0.25, 0.5, 0.6, 0.9, 0.99, 1 - 1e-12, 1.0, 1.5, np.nan]
COUNTS = [np.iinfo(np.int64).min, -1, 0, 1, 2, 3, 7, 20, 100]
# parameter values per kind: location, scale/shape/rate (non-negative), probability
LOCATIONS = [-2.0, 0.0, 1.5, np.inf]
POSITIVE = [0.0, 1e-17, 0.4, 1.0, 2.5, 30.0, np.inf, -1.0]
SUCCESS = [0.0, 0.3, 0.5, 1.0, 1.5]
TRIALS = [0, 1, 2, 5, 40, -1]

FLOAT_PARAMS = {
    "norm": (LOCATIONS, POSITIVE), "cauchy": (LOCATIONS, POSITIVE), "laplace": (LOCATIONS, POSITIVE),
    "logis": (LOCATIONS, POSITIVE), "lnorm": (LOCATIONS, POSITIVE), "unif": (LOCATIONS, LOCATIONS),
    "beta": (POSITIVE, POSITIVE), "f": (POSITIVE, POSITIVE), "gamma": (POSITIVE, POSITIVE),
    "invgamma": (POSITIVE, POSITIVE), "weibull": (POSITIVE, POSITIVE),
    "chisq": (POSITIVE,), "exp": (POSITIVE,), "t": (POSITIVE,), "pois": (POSITIVE,), "bern": (SUCCESS,),
    "binom": (TRIALS, SUCCESS),
}
DISCRETE = {"bern", "binom", "pois"}


def grid(family, code):
    first = PROBS if family == "q" else (COUNTS if code in DISCRETE else POINTS)
    axes = [first] + [list(a) for a in FLOAT_PARAMS[code]]
    mesh = np.meshgrid(*[np.array(a, dtype=object) for a in axes], indexing="ij")
    cols = [m.ravel() for m in mesh]
    return cols


def bit_patterns(values):
    # NaNs made by arithmetic carry the processor's own sign and payload;
    # every NaN counts as the canonical one here.
    v = np.array(values, dtype=np.float64).ravel()
    v[np.isnan(v)] = np.nan
    return v.view(np.uint64)


def digest(values):
    return hashlib.sha256(bit_patterns(values).astype("<u8").tobytes()).hexdigest()


def hexes(values):
    return [f"{int(b):016x}" for b in bit_patterns(values)]


def evaluate(name):
    family, code = name[0], name[1:]
    cols = grid(family, code)
    args = []
    for i, c in enumerate(cols):
        integer = (i == 0 and family != "q" and code in DISCRETE) or (code == "binom" and i == 1)
        args.append(np.array(list(c), dtype=np.int64 if integer else float))
    if family == "q":
        return {"plain": digest(getattr(pradix, name)(*args))}
    fn = getattr(pradix, name)
    return {"plain": digest(fn(*args, False)), "log": digest(fn(*args, True))}


SAMPLERS = {
    "rnorm": (0.5, 2.0), "rbern": (0.3,), "rbeta": (0.7, 2.5), "rbinom": (9, 0.4), "rcauchy": (1.0, 0.5),
    "rchisq": (3.5,), "rexp": (1.5,), "rf": (3.0, 7.0), "rgamma": (0.6, 2.0), "rinvgamma": (2.5, 1.5),
    "rlaplace": (1.0, 2.0), "rlnorm": (0.2, 0.7), "rlogis": (0.0, 1.5), "rpois": (12.5,), "rt": (4.5,),
    "runif": (-1.0, 3.0), "rweibull": (1.5, 2.0),
}


def streams():
    out = {}
    for name, params in SAMPLERS.items():
        engine = pradix.Engine(20261207)
        out[name] = hexes(getattr(pradix, name)(*params, 64, engine=engine))
    return out


def main():
    names = [f + c for f in "dpq" for c in FLOAT_PARAMS]
    data = {"functions": {n: evaluate(n) for n in sorted(names)}, "streams": streams()}
    os.makedirs(os.path.dirname(OUT), exist_ok=True)
    with open(OUT, "w") as fh:
        json.dump(data, fh, indent=1, sort_keys=True)
        fh.write("\n")
    print("wrote", OUT)


if __name__ == "__main__":
    main()
