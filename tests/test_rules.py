"""Rule tables of the densities, distribution functions and quantiles: the
special value each kernel gives for degenerate parameters, infinite or
boundary arguments and invalid input, checked in one data-driven test."""
import math

import pytest

import pradix
from reference import same

INF, NAN = math.inf, math.nan
TINY = 1e-300  # a positive point whose logarithm is -inf

# (function, arguments, value); the log mode must give log(value).
DENSITY_RULES = [
    ("dchisq", (-1, 2), 0), ("dchisq", (0, 2), 0.5), ("dchisq", (0, 1), INF), ("dchisq", (0, 0), INF),
    ("dchisq", (0, 3), 0), ("dchisq", (0, INF), 0), ("dchisq", (INF, 2), 0), ("dchisq", (1, INF), 0),
    ("dchisq", (3, 0), 0), ("dchisq", (1, -1), NAN), ("dchisq", (NAN, 2), NAN),
    ("dexp", (-1, 2), 0), ("dexp", (INF, 2), 0), ("dexp", (INF, 0), NAN), ("dexp", (1, INF), NAN),
    ("dexp", (1, -1), NAN), ("dexp", (0, 2), 2), ("dexp", (3, 0), 0),
    ("dgamma", (-1, 1, 1), 0), ("dgamma", (0, 1, 2), 0.5), ("dgamma", (0, 1, INF), 0),
    ("dgamma", (0, 0.5, 1), INF), ("dgamma", (0, 0, 1), INF), ("dgamma", (0, 2, 1), 0),
    ("dgamma", (3, 0, 1), 0), ("dgamma", (INF, 2, 1), 0), ("dgamma", (1, INF, 1), 0),
    ("dgamma", (1, 2, INF), 0), ("dgamma", (1, 1, 1e-17), NAN), ("dgamma", (1, -1, 1), NAN),
    ("dinvgamma", (-1, 1, 1), 0), ("dinvgamma", (0, 1, 0), INF), ("dinvgamma", (0, 0, 0), 0),
    ("dinvgamma", (0, 1, 1), 0), ("dinvgamma", (2, 0, 1), INF), ("dinvgamma", (2, 1, 0), 0),
    ("dinvgamma", (INF, 1, 1), 0), ("dinvgamma", (1, INF, 1), 0), ("dinvgamma", (1, 1, INF), 0),
    ("dinvgamma", (1, -1, 1), NAN), ("dinvgamma", (1, 1, -1), NAN),
    ("dweibull", (-1, 1, 1), 0), ("dweibull", (0, 0.5, 1), INF), ("dweibull", (0, 2, 1), 0),
    ("dweibull", (0, 1, 2), 0.5), ("dweibull", (INF, 2, 1), 0), ("dweibull", (1, 1e-17, 1), NAN),
    ("dweibull", (1, 1, 1e-17), NAN),
    ("dt", (INF, 3), 0), ("dt", (-INF, 3), 0), ("dt", (0, INF), 0.3989422804014327), ("dt", (0, 1e-17), NAN),
    ("df", (-1, 2, 5), 0), ("df", (0, 2, 5), 1), ("df", (0, 1, 5), INF), ("df", (0, 3, 5), 0),
    ("df", (INF, INF, 1), NAN), ("df", (INF, INF, 3), 0), ("df", (INF, 2, INF), 0),
    ("df", (INF, 1, 5), NAN), ("df", (INF, 3, 0.5), NAN), ("df", (INF, 3, 5), 0),
    ("df", (1, INF, INF), INF), ("df", (2, INF, INF), 0), ("df", (1, 1e-17, 1), NAN),
    ("dbeta", (-0.1, 2, 2), 0), ("dbeta", (1.5, 2, 2), 0), ("dbeta", (0, 0, 0), INF),
    ("dbeta", (1, 0, 0), INF), ("dbeta", (0.5, 0, 0), 0), ("dbeta", (0, 0, 2), INF),
    ("dbeta", (0.3, 0, 2), 0), ("dbeta", (0, 2, INF), INF), ("dbeta", (1, 2, 0), INF),
    ("dbeta", (1, INF, 2), INF), ("dbeta", (0.3, INF, 2), 0), ("dbeta", (0.5, INF, INF), INF),
    ("dbeta", (0.4, INF, INF), 0), ("dbeta", (0, 0.5, 2), INF), ("dbeta", (0, 2, 2), 0),
    ("dbeta", (0, 1, 3), 3), ("dbeta", (1, 2, 0.5), INF), ("dbeta", (1, 2, 2), 0),
    ("dbeta", (1, 3, 1), 3), ("dbeta", (0.5, -1, 1), NAN),
    ("dbern", (1, 0.3), 0.3), ("dbern", (0, 0.3), 0.7), ("dbern", (2, 0.3), 0), ("dbern", (-1, 0.3), 0),
    ("dbern", (1, 1.5), NAN), ("dbern", (1, INF), NAN), ("dbern", (0, NAN), NAN),
    ("dbinom", (0, 0, 0.3), 1), ("dbinom", (3, 2, 0.5), 0), ("dbinom", (-1, 5, 0.5), 0),
    ("dbinom", (1, -1, 0.5), NAN), ("dbinom", (1, 5, NAN), NAN), ("dbinom", (1, 1, 0.3), 0.3),
    ("dbinom", (0, 5, 1), 0), ("dbinom", (5, 5, 1), 1), ("dbinom", (2, 5, 0), 0), ("dbinom", (2, 4, 0.5), 0.375),
    ("dpois", (0, 0), 1), ("dpois", (3, 0), 0), ("dpois", (-1, 2), 0), ("dpois", (2, INF), 0),
    ("dpois", (1, -0.5), NAN), ("dpois", (2, NAN), NAN),
    # An exponent of exactly 0 on a logarithm of -inf continues the boundary value.
    ("dgamma", (TINY, 1, 2), 0.5), ("dweibull", (TINY, 1, 2), 0.5), ("dchisq", (TINY, 2), 0.5),
    ("dchisq", (TINY, 0), 0), ("dbeta", (TINY, 1, 3), 3), ("dbeta", (1 - 2**-53, 3, 1), 3),
    ("dpois", (0, TINY), 1), ("df", (TINY, 2, 5), 1),
    # Not on a logarithm of +inf: where x / scale overflows, shape 1 is NaN like shape 2.
    ("dweibull", (1e300, 1, 1e-10), NAN), ("dweibull", (1e300, 2, 1e-10), NAN),
    # F beyond the reach of its change of variable.
    ("df", (1e20, 1, 1), 0), ("df", (1e17, 1, 2), 0), ("df", (0.5, 1e308, 0.5), 0),
]

