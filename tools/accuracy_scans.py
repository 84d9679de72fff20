"""Scans of the accuracy report (tools/accuracy.py) over whole regions
rather than random points: monotonicity of every distribution function
along x and of every quantile along p over a grid of parameter sets that
spans each range of the accuracy tables, negative quantiles of
distributions without negative values, the Poisson quantile in its lower
tail and the binomial quantile near p = 1.  Everything returned is plain
data for docs/accuracy.json."""
import math

import mpmath as mp
import numpy as np

import pradix
from accuracy_functions import LOGIT, POSITIVE, REGIMES, grid, num, q_floor, scipy_call
from accuracy_refs import DISCRETE, REFS, least_k

# ---------------------------------------------------------------- monotonicity

# Along x: SciPy's quantiles of probabilities whose logits are evenly spaced from 1e-12 to 1 - 1e-12 (the points
# of the accuracy tables come from the same range), with points added wherever neighbours of one sign are more
# than GAP_RATIO apart, so that no stretch of x between them goes unvisited however the probabilities crowd.
U_SCAN = 1 / (1 + np.exp(-np.linspace(-LOGIT, LOGIT, 3001)))
GAP_RATIO = 1.01
MAX_POINTS = 60000
# Along p: from 1e-300 to 1 - 1e-16, evenly in log p, in p and in log(1 - p).
P_SCAN = np.unique(np.concatenate([np.geomspace(1e-300, 1e-3, 1200), np.linspace(1e-3, 1 - 1e-3, 1200),
                                   1 - np.geomspace(1e-3, 1e-16, 1200)]))
# qpois below p = 1e-16 with a rate above 1e6 runs its search to the step limit (about 2 s a call) and gives
# NaN, which the scan leaves out anyway: those points are not evaluated.
POIS_SEARCH_LIMIT = (1e6, 1e-16)


def fill(x, ratio=GAP_RATIO, cap=MAX_POINTS):
    """Increasing x with points inserted between neighbours of one sign more
    than `ratio` apart (geometrically, with a wider ratio when more than
    `cap` points would be needed) and 64 points across 0."""
    x = np.unique(x[np.isfinite(x)])
    if x.size < 2:
        return x
    a, b = x[:-1], x[1:]
    same = (a > 0) | (b < 0)
    with np.errstate(all="ignore"):
        span = np.where(same, np.log(np.where(b < 0, a / b, b / a)), 0.0)
    total = span.sum()
    step = max(math.log(ratio), total / cap)
    parts = [x]
    for i in np.flatnonzero(same & (span > step)):
        k = int(math.ceil(span[i] / step))
        t = np.geomspace(abs(a[i]), abs(b[i]), k + 1)[1:-1]
        parts.append(-t if b[i] < 0 else t)
    for i in np.flatnonzero(~same):
        parts.append(np.linspace(a[i], b[i], 66)[1:-1])
    return np.unique(np.concatenate(parts))


def x_points(code, prm):
    """Increasing points spanning the distribution from probability 1e-12 to
    1 - 1e-12; for the discrete distributions integers: all of them when
    they are at most 30000, else 30001 evenly spread, SciPy's quantiles and
    runs of 300 consecutive integers at 41 places."""
    if code == "bern":
        return np.array([-1, 0, 1, 2])
    x = scipy_call(code, "q", U_SCAN, [np.full(U_SCAN.shape, v) for v in prm])
    x = x[np.isfinite(x)]
    if code not in DISCRETE:
        return fill(x)
    lo, hi = int(x.min()), int(x.max())
    if hi - lo <= 30000:
        return np.arange(lo, hi + 1)
    runs = [np.arange(int(v), int(v) + 300) for v in np.quantile(x, np.linspace(0, 1, 41))]
    spread = np.linspace(lo, hi, 30001).astype(np.int64)
    return np.unique(np.concatenate([x.astype(np.int64), spread] + runs))


def p_points(code, prm):
    if code == "pois" and prm[0] > POIS_SEARCH_LIMIT[0]:
        return P_SCAN[P_SCAN >= POIS_SEARCH_LIMIT[1]]
    return P_SCAN


