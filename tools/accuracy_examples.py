"""Named calls of the accuracy report (tools/accuracy.py): calls a new user
tried, with what the method does there, and the upper tails (there is no
`lower_tail` flag) as a user can get them from pradix and from SciPy.
Every call is evaluated from the very text that the report shows, so the
text reproduces the value.  Everything returned is plain data for
docs/accuracy.json."""

import mpmath as mp
import numpy as np
import scipy.stats as st

import pradix
from accuracy_functions import abs_err, log_err, rel_err, scipy_call
from accuracy_refs import REFS, M, beta_ij, cauchy_cdf, gamma_pq, least_k, newton_root, t_cdf

# The names a call's text may use: pradix's functions, and SciPy's distributions for the upper tails.
NAMES = {name: getattr(pradix, name) for name in dir(pradix) if name[:1] in "dpqr" and not name.startswith("_")}
NAMES.update(norm=st.norm, t=st.t, logistic=st.logistic, cauchy=st.cauchy, laplace=st.laplace, chi2=st.chi2,
              gamma=st.gamma, beta=st.beta, f=st.f, invgamma=st.invgamma, binom=st.binom)


def evaluate(text):
    with np.errstate(all="ignore"):
        return float(eval(text, {"__builtins__": {}}, NAMES))  # noqa: S307 - the report's own call texts


def q_root(code, p, *prm, transform="log"):
    pdf, cdf = REFS[code]
    start = float(scipy_call(code, "q", np.array([p]), [np.array([v]) for v in prm])[0])
    return newton_root(lambda t: cdf(t, *prm), lambda t: pdf(t, *prm), p, start, transform)


def t_root(p, n):
    return q_root("t", p, n, transform="none")


def pois_k(p, rate):
    start = float(scipy_call("pois", "q", np.array([p]), [np.array([rate])])[0])
    return M(least_k(lambda k: REFS["pois"][1](k, rate), p, start))


def binom_k(p, n, prob):
    start = float(scipy_call("binom", "q", np.array([p]), [np.array([n]), np.array([prob])])[0])
    return M(least_k(lambda k: REFS["binom"][1](k, n, prob), p, start))


