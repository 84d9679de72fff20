"""50-digit references for the accuracy report (tools/accuracy.py): densities
and distribution functions of the seventeen distributions in mpmath, and
the exact roots their quantiles are measured against.

mpmath's own incomplete gamma and beta functions stall or give up for
shapes in the millions (a hypergeometric series that does not converge,
minutes per call); there the distribution function is integrated instead
(`tail_quad`), over the smaller of the two tails so that both are exact
relative to themselves."""
import functools

import mpmath as mp

mp.mp.dps = 50
M = mp.mpf
# The integrals run with this many extra digits: the log-density of a shape
# of 1e15 cancels about seventeen of them.
GUARD = 20


# ---------------------------------------------------------------- tails by quadrature

def tail_quad(log_density, slope, sx, lower, s_min=None):
    """Integral of exp(log_density(s)) over s <= sx (lower) or s >= sx, for
    a log-concave density in a variable s of about unit scale near its mode
    (log_density may be -inf below s_min).  `slope(s)` is the derivative of
    the log-density.  Where the density falls slowly (|slope| < 1, near the
    mode) the first 8 units are integrated as they are; beyond, the density
    falls at least as fast as exp(-g |s - start|), g the slope at the start,
    so s = start + log(1/t) / g maps the rest of the tail onto t in (0, 1]
    with a bounded integrand, and nothing is cut off."""
    sign = -1 if lower else 1
    top = log_density(sx)
    total = M(0)
    start = sx
    g = -sign * slope(start)
    if g < 1:
        end = start + sign * 8
        if s_min is not None and end < s_min:
            end = s_min
        # mp.quad's tolerance is absolute: integrate relative to the density at sx.
        total += mp.quad(lambda s: mp.exp(log_density(s) - top), mp.linspace(min(start, end), max(start, end), 5))
        start = end
        if s_min is not None and start <= s_min:
            return total * mp.exp(top)
        g = -sign * slope(start)

    def mapped(t):
        if t <= 0:
            return M(0)
        s = start - sign * mp.log(t) / g
        return mp.exp(log_density(s) - top) / (g * t)

    total += mp.quad(mapped, [0, 1])
    return total * mp.exp(top)


# Shapes from which the incomplete gamma function is integrated (mpmath's
# series give up beyond about a million, and for some points below).
GAMMA_QUAD = 1e6


@functools.lru_cache(maxsize=None)
def gamma_pq(a, x):
    """(P(a, x), Q(a, x)), the regularized incomplete gamma functions, each
    to 50 digits relative to itself."""
    a, x = M(a), M(x)
    if x <= 0:
        return M(0), M(1)
    if a <= GAMMA_QUAD:
        try:
            if x < a:
                p = mp.gammainc(a, 0, x, regularized=True)
                return p, 1 - p
            q = mp.gammainc(a, x, mp.inf, regularized=True)
            return 1 - q, q
        except mp.libmp.NoConvergence:
            if a < 1:
                raise
    # Integrated (the density is log-concave for shapes from 1).
    with mp.workdps(mp.mp.dps + GUARD):
        # t = a + s sqrt(a): the density of t in s.
        r = mp.sqrt(a)
        c = mp.log(r) - mp.loggamma(a)

        def log_density(s):
            t = a + s * r
            return (a - 1) * mp.log(t) - t + c if t > 0 else -mp.inf

        slope = lambda s: r * ((a - 1) / (a + s * r) - 1)  # noqa: E731
        sx = (x - a) / r
        if sx <= 0:
            p = tail_quad(log_density, slope, sx, True, s_min=-a / r)
            return +p, 1 - p
        q = tail_quad(log_density, slope, sx, False)
        return 1 - q, +q


# Shapes from which the incomplete beta function is integrated rather than
# summed by mpmath, whose series stall with a large shape (for minutes when
# both are large, or one is and x is far in its tail).
BETA_QUAD = 5000


