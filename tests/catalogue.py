"""The module's public catalogue, in registration order."""
CODES = ["norm", "bern", "beta", "binom", "cauchy", "chisq", "exp", "f", "gamma", "invgamma",
         "laplace", "lnorm", "logis", "pois", "t", "unif", "weibull"]

# Registration groups in order; the sampling group starts with the class.
ORDER = ([f"d{c}" for c in CODES] + ["Engine"] + [f"r{c}" for c in CODES]
         + [f"p{c}" for c in CODES] + [f"q{c}" for c in CODES])

F = "numpy.ndarray[numpy.float64]"
I = "numpy.ndarray[numpy.int64]"
B = "numpy.ndarray[bool]"

# Parameter names and element types of the vectorized functions.
PARAMS = {
    "norm": [("mu", F), ("sigma", F)], "bern": [("prob", F)], "beta": [("a", F), ("b", F)],
    "binom": [("n_trials", I), ("prob", F)], "cauchy": [("mu", F), ("sigma", F)],
    "chisq": [("dof", F)], "exp": [("rate", F)], "f": [("df1", F), ("df2", F)],
    "gamma": [("shape", F), ("scale", F)], "invgamma": [("shape", F), ("scale", F)],
    "laplace": [("mu", F), ("sigma", F)], "lnorm": [("mu", F), ("sigma", F)],
    "logis": [("mu", F), ("sigma", F)], "pois": [("rate", F)], "t": [("dof", F)],
    "unif": [("a", F), ("b", F)], "weibull": [("shape", F), ("scale", F)],
}
INTEGER_POINTS = {"bern", "binom", "pois"}


def signature(name):
    """The documentation signature line expected for a d, p or q function."""
    family, code = name[0], name[1:]
    params = PARAMS[code]
    defaults = {"mu": " = 0", "sigma": " = 1"} if code == "norm" else {}
    if family == "q":
        first = [("p", F)]
        flag = []
    else:
        first = [("x", I if code in INTEGER_POINTS else F)]
        flag = [("log" if family == "d" else "log_p", B)]
    parts = [f"{n}: {t}{defaults.get(n, '')}" for n, t in first + params]
    parts += [f"{n}: {t} = False" for n, t in flag]
    return f"{name}({', '.join(parts)}) -> object"