def scan(code, kind, prm, fn=None):
    """One parameter set along x (kind "p") or p (kind "q"): (steps,
    decreases, the largest as a dict, negative results, the first negative
    one).  `fn` replaces pradix's function (for testing the scan)."""
    name = kind + code
    fn = fn or getattr(pradix, name)
    arg = x_points(code, prm) if kind == "p" else p_points(code, prm)
    v = np.asarray(fn(arg, *prm), float)
    keep = ~np.isnan(v)
    a, v = arg[keep], v[keep]
    pr = ", ".join(num(t) for t in prm)
    negative, first_negative = 0, None
    if kind == "q" and code in POSITIVE:
        neg = np.flatnonzero(v < 0)
        negative = int(neg.size)
        if negative:
            first_negative = {"call": f"{name}({num(a[neg[0]])}, {pr})", "got": float(v[neg[0]])}
    if v.size < 2:
        return 0, 0, None, negative, first_negative
    with np.errstate(invalid="ignore"):
        d = v[:-1] - v[1:]
    bad = np.flatnonzero(d > 0)
    worst = None
    if bad.size:
        if kind == "p":
            size = d[bad]
        else:
            floor = q_floor(code, prm) or 0.0
            with np.errstate(all="ignore"):
                size = d[bad] / np.maximum(np.maximum(np.abs(v[:-1][bad]), np.abs(v[1:][bad])), floor)
            size = np.where(np.isnan(size), np.inf, size)
        i = int(np.argmax(size))
        k = int(bad[i])
        worst = {"size": float(size[i]), "first": f"{name}({num(a[k])}, {pr})", "first_value": float(v[k]),
                 "second": f"{name}({num(a[k + 1])}, {pr})", "second_value": float(v[k + 1])}
    return int(v.size - 1), int(bad.size), worst, negative, first_negative


def monotonicity(code, every=1):
    """Decreases of p along x and of q along p (and negative quantiles) over
    the grid of parameter sets of every regime (every `every`-th set, for
    trying the tool)."""
    out = {}
    for kind in "pq":
        total = {"sets": 0, "steps": 0, "drops": 0, "worst": None}
        if kind == "q" and code in POSITIVE:
            total.update(negative=0, negative_case=None)
        for regime in REGIMES[code]:
            for prm in grid(regime[2])[::every]:
                steps, drops, worst, negative, first_negative = scan(code, kind, prm)
                if not steps:
                    continue
                total["sets"] += 1
                total["steps"] += steps
                total["drops"] += drops
                if worst and (total["worst"] is None or worst["size"] > total["worst"]["size"]):
                    total["worst"] = worst
                if negative:
                    total["negative"] += negative
                    total["negative_case"] = total["negative_case"] or first_negative
        out[kind + code] = total
    return out


# ---------------------------------------------------------------- the Poisson quantile's lower tail

QPOIS_RATES = np.unique([float(f"{v:.4g}") for v in np.geomspace(11, 1e6, 121)])
QPOIS_P = (1e-3, 1e-4, 1e-5, 1e-6, 1e-8, 1e-10, 1e-12, 1e-14)