@functools.lru_cache(maxsize=None)
def beta_ij(a, b, x):
    """(I_x(a, b), 1 - I_x(a, b)), each to 50 digits relative to itself."""
    a, b, x = M(a), M(b), M(x)
    if x <= 0:
        return M(0), M(1)
    if x >= 1:
        return M(1), M(0)
    if max(a, b) < BETA_QUAD:
        if x <= a / (a + b):
            i = mp.betainc(a, b, 0, x, regularized=True)
            return i, 1 - i
        j = mp.betainc(b, a, 0, 1 - x, regularized=True)
        return 1 - j, j
    with mp.workdps(mp.mp.dps + GUARD):
        # y = log(x / (1 - x)) = log(a / b) + s sqrt(1/a + 1/b): the density of y in s.
        y0 = mp.log(a / b)
        sg = mp.sqrt(1 / a + 1 / b)
        c = mp.log(sg) - (mp.loggamma(a) + mp.loggamma(b) - mp.loggamma(a + b))

        def log_density(s):
            y = y0 + s * sg
            return -a * mp.log1p(mp.exp(-y)) - b * mp.log1p(mp.exp(y)) + c

        def slope(s):
            t = 1 / (1 + mp.exp(-(y0 + s * sg)))
            return sg * (a * (1 - t) - b * t)

        sx = (mp.log(x) - mp.log1p(-x) - y0) / sg
        if sx <= 0:
            i = tail_quad(log_density, slope, sx, True)
            return +i, 1 - i
        j = tail_quad(log_density, slope, sx, False)
        return 1 - j, +j


# ---------------------------------------------------------------- discrete tails

def tail_sum(log_mass, ratio_down, ratio_up, k, lower):
    """Sum of the masses from k down (lower) or from k up, by the ratios of
    neighbouring masses, until the terms no longer matter at 50 digits."""
    term = mp.exp(log_mass(k))
    total = M(0)
    j = k
    while term > 0:
        total += term
        if term < total * M(10) ** -55 or (lower and j == 0):
            break
        term = term * (ratio_down(j) if lower else ratio_up(j))
        j = j - 1 if lower else j + 1
    return total


@functools.lru_cache(maxsize=None)
def binom_cdf(k, n, p):
    if k < 0:
        return M(0)
    if k >= n:
        return M(1)
    p = M(p)
    q = 1 - p
    log_mass = lambda j: (mp.loggamma(n + 1) - mp.loggamma(j + 1) - mp.loggamma(n - j + 1)  # noqa: E731
                          + j * mp.log(p) + (n - j) * mp.log(q))
    down = lambda j: M(j) / (n - j + 1) * q / p  # noqa: E731  m(j-1) / m(j)
    up = lambda j: M(n - j) / (j + 1) * p / q  # noqa: E731  m(j+1) / m(j)
    if k <= n * p:
        return tail_sum(log_mass, down, up, k, True)
    return 1 - tail_sum(log_mass, down, up, k + 1, False)


@functools.lru_cache(maxsize=None)
def pois_cdf(k, lam):
    if k < 0:
        return M(0)
    lam = M(lam)
    if lam > 1e4:
        # F(k) = Q(k + 1, rate); summing term by term would take sqrt(rate) terms.
        return gamma_pq(k + 1, lam)[1]
    log_mass = lambda j: j * mp.log(lam) - lam - mp.loggamma(j + 1)  # noqa: E731
    down = lambda j: M(j) / lam  # noqa: E731
    up = lambda j: lam / (j + 1)  # noqa: E731
    if k <= lam:
        return tail_sum(log_mass, down, up, k, True)
    return 1 - tail_sum(log_mass, down, up, k + 1, False)


# ---------------------------------------------------------------- densities and distribution functions

def ncdf(z):
    return mp.ncdf(z)


def t_cdf(x, n):
    x, n = M(x), M(n)
    if x == 0:
        return M(1) / 2
    lower = beta_ij(n / 2, M(1) / 2, n / (n + x * x))[0] / 2
    return lower if x < 0 else 1 - lower


def cauchy_cdf(z):
    return mp.acot(-z) / mp.pi if z < 0 else 1 - mp.acot(z) / mp.pi


def at_zero(power, value_at_one):
    """A density behaving like c x^power at x = 0: +inf, c or 0."""
    return mp.inf if power < 0 else (value_at_one if power == 0 else M(0))


def gamma_pdf(x, k, s):
    x, k, s = M(x), M(k), M(s)
    if x < 0:
        return M(0)
    if x == 0:
        return at_zero(k - 1, 1 / s)
    return mp.exp((k - 1) * mp.log(x) - x / s - mp.loggamma(k) - k * mp.log(s))


def beta_pdf(x, a, b):
    x, a, b = M(x), M(a), M(b)
    if x < 0 or x > 1:
        return M(0)
    if x == 0:
        return at_zero(a - 1, b)
    if x == 1:
        return at_zero(b - 1, a)
    return mp.exp((a - 1) * mp.log(x) + (b - 1) * mp.log1p(-x) - (mp.loggamma(a) + mp.loggamma(b)
                                                                   - mp.loggamma(a + b)))