# (function, arguments, value, value in log mode)
LOCATION_SCALE_RULES = [
        (pradix.dnorm, (1, 1, 0), INF, INF),
        (pradix.dnorm, (1.5, 1, 0), 0.0, -INF),
        (pradix.dlaplace, (1, 1, 0), INF, INF),
        (pradix.dlaplace, (1.5, 1, 0), 0.0, -INF),
        (pradix.dcauchy, (1, 1, 0), NAN, NAN),
        (pradix.dlogis, (1, 1, 0), NAN, NAN),
        (pradix.dnorm, (INF, INF, 1), NAN, NAN),
        (pradix.dnorm, (-INF, -INF, 1), NAN, NAN),
        (pradix.dnorm, (INF, 0, 1), 0.0, -INF),
        (pradix.dnorm, (3, 0, INF), 0.0, -INF),
        (pradix.dnorm, (INF, 0, INF), 0.0, -INF),
        (pradix.dnorm, (INF, INF, 0), NAN, NAN),
        (pradix.dnorm, (0, 0, 1e-17), INF, INF),  # log of the scale is -inf
        (pradix.dcauchy, (INF, 0, INF), NAN, NAN),
        (pradix.dcauchy, (3, 0, INF), 0.0, -INF),
        (pradix.dcauchy, (INF, 0, 1), 0.0, -INF),
        (pradix.dlogis, (INF, 0, INF), 0.0, -INF),
        (pradix.dlogis, (INF, INF, 1), NAN, NAN),
        (pradix.dlogis, (3, 0, INF), 0.0, -INF),
        (pradix.dlnorm, (0, 0, 1), 0.0, -INF),
        (pradix.dlnorm, (-1, 0, 1), 0.0, -INF),
        (pradix.dlnorm, (1, 0, 0), 0.0, -INF),
        (pradix.dlnorm, (0, -INF, 0), INF, INF),
        (pradix.dlnorm, (INF, INF, 0), INF, INF),
        (pradix.dlnorm, (INF, INF, 1), NAN, NAN),
        (pradix.dlnorm, (0, -INF, 1), 0.0, -INF),
        (pradix.dlnorm, (2, 0, INF), 0.0, -INF),
        (pradix.dunif, (0.5, 0, 1), 1.0, -0.0),
        (pradix.dunif, (1, 0, 1), 1.0, -0.0),
        (pradix.dunif, (0, 0, 1), 1.0, -0.0),
        (pradix.dunif, (1.5, 0, 1), 0.0, -INF),
        (pradix.dunif, (0.5, 1, 1), NAN, NAN),
        (pradix.dunif, (0.5, 2, 1), NAN, NAN),
        (pradix.dunif, (0, -INF, 1), 0.0, -INF),
        (pradix.dunif, (1, 0, 4), 0.25, -1.3862943611198906),
]

