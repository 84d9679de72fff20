"""Text of the accuracy report, from the measurements in docs/accuracy.json:
docs/accuracy.md and the README's accuracy section (between the markers
`<!-- accuracy: begin -->` and `<!-- accuracy: end -->`).

tools/accuracy.py measures and writes the data, then both texts through
this module; tests/test_accuracy_report.py checks that the texts in the
repository are the ones the data gives.  Standard library only."""
import json
import math
import os
import re

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
DATA = os.path.join(ROOT, "docs", "accuracy.json")
MARKDOWN = os.path.join(ROOT, "docs", "accuracy.md")
README = os.path.join(ROOT, "README.md")
BEGIN, END = "<!-- accuracy: begin -->", "<!-- accuracy: end -->"
# Distributions without negative values (as in tools/accuracy_functions.py, which this module does not import:
# it runs on the standard library alone).
POSITIVE = ("bern", "beta", "binom", "chisq", "exp", "f", "gamma", "invgamma", "lnorm", "pois", "weibull")

KIND_NAMES = {"d": "Densities", "p": "Distribution functions", "q": "Quantiles"}
METHODS = ("The kernels are fixed approximations (continued fractions, series, a 50-point Gauss-Legendre rule and "
           "fixed-count Newton/Halley corrections), so accuracy is that of those methods: what follows is the "
           "module's defined behaviour, the same bits on every machine, and it changes only when a method does.")
MEASURES = ("Errors are relative for densities and quantiles (quantiles of the location-scale families and of "
            "Student's t relative to max(|q|, scale), since their quantile crosses 0), absolute for distribution "
            "functions, with the relative error in the lower tail (probabilities below 1/2) beside, and "
            "|got - log v| / max(|log v|, 1) for the log modes.  *0 or inf* counts results of 0 or an infinity "
            "where the true value is a finite nonzero double (or the reverse); NaN results and, for the "
            "quantiles of distributions without negative values, negative results are counted apart.  A "
            "density below the smallest normal double counts as exact when the result is within that range.")


def load(path=DATA):
    with open(path, encoding="utf-8") as f:
        return json.load(f)


# ---------------------------------------------------------------- numbers

def err(v):
    """An error: 0, inf, NaN, '-' for none, else two digits."""
    if v is None:
        return "-"
    if math.isnan(v):
        return "NaN"
    if v == 0:
        return "0"
    if math.isinf(v):
        return "inf"
    return f"{v:.1e}"


def value(v, digits=4):
    """A result or a reference (a float, or mpmath's text for numbers beyond
    the double range) to `digits` significant digits."""
    if v is None:
        return "-"
    if isinstance(v, str):
        m = re.fullmatch(r"(-?)([0-9.]+)(?:e([+-]?[0-9]+))?", v)
        if not m:
            return v
        sign, mant, exp = m.group(1), float(m.group(2)), int(m.group(3) or 0)
        if -300 < exp < 300:
            return value(float(v), digits)
        while mant >= 10:
            mant, exp = mant / 10, exp + 1
        return f"{sign}{mant:.{digits - 1}f}e{exp:+d}"
    if math.isnan(v):
        return "NaN"
    if math.isinf(v):
        return "inf" if v > 0 else "-inf"
    return f"{v:.{digits}g}"


def digits_for(error, most=9):
    """Digits that show a result and its reference apart: 4, or more (up to
    `most`) for an error from 10^(1 - most) up to 1e-3."""
    if error is None or math.isnan(error) or math.isinf(error) or not 10.0 ** (1 - most) <= error < 1e-3:
        return 4
    return min(most, 1 + math.ceil(-math.log10(error)))


def pair(got, ref, error, most=9):
    d = digits_for(error, most)
    return value(got, d), value(ref, d)


def sci(v):
    """A parameter as typed: 1e6 rather than 1e+06, 11 rather than 11.0."""
    if v == int(v) and abs(v) < 1e5:
        return str(int(v))
    text = f"{v:g}"
    if "e" not in text:
        return text
    mant, exp = text.split("e")
    return f"{mant}e{int(exp)}"


def case(worst):
    """A worst case as `call` = result (true value)."""
    if not worst:
        return ""
    got, ref = pair(worst["got"], worst["ref"], worst["err"])
    return f"`{worst['call']}` = {got} (true {ref})"