def t_pdf(x, n):
    x, n = M(x), M(n)
    return mp.exp(mp.loggamma((n + 1) / 2) - mp.loggamma(n / 2) - mp.log(n * mp.pi) / 2
                  - (n + 1) / 2 * mp.log1p(x * x / n))


def f_pdf(x, d1, d2):
    x, d1, d2 = M(x), M(d1), M(d2)
    if x < 0:
        return M(0)
    if x == 0:
        return at_zero(d1 / 2 - 1, M(1))
    return mp.exp((d1 * mp.log(d1 * x) + d2 * mp.log(d2) - (d1 + d2) * mp.log(d1 * x + d2)) / 2
                  - mp.log(x) - (mp.loggamma(d1 / 2) + mp.loggamma(d2 / 2) - mp.loggamma((d1 + d2) / 2)))


def f_cdf(x, d1, d2):
    x, d1, d2 = M(x), M(d1), M(d2)
    if x <= 0:
        return M(0)
    return beta_ij(d1 / 2, d2 / 2, d1 * x / (d1 * x + d2))[0]


def invgamma_pdf(x, a, b):
    x, a, b = M(x), M(a), M(b)
    if x <= 0:
        return M(0)
    return mp.exp(a * mp.log(b) - mp.loggamma(a) - (a + 1) * mp.log(x) - b / x)


def weibull_pdf(x, k, s):
    x, k, s = M(x), M(k), M(s)
    if x < 0:
        return M(0)
    if x == 0:
        return at_zero(k - 1, 1 / s)
    return k / s * (x / s) ** (k - 1) * mp.exp(-(x / s) ** k)


def binom_pmf(k, n, p):
    if not 0 <= k <= n:
        return M(0)
    p = M(p)
    return mp.exp(mp.loggamma(n + 1) - mp.loggamma(k + 1) - mp.loggamma(n - k + 1)
                  + (k * mp.log(p) if k else 0) + ((n - k) * mp.log1p(-p) if n - k else 0))


# code: (density or mass, distribution function), both of (x, *parameters).
REFS = {
    "norm": (lambda x, m, s: mp.npdf(M(x), M(m), M(s)), lambda x, m, s: ncdf((M(x) - M(m)) / M(s))),
    "bern": (lambda k, p: (1 - M(p)) if k == 0 else (M(p) if k == 1 else M(0)),
             lambda k, p: M(0) if k < 0 else ((1 - M(p)) if k < 1 else M(1))),
    "beta": (beta_pdf, lambda x, a, b: beta_ij(a, b, x)[0]),
    "binom": (binom_pmf, binom_cdf),
    "cauchy": (lambda x, m, s: 1 / (mp.pi * M(s) * (1 + ((M(x) - M(m)) / M(s)) ** 2)),
               lambda x, m, s: cauchy_cdf((M(x) - M(m)) / M(s))),
    "chisq": (lambda x, k: gamma_pdf(x, M(k) / 2, 2), lambda x, k: gamma_pq(M(k) / 2, M(x) / 2)[0]),
    "exp": (lambda x, l: M(l) * mp.exp(-M(l) * M(x)) if x >= 0 else M(0),
            lambda x, l: -mp.expm1(-M(l) * M(x)) if x >= 0 else M(0)),
    "f": (f_pdf, f_cdf),
    "gamma": (gamma_pdf, lambda x, k, s: gamma_pq(k, M(x) / M(s))[0]),
    "invgamma": (invgamma_pdf, lambda x, a, b: gamma_pq(a, M(b) / M(x))[1] if x > 0 else M(0)),
    "laplace": (lambda x, m, s: mp.exp(-abs(M(x) - M(m)) / M(s)) / (2 * M(s)),
                lambda x, m, s: (mp.exp((M(x) - M(m)) / M(s)) / 2 if x < m
                                 else 1 - mp.exp(-(M(x) - M(m)) / M(s)) / 2)),
    "lnorm": (lambda x, m, s: mp.npdf(mp.log(M(x)), M(m), M(s)) / M(x) if x > 0 else M(0),
              lambda x, m, s: ncdf((mp.log(M(x)) - M(m)) / M(s)) if x > 0 else M(0)),
    "logis": (lambda x, m, s: (lambda z: mp.exp(-z) / (M(s) * (1 + mp.exp(-z)) ** 2))((M(x) - M(m)) / M(s)),
              lambda x, m, s: 1 / (1 + mp.exp(-(M(x) - M(m)) / M(s)))),
    "pois": (lambda k, l: mp.exp(k * mp.log(M(l)) - M(l) - mp.loggamma(k + 1)) if k >= 0 else M(0), pois_cdf),
    "t": (t_pdf, t_cdf),
    "unif": (lambda x, a, b: 1 / (M(b) - M(a)) if a <= x <= b else M(0),
             lambda x, a, b: M(0) if x < a else (M(1) if x > b else (M(x) - M(a)) / (M(b) - M(a)))),
    "weibull": (weibull_pdf, lambda x, k, s: -mp.expm1(-(M(x) / M(s)) ** M(k)) if x > 0 else M(0)),
}
DISCRETE = ("bern", "binom", "pois")


