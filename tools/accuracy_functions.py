"""The 51 density, distribution and quantile functions against 50-digit
references, for tools/accuracy.py: errors on random points over ordinary
and extended parameter ranges (log modes included, SciPy beside), and the
parameter ranges themselves (tools/accuracy_scans.py scans them whole).
Everything returned is plain data (numbers, strings, lists, dicts) for
docs/accuracy.json."""
import math
import time

import mpmath as mp
import numpy as np
import scipy.stats as st

import pradix
from accuracy_refs import DISCRETE, REFS, M, least_k, newton_root

TINY = 2.2250738585072014e-308
LOG_TINY = math.log(TINY)
# Points: probabilities u with logit(u) uniform in [-T, T], so from 1e-12 to 1 - 1e-12.
TAIL = 1e-12
LOGIT = math.log((1 - TAIL) / TAIL)


def logu(r, lo, hi, n):
    return np.exp(r.uniform(np.log(lo), np.log(hi), n))


# A parameter's range: how random points draw it and which values the scans
# of tools/accuracy_scans.py take from it.
#   ("lin", lo, hi)   uniform in [lo, hi] (locations);
#   ("log", lo, hi)   log-uniform in [lo, hi] (scales, shapes, degrees of freedom, rates);
#   ("count", lo, hi) log-uniform rounded down to an integer (n_trials);
#   ("prob",)         uniform in (0, 1);
#   ("above", lo, hi) the previous parameter plus a log-uniform width (uniform's b).
def draw(specs, r, n):
    out = []
    for spec in specs:
        kind = spec[0]
        if kind == "lin":
            out.append(r.uniform(spec[1], spec[2], n))
        elif kind == "prob":
            out.append(r.uniform(0, 1, n))
        elif kind == "count":
            out.append(np.floor(logu(r, spec[1], spec[2], n)).astype(np.int64))
        elif kind == "above":
            out.append(out[-1] + logu(r, spec[1], spec[2], n))
        else:
            out.append(logu(r, spec[1], spec[2], n))
    return tuple(out)


def log_grid(lo, hi):
    """Both ends and the powers of 10 between them, at every half decade when
    the range spans at most 8 decades."""
    step = 0.5 if math.log10(hi / lo) <= 8 else 1.0
    k = np.arange(math.ceil(math.log10(lo) / step), math.floor(math.log10(hi) / step) + 1) * step
    return np.unique(np.concatenate([[lo, hi], 10.0 ** k]))


def grid(specs):
    """Parameter sets spanning the ranges: every combination of a few values
    of each parameter, the ends included."""
    axes = []
    for spec in specs:
        kind = spec[0]
        if kind == "lin":
            axes.append(np.linspace(spec[1], spec[2], 5))
        elif kind == "prob":
            axes.append(np.array([0.001, 0.01, 0.1, 0.3, 0.5, 0.7, 0.9, 0.99, 0.999]))
        elif kind == "count":
            axes.append(np.unique(np.floor(log_grid(spec[1], spec[2])).astype(np.int64)))
        else:
            axes.append(log_grid(spec[1], spec[2]))
    sets = [[]]
    for spec, values in zip(specs, axes):
        if spec[0] == "above":
            sets = [s + [float(s[-1] + v)] for s in sets for v in values]
        else:
            sets = [s + [v.item()] for s in sets for v in values]
    return sets


LOC = ("lin", -3, 3)
WIDE_LOC = ("lin", -1000, 1000)
SCALE = ("log", 0.1, 10)

