"""Gamma-family, Student, F, beta and discrete densities: rule tables,
boundary choices and the binding of integer arguments."""
import math

import numpy as np
import pytest

import pradix

INF, NAN = math.inf, math.nan
TINY = 1e-300  # a positive point whose logarithm is -inf
CATALOGUE = ["norm", "bern", "beta", "binom", "cauchy", "chisq", "exp", "f", "gamma",
             "invgamma", "laplace", "lnorm", "logis", "pois", "t", "unif", "weibull"]
PARAMS = {"bern": "x:i prob", "beta": "x a b", "binom": "x:i n_trials:i prob", "chisq": "x dof",
          "exp": "x rate", "f": "x df1 df2", "gamma": "x shape scale", "invgamma": "x shape scale",
          "pois": "x:i rate", "t": "x dof", "weibull": "x shape scale"}


def test_catalogue_order_and_signatures():
    assert [n for n in vars(pradix) if n[0] == "d"] == ["d" + c for c in CATALOGUE]
    for code, params in PARAMS.items():
        names = [p.split(":") + ["f"] for p in params.split()]
        args = ", ".join(f"{n}: numpy.ndarray[numpy.{'int64' if t == 'i' else 'float64'}]" for n, t, *_ in names)
        assert getattr(pradix, "d" + code).__doc__.startswith(f"d{code}({args}, log: numpy.ndarray[bool] = False) -> object")


# (function, arguments, value); the log mode must give log(value).
RULES = [
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


def check(got, expected):
    if math.isnan(expected) or math.isinf(expected):
        assert got == expected or (math.isnan(got) and math.isnan(expected))
    else:
        assert got == pytest.approx(expected, rel=1e-14, abs=1e-14)


@pytest.mark.parametrize("name, args, value", RULES)
def test_rule_tables(name, args, value):
    f = getattr(pradix, name)
    if value == 0:
        assert f(*args) == 0
    else:
        check(f(*args), value)
    check(f(*args, log=True), math.log(value) if 0 < value < INF else (-INF if value == 0 else value))


def test_limits_defer_to_other_kernels():
    for log in (False, True):
        assert pradix.dt([-2.5, 0.0, 7.0], INF, log=log).tolist() == pradix.dnorm([-2.5, 0.0, 7.0], log=log).tolist()
        assert pradix.df(1.3, INF, 4.0, log) == pradix.dinvgamma(1.3, 2.0, 2.0, log)
        assert pradix.df(1.3, 3.0, INF, log) == pradix.dgamma(1.3, 1.5, 2.0 / 3.0, log)
        assert pradix.dbinom(1, 1, 0.3, log) == pradix.dbern(1, 0.3, log)


def test_integer_arguments_truncate_toward_zero():
    assert pradix.dbinom(2.9, 5, 0.5) == pradix.dbinom(2, 5, 0.5)
    assert pradix.dbinom(-0.5, 5.9, 0.5) == pradix.dbinom(0, 5, 0.5)
    assert pradix.dpois([1.7, -0.2, -1.5], 3.0).tolist() == pradix.dpois([1, 0, -1], 3.0).tolist()
    assert pradix.dbern(np.array([1.99, 0.5]), 0.3).tolist() == [0.3, 0.7]

