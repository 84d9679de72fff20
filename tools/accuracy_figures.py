"""Figures of the accuracy report (docs/accuracy_<family>.png), for
tools/accuracy.py: error curves against the argument for a few parameters,
and for every quantile family maps of parameter x probability classed by
the error of pradix and of SciPy.  Returns the maps' class counts as plain
data for docs/accuracy.json."""
import math
import os
import time

import matplotlib

matplotlib.use("Agg")
import matplotlib.pyplot as plt  # noqa: E402
import mpmath as mp  # noqa: E402
import numpy as np  # noqa: E402
import scipy.special as sc  # noqa: E402
import scipy.stats as st  # noqa: E402
from matplotlib.colors import BoundaryNorm, ListedColormap  # noqa: E402
from matplotlib.lines import Line2D  # noqa: E402
from matplotlib.patches import Patch  # noqa: E402

import pradix  # noqa: E402
from accuracy_functions import abs_err, density_err, rel_err  # noqa: E402
from accuracy_refs import (REFS, M, beta_pdf, bracketed_root, gamma_pdf, least_k, ncdf, newton_root, t_cdf,  # noqa: E402
                            t_pdf)

P_GRID = ([10.0 ** -k for k in (300, 200, 100, 50, 30, 20, 15, 12, 10, 7, 5, 3, 2)]
          + [0.1, 0.3, 0.5, 0.7, 0.9]
          + [1 - 10.0 ** -k for k in (2, 3, 5, 7, 10, 12, 13, 15)])
P_LABELS = ([f"1e-{k}" for k in (300, 200, 100, 50, 30, 20, 15, 12, 10, 7, 5, 3, 2)]
            + ["0.1", "0.3", "0.5", "0.7", "0.9"] + [f"1-1e-{k}" for k in (2, 3, 5, 7, 10, 12, 13, 15)])

# Okabe and Ito's palette, told apart with every common colour vision deficiency.
SERIES = ["#0072B2", "#D55E00", "#009E73", "#CC79A7", "#E69F00", "#56B4E9", "#000000"]
# Map classes: relative error <= 1e-13, <= 1e-10, <= 1e-6, worse (0 or an infinity for a finite nonzero root
# included), negative (a distribution without negative values), NaN, no reference.
CLASS_COLORS = ["#0072B2", "#56B4E9", "#F0E442", "#D55E00", "#CC79A7", "#000000", "#FFFFFF"]
CLASS_NAMES = ["<= 1e-13", "<= 1e-10", "<= 1e-6", "worse", "negative", "NaN", "no reference"]
NEGATIVE, NAN, NO_REFERENCE = 4, 5, 6

# One vertical scale for every error plot: exact results at the floor, finite errors up to TOP, and above it
# marked bands for errors beyond TOP, for results of 0 or an infinity where the true value is finite, and for NaN.
FLOOR, TOP = 1e-18, 1e20
BANDS = {"beyond": (1e23, "^", f"> {TOP:.0e}"), "inf": (1e26, "s", "0 or inf"), "nan": (1e29, "x", "NaN")}


def classify(err, got=0.0, positive=False):
    """The class of a result with error err; a negative result of a
    distribution without negative values has a class of its own."""
    if err is None:
        return NO_REFERENCE
    if math.isnan(err):
        return NAN
    if positive and got < 0:
        return NEGATIVE
    for c, b in enumerate((1e-13, 1e-10, 1e-6)):
        if err <= b:
            return c
    return 3


def counts(classes):
    return [int((classes == k).sum()) for k in range(NO_REFERENCE)], int(classes.size - (classes == NO_REFERENCE).sum())


# ---------------------------------------------------------------- maps

def map_over(params, cell):
    """Classes of pradix and SciPy (rows: P_GRID, columns: params), each
    cell's pair from cell(p, parameters)."""
    ours = np.zeros((len(P_GRID), len(params)), int)
    theirs = np.zeros_like(ours)
    for j, prm in enumerate(params):
        for i, p in enumerate(P_GRID):
            ours[i, j], theirs[i, j] = cell(p, prm)
    return ours, theirs


