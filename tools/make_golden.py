"""Writes or checks tests/data/golden.npz: exact results of every function.

    .venv/bin/python tools/make_golden.py            # write the file
    python tools/make_golden.py --check              # compare; exit 1 on a difference

The file holds, as IEEE bit patterns (NaNs as they come), the arguments and
results of
- every density, distribution function (both modes) and quantile on a fixed
  grid of ordinary and extreme arguments, and on extra grids that put every
  rule threshold and region boundary of the kernels, and its two neighbouring
  doubles, in front of the function that reaches it;
- 64 draws of every sampler from a seeded engine;
- from the test kit (when it is importable): the numerical kernels at their
  own thresholds, and polar normal draws fed with chosen outputs, among them
  pairs whose s lies just above the rescaling threshold.
These are this build's own results: a check catches a change of a single bit
anywhere (an altered order of operations, a constant, a rule) and names the
function, the mode, the evaluation path and the first differing arguments.
Each grid of the d, p and q functions is checked through every path of the
element loop (see PATHS below); the manifest keeps each grid's mesh shape for
the broadcast path.  --check runs against
whatever pradix is importable, so other builds and interpreters can be
compared with it.  Regenerate only for a deliberate change of results, and
say why in the commit.
"""
import argparse
import json
import math
import os
import platform
import sys

import numpy as np

import pradix

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
DATA = os.path.join(ROOT, "tests", "data", "golden.npz")
sys.path.insert(0, os.path.join(ROOT, "build", "testkit"))
try:
    import _testkit
except ImportError:  # another build of the module, without the test kit
    _testkit = None

INF, NAN = math.inf, math.nan
EPS = 2.0**-52
I64_MIN = np.iinfo(np.int64).min

# ---- the original grid -------------------------------------------------------

POINTS = [-INF, -1e300, -30.5, -3.0, -1.0, -0.5, -1e-17, -0.0, 0.0, 1e-300, 1e-17, 0.05, 0.3, 0.5,
          0.75, 0.999, 1.0, 1.5, 2.0, 3.7, 10.0, 42.0, 1e3, 1e300, INF, NAN]
PROBS = [0.0, 1e-300, 1e-17, 1e-6, 0.01, 0.1, 0.25, 0.5, 0.6, 0.9, 0.99, 1 - 1e-12, 1.0, 1.5, NAN]
COUNTS = [I64_MIN, -1, 0, 1, 2, 3, 7, 20, 100]
# parameter values per kind: location, scale/shape/rate (non-negative), probability
LOCATIONS = [-2.0, 0.0, 1.5, INF]
POSITIVE = [0.0, 1e-17, 0.4, 1.0, 2.5, 30.0, INF, -1.0]
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
NAMES = sorted(f + c for f in "dpq" for c in FLOAT_PARAMS)


def original_grid(name):
    family, code = name[0], name[1:]
    first = PROBS if family == "q" else (COUNTS if code in DISCRETE else POINTS)
    return [first] + [list(a) for a in FLOAT_PARAMS[code]]


# ---- thresholds --------------------------------------------------------------


def nb(*values):
    """Each value with its two neighbouring doubles."""
    out = []
    for v in values:
        out += [math.nextafter(v, -INF), v, math.nextafter(v, INF)]
    return out


def crossing(f, t, x0, reach=4096):
    """Arguments around x0 where the computed f(x) (increasing) passes t:
    the last x with f(x) < t, every x with f(x) == t, the first with f(x) > t."""
    up, down = (lambda v: math.nextafter(v, INF)), (lambda v: math.nextafter(v, -INF))
    x = x0
    for _ in range(reach):
        if f(x) < t:
            break
        x = down(x)
    for _ in range(reach):
        if not f(up(x)) < t:
            break
        x = up(x)
    out = [x]
    x = up(x)
    for _ in range(reach):
        if f(x) != t:
            break
        out.append(x)
        x = up(x)
    assert f(out[0]) < t < f(x), (f, t, x0)
    return out + [x]


def _pnorm_arg(x):
    return x / 1.4142135623730951  # ((x - 0) / 1) / sqrt 2, as pnorm forms it


def _qcauchy_arg(p):
    return (p - 0.5) * 3.141592653589793


def _qnorm_w(p):
    y = (p + p) - 1.0
    return -float(_testkit.log((y + 1.0) * (1.0 - y)))