# (call, reference (mpf), error measure, what the method does there).  The reference for the discrete quantiles
# is the least k with F(k) >= p.
EXAMPLES = [
    ("qt(0.975, 10)", lambda: t_root(0.975, 10), "rel",
     "the README's first example: the normal-deviate body of qt's approximation, which no polish follows"),
    ("qt(0.7, 0.8)", lambda: t_root(0.7, 0.8), "rel", "the closed-form body of qt below 1 degree of freedom"),
    ("qt(0.5, 0.6)", lambda: M(0), "abs", "for 1/2 < dof < 0.9 the tail corrections need not settle"),
    ("qt(0.3, 0.4)", lambda: t_root(0.3, 0.4), "rel", "dof <= 1/2: the approximation's constants are not finite"),
    ("qt(8e-17, 10)", lambda: t_root(8e-17, 10.0), "rel",
     "the tail branch's start is far off below p of about 1e-16"),
    ("qbinom(1 - 1e-12, 2000, 0.5)", lambda: binom_k(1 - 1e-12, 2000, 0.5), "rel",
     "the sum of masses stops short of p close to 1 and the search runs to n_trials"),
    ("qbinom(1 - 1e-12, 1717, 0.5)", lambda: binom_k(1 - 1e-12, 1717, 0.5), "rel",
     "near 1 the sum of masses errs by more than F(k) lies from p, so the search stops a few counts early "
     "(or late)"),
    ("qbinom(1 - 1e-12, 5000, 0.5)", lambda: binom_k(1 - 1e-12, 5000, 0.5), "rel", "as above"),
    ("qpois(1e-4, 31.62)", lambda: pois_k(1e-4, 31.62), "rel",
     "the search stops at the first count where ppois exceeds p, and ppois(10, 31.62) does (below)"),
    ("qpois(1e-6, 59.57)", lambda: pois_k(1e-6, 59.57), "rel", "as above: ppois's lower tail is far too large"),
    ("qpois(1e-9, 100)", lambda: pois_k(1e-9, 100), "rel", "as above"),
    ("qpois(1e-17, 1e6)", lambda: pois_k(1e-17, 1e6), "rel",
     "the normal start is -inf below p of about 1e-16, and the search cannot reach the answer"),
    ("ppois(10, 31.62)", lambda: REFS["pois"][1](10, 31.62), "rel",
     "1 - P(11, 31.62): the incomplete gamma function's quadrature window loses the far tail, and the lower "
     "tail of ppois is that loss"),
    ("ppois(9, 28.18)", lambda: REFS["pois"][1](9, 28.18), "rel",
     "above ppois(10, 28.18): the incomplete gamma window loses the far lower tail"),
    ("ppois(10, 28.18)", lambda: REFS["pois"][1](10, 28.18), "rel",
     "below ppois(9, 28.18): the distribution function decreases there"),
    ("ppois(10**15, 1e15)", lambda: REFS["pois"][1](10 ** 15, 1e15), "abs",
     "the incomplete gamma function for shapes far beyond its window"),
    ("pf(2579469263952.4214, 1000, 0.31622776601683794)",
     lambda: REFS["f"][1](2579469263952.4214, 1000, 0.31622776601683794), "abs",
     "u / (u + 1), with u = x df1 / df2 = 8.2e15, rounds to 1 - 2^-53, within 2^-52 of 1, which counts as 1"),
    ("pf(3754665639131.898, 1000, 0.31622776601683794)",
     lambda: REFS["f"][1](3754665639131.898, 1000, 0.31622776601683794), "abs",
     "below the call above: u = 1.2e16 is above 2^53, u + 1 rounds to u + 2 and the quotient to 1 - 2^-52, "
     "which does not count as 1"),
    ("pgamma(65, 32.5, 1)", lambda: REFS["gamma"][1](65.0, 32.5, 1.0), "abs",
     "the mass outside the quadrature window around the mode is left out"),
    ("pchisq(1e-17, 0.1)", lambda: REFS["chisq"][1](1e-17, 0.1), "abs",
     "points below 2^-52 count as 0, where a small dof still has much of its mass"),
    ("pweibull(1e-17, 0.1, 1)", lambda: REFS["weibull"][1](1e-17, 0.1, 1), "abs", "points below 2^-52 count as 0"),
    ("pbeta(1 - 2**-53, 1000, 0.1)", lambda: REFS["beta"][1](1 - 2.0 ** -53, 1000.0, 0.1), "abs",
     "a point within 2^-52 of 1 counts as 1, where a small b still leaves mass above it"),
    ("dlnorm(2.8e-31, 0, 10)", lambda: REFS["lnorm"][0](2.8e-31, 0, 10), "rel",
     "log x below 2^-52 is -inf, so a log-normal density with a wide sigma is lost there"),
    ("dcauchy(1e9, 0, 1, log=True)", lambda: mp.log(REFS["cauchy"][0](1e9, 0, 1)), "log",
     "the Cauchy log-density is the logarithm of the density, and logarithms below 2^-52 are -inf"),
    ("pnorm(-9)", lambda: REFS["norm"][1](-9.0, 0, 1), "rel", "formed as 1 + erf: the lower tail cancels"),
    ("plogis(-37, 0, 1)", lambda: REFS["logis"][1](-37.0, 0, 1), "rel", "formed as 1 + tanh: the lower tail cancels"),
    ("qnorm(1e-12)", lambda: q_root("norm", 1e-12, 0.0, 1.0, transform="none"), "rel",
     "erfinv(2p - 1): the difference 2p - 1 keeps few digits of p"),
    ("qnorm(5e-17)", lambda: q_root("norm", 5e-17, 0.0, 1.0, transform="none"), "rel", "2p - 1 rounds to -1"),
    ("qlogis(1e-17, 0, 1)", lambda: mp.log(M(1e-17)) - mp.log1p(-M(1e-17)), "rel",
     "log(p / (1 - p)): logarithms below 2^-52 are -inf"),
    ("qexp(1e-20, 1)", lambda: -mp.log1p(-M(1e-20)), "rel", "-log(1 - p): 1 - p is 1"),
    ("qgamma(1e-12, 5, 1)", lambda: q_root("gamma", 1e-12, 5.0, 1.0), "rel",
     "the inverse incomplete gamma function's corrections in the tails"),
    ("qchisq(0.9992247402511371, 1e14)", lambda: q_root("chisq", 0.9992247402511371, 1e14), "rel",
     "negative: the inverse incomplete gamma function's corrections are not kept positive, and at shapes this "
     "large, where P(a, x) is off, one steps below 0"),
    ("qgamma(0.9999974764608296, 1e9, 1)", lambda: q_root("gamma", 0.9999974764608296, 1e9, 1.0), "rel",
     "as above"),
    ("qbeta(0.01, 100, 1.05)", lambda: q_root("beta", 0.01, 100.0, 1.05, transform="logit"), "rel",
     "the inverse incomplete beta function with one shape just above 1 and the other large"),
]