# ---------------------------------------------------------------- selections

def stat(regime, kind, measure=None):
    s = regime[kind]
    return s[measure] if measure else s


def worst_over(regimes, kind, measure=None):
    """The regime statistics whose maximum is largest (inf above any finite)."""
    best = None
    for r in regimes:
        s = stat(r, kind, measure)
        if s.get("max") is None:
            continue
        if best is None or s["max"] > best["max"]:
            best = s
    return best


def shown(s):
    if not s:
        return None
    return s.get("shown") or s.get("worst")


def total(regimes, kind, key, measure=None):
    return sum(stat(r, kind, measure).get(key, 0) or 0 for r in regimes)


def extended_max(regimes, kind, measure=None):
    vals = [stat(r, kind, measure)["max"] for r in regimes[1:] if stat(r, kind, measure).get("max") is not None]
    return max(vals) if vals else None


def wrong_text(s):
    return f"{s['wrong']} wrong of {s['n']}"


def decreases(m):
    if not m or not m["steps"]:
        return "-"
    text = f"{m['drops']} of {m['steps']}"
    if m["drops"]:
        text += f" (largest {err(m['worst']['size'])})"
    return text


# ---------------------------------------------------------------- README

def readme_block(data):
    meta, fns = data["meta"], data["functions"]
    L = [BEGIN, "<!-- Written by tools/accuracy.py from docs/accuracy.json; edit the tool, not this text. -->", ""]
    w = L.append
    w(METHODS + "  `tools/accuracy.py` measures every `d`, `p` and `q` function, and the `d` and `p` functions "
      f"with `log=True` / `log_p=True`, against mpmath at {meta['dps']} digits on random points (fixed seeds) "
      f"whose probabilities reach {meta['tail']:g} into both tails: {meta['points']} points per distribution "
      f"with ordinary parameters and {meta['extended_points']} per extended range (below).  Monotonicity, "
      "negative quantiles, the Poisson quantile's lower tail and the binomial quantile near 1 are scanned over "
      "whole ranges instead.  [docs/accuracy.md](docs/accuracy.md) has SciPy's errors on the same points, the "
      "numerical kernels on SciPy's reference tables, every table per range and maps of where each quantile is "
      "usable.")
    w("")
    w(MEASURES + "  " + WORST)
    w("")
    w("| distribution | ordinary parameters | extended ranges |")
    w("|---|---|---|")
    for code, f in fns.items():
        regs = f["regimes"]
        w(f"| {code} | {regs[0]['desc']} | {'; '.join(r['desc'] for r in regs[1:]) or '-'} |")
    w("")
    w("**Densities** (relative error)")
    w("")
    w("| function | max, ordinary | max, extended | 0 or inf / NaN | worst case | `log=True`: max | `log=True`: "
      "-inf where finite (value a normal double) |")
    w("|---|---:|---:|---:|---|---:|---:|")
    for code, f in fns.items():
        regs = f["regimes"]
        ld = worst_over(regs, "ld")
        w(f"| `d{code}` | {err(regs[0]['d']['max'])} | {err(extended_max(regs, 'd'))} "
          f"| {total(regs, 'd', 'inf')} / {total(regs, 'd', 'nan')} | {case(shown(worst_over(regs, 'd')))} "
          f"| {err(ld['max'] if ld else None)} | {total(regs, 'ld', 'neg_inf')} ({total(regs, 'ld', 'neg_inf_normal')}) |")
    w("")
    w("**Distribution functions** (absolute error; relative in the lower tail)")
    w("")
    w("| function | max, ordinary | max, extended | relative, lower tail | 0 or inf / NaN | worst case | "
      "`log_p=True`: max | `log_p=True`: -inf where finite (value a normal double) | decreases along x (scan) |")
    w("|---|---:|---:|---:|---:|---|---:|---:|---|")
    mono = data["monotone"]
    for code, f in fns.items():
        regs = f["regimes"]
        rel = worst_over(regs, "p", "rel")
        lp = worst_over(regs, "lp")
        w(f"| `p{code}` | {err(regs[0]['p']['abs']['max'])} | {err(extended_max(regs, 'p', 'abs'))} "
          f"| {err(rel['max'] if rel else None)} | {total(regs, 'p', 'inf', 'abs')} / {total(regs, 'p', 'nan', 'abs')} "
          f"| {case(shown(worst_over(regs, 'p', 'abs')))} | {err(lp['max'] if lp else None)} "
          f"| {total(regs, 'lp', 'neg_inf')} ({total(regs, 'lp', 'neg_inf_normal')}) | {decreases(mono.get('p' + code))} |")
    w("")
    w("**Quantiles** (relative error; for the binomial, Bernoulli and Poisson quantiles the count of wrong "
      "results, every one other than the least k with F(k) >= p)")
    w("")
    w("| function | max, ordinary | max, extended | 0 or inf / negative / NaN | worst case | decreases along p "
      "(scan) | negative (scan) |")
    w("|---|---:|---:|---:|---|---|---:|")
    for code, f in fns.items():
        regs = f["regimes"]
        q0 = regs[0]["q"]
        if "wrong" in q0:
            first = wrong_text(q0)
            second = ", ".join(wrong_text(r["q"]) for r in regs[1:]) or "-"
        else:
            first, second = err(q0["max"]), err(extended_max(regs, "q"))
        m = mono.get("q" + code) or {}
        w(f"| `q{code}` | {first} | {second} | {total(regs, 'q', 'inf')} / {negatives(code, regs)} / "
          f"{total(regs, 'q', 'nan')} | {case(shown(worst_over(regs, 'q')))} | {decreases(m)} "
          f"| {negative_scan(m)} |")
    w("")
    w(scan_text(meta["scan"]))
    w("")
    negatives_text(w, fns, mono)
    w("")
    qpois_section(w, data["qpois_lower"])
    w("")
    qbinom_section(w, data["qbinom_near_one"])
    w("")
    upper_section(w, data["upper"])
    w("")
    w("**Examples**: calls a new user tried, and what the method does there.")
    w("")
    w("| call | pradix | true value | error | the method there |")
    w("|---|---:|---:|---:|---|")
    for e in data["examples"]:
        example(w, e)
    w(END)
    return "\n".join(L)