# Per distribution: (regime name, parameters in words, parameter ranges).
# The first regime of each is the ordinary one; the others reach where the methods fail.
REGIMES = {
    "norm": [("ordinary", "mu in [-3, 3], sigma in [0.1, 10]", [LOC, SCALE]),
             ("wide", "mu in [-1000, 1000], sigma in [10, 1000]", [WIDE_LOC, ("log", 10, 1000)])],
    "bern": [("ordinary", "prob in (0, 1)", [("prob",)])],
    "beta": [("ordinary", "a, b in [0.1, 500]", [("log", 0.1, 500), ("log", 0.1, 500)]),
             ("small b", "a in [1, 1e4], b in [0.1, 1]", [("log", 1, 1e4), ("log", 0.1, 1)]),
             ("wide", "a, b in [0.1, 1e15]", [("log", 0.1, 1e15), ("log", 0.1, 1e15)])],
    "binom": [("ordinary", "n_trials in [1, 2000], prob in (0, 1)", [("count", 1, 2000), ("prob",)]),
              ("large", "n_trials in [2000, 1e4], prob in (0, 1)", [("count", 2000, 1e4), ("prob",)])],
    "cauchy": [("ordinary", "mu in [-3, 3], sigma in [0.1, 10]", [LOC, SCALE]),
               ("wide", "mu in [-1000, 1000], sigma in [10, 1000]", [WIDE_LOC, ("log", 10, 1000)])],
    "chisq": [("ordinary", "dof in [0.2, 2000]", [("log", 0.2, 2000)]),
              ("small", "dof in [0.1, 1]", [("log", 0.1, 1)]),
              ("large", "dof in [2000, 1e6]", [("log", 2000, 1e6)]),
              ("huge", "dof in [1e6, 1e15]", [("log", 1e6, 1e15)])],
    "exp": [("ordinary", "rate in [0.05, 20]", [("log", 0.05, 20)]),
            ("wide", "rate in [1e-15, 1e15]", [("log", 1e-15, 1e15)])],
    "f": [("ordinary", "df1, df2 in [0.5, 1000]", [("log", 0.5, 1000), ("log", 0.5, 1000)]),
          ("small", "df1, df2 in [0.1, 0.5]", [("log", 0.1, 0.5), ("log", 0.1, 0.5)]),
          ("wide", "df1, df2 in [0.1, 1e6]", [("log", 0.1, 1e6), ("log", 0.1, 1e6)]),
          ("huge", "df1, df2 in [0.1, 1e15]", [("log", 0.1, 1e15), ("log", 0.1, 1e15)])],
    "gamma": [("ordinary", "shape in [0.1, 1000], scale in [0.1, 10]", [("log", 0.1, 1000), SCALE]),
              ("large", "shape in [1000, 1e15], scale in [0.1, 10]", [("log", 1000, 1e15), SCALE])],
    "invgamma": [("ordinary", "shape in [0.1, 1000], scale in [0.1, 10]", [("log", 0.1, 1000), SCALE]),
                 ("large", "shape in [1000, 1e15], scale in [0.1, 10]", [("log", 1000, 1e15), SCALE])],
    "laplace": [("ordinary", "mu in [-3, 3], sigma in [0.1, 10]", [LOC, SCALE]),
                ("wide", "mu in [-1000, 1000], sigma in [10, 1000]", [WIDE_LOC, ("log", 10, 1000)])],
    "lnorm": [("ordinary", "mu in [-3, 3], sigma in [0.1, 3]", [LOC, ("log", 0.1, 3)]),
              ("wide", "mu in [-3, 3], sigma in [3, 1000]", [LOC, ("log", 3, 1000)])],
    "logis": [("ordinary", "mu in [-3, 3], sigma in [0.1, 10]", [LOC, SCALE]),
              ("wide", "mu in [-1000, 1000], sigma in [10, 1000]", [WIDE_LOC, ("log", 10, 1000)])],
    "pois": [("ordinary", "rate in [0.01, 1e4]", [("log", 0.01, 1e4)]),
             ("large", "rate in [1e4, 1e15]", [("log", 1e4, 1e15)])],
    "t": [("ordinary", "dof in [1, 1000]", [("log", 1, 1000)]),
          ("small", "dof in [0.1, 1]", [("log", 0.1, 1)]),
          ("large", "dof in [1000, 1e6]", [("log", 1000, 1e6)]),
          ("huge", "dof in [1e6, 1e15]", [("log", 1e6, 1e15)])],
    "unif": [("ordinary", "a in [-3, 3], b - a in [0.1, 10]", [LOC, ("above", 0.1, 10)])],
    "weibull": [("ordinary", "shape in [0.2, 20], scale in [0.3, 3]", [("log", 0.2, 20), ("log", 0.3, 3)]),
                ("wide", "shape in [0.1, 100], scale in [0.01, 100]", [("log", 0.1, 100), ("log", 0.01, 100)])],
}
# Distributions without negative values: a negative quantile is a failure of its own.
POSITIVE = ("bern", "beta", "binom", "chisq", "exp", "f", "gamma", "invgamma", "lnorm", "pois", "weibull")

