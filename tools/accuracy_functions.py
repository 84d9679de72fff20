"""The 51 density, distribution and quantile functions against 50-digit
references, for tools/accuracy.py: errors on random points over ordinary
and extended parameter ranges (log modes included, SciPy beside),
monotonicity of every distribution function along x and every quantile
along p, and a list of named calls.  Everything returned is plain data
(numbers, strings, lists, dicts) for docs/accuracy.json."""
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


def loc_scale(sigma_lo, sigma_hi, mu=3.0):
    return lambda r, n: (r.uniform(-mu, mu, n), logu(r, sigma_lo, sigma_hi, n))


def shapes(lo, hi, scale=(0.1, 10)):
    return lambda r, n: (logu(r, lo, hi, n), logu(r, *scale, n))


# Per distribution: (regime name, parameters in words, sampler of n parameter tuples).
# The first regime of each is the ordinary one; the others reach where the methods fail.
REGIMES = {
    "norm": [("ordinary", "mu in [-3, 3], sigma in [0.1, 10]", loc_scale(0.1, 10)),
             ("wide", "mu in [-1000, 1000], sigma in [10, 1000]", loc_scale(10, 1000, 1000))],
    "bern": [("ordinary", "prob in (0, 1)", lambda r, n: (r.uniform(0, 1, n),))],
    "beta": [("ordinary", "a, b in [0.1, 500]", lambda r, n: (logu(r, 0.1, 500, n), logu(r, 0.1, 500, n))),
             ("small b", "a in [1, 1e4], b in [0.1, 1]", lambda r, n: (logu(r, 1, 1e4, n), logu(r, 0.1, 1, n))),
             ("wide", "a, b in [0.1, 1e15]", lambda r, n: (logu(r, 0.1, 1e15, n), logu(r, 0.1, 1e15, n)))],
    "binom": [("ordinary", "n_trials in [1, 2000], prob in (0, 1)",
               lambda r, n: (np.floor(logu(r, 1, 2000, n)).astype(np.int64), r.uniform(0, 1, n))),
              ("large", "n_trials in [2000, 1e4], prob in (0, 1)",
               lambda r, n: (np.floor(logu(r, 2000, 1e4, n)).astype(np.int64), r.uniform(0, 1, n)))],
    "cauchy": [("ordinary", "mu in [-3, 3], sigma in [0.1, 10]", loc_scale(0.1, 10)),
               ("wide", "mu in [-1000, 1000], sigma in [10, 1000]", loc_scale(10, 1000, 1000))],
    "chisq": [("ordinary", "dof in [0.2, 2000]", lambda r, n: (logu(r, 0.2, 2000, n),)),
              ("small", "dof in [0.1, 1]", lambda r, n: (logu(r, 0.1, 1, n),)),
              ("large", "dof in [2000, 1e6]", lambda r, n: (logu(r, 2000, 1e6, n),))],
    "exp": [("ordinary", "rate in [0.05, 20]", lambda r, n: (logu(r, 0.05, 20, n),)),
            ("wide", "rate in [1e-15, 1e15]", lambda r, n: (logu(r, 1e-15, 1e15, n),))],
    "f": [("ordinary", "df1, df2 in [0.5, 1000]", lambda r, n: (logu(r, 0.5, 1000, n), logu(r, 0.5, 1000, n))),
          ("small", "df1, df2 in [0.1, 0.5]", lambda r, n: (logu(r, 0.1, 0.5, n), logu(r, 0.1, 0.5, n))),
          ("wide", "df1, df2 in [0.1, 1e6]", lambda r, n: (logu(r, 0.1, 1e6, n), logu(r, 0.1, 1e6, n)))],
    "gamma": [("ordinary", "shape in [0.1, 1000], scale in [0.1, 10]", shapes(0.1, 1000)),
              ("large", "shape in [1000, 1e15], scale in [0.1, 10]", shapes(1000, 1e15))],
    "invgamma": [("ordinary", "shape in [0.1, 1000], scale in [0.1, 10]", shapes(0.1, 1000)),
                 ("large", "shape in [1000, 1e15], scale in [0.1, 10]", shapes(1000, 1e15))],
    "laplace": [("ordinary", "mu in [-3, 3], sigma in [0.1, 10]", loc_scale(0.1, 10)),
                ("wide", "mu in [-1000, 1000], sigma in [10, 1000]", loc_scale(10, 1000, 1000))],
    "lnorm": [("ordinary", "mu in [-3, 3], sigma in [0.1, 3]", loc_scale(0.1, 3)),
              ("wide", "mu in [-3, 3], sigma in [3, 1000]", loc_scale(3, 1000))],
    "logis": [("ordinary", "mu in [-3, 3], sigma in [0.1, 10]", loc_scale(0.1, 10)),
              ("wide", "mu in [-1000, 1000], sigma in [10, 1000]", loc_scale(10, 1000, 1000))],
    "pois": [("ordinary", "rate in [0.01, 1e4]", lambda r, n: (logu(r, 0.01, 1e4, n),)),
             ("large", "rate in [1e4, 1e15]", lambda r, n: (logu(r, 1e4, 1e15, n),))],
    "t": [("ordinary", "dof in [1, 1000]", lambda r, n: (logu(r, 1, 1000, n),)),
          ("small", "dof in [0.1, 1]", lambda r, n: (logu(r, 0.1, 1, n),)),
          ("large", "dof in [1000, 1e6]", lambda r, n: (logu(r, 1000, 1e6, n),))],
    "unif": [("ordinary", "a in [-3, 3], b - a in [0.1, 10]",
              lambda r, n: (lambda a: (a, a + logu(r, 0.1, 10, n)))(r.uniform(-3, 3, n)))],
    "weibull": [("ordinary", "shape in [0.2, 20], scale in [0.3, 3]", shapes(0.2, 20, (0.3, 3))),
                ("wide", "shape in [0.1, 100], scale in [0.01, 100]", shapes(0.1, 100, (0.01, 100)))],
}

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
    name, desc, sampler = regime
    pdf, cdf = REFS[code]
    disc = code in DISCRETE
    rng = np.random.default_rng(seed)
    params = sampler(rng, n_points)
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
        out["q"]["wrong"] = out["q"].pop("inf")
        out["q"]["scipy"] = scipy_summary(es)
        out["q"]["scipy"]["wrong"] = int(np.isinf(es).sum())
    else:
        floors = [q_floor(code, rows[j]) for j in q_rows]
        eo = [rel_err(got[i], q_ref[i], floors[i]) for i in range(len(q_rows))]
        es = [rel_err(sp[i], q_ref[i], floors[i]) for i in range(len(q_rows))]
        out["q"] = summarise(eo, calls, got, q_ref)
        out["q"]["scipy"] = scipy_summary(es)
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
    or all) as keep its error within a factor 10, measured again there, so
    that it can be typed."""
    args = parse_args(worst["call"])
    flag = {"ld": "log=True", "lp": "log_p=True"}.get(kind, "")
    for digits in (4, 6, 9, 17):
        texts, values = zip(*(rounded(v, digits, probability=(i == 0 and kind == "q")) for i, v in enumerate(args)))
        got, ref, err = measure_at(code, kind, values)
        if err is None:
            continue
        close = (err >= worst["err"] / 10) if math.isfinite(worst["err"]) else err == worst["err"]
        if close or digits == 17:
            return {"call": call_text(kind[-1] + code, list(texts), flag), "got": got,
                    "ref": None if ref is None else mp.nstr(ref, 17), "err": err}
    return dict(worst)


# ---------------------------------------------------------------- monotonicity

P_STEPS = np.unique(np.concatenate([np.geomspace(1e-300, 1e-3, 200), np.linspace(1e-3, 1 - 1e-3, 300),
                                    1 - np.geomspace(1e-3, 1e-16, 100)]))
U_STEPS = 1 / (1 + np.exp(-np.linspace(-LOGIT, LOGIT, 600)))


def x_steps(code, params):
    """Increasing points spanning the distribution from probability 1e-12 to
    1 - 1e-12: SciPy's quantiles, and for the discrete distributions all
    integers when they are few, else a spread plus runs of consecutive
    integers in both tails and the body."""
    if code == "bern":
        return np.array([-1, 0, 1, 2])
    x = scipy_call(code, "q", U_STEPS, [np.full(U_STEPS.shape, v) for v in params])
    x = x[np.isfinite(x)]
    if code not in DISCRETE:
        return np.unique(x)
    lo, hi = int(x.min()), int(x.max())
    if hi - lo <= 3000:
        return np.arange(lo, hi + 1)
    runs = [np.arange(int(v), int(v) + 100) for v in np.quantile(x, [0.01, 0.25, 0.5, 0.75, 0.99])]
    return np.unique(np.concatenate([x.astype(np.int64)] + runs))


def monotonicity(code, n_sets, seed):
    """Decreases of p along x and of q along p, over parameter sets from every regime."""
    out = {}
    for kind in "pq":
        name = kind + code
        steps = drops = sets = 0
        worst = None
        for r, regime in enumerate(REGIMES[code]):
            rng = np.random.default_rng(seed + r)
            params = regime[2](rng, n_sets)
            for j in range(n_sets):
                prm = [p[j].item() for p in params]
                arg = x_steps(code, prm) if kind == "p" else P_STEPS
                v = np.asarray(getattr(pradix, name)(arg, *prm), float)
                keep = ~np.isnan(v)
                a, v = arg[keep], v[keep]
                if v.size < 2:
                    continue
                sets += 1
                steps += v.size - 1
                d = v[:-1] - v[1:]
                bad = np.flatnonzero(d > 0)
                drops += bad.size
                if bad.size:
                    if kind == "p":
                        size = d[bad]
                    else:
                        floor = q_floor(code, prm) or 0.0
                        size = d[bad] / np.maximum(np.maximum(np.abs(v[:-1][bad]), np.abs(v[1:][bad])), floor)
                        size = np.where(np.isnan(size), np.inf, size)
                    i = int(np.argmax(size))
                    if worst is None or size[i] > worst["size"]:
                        k = int(bad[i])
                        pr = ", ".join(num(t) for t in prm)
                        worst = {"size": float(size[i]),
                                 "first": f"{name}({num(a[k])}, {pr})", "first_value": float(v[k]),
                                 "second": f"{name}({num(a[k + 1])}, {pr})", "second_value": float(v[k + 1])}
        out[name] = {"sets": sets, "steps": int(steps), "drops": int(drops), "worst": worst}
    return out


# ---------------------------------------------------------------- named calls

def q_root(code, p, *prm, transform="log"):
    pdf, cdf = REFS[code]
    start = float(scipy_call(code, "q", np.array([p]), [np.array([v]) for v in prm])[0])
    return newton_root(lambda t: cdf(t, *prm), lambda t: pdf(t, *prm), p, start, transform)


def t_root(p, n):
    return q_root("t", p, n, transform="none")


# (call, pradix value, reference (mpf), error measure, what the method does there).  The reference for the
# discrete quantiles is the least k with F(k) >= p.
EXAMPLES = [
    ("qt(0.7, 0.8)", lambda: pradix.qt(0.7, 0.8), lambda: t_root(0.7, 0.8), "rel",
     "the closed-form body of qt below 1 degree of freedom"),
    ("qt(0.5, 0.6)", lambda: pradix.qt(0.5, 0.6), lambda: M(0), "abs",
     "for 1/2 < dof < 0.9 the tail corrections need not settle"),
    ("qt(0.3, 0.4)", lambda: pradix.qt(0.3, 0.4), lambda: t_root(0.3, 0.4), "rel",
     "dof <= 1/2: the approximation's constants are not finite"),
    ("qt(8e-17, 10)", lambda: pradix.qt(8e-17, 10.0), lambda: t_root(8e-17, 10.0), "rel",
     "the tail branch's start is far off below p of about 1e-16"),
    ("qbinom(1 - 1e-12, 2000, 0.5)", lambda: pradix.qbinom(1 - 1e-12, 2000, 0.5),
     lambda: M(least_k(lambda k: REFS["binom"][1](k, 2000, 0.5), 1 - 1e-12, 1157)), "rel",
     "the sum of masses stops short of p close to 1 and the search runs to n_trials"),
    ("qpois(1e-4, 31.62)", lambda: pradix.qpois(1e-4, 31.62),
     lambda: M(least_k(lambda k: REFS["pois"][1](k, 31.62), 1e-4, 13)), "rel",
     "the search starts above the answer (from a normal approximation) and steps back only once"),
    ("qpois(1e-17, 1e6)", lambda: pradix.qpois(1e-17, 1e6),
     lambda: M(least_k(lambda k: REFS["pois"][1](k, 1e6), 1e-17, 991500)), "rel",
     "the normal start is -inf below p of about 1e-16, and the search cannot reach the answer"),
    ("ppois(9, 28.18)", lambda: pradix.ppois(9, 28.18), lambda: REFS["pois"][1](9, 28.18), "rel",
     "above ppois(10, 28.18): the incomplete gamma window loses the far lower tail"),
    ("ppois(10, 28.18)", lambda: pradix.ppois(10, 28.18), lambda: REFS["pois"][1](10, 28.18), "rel",
     "below ppois(9, 28.18): the distribution function decreases there"),
    ("ppois(10**15, 1e15)", lambda: pradix.ppois(10 ** 15, 1e15), lambda: REFS["pois"][1](10 ** 15, 1e15), "abs",
     "the incomplete gamma function for shapes far beyond its window"),
    ("pgamma(65, 32.5, 1)", lambda: pradix.pgamma(65.0, 32.5, 1.0), lambda: REFS["gamma"][1](65.0, 32.5, 1.0), "abs",
     "the mass outside the quadrature window around the mode is left out"),
    ("pchisq(1e-17, 0.1)", lambda: pradix.pchisq(1e-17, 0.1), lambda: REFS["chisq"][1](1e-17, 0.1), "abs",
     "points below 2^-52 count as 0, where a small dof still has much of its mass"),
    ("pweibull(1e-17, 0.1, 1)", lambda: pradix.pweibull(1e-17, 0.1, 1.0), lambda: REFS["weibull"][1](1e-17, 0.1, 1),
     "abs", "points below 2^-52 count as 0"),
    ("pbeta(1 - 2**-53, 1000, 0.1)", lambda: pradix.pbeta(1 - 2.0 ** -53, 1000.0, 0.1),
     lambda: REFS["beta"][1](1 - 2.0 ** -53, 1000.0, 0.1), "abs",
     "a point within 2^-52 of 1 counts as 1, where a small b still leaves mass above it"),
    ("dlnorm(2.8e-31, 0, 10)", lambda: pradix.dlnorm(2.8e-31, 0.0, 10.0), lambda: REFS["lnorm"][0](2.8e-31, 0, 10),
     "rel", "log x below 2^-52 is -inf, so a log-normal density with a wide sigma is lost there"),
    ("dcauchy(-31830986.1, 2.5, 0.1, log=True)", lambda: pradix.dcauchy(-31830986.1, 2.5, 0.1, log=True),
     lambda: mp.log(REFS["cauchy"][0](-31830986.1, 2.5, 0.1)), "log",
     "the log modes take the logarithm of the value, and logarithms below 2^-52 are -inf"),
    ("pnorm(-9)", lambda: pradix.pnorm(-9.0), lambda: REFS["norm"][1](-9.0, 0, 1), "rel",
     "formed as 1 + erf: the lower tail cancels"),
    ("plogis(-37, 0, 1)", lambda: pradix.plogis(-37.0, 0.0, 1.0), lambda: REFS["logis"][1](-37.0, 0, 1), "rel",
     "formed as 1 + tanh: the lower tail cancels"),
    ("qnorm(1e-12)", lambda: pradix.qnorm(1e-12), lambda: q_root("norm", 1e-12, 0.0, 1.0, transform="none"), "rel",
     "erfinv(2p - 1): the difference 2p - 1 keeps few digits of p"),
    ("qnorm(5e-17)", lambda: pradix.qnorm(5e-17), lambda: q_root("norm", 5e-17, 0.0, 1.0, transform="none"), "rel",
     "2p - 1 rounds to -1"),
    ("qlogis(1e-17, 0, 1)", lambda: pradix.qlogis(1e-17, 0.0, 1.0), lambda: mp.log(M(1e-17)) - mp.log1p(-M(1e-17)),
     "rel", "log(p / (1 - p)): logarithms below 2^-52 are -inf"),
    ("qexp(1e-20, 1)", lambda: pradix.qexp(1e-20, 1.0), lambda: -mp.log1p(-M(1e-20)), "rel", "-log(1 - p): 1 - p is 1"),
    ("qgamma(1e-12, 5, 1)", lambda: pradix.qgamma(1e-12, 5.0, 1.0), lambda: q_root("gamma", 1e-12, 5.0, 1.0), "rel",
     "the inverse incomplete gamma function's corrections in the tails"),
    ("qbeta(0.01, 100, 1.05)", lambda: pradix.qbeta(0.01, 100.0, 1.05),
     lambda: q_root("beta", 0.01, 100.0, 1.05, transform="logit"), "rel",
     "the inverse incomplete beta function with one shape just above 1 and the other large"),
]


def measure_examples():
    out = []
    for call, ours, ref, measure, note in EXAMPLES:
        got = float(ours())
        r = ref()
        if r is None:
            err = None
        elif measure == "abs":
            err = abs_err(got, r)
        elif measure == "log":
            err = log_err(got, mp.exp(r))
        else:
            err = rel_err(got, r)
        out.append({"call": call, "got": got, "ref": None if r is None else mp.nstr(r, 17), "err": err,
                    "measure": measure, "note": note})
    return out


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