WORST = ("Each worst case is shown at arguments that reproduce at least half of the stated maximum, measured "
         "again there: rounded to 4, 6 or 9 significant digits where that keeps it, else the measured arguments "
         "in full.")


def negatives(code, regs):
    """Negative quantiles on the random points, or '-' for distributions that have negative values."""
    return str(total(regs, "q", "negative")) if code in POSITIVE else "-"


def negative_scan(m):
    if "negative" not in m:
        return "-"
    return str(m["negative"])


def scan_text(scan):
    return ("**Scans.**  Monotonicity (the columns marked *scan*) is scanned, not sampled: every `p` function "
            "along x and every `q` function along p, over a grid of parameter sets that spans every range of the "
            "table above (every combination of the ends of each range and the powers of 10 between them, at "
            "every half decade where a range spans at most 8 decades; five locations across their range; nine "
            "`prob` from 0.001 to 0.999).  Along x the points are SciPy's quantiles of "
            f"{scan['u_points']} probabilities from 1e-12 to 1 - 1e-12 (evenly in logit), with points added "
            f"wherever neighbours of one sign lie more than {100 * (scan['gap'] - 1):g}% apart (at most "
            f"{scan['max_points']} points a set; the discrete distributions every integer, or {scan['spread']} "
            "spread evenly with runs of consecutive integers); along p they are "
            f"{scan['p_points']} probabilities from 1e-300 to 1 - 1e-16, evenly in log p, p and log(1 - p) (for "
            f"`qpois` with rates above {sci(scan['pois_limit'][0])} from {sci(scan['pois_limit'][1])}: below, its search "
            "runs to its step limit, seconds a call, and gives NaN).  A decrease is a step where the result goes "
            "down, its size absolute for `p` and relative for `q`; NaN results are left out.  The same scan "
            "counts negative quantiles of the distributions without negative values.")


def negatives_text(w, fns, mono):
    cases = []
    for code, f in fns.items():
        m = mono.get("q" + code) or {}
        if m.get("negative"):
            c = m["negative_case"]
            cases.append(f"`{c['call']}` = {value(c['got'])}")
    for code, f in fns.items():
        for r in f["regimes"]:
            c = r["q"].get("negative_case")
            if c:
                cases.append(f"`{c['call']}` = {value(c['got'])} (true {value(c['ref'])})")
    if cases:
        w("**Negative quantiles** of distributions without negative values, for example " + "; ".join(cases)
          + ".")