# ---------------------------------------------------------------- quantile roots

def newton_root(cdf, pdf, p, x0, transform="log", steps=40):
    """Root of cdf(x) = p by Newton's method in u = log x (positive support),
    u = logit x (unit interval) or u = x, from the double start x0, in at
    most `steps` steps; None when it does not settle."""
    pm = M(float(p))
    finite = x0 == x0 and abs(x0) != float("inf")
    if not finite or (transform == "log" and x0 <= 0) or (transform == "logit" and not 0 < x0 < 1):
        return None
    if transform == "log":
        u = mp.log(M(x0))
        to_x, dxdu = mp.exp, mp.exp
    elif transform == "logit":
        u = mp.log(M(x0) / (1 - M(x0)))
        to_x = lambda v: 1 / (1 + mp.exp(-v))  # noqa: E731
        dxdu = lambda v: to_x(v) * (1 - to_x(v))  # noqa: E731
    else:
        u = M(x0)
        to_x, dxdu = (lambda v: v), (lambda v: M(1))
    for _ in range(steps):
        x = to_x(u)
        g = pdf(x) * dxdu(u)
        if not g > 0:
            return None
        step = (cdf(x) - pm) / g
        # Damped: never more than a unit in u per step.
        if abs(step) > 1:
            step = mp.sign(step)
        u -= step
        if abs(step) < M(10) ** -30 * (1 + abs(u)):
            return to_x(u)
    return None


def least_k(cdf, p, start):
    """Least k >= 0 with cdf(k) >= p: from `start` by steps that double
    while they overshoot, then by bisection; None beyond 2^62."""
    pm = M(float(p))
    k = int(start) if start == start and 0 <= start < 2.0 ** 62 else 0
    if cdf(k) >= pm:
        hi, step = k, 1
        while hi > 0:
            lo = max(hi - step, 0)
            if cdf(lo) < pm:
                break
            hi, step = lo, step * 2
        else:
            return 0
    else:
        lo, step = k, 1
        while True:
            hi = lo + step
            if hi > 2 ** 62:
                return None
            if cdf(hi) >= pm:
                break
            lo, step = hi, step * 2
    while hi - lo > 1:  # cdf(lo) < p <= cdf(hi)
        mid = (lo + hi) // 2
        if cdf(mid) >= pm:
            hi = mid
        else:
            lo = mid
    return hi


def bracketed_root(cdf, pdf, p, transform="log"):
    """Root of cdf(x) = p from the middle of the support, where Newton's
    method from a good start is not to be had: in u = log x, logit x or
    asinh x, steps that double until cdf crosses p, bisection down to a
    width of 1e-3 in u, then Newton's method from there.  None when cdf does
    not cross p within the doubles."""
    pm = M(float(p))
    if transform == "log":
        to_x, lo, hi = mp.exp, -745, 710
    elif transform == "logit":
        to_x, lo, hi = (lambda v: 1 / (1 + mp.exp(-v))), -745, 37
    else:
        to_x, lo, hi = mp.sinh, -710, 710

    def g(v):
        return cdf(to_x(v)) - pm

    a, ga = M(0), g(M(0))
    if ga == 0:
        return to_x(a)
    direction, step = (-1 if ga > 0 else 1), 1
    while True:
        b = min(max(a + direction * step, lo), hi)
        if b == a:
            return None
        gb = g(b)
        if gb == 0:
            return to_x(b)
        if (gb > 0) != (ga > 0):
            break
        a, ga, step = b, gb, step * 2
    while abs(b - a) > M(10) ** -3 * max(1, abs(a)):
        m = (a + b) / 2
        gm = g(m)
        if gm == 0:
            return to_x(m)
        if (gm > 0) == (ga > 0):
            a, ga = m, gm
        else:
            b = m
    return newton_root(cdf, pdf, p, float(to_x((a + b) / 2)), transform)