def measure_examples():
    out = []
    for call, ref, measure, note in EXAMPLES:
        got = evaluate(call)
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


# ---------------------------------------------------------------- upper tails

def upper_root(code, s, *prm):
    """The x with 1 - F(x) = s, by Newton's method on the upper tail itself
    (no cancellation)."""
    pdf = REFS[code][0]
    upper = {"chisq": lambda x: gamma_pq(M(prm[0]) / 2, M(x) / 2)[1]}[code]
    start = float(scipy_call(code, "q", np.array([1 - s]), [np.array([v]) for v in prm])[0])
    return newton_root(lambda x: -upper(x), lambda x: pdf(x, *prm), -s, start, "log")


# (what, true value, pradix's complement, pradix's reflection or None, SciPy).  The reflections use the symmetry
# of the law about its location, or for the beta law the exchange of its shapes; the others have none.
UPPER = [
    ("normal, P(X > 8)", lambda: mp.ncdf(-8), "1 - pnorm(8)", "pnorm(-8)", "norm.sf(8)"),
    ("Student's t with dof 10, P(X > 50)", lambda: t_cdf(-50, 10), "1 - pt(50, 10)", "pt(-50, 10)", "t.sf(50, 10)"),
    ("logistic, P(X > 30)", lambda: 1 / (1 + mp.exp(30)), "1 - plogis(30, 0, 1)", "plogis(-30, 0, 1)",
     "logistic.sf(30)"),
    ("Cauchy, P(X > 1e12)", lambda: cauchy_cdf(-M(1e12)), "1 - pcauchy(1e12, 0, 1)", "pcauchy(-1e12, 0, 1)",
     "cauchy.sf(1e12)"),
    ("Laplace, P(X > 30)", lambda: mp.exp(-30) / 2, "1 - plaplace(30, 0, 1)", "plaplace(-30, 0, 1)",
     "laplace.sf(30)"),
    ("chi-squared with dof 10, P(X > 100)", lambda: gamma_pq(5, 50)[1], "1 - pchisq(100, 10)", None,
     "chi2.sf(100, 10)"),
    ("gamma with shape 20, P(X > 60)", lambda: gamma_pq(20, 60)[1], "1 - pgamma(60, 20, 1)", None,
     "gamma.sf(60, 20)"),
    ("beta with a = 2, b = 5, P(X > 0.99)", lambda: beta_ij(2, 5, 0.99)[1], "1 - pbeta(0.99, 2, 5)",
     "pbeta(1 - 0.99, 5, 2)", "beta.sf(0.99, 2, 5)"),
    ("F with df1 = 5, df2 = 10, P(X > 20)", lambda: beta_ij(M(5) / 2, 5, M(100) / 110)[1],
     "1 - pf(20, 5, 10)", "pf(1 / 20, 10, 5)", "f.sf(20, 5, 10)"),
    ("inverse gamma with shape 3, scale 1, P(X > 100)", lambda: gamma_pq(3, M(1) / 100)[0],
     "1 - pinvgamma(100, 3, 1)", "pgamma(1 / 100, 3, 1)", "invgamma.sf(100, 3)"),
    ("binomial with n_trials 30, prob 0.3, P(X > 25)", lambda: 1 - REFS["binom"][1](25, 30, 0.3),
     "1 - pbinom(25, 30, 0.3)", "pbinom(30 - 25 - 1, 30, 1 - 0.3)", "binom.sf(25, 30, 0.3)"),
    ("normal, the x with P(X > x) = 1e-12", lambda: -q_root("norm", 1e-12, 0.0, 1.0, transform="none"),
     "qnorm(1 - 1e-12)", "-qnorm(1e-12)", "norm.isf(1e-12)"),
    ("Student's t with dof 10, the x with P(X > x) = 1e-12", lambda: -t_root(1e-12, 10), "qt(1 - 1e-12, 10)",
     "-qt(1e-12, 10)", "t.isf(1e-12, 10)"),
    ("chi-squared with dof 10, the x with P(X > x) = 1e-12", lambda: upper_root("chisq", 1e-12, 10),
     "qchisq(1 - 1e-12, 10)", None, "chi2.isf(1e-12, 10)"),
]


def measure_upper():
    out = []
    for what, true, complement, reflection, scipy_text in UPPER:
        r = true()
        row = {"what": what, "ref": mp.nstr(r, 17)}
        for key, text in (("complement", complement), ("reflection", reflection), ("scipy", scipy_text)):
            if text is None:
                row[key] = None
                continue
            got = evaluate(text)
            row[key] = {"call": text, "got": got, "err": rel_err(got, r)}
        out.append(row)
    return out