def _erfinv_w(y):
    return -float(_testkit.log((y + 1.0) * (1.0 - y)))


def erf_switch_points():
    return [s * x for s in (1, -1) for t in nb(2.1) for x in crossing(_pnorm_arg, t, t * 1.4142135623730951)]


def tan_switch_points():
    return [p for t in nb(1.0, 1.4, 1.55) for p in crossing(_qcauchy_arg, t, t / 3.141592653589793 + 0.5)]


QUADRATURE_SPANS = [30.0, 40.0, 50.0, 70.0, 90.0, 300.0, 800.0]
ATAN_SWITCHES = [0.5, 1.0, 1.5, 2.0, 2.5, 3.0, 4.0, 5.0, 7.0, 11.0, 25.0, 100.0, 1000.0]
LOG_SWITCHES = [EPS, 0.5, 1.0, 1.5, 10.0, 0.1]
TAIL_P = [1e-10, 0.01, 0.2, 0.45, 0.7, 0.99, 1 - 1e-9]


def threshold_grids():
    """Extra grids per public function: lists of axes, each one meshed."""
    g = {
        "dnorm": [[nb(0.0, EPS, 2.0), [0.0], nb(EPS, 1.0)]],
        "dlaplace": [[nb(0.0, 2.0), [0.0], nb(EPS, 0.5)]],
        "dcauchy": [[nb(0.0, 1.0), [0.0], nb(EPS, 1.0)]],
        "dlogis": [[nb(-2.0, 2.0, -2.5, 2.5, 0.0), [0.0], [1.0]]],
        "dlnorm": [[nb(*LOG_SWITCHES), [0.0], [1.0]]],
        "dunif": [[nb(0.0, 1.0), [0.0], nb(1.0)]],
        "dexp": [[nb(0.0, 2.0, 2.5, 3.5, 709.0), nb(*LOG_SWITCHES)]],
        "dchisq": [[nb(0.0, EPS, 1.0), nb(0.0, 2.0)]],
        "dgamma": [[nb(0.0, EPS), nb(0.0, 1.0), nb(EPS, 1.0)]],
        "dinvgamma": [[nb(0.0, 1.0), nb(0.0, 1.0), nb(0.0, 1.0)]],
        "dweibull": [[nb(0.0, EPS, 1.0), nb(EPS, 1.0), nb(EPS, 1.0)]],
        "dt": [[nb(0.0, 1.0), nb(EPS, 1.0, 2.0)]],
        "df": [[[0.0, 1.0, INF], nb(EPS, 1.0, 2.0), nb(EPS, 1.0, 2.0)], [[1e15, 4.5e15, 1e16], [1.0, 2.0], [1.0, 2.0]]],
        "dbeta": [[nb(0.0, EPS, 0.5, 1.0 - EPS, 1.0), nb(1.0), nb(1.0)]],
        "dbern": [[[-1, 0, 1, 2], nb(0.0, 1.0)]],
        "dbinom": [[list(range(-1, 14)), [0, 1, 2, 12], [0.37, *nb(0.0, 1.0)]]],
        "dpois": [[[0, 1, 2, 2**63 - 1], nb(0.0, EPS, 1.0)]],
        "pnorm": [[erf_switch_points() + nb(0.0, EPS, 6.0), [0.0], [1.0]]],
        "plnorm": [[nb(*LOG_SWITCHES), [0.0], [1.0]]],
        "pcauchy": [[nb(*ATAN_SWITCHES, EPS, 0.0) + [-x for x in nb(*ATAN_SWITCHES)], [0.0], [1.0]]],
        "plaplace": [[nb(0.0, 2.0, 2.5), [0.0], nb(0.0, 1.0)]],
        "plogis": [[nb(0.0, 2 * EPS, 58.0), [0.0], nb(0.0, 1.0)]],
        "punif": [[nb(0.0, 1.0), [0.0], nb(1.0)]],
        "pexp": [[nb(0.0, 1e-4, 2.0), nb(1.0)]],
        "pweibull": [[nb(EPS, 1.0, 1e-4), nb(EPS, 1.0), nb(EPS, 1.0)]],
        "pgamma": [[[5.0, 15.0, 19.98, 20.0, 30.0, 31.0], nb(10.0), [1.0]],
                   [nb(13.0), [3.0], [1.0]], [nb(10.5), [0.5], [1.0]], [nb(60.0), [20.0], [1.0]],
                   [nb(30.0), [10.0], [1.0]], [nb(EPS, 1.0), nb(EPS, 1.0), nb(EPS, 1.0)]]
                  + [[[a * 0.5, a, a * 1.5, a * 3.0], nb(a), [1.0]] for a in QUADRATURE_SPANS],
        "pchisq": [[nb(26.0), [6.0]], [nb(EPS, 2 * EPS), nb(0.0, 20.0)], [[20.0, 30.0, 40.0], nb(20.0)]],
        "pinvgamma": [[[1 / 13.0, 0.1, 1.0], [3.0, *nb(10.0)], [1.0]]],
        "ppois": [[[0, 1, 2, 14, 15, 16, 19, 20, 21], nb(0.0, 5.0, 10.0)]],
        "pbinom": [[list(range(-1, 14)), [2, 12], [0.37]]],
        "pbern": [[[-1, 0, 1], nb(0.0, 1.0)]],
        "pbeta": [[nb(3 / 7, EPS, 0.5), [2.0], [3.0]], [nb(0.5), [0.5, 1.0, 3.0], [0.5, 1.0, 3.0]],
                  [[0.3], nb(0.0), nb(0.0)]],
        "pf": [[nb(EPS, 1.0), nb(EPS, 1.0, 2.0), nb(EPS, 2.0)]],
        "pt": [[nb(-2.0, 2.0, 0.0, EPS), nb(EPS, 1.0, 2.0, 4.0)]],
        "qnorm": [[nb(0.5, 1e-4, 1 - 1e-4), [0.0], [1.0]]],
        "qlnorm": [[nb(0.5), [0.0], nb(0.0)]],
        "qcauchy": [[tan_switch_points() + nb(0.5), [0.0], [1.0]]],
        "qlaplace": [[nb(0.5, 0.25, 0.75), [0.0], nb(0.0, 1.0)]],
        "qlogis": [[nb(0.5, 0.2), [0.0], nb(0.0, 1.0)]],
        "qunif": [[nb(0.0, 0.5, 1.0), [0.0], nb(1.0)]],
        "qexp": [[nb(0.0, 1e-4, 0.5, 1.0), nb(0.0, 1.0)]],
        "qweibull": [[nb(1e-4, 0.5), nb(EPS, 1.0), nb(EPS, 1.0)]],
        "qchisq": [[TAIL_P, nb(2.0, 2 * EPS)]],
        "qgamma": [[TAIL_P + nb(0.5), nb(1.0, EPS), [1.0]]],
        "qinvgamma": [[nb(0.5), nb(1.0, 0.0), nb(0.0, 1.0)]],
        "qbeta": [[TAIL_P + nb(0.5), nb(1.0), nb(1.0)], [[0.3], nb(0.0), nb(0.0)]],
        "qf": [[TAIL_P, nb(2.0), nb(2.0, EPS)]],
        "qt": [[TAIL_P + nb(0.5), nb(0.5, 1.0, 2.0, 5.0, EPS)]],
        "qbern": [[nb(0.7, 0.0, 1.0), [0.3]]],
        "qbinom": [[nb(0.5, 0.9), [1, 2, 12], [0.37]]],
        "qpois": [[[1e-10, 0.1, 0.5, 0.9, 1 - 1e-9], nb(11.0, EPS, 10.0)]],
    }
    if _testkit is not None:
        g["qnorm"].append([[p for t in nb(5.0) for p in crossing(_qnorm_w, t, (1 + math.sqrt(1 - math.exp(-t))) / 2)], [0.0], [1.0]])
    return g


