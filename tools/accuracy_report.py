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

KIND_NAMES = {"d": "Densities", "p": "Distribution functions", "q": "Quantiles"}
METHODS = ("The kernels are fixed approximations (continued fractions, series, a 50-point Gauss-Legendre rule and "
           "fixed-count Newton/Halley corrections), so accuracy is that of those methods: what follows is the "
           "module's defined behaviour, the same bits on every machine, and it changes only when a method does.")
MEASURES = ("Errors are relative for densities and quantiles (quantiles of the location-scale families and of "
            "Student's t relative to max(|q|, scale), since their quantile crosses 0), absolute for distribution "
            "functions, with the relative error in the lower tail (probabilities below 1/2) beside, and "
            "|got - log v| / max(|log v|, 1) for the log modes.  *inf* counts results of 0 or an infinity where "
            "the true value is a finite nonzero double (or the reverse); NaN results are counted apart.  A "
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


def digits_for(error):
    """Digits that show a result and its reference apart: 4, or more (up to
    9) for an error between 1e-8 and 1e-3."""
    if error is None or math.isnan(error) or math.isinf(error) or not 1e-8 <= error < 1e-3:
        return 4
    return min(9, 1 + math.ceil(-math.log10(error)))


def pair(got, ref, error):
    d = digits_for(error)
    return value(got, d), value(ref, d)


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
      f"with ordinary parameters and {meta['extended_points']} per extended range (below).  "
      "[docs/accuracy.md](docs/accuracy.md) has SciPy's errors on the same points, the numerical kernels on "
      "SciPy's reference tables, the monotonicity checks in detail and maps of where each quantile is usable.")
    w("")
    w(MEASURES + "  Each worst case is shown at its arguments rounded to as few digits as keep its error "
      "(measured again there).")
    w("")
    w("| distribution | ordinary parameters | extended ranges |")
    w("|---|---|---|")
    for code, f in fns.items():
        regs = f["regimes"]
        w(f"| {code} | {regs[0]['desc']} | {'; '.join(r['desc'] for r in regs[1:]) or '-'} |")
    w("")
    w("**Densities** (relative error)")
    w("")
    w("| function | max, ordinary | max, extended | inf / NaN | worst case | `log=True`: max | `log=True`: -inf "
      "where finite (value a normal double) |")
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
    w("| function | max, ordinary | max, extended | relative, lower tail | inf / NaN | worst case | `log_p=True`: "
      "max | `log_p=True`: -inf where finite (value a normal double) | decreases along x |")
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
    w("**Quantiles** (relative error; for the discrete distributions the count of wrong results)")
    w("")
    w("| function | max, ordinary | max, extended | inf / NaN | worst case | decreases along p |")
    w("|---|---:|---:|---:|---|---|")
    for code, f in fns.items():
        regs = f["regimes"]
        q0 = regs[0]["q"]
        if "wrong" in q0:
            ext = [r["q"] for r in regs[1:]]
            first = wrong_text(q0)
            second = ", ".join(wrong_text(s) for s in ext) or "-"
            inf = total(regs, "q", "wrong")
        else:
            first, second = err(q0["max"]), err(extended_max(regs, "q"))
            inf = total(regs, "q", "inf")
        w(f"| `q{code}` | {first} | {second} | {inf} / {total(regs, 'q', 'nan')} "
          f"| {case(shown(worst_over(regs, 'q')))} | {decreases(mono.get('q' + code))} |")
    w("")
    w("**Examples**: calls a new user tried, and what the method does there.")
    w("")
    w("| call | pradix | true value | error | the method there |")
    w("|---|---:|---:|---:|---|")
    for e in data["examples"]:
        example(w, e)
    w(END)
    return "\n".join(L)


def example(w, e):
    got, ref = pair(e["got"], e["ref"], e["err"])
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
      f"mpmath {meta['mpmath']} at {meta['dps']} digits; measured {meta['date']}.")
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
    w("### Monotonicity")
    w("")
    w("Every distribution function along increasing x (points spanning probabilities from 1e-12 to 1 - 1e-12: "
      "SciPy's quantiles, for the discrete distributions every integer or runs of consecutive integers), every "
      "quantile along increasing p (from 1e-300 to 1 - 1e-16), for a few parameter sets from each regime.  A "
      "decrease is a step where the result goes down; its size is absolute for distribution functions and "
      "relative for quantiles.  NaN results are left out.")
    w("")
    w("| function | parameter sets | steps | decreases | largest | where |")
    w("|---|---:|---:|---:|---:|---|")
    for name, m in data["monotone"].items():
        where = ""
        if m["worst"]:
            v = m["worst"]
            where = (f"`{v['first']}` = {value(v['first_value'])} > `{v['second']}` = {value(v['second_value'])}")
        w(f"| `{name}` | {m['sets']} | {m['steps']} | {m['drops']} | {err(m['worst']['size']) if m['worst'] else '-'} "
          f"| {where} |")
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
    w("| function | regime | points | pradix max | median | inf | NaN | SciPy max | median | NaN |")
    w("|---|---|---:|---:|---:|---:|---:|---:|---:|---:|")
    cases = []
    for code, f in fns.items():
        for r in f["regimes"]:
            s = stat(r, kind, measure)
            sp = s["scipy"]
            name = ("d" if kind in ("d", "ld") else "p" if kind in ("p", "lp") else "q") + code
            if "wrong" in s:
                w(f"| `{name}` | {r['name']} | {s['n']} | {s['wrong']} wrong | | | {s['nan']} | {sp['wrong']} wrong "
                  f"| | {sp['nan']} |")
            else:
                w(f"| `{name}` | {r['name']} | {s['n']} | {err(s['max'])} | {err(s['median'])} | {s['inf']} "
                  f"| {s['nan']} | {err(sp['max'])} | {err(sp['median'])} | {sp['nan']} |")
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
    w("Worst cases (arguments rounded to as few digits as keep the error, measured again there):")
    w("")
    L = cases or ["- none."]
    for c in L:
        w(c)
    w("")


CLASS_WORDS = ["<= 1e-13", "<= 1e-10", "<= 1e-6", "worse", "NaN"]


def maps(w, rows):
    w("## 3. Where the quantiles are usable")
    w("")
    w("Each map is a grid of a parameter (across) against the probability p (up, from 1e-300 at the bottom to "
      "1 - 1e-15 at the top), classed by the relative error of the quantile against a 50-digit root of F(x) = p "
      "(Newton's method in mpmath from SciPy's answer, from pradix's, or from the middle of the support): "
      "<= 1e-13, <= 1e-10, <= 1e-6, worse (0 or an infinity for a finite nonzero root included), NaN, and no "
      "reference found.  A root beyond the doubles next to an end of the support (below the smallest positive "
      "double, above the largest double below 1, beyond the largest double) counts as that end, so a result "
      "of that end is exact.  SciPy's classes on the same cells are counted beside.  For the discrete "
      "quantiles the classes are exact (under <= 1e-13), wrong and NaN.  The error plots in each figure share "
      "one vertical scale; results that are exact are drawn at 1e-18, and errors beyond 1e20, results of 0 or "
      "an infinity where the true value is finite, and NaN results as marked points in bands above it (hollow "
      "for SciPy).")
    w("")
    w("| map | cells | pradix <= 1e-13 | <= 1e-10 | <= 1e-6 | worse | NaN | SciPy <= 1e-13 | <= 1e-10 | <= 1e-6 "
      "| worse | NaN |")
    w("|---|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|")
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