SCIPY = {
    "norm": lambda m, s: st.norm(m, s), "bern": lambda p: st.bernoulli(p), "beta": lambda a, b: st.beta(a, b),
    "binom": lambda n, p: st.binom(n, p), "cauchy": lambda m, s: st.cauchy(m, s), "chisq": lambda k: st.chi2(k),
    "exp": lambda l: st.expon(scale=1 / l), "f": lambda a, b: st.f(a, b), "gamma": lambda k, s: st.gamma(k, scale=s),
    "invgamma": lambda a, b: st.invgamma(a, scale=b), "laplace": lambda m, s: st.laplace(m, s),
    "lnorm": lambda m, s: st.lognorm(s, scale=np.exp(m)), "logis": lambda m, s: st.logistic(m, s),
    "pois": lambda l: st.poisson(l), "t": lambda n: st.t(n), "unif": lambda a, b: st.uniform(a, b - a),
    "weibull": lambda k, s: st.weibull_min(k, scale=s),
}
# Quantiles measured relative to max(|q|, floor): the floor is the scale (a
# relative error means nothing at a root of the quantile).
FLOOR = {"norm": 1, "cauchy": 1, "laplace": 1, "logis": 1, "t": None, "unif": None}


def q_floor(code, params):
    if code in ("norm", "cauchy", "laplace", "logis"):
        return params[1]
    if code == "unif":
        return params[1] - params[0]
    if code == "t":
        return 1.0
    return None


def scipy_call(code, kind, arg, params):
    dist = SCIPY[code](*params)
    disc = code in DISCRETE
    method = {"d": "pmf" if disc else "pdf", "p": "cdf", "q": "ppf", "ld": "logpmf" if disc else "logpdf",
              "lp": "logcdf"}[kind]
    with np.errstate(all="ignore"):
        return np.asarray(getattr(dist, method)(arg), float)


# ---------------------------------------------------------------- error measures

def rel_err(got, ref, floor=None):
    """|got - ref| / max(|ref|, floor) in mpmath; 0 when got is ref rounded; inf
    when one of them rounds to 0 or an infinity and the other does not (a
    result of 0 counts as finite with a floor); NaN when got is NaN."""
    got = float(got)
    if math.isnan(got):
        return math.nan
    refd = float(ref)
    if got == refd:
        return 0.0
    if (refd == 0.0 and floor is None) or math.isinf(refd) or math.isinf(got) or (got == 0 and floor is None):
        return math.inf
    den = abs(ref) if floor is None else max(abs(ref), M(floor))
    return float(abs(M(got) - ref) / den)


def abs_err(got, ref):
    got = float(got)
    if math.isnan(got):
        return math.nan
    if math.isinf(got):
        return math.inf
    return float(abs(M(got) - ref))


def density_err(got, ref):
    """Relative error; below the normal range a result within it is exact."""
    if math.isnan(got):
        return math.nan
    if ref > TINY:
        return rel_err(got, ref)
    return 0.0 if abs(got) <= TINY else math.inf


def log_err(got, ref):
    """Error of a logarithm: |got - ref| / max(|ref|, 1); a reference of 0
    (log -inf) is matched only by -inf."""
    got = float(got)
    if math.isnan(got):
        return math.nan
    if ref == 0:
        return 0.0 if got == -math.inf else math.inf
    lr = mp.log(ref)
    if float(lr) == got:
        return 0.0
    if math.isinf(got):
        return math.inf
    return float(abs(M(got) - lr) / max(abs(lr), 1))