def quantile_map(q_ours, q_scipy, cdf, pdf, params, transform, floor=None):
    """Classes for a continuous quantile; errors relative to max(|q|, floor)
    when a floor is given.  A transform of log or logit means a
    distribution without negative values."""
    positive = transform in ("log", "logit")

    def cell(p, prm):
        s, o = float(q_scipy(p, *prm)), float(q_ours(p, *prm))
        # From SciPy's answer, from pradix's, else the end of the support when the root lies beyond the doubles
        # next to it (both answers are then often that end), else by bracketing from the middle.
        c, d = (lambda x: cdf(x, *prm)), (lambda x: pdf(x, *prm))
        for find in (lambda: newton_root(c, d, p, s, transform), lambda: newton_root(c, d, p, o, transform),
                     lambda: beyond_doubles(c, p, transform), lambda: bracketed_root(c, d, p, transform)):
            ref = find()
            if ref is not None:
                return (classify(rel_err(o, ref, floor), o, positive),
                        classify(rel_err(s, ref, floor), s, positive))
        return NO_REFERENCE, NO_REFERENCE

    return map_over(params, cell)


def beyond_doubles(cdf, p, transform):
    """The end of the support that a root lying beyond the doubles next to it
    rounds to (0 below the smallest positive double, 1 above the largest
    double below 1, inf beyond the largest double), or None."""
    pm = M(float(p))
    if transform in ("log", "logit") and cdf(5e-324) > pm:
        return M(0)
    if transform == "logit" and cdf(1 - 2.0 ** -53) < pm:
        return M(1)
    if transform == "log" and cdf(1.7976931348623157e308) < pm:
        return mp.inf
    return None


def discrete_map(q_ours, q_scipy, cdf, params):
    """Classes for a discrete quantile: exact, wrong, negative, NaN, no reference."""
    def cell(p, prm):
        s, o = float(q_scipy(p, *prm)), float(q_ours(p, *prm))
        k = least_k(lambda kk: cdf(kk, *prm), p, s if s == s else o)
        if k is None:
            return NO_REFERENCE, NO_REFERENCE
        return tuple(0 if v == k else NAN if math.isnan(v) else NEGATIVE if v < 0 else 3 for v in (o, s))

    return map_over(params, cell)