def qpois_section(w, q):
    rows = q["rows"]
    n_miss = sum(r["below"] + r["above"] for r in rows)
    explained = sum(r["by_ppois"] for r in rows)
    w("**The Poisson quantile in the lower tail.**  From rate 11 `qpois` searches upward from a normal "
      "approximation and returns the first count where `ppois` exceeds p (or the start less one, where `ppois` "
      "exceeds p already there), and `ppois` there is 1 - P(k + 1, rate), which keeps the absolute error of the "
      "incomplete gamma function near 1 (the mass its quadrature window leaves out, then the rounding of "
      "1 - P): where that error is larger than p the result lands below the true quantile, and where `ppois` "
      f"falls below the true F above it.  Against the true quantile at {rows[0]['rates']} rates from "
      f"{sci(q['rates'][0])} to {sci(q['rates'][1])} (log-spaced):")
    w("")
    w("| p | rates wrong | below / above the truth | from rate | largest miss | `ppois` there |")
    w("|---:|---:|---:|---:|---|---|")
    for r in rows:
        wst = r["worst"]
        if wst:
            miss = f"`{wst['call']}` = {wst['got']} (true {wst['ref']})"
            there = f"`{wst['ppois']}` = {value(wst['ppois_got'], 3)} (true {value(wst['ppois_ref'], 3)})"
        else:
            miss = there = "-"
        w(f"| {sci(r['p'])} | {r['below'] + r['above']} of {r['rates']} | {r['below']} / {r['above']} "
          f"| {'-' if r['first'] is None else sci(r['first'])} | {miss} | {there} |")
    w("")
    w(f"{explained} of the {n_miss} misses are `ppois`'s own: at or just after a result below the truth it is "
      "above p although the true F is below, or at the true quantile of a result above it it is at most p.")


def qbinom_section(w, q):
    rows = q["rows"]
    n_miss = sum(r["below"] + r["above"] + r["to_n"] for r in rows)
    explained = sum(r["by_pbinom"] for r in rows)
    w("**The binomial quantile near p = 1.**  `qbinom` returns the first k where `pbinom`, a sum of masses, "
      "reaches p.  Near 1 that sum errs by more than F(k) lies from p, so the search stops a few counts early or "
      "late, and where the sum stays below p it runs to n_trials.  Against the true quantile for "
      f"{q['up_to_2000']} values of n_trials from {q['n'][0]} to 2000 and {rows[0]['n'] - q['up_to_2000']} more "
      f"up to {sci(q['n'][1])}:")
    w("")
    w("| prob | p | n_trials wrong | below / above / to n_trials | first wrong at n_trials | first 2 or more "
      "off | first run to n_trials | largest below | largest above |")
    w("|---:|---|---:|---:|---:|---:|---:|---|---|")
    for r in rows:
        cells = []
        for key in ("worst_below", "worst_above"):
            c = r[key]
            cells.append(f"`{c['call']}` = {c['got']} (true {c['ref']})" if c else "-")
        wrong = r["below"] + r["above"] + r["to_n"]
        w(f"| {r['prob']:g} | {r['p']} | {wrong} of {r['n']} | {r['below']} / {r['above']} / {r['to_n']} "
          f"| {r['first'] or '-'} | {r['first_2'] or '-'} | {r['first_to_n'] or '-'} | {cells[0]} | {cells[1]} |")
    w("")
    w(f"{explained} of the {n_miss} misses are `pbinom`'s own: it is at least p at a result below the truth, or "
      "below p at the true quantile.")