# (function, arguments, value), plain mode only
CDF_RULES = [
        (pradix.pnorm, (0.0,), 0.5),
        (pradix.pnorm, (1.5, 1.5, 0), 1.0),
        (pradix.pnorm, (1.4, 1.5, 0), 0.0),
        (pradix.pnorm, (-9.0,), 0.0),  # 1 + erf cancels
        (pradix.pnorm, (2, 0, INF), 0.5),
        (pradix.pnorm, (INF, 0, INF), 1.0),
        (pradix.pnorm, (0, INF, INF), 0.0),
        (pradix.pnorm, (INF, INF, 1), NAN),
        (pradix.pnorm, (-INF, -INF, 1), NAN),
        (pradix.pnorm, (1, 0, -1), NAN),
        (pradix.pnorm, (3, -INF, 1), 1.0),
        (pradix.pcauchy, (3, 3, 0), NAN),
        (pradix.pcauchy, (4, 3, 0), 1.0),
        (pradix.pcauchy, (2, 3, 0), 0.0),
        (pradix.plaplace, (3, 3, 0), 0.5),
        (pradix.plogis, (3, 3, 0), 0.5),
        (pradix.pnorm, (3, 3, 0), 1.0),
        (pradix.pcauchy, (2, 0, INF), 0.5),
        (pradix.pcauchy, (INF, 0, INF), NAN),
        (pradix.pcauchy, (INF, 0, 1), 1.0),
        (pradix.plaplace, (INF, 0, INF), NAN),
        (pradix.plaplace, (2, 0, INF), 0.5),
        (pradix.plaplace, (-INF, 0, 0), 0.0),
        (pradix.plogis, (INF, 0, INF), NAN),
        (pradix.plogis, (-INF, 0, 2), 0.0),
        (pradix.plogis, (0, -INF, 2), 1.0),
        (pradix.plnorm, (0, 0, 1), 0.0),
        (pradix.plnorm, (1e-17, 0, 1), 0.0),
        (pradix.plnorm, (1, 0, 1), 0.5),
        (pradix.pexp, (INF, 0), NAN),
        (pradix.pexp, (1, INF), 1.0),
        (pradix.pexp, (-2, 1), 0.0),
        (pradix.pexp, (1, -1), NAN),
        (pradix.pweibull, (INF, 2, INF), NAN),
        (pradix.pweibull, (INF, 2, 3), 1.0),
        (pradix.pweibull, (5, 2, INF), 0.0),
        (pradix.pweibull, (1.9, INF, 2), 0.0),
        (pradix.pweibull, (2.1, INF, 2), 1.0),
        (pradix.pweibull, (2, 1e-17, 2), NAN),
        (pradix.pgamma, (5, 0, 1), 1.0),
        (pradix.pgamma, (5, 0, INF), 0.0),
        (pradix.pgamma, (INF, 2, INF), NAN),
        (pradix.pgamma, (INF, 2, 1), 1.0),
        (pradix.pgamma, (5, INF, 1), 0.0),
        (pradix.pgamma, (5, 2, 1e-17), NAN),
        (pradix.pinvgamma, (-1, 2, 1), 0.0),
        (pradix.pinvgamma, (1, 2, INF), NAN),
        (pradix.pinvgamma, (INF, 2, 1), 1.0),
        (pradix.pchisq, (5, 0), 1.0),
        (pradix.pchisq, (1e-20, 3), 0.0),
        (pradix.pchisq, (INF, 3), 1.0),
        (pradix.pchisq, (3, INF), 0.0),
        (pradix.pf, (1, INF, INF), 0.5),
        (pradix.pf, (1.5, INF, INF), 1.0),
        (pradix.pf, (0.5, INF, INF), 0.0),
        (pradix.pf, (INF, 2, 3), 1.0),
        (pradix.pf, (1, 1e-17, 3), NAN),
        (pradix.pt, (0, 7), 0.5),
        (pradix.pt, (1, 1), 0.75),
        (pradix.pt, (INF, 3), 1.0),
        (pradix.pt, (-INF, 3), 0.0),
        (pradix.pt, (1, 1e-17), NAN),
        (pradix.pbeta, (0.3, 0, 0), 0.5),
        (pradix.pbeta, (0.3, 0, 2), 1.0),
        (pradix.pbeta, (0.3, 2, 0), 0.0),
        (pradix.pbeta, (0.3, INF, INF), 0.0),
        (pradix.pbeta, (0.5, INF, INF), 1.0),
        (pradix.pbeta, (0.3, INF, 2), 0.0),
        (pradix.pbeta, (0.3, 2, INF), 1.0),
        (pradix.pbeta, (1.5, 2, 3), 1.0),
        (pradix.punif, (0, -INF, 1), NAN),
        (pradix.punif, (2, -INF, 1), 1.0),
        (pradix.punif, (0, 1, 1), NAN),
        (pradix.punif, (0, -INF, INF), NAN),
        (pradix.punif, (0.25, 0, 1), 0.25),
        (pradix.pbern, (0, 0.3), 0.7),
        (pradix.pbern, (-1, 0.3), 0.0),
        (pradix.pbern, (5, 0.3), 1.0),
        (pradix.pbern, (0, INF), NAN),
        (pradix.pbinom, (7, 5, 0.3), 1.0),
        (pradix.pbinom, (0, 1, 0.3), 0.7),
        (pradix.pbinom, (0, 0, 0.3), 1.0),
        (pradix.pbinom, (1, -1, 0.3), NAN),
        (pradix.pbinom, (1, 5, 1.5), NAN),
        (pradix.ppois, (3, INF), 0.0),
        (pradix.ppois, (-1, 2), 0.0),
        (pradix.ppois, (3, -1), NAN),
]

