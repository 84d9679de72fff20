"""Measures pradix against high-precision references and writes the report.

Writes docs/accuracy.json (the measurements), from it docs/accuracy.md and
the README's accuracy section (between `<!-- accuracy: begin -->` and
`<!-- accuracy: end -->`, through tools/accuracy_report.py), and the
figures docs/accuracy_<family>.png:

1. the numerical kernels (error function and its inverse, log-gamma, the
   incomplete gamma and beta functions and their inverses) on the reference
   tables that SciPy's wheel ships under scipy/special/tests/data/, through
   the test kit (build/testkit), beside SciPy's own functions;
2. the 51 density, distribution and quantile functions, and the densities
   and distribution functions in log mode, on random points over ordinary
   and extended parameter ranges against mpmath at 50 digits, beside SciPy
   on the same points (tools/accuracy_functions.py);
3. scans over whole ranges (tools/accuracy_scans.py): monotonicity of every
   distribution function along x and every quantile along p, negative
   quantiles, the Poisson quantile's lower tail, the binomial quantile near
   p = 1;
4. named calls and upper tails (tools/accuracy_examples.py);
5. per quantile family, maps of parameter x probability showing where the
   quantile is accurate, and plots of the error against the argument
   (tools/accuracy_figures.py).

Run from the repository root after ./setup.sh, with the docs extra
installed (pip install matplotlib mpmath):

    .venv/bin/python tools/accuracy.py [--quick]

It takes about an hour (53 minutes on two shared cores; --quick: fewer
points and parameter sets, for trying the script, some minutes; it writes
its data and texts under /tmp/pradix-accuracy-quick instead).  --only
measures some parts again (after a change to their measurement) and keeps
the rest of docs/accuracy.json.
Points are drawn from fixed seeds, so a re-run reproduces the report
exactly for the same pradix, SciPy and mpmath.
"""
import argparse
import datetime
import json
import os
import sys
import time
import warnings

import mpmath as mp
import numpy as np
import scipy
import scipy.special as sc

import pradix

TOOLS = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(TOOLS)
sys.path.insert(0, TOOLS)
sys.path.insert(0, os.path.join(ROOT, "build", "testkit"))
import _testkit as kit  # noqa: E402

import accuracy_examples  # noqa: E402
import accuracy_figures  # noqa: E402
import accuracy_functions  # noqa: E402
import accuracy_report  # noqa: E402
import accuracy_scans  # noqa: E402

warnings.filterwarnings("ignore")
np.seterr(all="ignore")


# ---------------------------------------------------------------- part 1: kernels on SciPy's tables

def scipy_tables():
    d = os.path.join(os.path.dirname(scipy.__file__), "special", "tests", "data")
    out = {}
    for name in ("boost.npz", "local.npz"):
        path = os.path.join(d, name)
        if os.path.exists(path):
            z = np.load(path)
            out.update({k: z[k] for k in z.files})
    return out


# (label, table keys, argument columns, result column, pradix kernel, SciPy function, measures)
KERNEL_CASES = [
    ("erf", ["erf_small_data_ipp-erf_small_data", "erf_data_ipp-erf_data", "erf_large_data_ipp-erf_large_data"],
     (0,), 1, kit.erf, sc.erf, ("relative",)),
    ("erfinv", ["erf_inv_data_ipp-erf_inv_data"], (0,), 1, kit.erfinv, sc.erfinv, ("relative",)),
    # The module takes log-gamma of positive arguments only; the tables' negative points are left out.
    ("lgamma, x > 0", ["test_gamma_data_ipp-near_0", "test_gamma_data_ipp-near_1", "test_gamma_data_ipp-near_2",
                       "test_gamma_data_ipp-factorials"], (0,), 2, kit.lgamma, sc.gammaln, ("absolute",)),
    ("P(a, x)", ["igamma_small_data_ipp-igamma_small_data", "igamma_med_data_ipp-igamma_med_data",
                 "igamma_int_data_ipp-igamma_int_data", "igamma_big_data_ipp-igamma_big_data"],
     (0, 1), 5, kit.gamma_p, sc.gammainc, ("absolute", "relative")),
    ("P(a, x), local table", ["gammainc"], (0, 1), 2, kit.gamma_p, sc.gammainc, ("absolute", "relative")),
    ("P^-1(a, p)", ["gamma_inv_small_data_ipp-gamma_inv_small_data", "gamma_inv_data_ipp-gamma_inv_data",
                    "gamma_inv_big_data_ipp-gamma_inv_big_data"], (0, 1), 2, kit.gamma_p_inv, sc.gammaincinv,
     ("relative",)),
    ("I_x(a, b)", ["ibeta_small_data_ipp-ibeta_small_data", "ibeta_data_ipp-ibeta_data",
                   "ibeta_int_data_ipp-ibeta_int_data", "ibeta_large_data_ipp-ibeta_large_data"],
     (0, 1, 2), 5, kit.beta_inc, sc.betainc, ("absolute", "relative")),
    ("I^-1(a, b, p)", ["ibeta_inv_data_ipp-ibeta_inv_data"], (0, 1, 2), 3, kit.beta_inc_inv, sc.betaincinv,
     ("relative",)),
]


def table_errors(got, want):
    got = np.asarray(got, float)
    with np.errstate(all="ignore"):
        a = np.where(got == want, 0.0, np.abs(got - want))
        r = np.where(got == want, 0.0, a / np.abs(want))
    return {"absolute": a, "relative": r}