def kit_grids():
    """Kernels of the test kit at their own thresholds (each argument meshed)."""
    exp_args = nb(*[s * v for s in (1, -1) for v in (2.0, 2.5, 3.5, EPS, 709.0, 708.5)], 0.0, 2.0**63)
    return {
        "exp": [[exp_args + [float(n) for n in range(-709, 710)]]],
        "log": [[nb(*LOG_SWITCHES, 1e300, 5e-324)
                 + [j * 10.0**k for k in range(-15, 300, 7) for j in range(2, 11)]]],
        "expm1": [[nb(1e-4, -1e-4, 0.0)]],
        "log1p": [[nb(1e-4, -1e-4, 0.0)]],
        "sqrt": [[nb(0.0, EPS, 1.0, 4.0, 16.0, 0.25)]],
        "tan": [[nb(1.0, 1.4, 1.55, 1.6, 1.5707963267948966, 3.141592653589793, 2 * 3.141592653589793, EPS)]],
        "atan": [[nb(*ATAN_SWITCHES, EPS)]],
        "lgamma": [[nb(EPS, 1.0, 2.0, 0.5) + list(np.geomspace(1e-6, 1e250, 300))]],
        "erf": [[nb(2.1, -2.1, EPS, 6.0)]],
        "erfinv": [[[y for t in nb(5.0) for y in crossing(_erfinv_w, t, math.sqrt(1 - math.exp(-t)))] + nb(0.0, 1.0 - EPS)]],
        "gamma_p": [[nb(10.0), [5.0, 15.0, 19.98, 20.0, 30.0, 31.0]], [[3.0], nb(13.0)], [[0.5], nb(10.5)],
                    [[20.0], nb(60.0)], [[10.0], nb(30.0)], [nb(EPS), nb(EPS, 1.0)]]
                   + [[nb(a), [a * 0.5, a, a * 3.0]] for a in QUADRATURE_SPANS],
        "gamma_p_inv": [[nb(1.0, EPS), TAIL_P + nb(0.5, EPS, 1.0 - EPS)]],
        "beta_inc": [[[2.0], [3.0], nb(3 / 7, EPS)], [[0.5, 3.0], [0.5, 3.0], nb(0.5)]],
        "beta_inc_inv": [[nb(1.0), nb(1.0), TAIL_P + nb(0.5, EPS)]],
        "poisson_partial_sum": [[[-1, 0, 1, 2, 19, 20, 21], [0.3, 5.0, 14.9]]],
    }