# ---------------------------------------------------------------- calls as text

def num(v):
    """A number as it would be typed: integers plain, floats shortest."""
    if isinstance(v, (int, np.integer)):
        return str(int(v))
    v = float(v)
    short = f"{v:g}"
    return short if float(short) == v else repr(v)


def rounded(v, digits, probability=False):
    """v to `digits` significant digits (integers kept, 17 digits exact); a
    probability above 1/2 as 1 - (1 - v) rounded, so that it stays below 1."""
    if isinstance(v, (int, np.integer)):
        return str(int(v)), int(v)
    v = float(v)
    if digits >= 17:
        return num(v), v
    if probability and 0.5 < v < 1:
        r = f"{1 - v:.{digits - 1}e}"
        return f"1 - {r}", 1 - float(r)
    text = f"{v:.{digits}g}"
    return text, float(text)


def call_text(name, args, kw=""):
    return f"{name}({', '.join(args)}{', ' + kw if kw else ''})"


# ---------------------------------------------------------------- one regime

def summarise(errors, calls, gots, refs, skip_nan_example=False):
    """max, median, NaN count, non-finite count (error inf), worst call with
    its result and reference, and one NaN call."""
    e = np.asarray(errors, float)
    nan = np.isnan(e)
    out = {"n": int(e.size), "nan": int(nan.sum()), "inf": int(np.isinf(e).sum())}
    fin = ~nan
    if fin.any():
        v = e[fin]
        out["max"], out["median"] = float(v.max()), float(np.median(v))
        j = int(np.flatnonzero(fin)[int(np.argmax(v))])
        if out["max"] > 0:
            out["worst"] = {"call": calls[j], "got": float(gots[j]), "ref": mp.nstr(refs[j], 17) if refs[j] is not None
                            else None, "err": float(e[j])}
    else:
        out["max"] = out["median"] = None
    if nan.any() and not skip_nan_example:
        out["nan_call"] = calls[int(np.flatnonzero(nan)[0])]
    return out


def scipy_summary(errors):
    e = np.asarray(errors, float)
    fin = ~np.isnan(e)
    return {"max": float(e[fin].max()) if fin.any() else None,
            "median": float(np.median(e[fin])) if fin.any() else None, "nan": int((~fin).sum())}