def draw_map(ax, classes, xlabels, title, xlabel):
    ax.imshow(classes, cmap=ListedColormap(CLASS_COLORS), norm=BoundaryNorm(np.arange(-0.5, 7.5), 7),
              aspect="auto", interpolation="nearest", origin="lower")
    ax.set_yticks(range(len(P_GRID)))
    ax.set_yticklabels(P_LABELS, fontsize=6)
    step = max(1, len(xlabels) // 8)
    ax.set_xticks(range(0, len(xlabels), step))
    ax.set_xticklabels([xlabels[k] for k in range(0, len(xlabels), step)], fontsize=7, rotation=45)
    ax.set_title(title, fontsize=9)
    ax.set_xlabel(xlabel, fontsize=8)
    ax.set_ylabel("p", fontsize=8)


def class_legend(fig, discrete=False):
    keep = (((0, "exact"), (3, "wrong"), (NEGATIVE, "negative"), (NAN, "NaN"), (NO_REFERENCE, "no reference"))
            if discrete else enumerate(CLASS_NAMES))
    handles = [Patch(facecolor=CLASS_COLORS[k], edgecolor="black", linewidth=0.5, label=n) for k, n in keep]
    fig.legend(handles=handles, loc="upper center", bbox_to_anchor=(0.5, 0.0), ncol=7, fontsize=7, frameon=False)


# ---------------------------------------------------------------- error curves

def curve_errors(kind, f_ours, f_scipy, ref_fn, xs, floor=None):
    """Error curves over xs; d and q relative, p absolute."""
    go = np.asarray(f_ours(xs), float)
    gs = np.asarray(f_scipy(xs), float)
    eo, es = [], []
    for j, x in enumerate(xs):
        r = ref_fn(x)
        if r is None:
            eo.append(None)
            es.append(None)
            continue
        measure = {"p": lambda g: abs_err(g, r), "d": lambda g: density_err(g, r)}.get(
            kind, lambda g: rel_err(g, r, floor))
        eo.append(measure(go[j]))
        es.append(measure(gs[j]))
    return eo, es


def plot_series(ax, xs, errors, color, style, label=None):
    """One error series on the common scale: a line through the finite
    errors, marked points in the bands above it for the rest."""
    e = np.array([np.nan if v is None else v for v in errors], float)
    none = np.array([v is None for v in errors])
    line = np.where(np.isfinite(e) & (e <= TOP), np.maximum(e, FLOOR), np.nan)
    ax.plot(xs, line, style, color=color, lw=1, label=label)
    filled = "none" if style == ":" else color
    for key, mask in (("beyond", np.isfinite(e) & (e > TOP)), ("inf", np.isinf(e)), ("nan", np.isnan(e) & ~none)):
        if mask.any():
            y, marker, _ = BANDS[key]
            ax.plot(np.asarray(xs)[mask], np.full(mask.sum(), y), marker, color=color, markerfacecolor=filled,
                    markersize=3.5, lw=0)


def error_axes(ax, title, xlabel, ylabel, logx=False):
    ax.set_yscale("log")
    ax.set_ylim(FLOOR / 3, 3e30)
    ticks = [1e-18, 1e-12, 1e-6, 1, 1e6, 1e12, 1e18]
    ax.set_yticks(ticks + [b[0] for b in BANDS.values()])
    ax.set_yticklabels(["exact" if t == FLOOR else f"1e{int(round(math.log10(t)))}" for t in ticks]
                       + [b[2] for b in BANDS.values()], fontsize=6)
    ax.minorticks_off()
    ax.axhline(3e21, color="grey", lw=0.5)
    if logx:
        ax.set_xscale("log")
        if ax.get_xlim()[0] < 1e-100:
            ax.set_xticks([1e-300, 1e-200, 1e-100, 1e-16])
    ax.set_title(title, fontsize=9)
    ax.set_xlabel(xlabel, fontsize=8)
    ax.set_ylabel(ylabel, fontsize=8)
    ax.tick_params(axis="x", labelsize=7)
    ax.grid(alpha=0.3)


def plot_curves(ax, xs, curves, title, xlabel, ylabel, logx=False):
    for c, item in enumerate(curves):
        label, eo, es = item[:3]
        x = item[3] if len(item) > 3 else xs
        plot_series(ax, x, eo, SERIES[c], "-", label)
        plot_series(ax, x, es, SERIES[c], ":")
    error_axes(ax, title, xlabel, ylabel, logx)
    ax.legend(fontsize=6, loc="upper left", bbox_to_anchor=(0.0, 0.88))


def family_figure(fname, curve_panels, maps, suptitle, discrete=False):
    """One PNG: error curves on the top row, one row of maps per parameter."""
    ncols = max(len(curve_panels), 2)
    nmaprows = len(maps)
    fig = plt.figure(figsize=(3.4 * ncols, 3.0 + 3.6 * nmaprows))
    gs = fig.add_gridspec(1 + nmaprows, ncols, height_ratios=[3.0] + [3.6] * nmaprows, hspace=0.6, wspace=0.4)
    for c, panel in enumerate(curve_panels):
        plot_curves(fig.add_subplot(gs[0, c]), *panel)
    for r, row in enumerate(maps):
        for c, (classes, xlabels, title, xlabel) in enumerate(row):
            draw_map(fig.add_subplot(gs[1 + r, c]), classes, xlabels, title, xlabel)
    class_legend(fig, discrete)
    handles = [Line2D([], [], color="black", lw=1, label="pradix"),
               Line2D([], [], color="black", lw=1, ls=":", label="SciPy")]
    fig.legend(handles=handles, loc="upper right", fontsize=7, frameon=False)
    fig.suptitle(suptitle, fontsize=10)
    fig.savefig(os.path.join(DOCS, fname), dpi=80, bbox_inches="tight")
    plt.close(fig)


DOCS = os.path.join(os.path.dirname(os.path.dirname(os.path.abspath(__file__))), "docs")


def g3(v):
    return f"{v:.3g}"


# ---------------------------------------------------------------- the figures

def gamma_figure(stats, npts, ncol):
    gamma_cdf, invgamma_cdf = REFS["gamma"][1], REFS["invgamma"][1]
    shapes = np.geomspace(0.01, 1e15, ncol)
    dofs = np.geomspace(0.1, 1e15, ncol)
    maps = []
    for name, q_ours, q_scipy, cdf, pdf, params, labels, xlabel in (
            ("qgamma(p, shape, 1)", lambda p, a: pradix.qgamma(p, a, 1.0), lambda p, a: sc.gammaincinv(a, p),
             lambda x, a: gamma_cdf(x, a, 1), lambda x, a: gamma_pdf(x, a, 1), shapes, "shape", "shape"),
            ("qchisq(p, dof)", lambda p, k: pradix.qchisq(p, k), lambda p, k: st.chi2.ppf(p, k),
             lambda x, k: REFS["chisq"][1](x, k), lambda x, k: REFS["chisq"][0](x, k), dofs, "dof", "dof"),
            ("qinvgamma(p, shape, 1)", lambda p, a: pradix.qinvgamma(p, a, 1.0), lambda p, a: st.invgamma.ppf(p, a),
             lambda x, a: invgamma_cdf(x, a, 1), lambda x, a: REFS["invgamma"][0](x, a, 1), shapes, "shape",
             "shape")):
        o, s = quantile_map(q_ours, q_scipy, cdf, pdf, [(v,) for v in params], "log")
        stats.append((name, o, s, "accuracy_gamma.png", "Gamma, chi-squared, inverse gamma"))
        maps.append([(o, [g3(v) for v in params], name + ": pradix", xlabel),
                     (s, [g3(v) for v in params], "SciPy on the same cells", xlabel)])
    curves = []
    for kind, ylabel in (("d", "relative error"), ("p", "absolute error"), ("q", "relative error")):
        cs = []
        for a in (0.5, 5.0, 32.5, 300.0):
            if kind == "q":
                xs = np.linspace(0.001, 0.999, npts)
                ref = lambda p, a=a: newton_root(lambda x: gamma_cdf(x, a, 1), lambda x: gamma_pdf(x, a, 1),  # noqa
                                                 p, sc.gammaincinv(a, p), "log")
                eo, es = curve_errors("q", lambda v, a=a: pradix.qgamma(v, a, 1.0),
                                      lambda v, a=a: sc.gammaincinv(a, v), ref, xs)
            else:
                xa = np.linspace(1e-3, 4.0, npts) * a
                if kind == "d":
                    eo, es = curve_errors("d", lambda v, a=a: pradix.dgamma(v, a, 1.0), lambda v, a=a: st.gamma.pdf(v, a),
                                          lambda x, a=a: gamma_pdf(x, a, 1), xa)
                else:
                    eo, es = curve_errors("p", lambda v, a=a: pradix.pgamma(v, a, 1.0), lambda v, a=a: st.gamma.cdf(v, a),
                                          lambda x, a=a: gamma_cdf(x, a, 1), xa)
            cs.append((f"shape {a:g}", eo, es))
        xs = np.linspace(0.001, 0.999, npts) if kind == "q" else np.linspace(1e-3, 4.0, npts)
        curves.append((xs, cs, f"{kind}gamma(x, shape, 1)", "p" if kind == "q" else "x / shape", ylabel))
    family_figure("accuracy_gamma.png", curves, maps, "Gamma family: qgamma, qchisq and qinvgamma share the "
                  "inverse incomplete gamma function")


def beta_figure(stats, npts, ncol):
    beta_cdf = REFS["beta"][1]
    avals = np.geomspace(0.05, 1e15, max(6, ncol * 3 // 4))
    maps = []
    for b in (0.1, 0.5, 5.0, 500.0):
        o, s = quantile_map(lambda p, a, b: pradix.qbeta(p, a, b), lambda p, a, b: sc.betaincinv(a, b, p),
                            beta_cdf, beta_pdf, [(a, b) for a in avals], "logit")
        name = f"qbeta(p, a, {b:g})"
        stats.append((name, o, s, "accuracy_beta.png", "Beta"))
        maps.append([(o, [g3(a) for a in avals], name + ": pradix", "a"),
                     (s, [g3(a) for a in avals], "SciPy on the same cells", "a")])
    curves = []
    pairs = ((0.5, 0.5), (2.0, 5.0), (50.0, 1.05), (1000.0, 0.1))
    xs = np.linspace(0.001, 0.999, npts)
    for kind, ylabel in (("d", "relative error"), ("p", "absolute error"), ("q", "relative error")):
        cs = []
        for a, b in pairs:
            if kind == "q":
                ref = lambda p, a=a, b=b: newton_root(lambda x: beta_cdf(x, a, b), lambda x: beta_pdf(x, a, b),  # noqa
                                                      p, sc.betaincinv(a, b, p), "logit")
                eo, es = curve_errors("q", lambda v, a=a, b=b: pradix.qbeta(v, a, b),
                                      lambda v, a=a, b=b: sc.betaincinv(a, b, v), ref, xs)
            elif kind == "d":
                eo, es = curve_errors("d", lambda v, a=a, b=b: pradix.dbeta(v, a, b),
                                      lambda v, a=a, b=b: st.beta.pdf(v, a, b), lambda x, a=a, b=b: beta_pdf(x, a, b), xs)
            else:
                eo, es = curve_errors("p", lambda v, a=a, b=b: pradix.pbeta(v, a, b),
                                      lambda v, a=a, b=b: st.beta.cdf(v, a, b), lambda x, a=a, b=b: beta_cdf(x, a, b), xs)
            cs.append((f"a {a:g}, b {b:g}", eo, es))
        curves.append((xs, cs, f"{kind}beta(x, a, b)", "p" if kind == "q" else "x", ylabel))
    family_figure("accuracy_beta.png", curves, maps, "Beta family: qbeta and qf share the inverse incomplete beta "
                  "function")


def f_figure(stats, npts, ncol):
    f_pdf, f_cdf = REFS["f"]
    df1s = np.geomspace(0.1, 1e15, max(6, ncol * 3 // 4))
    maps = []
    for d2 in (0.5, 5.0, 1000.0):
        o, s = quantile_map(lambda p, a, b: pradix.qf(p, a, b), lambda p, a, b: st.f.ppf(p, a, b), f_cdf, f_pdf,
                            [(a, d2) for a in df1s], "log")
        name = f"qf(p, df1, {d2:g})"
        stats.append((name, o, s, "accuracy_f.png", "F"))
        maps.append([(o, [g3(a) for a in df1s], name + ": pradix", "df1"),
                     (s, [g3(a) for a in df1s], "SciPy on the same cells", "df1")])
    curves = []
    pairs = ((0.5, 0.5), (3.0, 7.0), (50.0, 1.5), (1000.0, 1000.0))
    for kind, ylabel in (("d", "relative error"), ("p", "absolute error"), ("q", "relative error")):
        cs = []
        for a, b in pairs:
            if kind == "q":
                xs = np.linspace(0.001, 0.999, npts)
                ref = lambda p, a=a, b=b: newton_root(lambda x: f_cdf(x, a, b), lambda x: f_pdf(x, a, b), p,  # noqa
                                                      st.f.ppf(p, a, b), "log")
                eo, es = curve_errors("q", lambda v, a=a, b=b: pradix.qf(v, a, b), lambda v, a=a, b=b: st.f.ppf(v, a, b),
                                      ref, xs)
                cs.append((f"df1 {a:g}, df2 {b:g}", eo, es))
                continue
            xs = np.geomspace(1e-3, 1e3, npts)
            fo = getattr(pradix, kind + "f")
            fs = st.f.pdf if kind == "d" else st.f.cdf
            eo, es = curve_errors(kind, lambda v, a=a, b=b: fo(v, a, b), lambda v, a=a, b=b: fs(v, a, b),
                                  lambda x, a=a, b=b: (f_pdf if kind == "d" else f_cdf)(x, a, b), xs)
            cs.append((f"df1 {a:g}, df2 {b:g}", eo, es))
        xs = np.linspace(0.001, 0.999, npts) if kind == "q" else np.geomspace(1e-3, 1e3, npts)
        curves.append((xs, cs, f"{kind}f(x, df1, df2)", "p" if kind == "q" else "x", ylabel, kind != "q"))
    family_figure("accuracy_f.png", curves, maps, "F (the inverse incomplete beta function, as qbeta)")


def t_figure(stats, npts, ncol):
    dofs = np.geomspace(0.1, 1e15, ncol)
    o, s = quantile_map(lambda p, n: pradix.qt(p, n), lambda p, n: st.t.ppf(p, n), lambda x, n: t_cdf(x, n),
                        lambda x, n: t_pdf(x, n), [(n,) for n in dofs], "none", floor=1.0)
    stats.append(("qt(p, dof)", o, s, "accuracy_t.png", "Student's t"))
    curves = []
    for kind, ylabel in (("d", "relative error"), ("p", "absolute error"), ("q", "error / max(|q|, 1)")):
        cs = []
        xs = np.linspace(0.001, 0.999, npts) if kind == "q" else np.linspace(-8, 8, npts)
        for n in (0.3, 0.8, 1.5, 4.0, 30.0):
            if kind == "q":
                ref = lambda p, n=n: newton_root(lambda x: t_cdf(x, n), lambda x: t_pdf(x, n), p,  # noqa: E731
                                                 st.t.ppf(p, n), "none")
                eo, es = curve_errors("q", lambda v, n=n: pradix.qt(v, n), lambda v, n=n: st.t.ppf(v, n), ref, xs,
                                      floor=1)
            elif kind == "d":
                eo, es = curve_errors("d", lambda v, n=n: pradix.dt(v, n), lambda v, n=n: st.t.pdf(v, n),
                                      lambda x, n=n: t_pdf(x, n), xs)
            else:
                eo, es = curve_errors("p", lambda v, n=n: pradix.pt(v, n), lambda v, n=n: st.t.cdf(v, n),
                                      lambda x, n=n: t_cdf(x, n), xs)
            cs.append((f"dof {n:g}", eo, es))
        curves.append((xs, cs, f"{kind}t(x, dof)", "p" if kind == "q" else "x", ylabel))
    family_figure("accuracy_t.png", curves, [[(o, [g3(n) for n in dofs], "qt(p, dof): pradix", "dof"),
                                              (s, [g3(n) for n in dofs], "SciPy on the same cells", "dof")]],
                  "Student's t")


def normal_figure(stats, npts, ncol):
    sigmas = np.geomspace(0.01, 1000, ncol * 2 // 3)
    o, s = quantile_map(lambda p, sg: pradix.qlnorm(p, 0.0, sg), lambda p, sg: st.lognorm.ppf(p, sg),
                        lambda x, sg: ncdf(mp.log(x) / M(sg)), lambda x, sg: mp.npdf(mp.log(x), 0, M(sg)) / x,
                        [(sg,) for sg in sigmas], "log")
    on, sn = quantile_map(lambda p: pradix.qnorm(p), lambda p: sc.ndtri(p), lambda x: ncdf(x), lambda x: mp.npdf(x),
                          [()], "none", floor=1e-300)
    stats.append(("qnorm(p)", on, sn, "accuracy_normal.png", "Normal, log-normal, logistic"))
    stats.append(("qlnorm(p, 0, sigma)", o, s, "accuracy_normal.png", "Normal, log-normal, logistic"))
    logis_pdf, logis_cdf = REFS["logis"]
    curves = []
    for kind in "dpq":
        cs = []
        xs = np.geomspace(1e-300, 0.5, npts) if kind == "q" else np.linspace(-38, 38, npts)
        for code, fam in (("norm", (lambda x: mp.npdf(M(x)), lambda x: ncdf(M(x)))),
                          ("logis", (lambda x: logis_pdf(x, 0, 1), lambda x: logis_cdf(x, 0, 1)))):
            if kind == "d":
                eo, es = curve_errors("d", lambda v, c=code: getattr(pradix, "d" + c)(v, 0.0, 1.0),
                                      st.norm.pdf if code == "norm" else st.logistic.pdf, fam[0], xs)
            elif kind == "p":
                # Relative error here: the lower tail is where they differ.
                eo, es = curve_errors("q", lambda v, c=code: getattr(pradix, "p" + c)(v, 0.0, 1.0),
                                      st.norm.cdf if code == "norm" else st.logistic.cdf, fam[1], xs)
            else:
                ref = ((lambda p: newton_root(ncdf, mp.npdf, p, sc.ndtri(p), "none")) if code == "norm"
                       else (lambda p: mp.log(M(p)) - mp.log1p(-M(p))))
                eo, es = curve_errors("q", lambda v, c=code: getattr(pradix, "q" + c)(v, 0.0, 1.0),
                                      sc.ndtri if code == "norm" else st.logistic.ppf, ref, xs)
            cs.append((code, eo, es))
        title = {"d": "dnorm, dlogis", "p": "pnorm, plogis", "q": "qnorm, qlogis (lower half)"}[kind]
        curves.append((xs, cs, title, "p" if kind == "q" else "x", "relative error", kind == "q"))
    family_figure("accuracy_normal.png", curves,
                  [[(on, ["0, 1"], "qnorm(p): pradix", "mu, sigma"), (sn, ["0, 1"], "SciPy", "mu, sigma")],
                   [(o, [g3(v) for v in sigmas], "qlnorm(p, 0, sigma): pradix", "sigma"),
                    (s, [g3(v) for v in sigmas], "SciPy on the same cells", "sigma")]],
                  "Normal and log-normal (logistic beside)")


def discrete_figure(stats, npts, quick):
    binom_cdf, pois_cdf = REFS["binom"][1], REFS["pois"][1]
    # Up to 1e4 trials: a binomial quantile within 1e-13 of 1 scans every k up to n.
    ns = np.unique(np.geomspace(1, 1e4, 6 if quick else 12).astype(np.int64))
    ob, sb = discrete_map(lambda p, n: pradix.qbinom(p, int(n), 0.3), lambda p, n: st.binom.ppf(p, n, 0.3),
                          lambda k, n: binom_cdf(k, int(n), 0.3), [(n,) for n in ns])
    rates = np.geomspace(0.01, 1e6, 6 if quick else 12)
    op, sp_ = discrete_map(lambda p, l: pradix.qpois(p, l), lambda p, l: st.poisson.ppf(p, l),
                           lambda k, l: pois_cdf(k, l), [(l,) for l in rates])
    stats.append(("qbinom(p, n, 0.3)", ob, sb, "accuracy_discrete.png", "Binomial and Poisson"))
    stats.append(("qpois(p, rate)", op, sp_, "accuracy_discrete.png", "Binomial and Poisson"))
    curves = []
    for kind, ylabel in (("d", "relative error"), ("p", "absolute error")):
        cs = []
        for lam in (3.0, 100.0, 5000.0):
            ks = np.unique(np.linspace(0, lam + 8 * np.sqrt(lam) + 10, npts).astype(np.int64))
            fo = getattr(pradix, kind + "pois")
            fs = st.poisson.pmf if kind == "d" else st.poisson.cdf
            eo, es = curve_errors(kind, lambda v, lam=lam: fo(v, lam), lambda v, lam=lam: fs(v, lam),
                                  lambda k, lam=lam: REFS["pois"][0 if kind == "d" else 1](int(k), lam), ks)
            cs.append((f"rate {lam:g}", eo, es, ks / ks.max()))
        curves.append((None, cs, f"{kind}pois(k, rate)", "k / (rate + 8 sqrt(rate) + 10)", ylabel))
    family_figure("accuracy_discrete.png", curves,
                  [[(ob, [str(n) for n in ns], "qbinom(p, n, 0.3): pradix", "n_trials"),
                    (sb, [str(n) for n in ns], "SciPy on the same cells", "n_trials")],
                   [(op, [g3(v) for v in rates], "qpois(p, rate): pradix", "rate"),
                    (sp_, [g3(v) for v in rates], "SciPy on the same cells", "rate")]],
                  "Binomial and Poisson", discrete=True)


def closed_figure(stats, npts):
    cot = lambda p: -mp.cot(mp.pi * M(p)) if p < 0.5 else mp.cot(mp.pi * (1 - M(p)))  # noqa: E731
    closed = [
        ("qexp(p, 1)", lambda p: pradix.qexp(p, 1.0), lambda p: st.expon.ppf(p), lambda p: -mp.log1p(-M(p)), None),
        ("qweibull(p, 0.5, 1)", lambda p: pradix.qweibull(p, 0.5, 1.0), lambda p: st.weibull_min.ppf(p, 0.5),
         lambda p: (-mp.log1p(-M(p))) ** 2, None),
        ("qweibull(p, 5, 1)", lambda p: pradix.qweibull(p, 5.0, 1.0), lambda p: st.weibull_min.ppf(p, 5.0),
         lambda p: (-mp.log1p(-M(p))) ** (M(1) / 5), None),
        ("qcauchy(p, 0, 1)", lambda p: pradix.qcauchy(p, 0.0, 1.0), lambda p: st.cauchy.ppf(p), cot, 1.0),
        ("qlaplace(p, 0, 1)", lambda p: pradix.qlaplace(p, 0.0, 1.0), lambda p: st.laplace.ppf(p),
         lambda p: mp.log(2 * M(p)) if p < 0.5 else -mp.log(2 - 2 * M(p)), 1.0),
        ("qlogis(p, 0, 1)", lambda p: pradix.qlogis(p, 0.0, 1.0), lambda p: st.logistic.ppf(p),
         lambda p: mp.log(M(p)) - mp.log1p(-M(p)), 1.0),
        ("qunif(p, 0, 1)", lambda p: pradix.qunif(p, 0.0, 1.0), lambda p: st.uniform.ppf(p), lambda p: M(p), None),
        ("qunif(p, 1, 2)", lambda p: pradix.qunif(p, 1.0, 2.0), lambda p: st.uniform.ppf(p, 1.0), lambda p: 1 + M(p),
         None),
        ("qt(p, 1)", lambda p: pradix.qt(p, 1.0), lambda p: st.t.ppf(p, 1.0), cot, 1.0),
        ("qt(p, 2)", lambda p: pradix.qt(p, 2.0), lambda p: st.t.ppf(p, 2.0),
         lambda p: (2 * M(p) - 1) / mp.sqrt(2 * M(p) * (1 - M(p))), 1.0),
    ]
    oc = np.zeros((len(P_GRID), len(closed)), int)
    scl = np.zeros_like(oc)
    for j, (label, fo, fs, ref, fl) in enumerate(closed):
        for i, p in enumerate(P_GRID):
            r = ref(p)
            o, s = float(fo(p)), float(fs(p))
            positive = fl is None and label.startswith(("qexp", "qweibull"))
            oc[i, j] = classify(rel_err(o, r, fl), o, positive)
            scl[i, j] = classify(rel_err(s, r, fl), s, positive)
    stats.append(("closed forms", oc, scl, "accuracy_closed.png", "Closed forms"))
    curves = []
    xs = np.geomspace(1e-300, 0.5, npts)
    for group in ((0, 1, 2), (3, 4, 5), (8, 9)):
        cs = []
        for j in group:
            label, fo, fs, ref, fl = closed[j]
            eo, es = curve_errors("q", fo, fs, ref, xs, floor=fl)
            cs.append((label, eo, es))
        curves.append((xs, cs, "lower half of p", "p", "relative error", True))
    labels = [c[0].replace("(p, ", "(") for c in closed]
    family_figure("accuracy_closed.png", curves, [[(oc, labels, "closed forms: pradix", ""),
                                                   (scl, labels, "SciPy on the same cells", "")]],
                  "Closed-form quantiles")


def build(quick, log=print):
    """All figures; the maps' class counts as rows for docs/accuracy.json."""
    npts = 40 if quick else 80
    ncol = 8 if quick else 24
    stats = []
    t0 = time.time()
    for name, fn in (("gamma", lambda: gamma_figure(stats, npts, ncol)), ("beta", lambda: beta_figure(stats, npts, ncol)),
                     ("F", lambda: f_figure(stats, npts, ncol)), ("t", lambda: t_figure(stats, npts, ncol)),
                     ("normal", lambda: normal_figure(stats, npts, ncol)),
                     ("discrete", lambda: discrete_figure(stats, npts, quick)),
                     ("closed forms", lambda: closed_figure(stats, npts))):
        fn()
        log(f"  {name} figure ({time.time() - t0:.0f} s)")
    rows = []
    for name, o, s, fig, title in stats:
        co, n = counts(o)
        cs, _ = counts(s)
        rows.append({"name": name, "cells": n, "pradix": co, "scipy": cs, "figure": fig, "figure_title": title})
    return rows