def integer_columns(section, name):
    """Positions of int64 arguments."""
    if section == "module":
        code = name[1:]
        cols = {0} if (name[0] != "q" and code in DISCRETE) else set()
        return cols | ({1} if code == "binom" else set())
    return {"poisson_partial_sum": {0}}.get(name, set())


def mesh(axes, ints):
    grid = np.meshgrid(*[np.array(a, dtype=object) for a in axes], indexing="ij")
    return [np.array(list(m.ravel()), dtype=np.int64 if i in ints else np.float64) for i, m in enumerate(grid)]


# ---- samplers ------------------------------------------------------------------

SAMPLERS = {
    "rnorm": (0.5, 2.0), "rbern": (0.3,), "rbeta": (0.7, 2.5), "rbinom": (9, 0.4), "rcauchy": (1.0, 0.5),
    "rchisq": (3.5,), "rexp": (1.5,), "rf": (3.0, 7.0), "rgamma": (0.6, 2.0), "rinvgamma": (2.5, 1.5),
    "rlaplace": (1.0, 2.0), "rlnorm": (0.2, 0.7), "rlogis": (0.0, 1.5), "rpois": (12.5,), "rt": (4.5,),
    "runif": (-1.0, 3.0), "rweibull": (1.5, 2.0),
}
SEED = 20261207
DRAWS = 64

HALF = 2**63


def polar_scripts():
    """Output pairs for the polar normal: w = 2 (x / 2^64) - 1 for each x.
    s = w1^2 + w2^2 just above and below 1e-4, through (1e-4, 1e-3), and tiny."""
    scripts = []
    # Pairs from (0.0070711, 0.0070711) on give a different value through the
    # rescaled logarithm than through the plain one.
    for w1, w2 in [(0.0070710678, 0.0070710679), (0.0070710678, 0.0070710677), (0.0071, 0.0071),
                   (0.0123456789, -0.0098765432), (-0.0151, 0.0177), (0.0209876543, -0.0123),
                   (0.00012345, -0.0003), (0.3, -0.4),
                   (0.0070711, 0.0070711), (0.0070721, 0.0070711), (0.0070709, 0.007071),
                   (0.01066, -0.01258), (0.01187, -0.01181), (0.01319, -0.01097), (0.02101, -0.0205)]:
        scripts.append([HALF + int(round(w1 * HALF)), HALF + int(round(w2 * HALF))])
    return scripts


# ---- evaluation ----------------------------------------------------------------