def measure_regime(code, regime, n_points, seed):
    name, desc, specs = regime
    pdf, cdf = REFS[code]
    disc = code in DISCRETE
    rng = np.random.default_rng(seed)
    params = draw(specs, rng, n_points)
    u = 1 / (1 + np.exp(-rng.uniform(-LOGIT, LOGIT, n_points)))
    if code == "bern":
        x = rng.integers(-1, 3, n_points)
    else:
        x = scipy_call(code, "q", u, params)
    ok = np.isfinite(x)
    if disc:
        x = x.astype(np.int64)
    params = tuple(p[ok] for p in params)
    x, u = x[ok], u[ok]
    n = x.size
    cols = [p.tolist() for p in params]
    rows = [[c[j] for c in cols] for j in range(n)]
    xs = [int(v) if disc else float(v) for v in x]
    ref_d = [pdf(xs[j], *rows[j]) for j in range(n)]
    ref_p = [cdf(xs[j], *rows[j]) for j in range(n)]
    # Quantile points: continuous at p = F(x) rounded (exact root x - (F(x) - p) / f(x) to far beyond double
    # precision), discrete at p = u (least k with F(k) >= p).
    q_p, q_ref, q_rows = [], [], []
    sq = scipy_call(code, "q", u, params) if disc else None
    for j in range(n):
        if disc:
            k = least_k(lambda kk: cdf(kk, *rows[j]), u[j], sq[j])
            if k is not None:
                q_p.append(float(u[j]))
                q_ref.append(M(k))
                q_rows.append(j)
        else:
            pd = float(ref_p[j])
            if 0 < pd < 1 and ref_d[j] > 0:
                q_p.append(pd)
                q_ref.append(M(xs[j]) - (ref_p[j] - M(pd)) / ref_d[j])
                q_rows.append(j)
    q_p = np.array(q_p)
    q_params = tuple(p[q_rows] for p in params)
    out = {"name": name, "desc": desc, "points": n}
    args = [[num(xs[j])] + [num(v) for v in rows[j]] for j in range(n)]
    for kind in ("d", "p", "ld", "lp"):
        fn = getattr(pradix, kind[-1] + code)
        flag = {"ld": {"log": True}, "lp": {"log_p": True}}.get(kind, {})
        got = np.asarray(fn(x, *params, **flag), float)
        sp = scipy_call(code, kind, x, params)
        refs = ref_d if kind in ("d", "ld") else ref_p
        calls = [call_text(kind[-1] + code, a, ", ".join(f"{k}=True" for k in flag)) for a in args]
        if kind == "d":
            eo = [density_err(got[j], refs[j]) for j in range(n)]
            es = [density_err(sp[j], refs[j]) for j in range(n)]
            out[kind] = summarise(eo, calls, got, refs)
            out[kind]["scipy"] = scipy_summary(es)
        elif kind == "p":
            ea = [abs_err(got[j], refs[j]) for j in range(n)]
            low = [j for j in range(n) if refs[j] > TINY and refs[j] < 0.5]
            er = [rel_err(got[j], refs[j]) for j in low]
            out[kind] = {"abs": summarise(ea, calls, got, refs),
                         "rel": summarise(er, [calls[j] for j in low], got[low], [refs[j] for j in low])}
            out[kind]["abs"]["scipy"] = scipy_summary([abs_err(sp[j], refs[j]) for j in range(n)])
            out[kind]["rel"]["scipy"] = scipy_summary([rel_err(sp[j], refs[j]) for j in low])
        else:
            eo = [log_err(got[j], refs[j]) for j in range(n)]
            lrefs = [mp.log(r) if r > 0 else None for r in refs]
            out[kind] = summarise(eo, calls, got, lrefs)
            out[kind]["scipy"] = scipy_summary([log_err(sp[j], refs[j]) for j in range(n)])
            # -inf although the value itself is a normal double, or at least a finite logarithm.
            out[kind]["neg_inf_normal"] = int(sum(1 for j in range(n) if got[j] == -math.inf
                                                  and refs[j] > 0 and float(mp.log(refs[j])) > LOG_TINY))
            out[kind]["neg_inf"] = int(sum(1 for j in range(n) if got[j] == -math.inf and refs[j] > 0))
    got = np.asarray(getattr(pradix, "q" + code)(q_p, *q_params), float)
    sp = scipy_call(code, "q", q_p, q_params)
    calls = [call_text("q" + code, [num(q_p[i])] + [num(v) for v in rows[j]]) for i, j in enumerate(q_rows)]
    if disc:
        eo = [math.nan if math.isnan(got[i]) else (0.0 if got[i] == float(q_ref[i]) else math.inf)
              for i in range(len(q_rows))]
        es = [math.nan if math.isnan(sp[i]) else (0.0 if sp[i] == float(q_ref[i]) else math.inf)
              for i in range(len(q_rows))]
        out["q"] = summarise(eo, calls, got, q_ref)
        # Wrong results are counted whole; 0-or-inf counts the infinite ones among them.
        out["q"]["wrong"] = out["q"].pop("inf")
        out["q"]["inf"] = int(np.isinf(got).sum())
        out["q"]["scipy"] = scipy_summary(es)
        out["q"]["scipy"]["wrong"] = int(np.isinf(es).sum())
    else:
        floors = [q_floor(code, rows[j]) for j in q_rows]
        eo = [rel_err(got[i], q_ref[i], floors[i]) for i in range(len(q_rows))]
        es = [rel_err(sp[i], q_ref[i], floors[i]) for i in range(len(q_rows))]
        out["q"] = summarise(eo, calls, got, q_ref)
        out["q"]["scipy"] = scipy_summary(es)
    # Negative results of a distribution without negative values are a class of their own (taken out of the
    # 0-or-inf count when they are -inf).
    negative = [i for i in range(len(q_rows)) if got[i] < 0] if code in POSITIVE else []
    out["q"]["negative"] = len(negative)
    out["q"]["inf"] -= sum(1 for i in negative if math.isinf(got[i]))
    if negative:
        i = negative[0]
        out["q"]["negative_case"] = {"call": calls[i], "got": float(got[i]), "ref": mp.nstr(q_ref[i], 17)}
    return out