def kernel_report(tables):
    rows = []
    for label, keys, args, col, ours, theirs, measures in KERNEL_CASES:
        present = [k for k in keys if k in tables]
        if not present:
            continue
        data = np.concatenate([tables[k] for k in present])
        # Tables of the lower function carry points whose reference is not a
        # finite number (or whose arguments lie outside the domain); drop them.
        ok = np.isfinite(data[:, col]) & np.all(np.isfinite(data[:, list(args)]), axis=1)
        if label.startswith("lgamma"):
            ok &= data[:, 0] > 0
        data = data[ok]
        argv = [data[:, c] for c in args]
        want = data[:, col]
        got = {who: np.asarray(fn(*argv), float) for who, fn in (("pradix", ours), ("scipy", theirs))}
        for measure in measures:
            row = {"label": label, "measure": measure, "tables": [k.split("-")[-1] for k in present],
                   "points": int(data.shape[0])}
            for who, g in got.items():
                e = table_errors(g, want)[measure]
                fin = ~np.isnan(g)
                row[who] = {"max": float(e[fin].max()), "median": float(np.median(e[fin])), "nan": int((~fin).sum())}
            e = np.where(np.isnan(got["pradix"]), np.inf, table_errors(got["pradix"], want)[measure])
            j = int(np.argmax(e))
            row["worst"] = {"args": ", ".join(f"{v[j]:.6g}" for v in argv), "got": f"{got['pradix'][j]:.17g}",
                            "ref": f"{want[j]:.17g}"}
            rows.append(row)
    return rows


# ---------------------------------------------------------------- everything

def measure_monotone(quick, log):
    monotone = {}
    for code in accuracy_functions.REGIMES:
        t1 = time.time()
        monotone.update(accuracy_scans.monotonicity(code, every=7 if quick else 1))
        log(f"  {code}: {time.time() - t1:.0f} s")
    order = list(accuracy_functions.REGIMES)
    return {k: monotone[k] for k in sorted(monotone, key=lambda n: (n[0], order.index(n[1:])))}


# The parts of the data, in the order they are measured: (key, what the log says, measurement of (quick, log)).
PARTS = [
    ("kernels", "kernels on SciPy's tables", lambda quick, log: kernel_report(scipy_tables())),
    ("functions", "functions against mpmath",
     lambda quick, log: accuracy_functions.measure_all(*((40, 20) if quick else (300, 100)), log=log)),
    ("monotone", "monotonicity", measure_monotone),
    ("qpois_lower", "the Poisson quantile's lower tail",
     lambda quick, log: accuracy_scans.qpois_lower_tail(accuracy_scans.QPOIS_RATES[::8 if quick else 1])),
    ("qbinom_near_one", "the binomial quantile near 1",
     lambda quick, log: accuracy_scans.qbinom_near_one(accuracy_scans.QBINOM_N[::60 if quick else 1])),
    ("examples", "examples", lambda quick, log: accuracy_examples.measure_examples()),
    ("upper", "upper tails", lambda quick, log: accuracy_examples.measure_upper()),
    ("maps", "figures", lambda quick, log: accuracy_figures.build(quick, log=log)),
]


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("--quick", action="store_true", help="few points, written under /tmp, for trying the script")
    ap.add_argument("--only", metavar="PART,...",
                    help="measure again only these parts of docs/accuracy.json (" + ", ".join(k for k, _, _ in PARTS)
                         + ") and write the texts from it")
    args = ap.parse_args()
    only = args.only.split(",") if args.only else None
    if only and (args.quick or set(only) - {k for k, _, _ in PARTS}):
        ap.error("--only takes part names, and not with --quick")
    t0 = time.time()
    log = lambda text: print(text, flush=True)  # noqa: E731
    if args.quick:
        accuracy_figures.DOCS = "/tmp/pradix-accuracy-quick"
        os.makedirs(accuracy_figures.DOCS, exist_ok=True)
    data = accuracy_report.load() if only else {}
    for key, what, measure in PARTS:
        if only is None or key in only:
            log(what)
            data[key] = measure(args.quick, log)
    minutes = round((time.time() - t0) / 60, 1)
    if only:
        # The rest keeps the date and duration of its own run.
        data["meta"]["partial"] = {"parts": only, "date": datetime.date.today().isoformat(), "minutes": minutes}
    else:
        data["meta"] = {"pradix": getattr(pradix, "__version__", "0.1.0"), "scipy": scipy.__version__,
                        "numpy": np.__version__, "mpmath": mp.__version__, "dps": mp.mp.dps,
                        "date": datetime.date.today().isoformat(), "minutes": minutes,
                        "points": 40 if args.quick else 300, "extended_points": 20 if args.quick else 100,
                        "tail": accuracy_functions.TAIL, "scan": accuracy_scans.scan_meta()}
    data = {k: data[k] for k in ["meta"] + [k for k, _, _ in PARTS]}
    if args.quick:
        out = accuracy_figures.DOCS
        path = os.path.join(out, "accuracy.json")
        readme = os.path.join(out, "README.md")
        with open(accuracy_report.README, encoding="utf-8") as f, open(readme, "w", encoding="utf-8") as g:
            g.write(f.read())
        markdown = os.path.join(out, "accuracy.md")
    else:
        path, readme, markdown = accuracy_report.DATA, accuracy_report.README, accuracy_report.MARKDOWN
    with open(path, "w", encoding="utf-8") as f:
        json.dump(data, f, indent=1, sort_keys=False, allow_nan=True)
        f.write("\n")
    accuracy_report.write(accuracy_report.load(path), readme=readme, markdown_path=markdown)
    log(f"wrote {path}, {markdown}, {readme} in {time.time() - t0:.0f} s")


if __name__ == "__main__":
    main()