def cases():
    """(section, name, mode, arguments, mesh shape) of every recorded case."""
    out = []
    extra = threshold_grids()
    for name in NAMES:
        ints = integer_columns("module", name)
        grids = [("grid", original_grid(name))]
        grids += [(f"threshold{i}", axes) for i, axes in enumerate(extra.get(name, []))]
        for label, axes in grids:
            args = mesh(axes, ints)
            shape = [len(a) for a in axes]
            for mode in (["q"] if name[0] == "q" else ["plain", "log"]):
                out.append(("module", name, f"{mode}/{label}", args, shape))
    for name, params in SAMPLERS.items():
        out.append(("streams", name, "seed", [np.array(params, dtype=float)], None))
    if _testkit is not None:
        for name, grids in kit_grids().items():
            for i, axes in enumerate(grids):
                out.append(("kit", name, f"threshold{i}", mesh(axes, integer_columns("kit", name)),
                            [len(a) for a in axes]))
        for i, script in enumerate(polar_scripts()):
            out.append(("scripted", "polar_normal_of", f"script{i}", [np.array(script, dtype=np.uint64)], None))
    return out


def bits(values):
    return np.ascontiguousarray(np.asarray(values, dtype=np.float64)).ravel().view(np.uint64)


# ---- evaluation paths ------------------------------------------------------------
#
# Every grid of the d, p and q functions is replayed through each way the
# element loop can meet it; all must give the recorded bits.
#   element:   every argument a full contiguous array (one value per point);
#   broadcast: each argument its own axis of the mesh, broadcast against the
#              others (the result is the mesh in C order);
#   strided:   full arrays read through non-contiguous views;
#   fortran:   full arrays as Fortran-ordered two-dimensional arrays;
#   prepared:  the points of each parameter combination as one array, the
#              parameters (and flag) as plain scalars;
#   scalar:    one all-scalar call per point, no array at all.

PATHS = ("element", "broadcast", "strided", "fortran", "prepared", "scalar")


def _flag(mode):
    return [] if mode.startswith("q/") else [mode.startswith("log/")]


def _scalar(a):
    return a.item()  # int64 elements as Python ints, float64 as floats


def _axes(args, shape):
    """Each meshed argument as its axis, shaped to broadcast against the others."""
    out = []
    for k, a in enumerate(args):
        full = a.reshape(shape)
        index = tuple(slice(None) if d == k else 0 for d in range(len(shape)))
        out.append(full[index].reshape([n if d == k else 1 for d, n in enumerate(shape)]))
    return out