QUANTILE_RULES = [
        (pradix.qnorm, (0.5,), 0.0),
        (pradix.qnorm, (0.0,), -INF),
        (pradix.qnorm, (1.0,), INF),
        (pradix.qnorm, (0.3, 5, 0), 5.0),
        (pradix.qnorm, (0.0, INF, 1), NAN),
        (pradix.qnorm, (1.0, -INF, 1), NAN),
        (pradix.qnorm, (0.5, 0, INF), NAN),
        (pradix.qnorm, (1.5,), NAN),
        (pradix.qnorm, (-0.1,), NAN),
        (pradix.qlnorm, (0.0, 0, 1), 0.0),
        (pradix.qlnorm, (1.0, 0, 1), INF),
        (pradix.qlnorm, (0.5, 0, INF), NAN),
        (pradix.qexp, (0.5, 0), INF),
        (pradix.qexp, (0.0, 2), 0.0),
        (pradix.qexp, (1.0, 2), INF),
        (pradix.qexp, (0.5, INF), 0.0),
        (pradix.qlaplace, (0.5, 1, 2), 1.0),
        (pradix.qlogis, (0.5, 1, 2), 1.0),
        (pradix.qcauchy, (0.0, 1, 2), -INF),
        (pradix.qcauchy, (0.5, 1, INF), NAN),
        (pradix.qcauchy, (0.7, 1, 0), 1.0),
        (pradix.qunif, (0.25, -INF, 1), NAN),
        (pradix.qunif, (0.0, 2, 3), 2.0),
        (pradix.qunif, (1.0, 2, 3), 3.0),
        (pradix.qunif, (0.25, 2, 2), NAN),
        (pradix.qweibull, (0.3, INF, 2), 2.0),
        (pradix.qweibull, (1.0, 2, 3), INF),
        (pradix.qweibull, (1.0, INF, 2), INF),  # the end point before the point mass
        (pradix.qweibull, (0.0, 2, 3), 0.0),
        (pradix.qweibull, (0.0, INF, 2), 0.0),
        (pradix.qweibull, (0.3, 1e-17, 2), NAN),
        (pradix.qgamma, (0.5, 0, 1), 0.0),
        (pradix.qgamma, (0.5, 0, INF), NAN),
        (pradix.qgamma, (0.5, INF, 1), NAN),
        (pradix.qchisq, (0.0, 3), 0.0),
        (pradix.qchisq, (1.0, 3), INF),
        (pradix.qinvgamma, (0.5, 2, 0), 0.0),
        (pradix.qinvgamma, (0.5, 0, 0), NAN),
        (pradix.qinvgamma, (0.5, INF, 0), 0.0),
        (pradix.qinvgamma, (0.5, INF, 1), NAN),
        (pradix.qbeta, (0.5, 0, 0), 0.5),
        (pradix.qbeta, (0.3, 0, 0), 0.0),
        (pradix.qbeta, (0.7, 0, 0), 1.0),
        (pradix.qbeta, (0.3, 0, 2), 0.0),
        (pradix.qbeta, (0.3, INF, INF), 0.5),
        (pradix.qbeta, (0.3, 2, INF), 0.0),
        (pradix.qbeta, (0.3, INF, 2), 1.0),
        (pradix.qbeta, (0.3, 2, 0), 1.0),
        (pradix.qbeta, (1.0, 2, 3), 1.0),
        (pradix.qf, (0.5, INF, INF), 1.0),
        (pradix.qf, (1.0, 2, 3), INF),
        (pradix.qbern, (0.7, 0.3), 0.0),
        (pradix.qbern, (0.71, 0.3), 1.0),
        (pradix.qbern, (1.0, 0.0), 0.0),
        (pradix.qbern, (0.5, 1.5), NAN),
        (pradix.qbinom, (0.4, 5, 0.5), 2.0),
        (pradix.qbinom, (1.0, 5, 0.5), 5.0),
        (pradix.qbinom, (0.0, 5, 0.5), 0.0),
        (pradix.qbinom, (0.5, 0, 0.5), 0.0),
        (pradix.qbinom, (0.5, -1, 0.5), NAN),
        (pradix.qpois, (0.5, 1e-20), 0.0),
        (pradix.qpois, (1.0, 3), INF),
        (pradix.qpois, (0.5, INF), INF),
        (pradix.qpois, (0.5, -1), NAN),
        (pradix.qt, (0.5, 7), 0.0),
        (pradix.qt, (0.0, 7), -INF),
        (pradix.qt, (1.0, 7), INF),
        (pradix.qt, (0.3, 0.4), NAN),
        (pradix.qt, (0.3, 1e-17), NAN),
]


def log_of(v):
    return math.log(v) if 0 < v < INF else (-INF if v == 0 else v)


# (function, arguments, value, value in log mode or None, absolute tolerance)
ROWS = ([(name, args, v, log_of(v), 1e-14) for name, args, v in DENSITY_RULES]
        + [(fn.__name__, args, v, v_log, 0.0) for fn, args, v, v_log in LOCATION_SCALE_RULES]
        + [(fn.__name__, args, v, None, 0.0) for fn, args, v in CDF_RULES + QUANTILE_RULES])


def agree(got, want, tol):
    """The same double (NaN equal to NaN, signed zeros), or a finite value
    within 1e-14 relative (and tol absolute) of it."""
    return same(got, want) or (math.isfinite(want) and (want != 0 or tol > 0)
                               and got == pytest.approx(want, rel=1e-14, abs=tol))


@pytest.mark.parametrize("name, args, want, want_log, tol", ROWS)
def test_rule_tables(name, args, want, want_log, tol):
    fn = getattr(pradix, name)
    assert agree(fn(*args), want, tol)
    if want_log is not None:
        assert agree(fn(*args, True), want_log, tol)
