"""Gamma-family, Student, F, beta and discrete densities: deferred limits
and the binding of integer arguments (rule tables: test_rules.py)."""
import math

import numpy as np

import pradix

INF = math.inf
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