def measure_at(code, kind, values):
    """pradix and the reference at one call: (result, reference or None, error)."""
    pdf, cdf = REFS[code]
    flag = {"ld": {"log": True}, "lp": {"log_p": True}}.get(kind, {})
    got = float(getattr(pradix, kind[-1] + code)(*values, **flag))
    x, prm = values[0], list(values[1:])
    if kind == "d":
        ref = pdf(x, *prm)
        return got, ref, density_err(got, ref)
    if kind == "p":
        ref = cdf(x, *prm)
        return got, ref, abs_err(got, ref)
    if kind in ("ld", "lp"):
        v = (pdf if kind == "ld" else cdf)(x, *prm)
        return got, (mp.log(v) if v > 0 else None), log_err(got, v)
    start = float(scipy_call(code, "q", np.array([x]), [np.array([v]) for v in prm])[0])
    if code in DISCRETE:
        k = least_k(lambda kk: cdf(kk, *prm), x, start)
        if k is None:
            return got, None, None
        return got, M(k), (math.nan if math.isnan(got) else 0.0 if got == k else math.inf)
    for transform in ("log", "logit", "none"):
        for x0 in (start, got):
            ref = newton_root(lambda t: cdf(t, *prm), lambda t: pdf(t, *prm), x, x0, transform)
            if ref is not None:
                return got, ref, rel_err(got, ref, q_floor(code, prm))
    return got, None, None


def shown_call(code, kind, worst):
    """The worst call with its arguments rounded to as few digits (4, 6, 9,
    or all 17, which are the measured arguments themselves) as reproduce at
    least half of its error, measured again there, so that it can be typed
    and shows what the table states."""
    args = parse_args(worst["call"])
    flag = {"ld": "log=True", "lp": "log_p=True"}.get(kind, "")
    for digits in (4, 6, 9, 17):
        texts, values = zip(*(rounded(v, digits, probability=(i == 0 and kind == "q")) for i, v in enumerate(args)))
        got, ref, err = measure_at(code, kind, values)
        if err is None:
            continue
        close = (err >= worst["err"] / 2) if math.isfinite(worst["err"]) else err == worst["err"]
        if close or digits == 17:
            return {"call": call_text(kind[-1] + code, list(texts), flag), "got": got,
                    "ref": None if ref is None else mp.nstr(ref, 17), "err": err}
    return dict(worst)


# ---------------------------------------------------------------- everything

def measure_all(n_points, n_extended, seed=20261207, log=print):
    functions = {}
    for i, code in enumerate(REGIMES):
        t0 = time.time()
        regs = []
        for r, regime in enumerate(REGIMES[code]):
            n = n_points if r == 0 else n_extended
            res = measure_regime(code, regime, n, seed + 100 * i + r)
            # The worst calls again at arguments rounded to 4 digits, so that they can be typed.
            for kind in ("d", "p", "q", "ld", "lp"):
                s = res[kind]["abs"] if kind == "p" else res[kind]
                if s.get("worst"):
                    s["shown"] = shown_call(code, kind, s["worst"])
            regs.append(res)
        functions[code] = {"regimes": regs}
        log(f"  {code}: {time.time() - t0:.0f} s")
    return functions


def parse_args(call):
    """The positional arguments of a call written by call_text, as numbers."""
    inner = call[call.index("(") + 1:call.rindex(")")]
    out = []
    for t in inner.split(", "):
        if "=" in t:
            continue
        out.append(int(t) if t.lstrip("-").isdigit() else float(t))
    return out
