"""Python model of the samplers, fed with raw outputs of the test kit's engine.

math.log, math.sqrt and math.pow call the same C library functions as the
samplers and Python floats round every operation like the kernels, so for
regular parameters the model reproduces pradix bit for bit.  The inversion
samplers apply pradix's own quantile functions to the model's positive
uniforms.  Special values (infinite, zero or invalid parameters) are tested
directly instead.
"""
import math

import _testkit
import pradix

TWO_POW_64 = 18446744073709551616.0
TINY = math.nextafter(0.0, 1.0)
ONE_THIRD = 0.3333333333333333


class Stream:
    """Canonical and positive uniforms from a seed or from a list of outputs."""

    def __init__(self, source):
        if isinstance(source, int):
            self._next = _testkit.Twister(source).next
        else:
            self._next = iter(source).__next__
        self.used = 0

    def uniform(self):
        self.used += 1
        return float(self._next()) / TWO_POW_64

    def positive(self):
        return self.uniform() * (1.0 - TINY) + TINY


def normal(st):
    while True:
        w1 = 2.0 * st.uniform() - 1.0
        w2 = 2.0 * st.uniform() - 1.0
        s = w1 * w1 + w2 * w2
        if s < 1.0 and w1 != 0.0 and w2 != 0.0:
            break
    if s > 0.0001:
        log_s = math.log(s)
    else:
        k = math.frexp(max(abs(w1), abs(w2)))[1] - 1
        w1, w2 = math.ldexp(w1, -k), math.ldexp(w2, -k)
        s = w1 * w1 + w2 * w2
        log_s = math.log(s) + k * 1.3862943611198906
    return math.sqrt((log_s * -2.0) / s) * w1


def gamma(st, shape, scale):
    if shape > 1.0:
        d = shape - ONE_THIRD
        c = ONE_THIRD / math.sqrt(d)
        while True:
            z = normal(st)
            if z > -1.0 / c:
                v = math.pow(z * c + 1.0, 3.0)
                if math.log(st.positive()) < (math.log(v) + (1.0 - v)) * d + (z * 0.5) * z:
                    return (v * d) * scale
    u = st.positive()
    x = gamma(st, shape + 1.0, scale)
    return x * math.pow(u, math.inf if shape == 0.0 else 1.0 / shape)


def bernoulli(st, prob):
    return 1.0 if prob >= st.positive() else 0.0


def binomial(st, n_trials, prob):
    count = 0.0
    for _ in range(n_trials):
        count = count + bernoulli(st, prob)
    return count


def inversion(quantile):
    """A sampler returning the quantile at one positive uniform."""
    return lambda st, *params: quantile(st.positive(), *params)


SAMPLERS = {
    "runif": lambda st, a, b: st.uniform() * (b - math.nextafter(a, b)) + math.nextafter(a, b),
    "rnorm": lambda st, mu, sigma: normal(st) * sigma + mu,
    "rlnorm": lambda st, mu, sigma: _testkit.exp(normal(st) * sigma + mu),
    "rgamma": gamma,
    "rchisq": lambda st, dof: gamma(st, dof * 0.5, 2.0),
    "rinvgamma": lambda st, shape, scale: 1.0 / gamma(st, shape, 1.0 / scale),
    "rbeta": lambda st, a, b: (lambda x, y: x / (y + x))(gamma(st, a, 1.0), gamma(st, b, 1.0)),
    "rf": lambda st, d1, d2: (lambda x1, x2: ((d2 / d1) * x1) / x2)(
        gamma(st, d1 * 0.5, 2.0), gamma(st, d2 * 0.5, 2.0)),
    "rt": lambda st, dof: (lambda z, c: z / math.sqrt(c / dof))(normal(st), gamma(st, dof * 0.5, 2.0)),
    "rbern": bernoulli,
    "rbinom": binomial,
    "rcauchy": inversion(pradix.qcauchy),
    "rexp": inversion(pradix.qexp),
    "rlaplace": inversion(pradix.qlaplace),
    "rlogis": inversion(pradix.qlogis),
    "rpois": inversion(pradix.qpois),
    "rweibull": inversion(pradix.qweibull),
}


def consumed(seed, draw, limit=200):
    """Outputs an engine seeded with `seed` gives up to draw(engine)."""
    engine = pradix.Engine(seed)
    draw(engine)
    probe = pradix.runif(0.0, 1.0, engine=engine)
    st = Stream(seed)
    for k in range(limit):
        if st.uniform() == probe:
            return k
    raise AssertionError("probe not found in the stream")