def _fortran(a):
    rows = 2 if a.size % 2 == 0 else 1
    return np.asfortranarray(a.reshape(a.size // rows, rows, order="F"))


def _by_parameters(fn, args, flag, n):
    """The prepared path: the points of each parameter combination together."""
    out = np.empty(n, dtype=np.uint64)
    groups = {}
    for i in range(n):
        groups.setdefault(tuple(a[i].tobytes() for a in args[1:]), []).append(i)
    for rows in groups.values():
        idx = np.array(rows)
        params = [_scalar(a[rows[0]]) for a in args[1:]]
        out[idx] = bits(fn(args[0][idx], *params, *flag))
    return out


def module_result(name, mode, args, shape, path="element"):
    fn = getattr(pradix, name)
    flag = _flag(mode)
    n = args[0].size
    if path == "element":
        return bits(fn(*args, *flag))
    if path == "broadcast":
        return bits(fn(*_axes(args, shape), *flag))
    if path == "strided":
        return bits(fn(*[np.repeat(a, 2)[::2] for a in args], *flag))
    if path == "fortran":
        return bits(np.ravel(fn(*[_fortran(a) for a in args], *flag), order="F"))
    if path == "prepared":
        return _by_parameters(fn, args, flag, n)
    if path == "scalar":
        return bits([fn(*[_scalar(a[i]) for a in args], *flag) for i in range(n)])
    raise ValueError(path)


def evaluate(section, name, mode, args, shape=None, path="element"):
    if section == "module":
        return module_result(name, mode, args, shape, path)
    if section == "streams":
        params = [int(p) if name == "rbinom" and i == 0 else float(p) for i, p in enumerate(args[0])]
        return bits(getattr(pradix, name)(*params, DRAWS, engine=pradix.Engine(SEED)))
    if section == "kit":
        return bits(getattr(_testkit, name)(*args))
    value, used = getattr(_testkit, name)([int(x) for x in args[0]])
    return np.concatenate([bits([value]), np.array([used], dtype=np.uint64)])


def paths(section):
    return PATHS if section == "module" else ("element",)


def describe(section, args, i):
    if section == "streams":
        return f"draw {i} of {tuple(args[0].tolist())} at seed {SEED}"
    if section == "scripted":
        return f"outputs {[hex(int(x)) for x in args[0]]} ({'value' if i == 0 else 'outputs used'})"
    return "(" + ", ".join(repr(a[i].item()) for a in args) + ")"


def save(path=DATA):
    manifest, arrays = [], {}
    for k, (section, name, mode, args, shape) in enumerate(cases()):
        manifest.append({"section": section, "name": name, "mode": mode, "arity": len(args), "shape": shape})
        for j, a in enumerate(args):
            arrays[f"a{k}_{j}"] = a
        arrays[f"r{k}"] = evaluate(section, name, mode, args, shape)
    arrays["manifest"] = np.array(json.dumps(manifest))
    os.makedirs(os.path.dirname(path), exist_ok=True)
    np.savez_compressed(path, **arrays)
    return len(manifest)


def load(path=DATA):
    """The recorded cases: (section, name, mode, arguments, results, mesh shape)."""
    with np.load(path, allow_pickle=False) as z:
        manifest = json.loads(str(z["manifest"]))
        return [(c["section"], c["name"], c["mode"], [z[f"a{k}_{j}"] for j in range(c["arity"])], z[f"r{k}"],
                 c["shape"]) for k, c in enumerate(manifest)]


# The test kit returns the kernels' own values, NaNs as the processor's
# arithmetic makes them; the module returns the one canonical NaN.  An
# invalid operation makes 0xfff8000000000000 on x86-64, where the file was
# written, and 0x7ff8000000000000 on aarch64: elsewhere, a kit record's NaN
# matches any NaN (every other bit of every record still has to match).
RAW_NAN_BITS_VARY = platform.machine() not in ("x86_64", "AMD64")


def difference(section, name, mode, args, want, shape=None, path="element"):
    """None, or a message naming the path and the first differing case."""
    where = f"{name} {mode} [{path} path]"
    try:
        got = evaluate(section, name, mode, args, shape, path)
    except Exception as exc:  # noqa: BLE001 - a failing call is a difference too
        return f"{where}: raised {exc!r}"
    if got.shape == want.shape and section == "kit" and RAW_NAN_BITS_VARY:
        both_nan = np.isnan(got.view(np.float64)) & np.isnan(want.view(np.float64))
        got = np.where(both_nan, want, got)
    if got.shape == want.shape and np.array_equal(got, want):
        return None
    if got.shape != want.shape:
        return f"{where}: {got.size} results, recorded {want.size}"
    i = int(np.flatnonzero(got != want)[0])
    count = int(np.count_nonzero(got != want))
    return (f"{where} at {describe(section, args, i)}: expected {int(want[i]):016x}, "
            f"got {int(got[i]):016x} ({count} of {want.size} differ)")


def check(path=DATA, names=None, only=None):
    """Messages for every case and path that differs (at most one per case and path)."""
    out = []
    for section, name, mode, args, want, shape in load(path):
        if names is not None and name not in names:
            continue
        if section in ("kit", "scripted") and _testkit is None:
            continue
        for p in paths(section):
            if only is not None and p not in only:
                continue
            msg = difference(section, name, mode, args, want, shape, p)
            if msg:
                out.append(msg)
    return out


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--check", action="store_true", help="compare with the recorded results")
    parser.add_argument("--data", default=DATA)
    parser.add_argument("--path", action="append", choices=PATHS,
                        help="check only this evaluation path (repeatable; default: every path)")
    opts = parser.parse_args()
    if opts.check:
        if _testkit is None:
            print("test kit not importable: kernel and scripted cases skipped", file=sys.stderr)
        found = check(opts.data, only=opts.path)
        for msg in found:
            print(msg)
        print(f"golden: {len(found)} case(s) differ" if found else "golden: every recorded bit matches")
        return 1 if found else 0
    if _testkit is None:
        sys.exit("the test kit is needed to write the file (./setup.sh builds it)")
    print("wrote", opts.data, "with", save(opts.data), "cases")
    return 0


if __name__ == "__main__":
    sys.exit(main())