def upper_section(w, rows):
    w("**Upper tails.**  There is no `lower_tail` flag.  `1 - p(x)` keeps the absolute error of `p(x)` and the "
      "rounding of 1 - p, so upper tails below 1.1e-16 are lost and small ones keep few digits; `q(1 - s)` sees "
      "s only as 1 - s rounds.  Where a law has a reflection, pradix gives the upper tail without the "
      "subtraction: for the laws symmetric about their location `pnorm(-x)`, `pt(-x, dof)`, `plogis`, "
      "`pcauchy` and `plaplace` at `-x` with `-mu` (and `-q(s)` for the quantile), `plnorm(1 / x, -mu, sigma)` "
      "for the log-normal law; for the beta law "
      "`pbeta(1 - x, b, a)`, for F `pf(1 / x, df2, df1)`, for the inverse gamma law `pgamma(1 / x, shape, "
      "1 / scale)`, for the binomial `pbinom(n_trials - x - 1, n_trials, 1 - prob)`.  A reflection is only as "
      "good as the lower tail it lands in: `pnorm`, `plogis`, `pcauchy` and `plaplace` form theirs by "
      "cancellation as well (and `plnorm` is `pnorm`), and `qnorm` and `qt` keep few digits in the tails, so "
      "these gain a digit at most.  The chi-squared, gamma and Poisson upper tails are `1 - p` only (the "
      "exponential and Weibull ones have closed forms, exp(-rate x) and exp(-(x / scale)^shape)).  Where more "
      "is needed, SciPy's `sf` and `isf` compute upper tails directly:")
    w("")
    w("| upper tail | true value | with `1 - p` | error | without | error | SciPy | error |")
    w("|---|---:|---|---:|---|---:|---|---:|")
    for r in rows:
        # Digits enough to tell pradix's larger finite error from the true value, for the whole row.
        errors = [r[k]["err"] for k in ("complement", "reflection") if r[k] and 0 < r[k]["err"] < math.inf]
        d = digits_for(max(errors), 17) if errors else 4
        cells = []
        for key in ("complement", "reflection", "scipy"):
            c = r[key]
            cells.append("- | -" if c is None else f"`{c['call']}` = {value(c['got'], d)} | {err(c['err'])}")
        w(f"| {r['what']} | {value(r['ref'], d)} | " + " | ".join(cells) + " |")


def example(w, e):
    got, ref = pair(e["got"], e["ref"], e["err"], most=17)
    w(f"| `{e['call']}` | {got} | {ref} | {err(e['err'])} ({measure_word(e['measure'])}) | {e['note']} |")


def measure_word(m):
    return {"rel": "relative", "abs": "absolute", "log": "of the logarithm"}[m]


def replace_block(text, block):
    a, b = text.index(BEGIN), text.index(END) + len(END)
    return text[:a] + block + text[b:]


def readme_section(text):
    return text[text.index(BEGIN):text.index(END) + len(END)]


# ---------------------------------------------------------------- docs/accuracy.md