def qpois_lower_tail(rates=QPOIS_RATES, probabilities=QPOIS_P):
    """qpois(p, rate) against the least k with F(k) >= p, for small p over
    rates from 11 (where the search starts from a normal approximation) to
    1e6, and whether ppois explains each miss: qpois returns the first k from
    its start where the computed ppois exceeds p (or the start less one when
    the computed ppois is above p there already), so a result below the
    truth has ppois above p at the result or the point after it although the
    true F is below p, and a result above the truth has ppois at most p at
    the true quantile."""
    cdf = REFS["pois"][1]
    rows = []
    for p in probabilities:
        row = {"p": p, "rates": len(rates), "below": 0, "above": 0, "by_ppois": 0, "first": None,
               "worst": None}
        for lam in rates:
            start = float(scipy_call("pois", "q", np.array([p]), [np.array([lam])])[0])
            k = least_k(lambda kk: cdf(kk, lam), p, start)
            g = int(pradix.qpois(p, lam))
            if g == k:
                continue
            if g < k:
                row["below"] += 1
                culprits = [j for j in (g, g + 1) if j < k and pradix.ppois(j, lam) > p and cdf(j, lam) < p]
                at = culprits[0] if culprits else g
            else:
                row["above"] += 1
                culprits = [k] if pradix.ppois(k, lam) <= p else []
                at = k
            row["by_ppois"] += int(bool(culprits))
            if row["first"] is None:
                row["first"] = lam
            if row["worst"] is None or abs(g - k) > abs(row["worst"]["got"] - row["worst"]["ref"]):
                # ppois where it misleads the search.
                row["worst"] = {"call": f"qpois({num(p)}, {num(lam)})", "got": g, "ref": k,
                                "ppois": f"ppois({at}, {num(lam)})", "ppois_got": float(pradix.ppois(at, lam)),
                                "ppois_ref": mp.nstr(cdf(at, lam), 6)}
        rows.append(row)
    return {"rates": [float(rates[0]), float(rates[-1])], "rows": rows}


# ---------------------------------------------------------------- the binomial quantile near p = 1

QBINOM_N = np.unique(np.concatenate([np.arange(2, 2001), np.geomspace(2000, 1e4, 81).astype(np.int64)]))
QBINOM_PROB = (0.1, 0.5, 0.9)
QBINOM_TAILS = (9, 12, 14)  # p = 1 - 10^-k


def qbinom_near_one(ns=QBINOM_N, probs=QBINOM_PROB, tails=QBINOM_TAILS):
    """qbinom(p, n_trials, prob) against the least k with F(k) >= p, for p
    close to 1, every n_trials up to 2000 and 81 more up to 1e4: misses
    below and above the truth, and searches that run to n_trials; a miss is
    explained by pbinom when the computed pbinom is at least p at a result
    below the truth, or below p at the true quantile."""
    cdf = REFS["binom"][1]
    rows = []
    for prob in probs:
        for e in tails:
            p = 1 - 10.0 ** -e
            row = {"prob": prob, "p": f"1 - 1e-{e}", "n": len(ns), "below": 0, "above": 0, "to_n": 0, "by_pbinom": 0,
                   "first": None, "first_2": None, "first_to_n": None, "worst_below": None, "worst_above": None}
            for n in ns:
                n = int(n)
                start = float(scipy_call("binom", "q", np.array([p]), [np.array([n]), np.array([prob])])[0])
                k = least_k(lambda kk: cdf(kk, n, prob), p, start)
                g = int(pradix.qbinom(p, n, prob))
                if g == k:
                    continue
                row["first"] = row["first"] or n
                if g == n:
                    row["to_n"] += 1
                    row["first_to_n"] = row["first_to_n"] or n
                    row["by_pbinom"] += int(pradix.pbinom(k, n, prob) < p)
                    continue
                if abs(g - k) >= 2:
                    row["first_2"] = row["first_2"] or n
                side = "below" if g < k else "above"
                row[side] += 1
                row["by_pbinom"] += int(pradix.pbinom(g, n, prob) >= p if g < k else pradix.pbinom(k, n, prob) < p)
                w = row["worst_" + side]
                if w is None or abs(g - k) > abs(w["got"] - w["ref"]):
                    row["worst_" + side] = {"call": f"qbinom(1 - 1e-{e}, {n}, {num(prob)})", "got": g, "ref": k}
            rows.append(row)
    return {"n": [int(ns[0]), int(ns[-1])], "up_to_2000": int((np.asarray(ns) <= 2000).sum()), "rows": rows}


def scan_meta():
    """How the scans are made, for the report's text."""
    return {"u_points": int(U_SCAN.size), "gap": GAP_RATIO, "max_points": MAX_POINTS, "spread": 30001,
            "p_points": int(P_SCAN.size), "pois_limit": list(POIS_SEARCH_LIMIT)}