def markdown(data):
    meta, fns = data["meta"], data["functions"]
    L = []
    w = L.append
    w("# Accuracy of pradix")
    w("")
    w(f"Written by `tools/accuracy.py` from the measurements in `docs/accuracy.json` (not run by CI; "
      f"{meta['minutes']} minutes).  pradix {meta['pradix']}, SciPy {meta['scipy']}, NumPy {meta['numpy']}, "
      f"mpmath {meta['mpmath']} at {meta['dps']} digits; measured {meta['date']}"
      + (f", and {', '.join(meta['partial']['parts'])} again on {meta['partial']['date']} "
         f"({meta['partial']['minutes']} minutes)" if meta.get("partial") else "") + ".")
    w("")
    w(METHODS)
    w("")
    w("**Error measures.**  " + MEASURES + "  Maxima and medians are over the points whose result is not NaN.")
    w("")
    kernels(w, data["kernels"])
    w("## 2. The 51 functions against mpmath")
    w("")
    w(f"Random points with fixed seeds: {meta['points']} per distribution with ordinary parameters, "
      f"{meta['extended_points']} per extended range.  Points x are SciPy's quantiles of probabilities u with "
      f"logit(u) uniform, u from {meta['tail']:g} to 1 - {meta['tail']:g}.  The quantile of a continuous "
      "distribution is measured at p = F(x) rounded to a double, whose exact quantile is x - (F(x) - p) / f(x) "
      "to far beyond double precision; the discrete quantiles at p = u against the least k with F(k) >= p.  "
      "Parameters are log-uniform in their ranges except locations and probabilities.  Where mpmath's "
      "incomplete gamma and beta functions stall (shapes of millions), the references integrate the density "
      "in mpmath instead.")
    w("")
    w("| distribution | regime | parameters |")
    w("|---|---|---|")
    for code, f in fns.items():
        for r in f["regimes"]:
            w(f"| {code} | {r['name']} | {r['desc']} |")
    w("")
    for kind, title, measure in (("d", "Densities (relative error)", None),
                                 ("p", "Distribution functions (absolute error)", "abs"),
                                 ("p", "Distribution functions in the lower tail (relative error, probabilities "
                                       "below 1/2)", "rel"),
                                 ("q", "Quantiles (relative error; discrete: wrong results)", None),
                                 ("ld", "Log-densities, `log=True` (error of the logarithm)", None),
                                 ("lp", "Logarithms of the distribution functions, `log_p=True` (error of the "
                                        "logarithm)", None)):
        function_table(w, fns, kind, title, measure)
    w("### Monotonicity and negative quantiles")
    w("")
    w(scan_text(meta["scan"]))
    w("")
    w("| function | parameter sets | steps | decreases | largest | where | negative |")
    w("|---|---:|---:|---:|---:|---|---|")
    for name, m in data["monotone"].items():
        where = ""
        if m["worst"]:
            v = m["worst"]
            where = (f"`{v['first']}` = {value(v['first_value'])} > `{v['second']}` = {value(v['second_value'])}")
        neg = negative_scan(m)
        if m.get("negative_case"):
            c = m["negative_case"]
            neg += f": `{c['call']}` = {value(c['got'])}"
        w(f"| `{name}` | {m['sets']} | {m['steps']} | {m['drops']} | {err(m['worst']['size']) if m['worst'] else '-'} "
          f"| {where} | {neg} |")
    w("")
    w("### The Poisson quantile in the lower tail")
    w("")
    qpois_section(w, data["qpois_lower"])
    w("")
    w("### The binomial quantile near p = 1")
    w("")
    qbinom_section(w, data["qbinom_near_one"])
    w("")
    w("### Upper tails")
    w("")
    upper_section(w, data["upper"])
    w("")
    w("### Examples")
    w("")
    w("| call | pradix | true value | error | the method there |")
    w("|---|---:|---:|---:|---|")
    for e in data["examples"]:
        example(w, e)
    w("")
    maps(w, data["maps"])
    return "\n".join(L).rstrip() + "\n"


def kernels(w, rows):
    w("## 1. Numerical kernels on SciPy's reference tables")
    w("")
    if not rows:
        w("The installed SciPy wheel ships no reference tables; this section is empty and the mpmath comparisons "
          "below are the only reference.")
        w("")
        return
    w("SciPy's wheel ships high-precision reference tables under `scipy/special/tests/data/` (`boost.npz`, "
      "`local.npz`).  The kernels are reached through the test kit (`build/testkit`, `_testkit`), SciPy through "
      "`scipy.special` on the same points.  Table rows whose reference is not finite are left out.  For "
      "log-gamma the absolute error of log|Gamma(x)| is the relative error of Gamma(x) itself.")
    w("")
    w("| kernel | SciPy tables | points | pradix max | pradix median | SciPy max | SciPy median | NaN pradix / SciPy |")
    w("|---|---|---:|---:|---:|---:|---:|---:|")
    for r in rows:
        w(f"| {r['label']} ({r['measure']}) | {', '.join('`' + k + '`' for k in r['tables'])} | {r['points']} "
          f"| {err(r['pradix']['max'])} | {err(r['pradix']['median'])} | {err(r['scipy']['max'])} "
          f"| {err(r['scipy']['median'])} | {r['pradix']['nan']} / {r['scipy']['nan']} |")
    w("")
    for r in rows:
        if r.get("worst"):
            w(f"- {r['label']} ({r['measure']}): worst point ({r['worst']['args']}): pradix {r['worst']['got']}, "
              f"reference {r['worst']['ref']}.")
    w("")


def function_table(w, fns, kind, title, measure):
    w(f"### {title}")
    w("")
    q = kind == "q"
    w("| function | regime | points | pradix max | median | 0 or inf |" + (" negative |" if q else "")
      + " NaN | SciPy max | median | NaN |")
    w("|---|---|---:|---:|---:|---:|" + ("---:|" if q else "") + "---:|---:|---:|---:|")
    cases = []
    for code, f in fns.items():
        for r in f["regimes"]:
            s = stat(r, kind, measure)
            sp = s["scipy"]
            name = ("d" if kind in ("d", "ld") else "p" if kind in ("p", "lp") else "q") + code
            neg = (f" {s['negative'] if code in POSITIVE else '-'} |" if q else "")
            if "wrong" in s:
                w(f"| `{name}` | {r['name']} | {s['n']} | {s['wrong']} wrong | | {s['inf']} |{neg} {s['nan']} "
                  f"| {sp['wrong']} wrong | | {sp['nan']} |")
            else:
                w(f"| `{name}` | {r['name']} | {s['n']} | {err(s['max'])} | {err(s['median'])} | {s['inf']} |{neg} "
                  f"{s['nan']} | {err(sp['max'])} | {err(sp['median'])} | {sp['nan']} |")
            if shown(s) and s["max"]:
                cases.append(f"- `{name}`, {r['name']}: {case(shown(s))}, error {err(shown(s)['err'])}"
                             + (f"; NaN at `{s['nan_call']}`" if s.get("nan_call") else "") + ".")
            elif s.get("nan_call"):
                cases.append(f"- `{name}`, {r['name']}: NaN at `{s['nan_call']}`.")
    w("")
    if kind in ("ld", "lp"):
        w("-inf where the logarithm is finite: " + ", ".join(
            f"`{('d' if kind == 'ld' else 'p') + code}` {total(f['regimes'], kind, 'neg_inf')} "
            f"({total(f['regimes'], kind, 'neg_inf_normal')} where the value is a normal double)"
            for code, f in fns.items() if total(f["regimes"], kind, "neg_inf")) + ".")
        w("")
    w("Worst cases, at arguments that reproduce at least half of the maximum of their row, measured again there "
      "(rounded to 4, 6 or 9 significant digits where that keeps it, else the measured arguments in full):")
    w("")
    L = cases or ["- none."]
    for c in L:
        w(c)
    w("")




def maps(w, rows):
    w("## 3. Where the quantiles are usable")
    w("")
    w("Each map is a grid of a parameter (across; shapes and degrees of freedom up to 1e15) against the "
      "probability p (up, from 1e-300 at the bottom to 1 - 1e-15 at the top), classed by the relative error of "
      "the quantile against a 50-digit root of F(x) = p (Newton's method in mpmath from SciPy's answer, from "
      "pradix's, or from a bracket found by steps out of the middle of the support): <= 1e-13, <= 1e-10, <= 1e-6, worse (0 or an infinity for "
      "a finite nonzero root included), negative (for distributions without negative values), NaN, and no "
      "reference found.  A root beyond the doubles next to an end of the support (below the smallest positive "
      "double, above the largest double below 1, beyond the largest double) counts as that end, so a result "
      "of that end is exact.  SciPy's classes on the same cells are counted beside.  For the discrete "
      "quantiles the classes are exact (under <= 1e-13), wrong, negative and NaN.  The error plots in each "
      "figure share one vertical scale; results that are exact are drawn at 1e-18, and errors beyond 1e20, "
      "results of 0 or an infinity where the true value is finite, and NaN results as marked points in bands "
      "above it (hollow for SciPy).")
    w("")
    w("| map | cells | pradix <= 1e-13 | <= 1e-10 | <= 1e-6 | worse | negative | NaN | SciPy <= 1e-13 | <= 1e-10 "
      "| <= 1e-6 | worse | negative | NaN |")
    w("|---|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|")
    for r in rows:
        w(f"| {r['name']} | {r['cells']} | " + " | ".join(str(v) for v in r["pradix"]) + " | "
          + " | ".join(str(v) for v in r["scipy"]) + " |")
    w("")
    seen = []
    for r in rows:
        if r["figure"] not in seen:
            seen.append(r["figure"])
    for fig in seen:
        title = next(r["figure_title"] for r in rows if r["figure"] == fig)
        w(f"### {title}")
        w("")
        w(f"![{title}]({fig})")
        w("")


# ---------------------------------------------------------------- writing

def write(data, readme=README, markdown_path=MARKDOWN):
    with open(markdown_path, "w", encoding="utf-8") as f:
        f.write(markdown(data))
    with open(readme, encoding="utf-8") as f:
        text = f.read()
    with open(readme, "w", encoding="utf-8") as f:
        f.write(replace_block(text, readme_block(data)))


if __name__ == "__main__":
    # Rewrites the texts from the data alone (after a change to this module).
    write(load())
