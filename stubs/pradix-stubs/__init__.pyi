"""Type stubs for pradix: densities, distribution functions, quantiles and seeded
random sampling for seventeen distributions.

The d, p and q functions take numbers, nested sequences or NumPy arrays for every
argument (flags included), broadcast them against each other and return a float
when every argument is a scalar and a float64 array otherwise.  The r functions
take scalar parameters and an optional `size`.
"""

from typing import Any, Sequence, Union, overload

import numpy as np
from numpy.typing import ArrayLike, NDArray

# A real scalar; `float` also admits int and bool.
_Real = Union[float, np.floating[Any], np.integer[Any]]
_Int = Union[int, np.integer[Any]]
_Flag = Union[bool, np.bool_]
# The extents of the samplers' shape form: a sequence of integers or a one-dimensional
# integer array.
_Extents = Union[Sequence[_Int], NDArray[np.integer[Any]]]

# Each d, p and q function has two overloads: all scalars give a float, anything
# array-like a float64 array.  A scalar is array-like too, so mypy calls the pair
# overlapping; the scalar overload comes first and wins, which is what is meant.

class Engine:
    """A 64-bit Mersenne Twister random engine.  `seed` is a signed 32-bit integer
    (positional only); engines built with the same seed give the same streams.
    Engines cannot be copied or pickled.
    """
    def __init__(self, seed: int, /) -> None: ...

# Densities and probability masses

@overload
def dnorm(x: _Real, mu: _Real = 0, sigma: _Real = 1, log: _Flag = False) -> float:  # type: ignore[overload-overlap]
    """Density of the normal distribution at `x`: exp(-(x - mu)^2 / (2 sigma^2)) / (sigma
    sqrt(2 pi)) on the whole line. `mu` the mean; `sigma` the standard deviation (>= 0);
    `log` gives the log-density instead. Arguments broadcast like NumPy's; the result is
    a float when every argument is a scalar, else a float64 array. A NaN argument or a
    parameter outside its domain gives NaN; a point outside the support gives 0 (-inf in
    log mode).
    """
@overload
def dnorm(x: ArrayLike, mu: ArrayLike = 0, sigma: ArrayLike = 1, log: ArrayLike = False) -> NDArray[np.float64]: ...

@overload
def dbern(x: _Real, prob: _Real, log: _Flag = False) -> float:  # type: ignore[overload-overlap]
    """Mass of the Bernoulli distribution at the integer `x` (floats are truncated toward
    zero): prob at x = 1 and 1 - prob at x = 0. `prob` the probability of a 1 (0 <= prob
    <= 1); `log` gives the log-mass instead. Arguments broadcast like NumPy's; the
    result is a float when every argument is a scalar, else a float64 array. A NaN
    argument or a parameter outside its domain gives NaN; a point outside the support
    gives 0 (-inf in log mode).
    """
@overload
def dbern(x: ArrayLike, prob: ArrayLike, log: ArrayLike = False) -> NDArray[np.float64]: ...

@overload
def dbeta(x: _Real, a: _Real, b: _Real, log: _Flag = False) -> float:  # type: ignore[overload-overlap]
    """Density of the beta distribution at `x`: x^(a-1) (1-x)^(b-1) / B(a, b) for 0 <= x <=
    1. `a` the first shape (>= 0); `b` the second shape (>= 0); `log` gives the
    log-density instead. Arguments broadcast like NumPy's; the result is a float when
    every argument is a scalar, else a float64 array. A NaN argument or a parameter
    outside its domain gives NaN; a point outside the support gives 0 (-inf in log
    mode).
    """
@overload
def dbeta(x: ArrayLike, a: ArrayLike, b: ArrayLike, log: ArrayLike = False) -> NDArray[np.float64]: ...

@overload
def dbinom(x: _Real, n_trials: _Real, prob: _Real, log: _Flag = False) -> float:  # type: ignore[overload-overlap]
    """Mass of the binomial distribution at the integer `x` (floats are truncated toward
    zero): C(n_trials, x) prob^x (1-prob)^(n_trials-x) for x = 0, ..., n_trials.
    `n_trials` the number of trials (an integer >= 0); `prob` the success probability (0
    <= prob <= 1); `log` gives the log-mass instead. Arguments broadcast like NumPy's;
    the result is a float when every argument is a scalar, else a float64 array. A NaN
    argument or a parameter outside its domain gives NaN; a point outside the support
    gives 0 (-inf in log mode).
    """
@overload
def dbinom(x: ArrayLike, n_trials: ArrayLike, prob: ArrayLike, log: ArrayLike = False) -> NDArray[np.float64]: ...

@overload
def dcauchy(x: _Real, mu: _Real, sigma: _Real, log: _Flag = False) -> float:  # type: ignore[overload-overlap]
    """Density of the Cauchy distribution at `x`: 1 / (pi sigma (1 + ((x - mu)/sigma)^2))
    on the whole line. `mu` the location (median); `sigma` the scale, the half width at
    half maximum (>= 0); `log` gives the log-density instead. Arguments broadcast like
    NumPy's; the result is a float when every argument is a scalar, else a float64
    array. A NaN argument or a parameter outside its domain gives NaN; a point outside
    the support gives 0 (-inf in log mode).
    """
@overload
def dcauchy(x: ArrayLike, mu: ArrayLike, sigma: ArrayLike, log: ArrayLike = False) -> NDArray[np.float64]: ...

@overload
def dchisq(x: _Real, dof: _Real, log: _Flag = False) -> float:  # type: ignore[overload-overlap]
    """Density of the chi-squared distribution at `x`: x^(dof/2-1) exp(-x/2) / (2^(dof/2)
    Gamma(dof/2)) for x >= 0. `dof` the degrees of freedom (>= 0); `log` gives the
    log-density instead. Arguments broadcast like NumPy's; the result is a float when
    every argument is a scalar, else a float64 array. A NaN argument or a parameter
    outside its domain gives NaN; a point outside the support gives 0 (-inf in log
    mode).
    """
@overload
def dchisq(x: ArrayLike, dof: ArrayLike, log: ArrayLike = False) -> NDArray[np.float64]: ...

@overload
def dexp(x: _Real, rate: _Real, log: _Flag = False) -> float:  # type: ignore[overload-overlap]
    """Density of the exponential distribution at `x`: rate exp(-rate x) for x >= 0. `rate`
    the rate, the inverse of the mean (0 <= rate < inf); `log` gives the log-density
    instead. Arguments broadcast like NumPy's; the result is a float when every argument
    is a scalar, else a float64 array. A NaN argument or a parameter outside its domain
    gives NaN; a point outside the support gives 0 (-inf in log mode).
    """
@overload
def dexp(x: ArrayLike, rate: ArrayLike, log: ArrayLike = False) -> NDArray[np.float64]: ...

@overload
def df(x: _Real, df1: _Real, df2: _Real, log: _Flag = False) -> float:  # type: ignore[overload-overlap]
    """Density of the F distribution at `x`: the density of (U1/df1)/(U2/df2) for
    independent chi-squared U1, U2, for x >= 0. `df1` the numerator degrees of freedom
    (> 0); `df2` the denominator degrees of freedom (> 0); `log` gives the log-density
    instead. Arguments broadcast like NumPy's; the result is a float when every argument
    is a scalar, else a float64 array. A NaN argument or a parameter outside its domain
    gives NaN; a point outside the support gives 0 (-inf in log mode).
    """
@overload
def df(x: ArrayLike, df1: ArrayLike, df2: ArrayLike, log: ArrayLike = False) -> NDArray[np.float64]: ...

@overload
def dgamma(x: _Real, shape: _Real, scale: _Real, log: _Flag = False) -> float:  # type: ignore[overload-overlap]
    """Density of the gamma distribution at `x`: x^(k-1) exp(-x/theta) / (Gamma(k) theta^k)
    for x >= 0. `shape` the shape k (>= 0); `scale` the scale theta (>= 2^-52); the rate
    is 1/scale; `log` gives the log-density instead. Arguments broadcast like NumPy's;
    the result is a float when every argument is a scalar, else a float64 array. A NaN
    argument or a parameter outside its domain gives NaN; a point outside the support
    gives 0 (-inf in log mode).
    """
@overload
def dgamma(x: ArrayLike, shape: ArrayLike, scale: ArrayLike, log: ArrayLike = False) -> NDArray[np.float64]: ...

@overload
def dinvgamma(x: _Real, shape: _Real, scale: _Real, log: _Flag = False) -> float:  # type: ignore[overload-overlap]
    """Density of the inverse-gamma distribution at `x`: beta^alpha x^(-alpha-1)
    exp(-beta/x) / Gamma(alpha) for x >= 0. `shape` the shape alpha (>= 0); `scale` the
    scale beta (>= 0); 1/X is gamma with shape alpha and rate beta; `log` gives the
    log-density instead. Arguments broadcast like NumPy's; the result is a float when
    every argument is a scalar, else a float64 array. A NaN argument or a parameter
    outside its domain gives NaN; a point outside the support gives 0 (-inf in log
    mode).
    """
@overload
def dinvgamma(x: ArrayLike, shape: ArrayLike, scale: ArrayLike, log: ArrayLike = False) -> NDArray[np.float64]: ...

@overload
def dlaplace(x: _Real, mu: _Real, sigma: _Real, log: _Flag = False) -> float:  # type: ignore[overload-overlap]
    """Density of the Laplace distribution at `x`: exp(-|x - mu|/sigma) / (2 sigma) on the
    whole line. `mu` the location (mean and median); `sigma` the scale (>= 0); the
    standard deviation is sqrt(2) sigma; `log` gives the log-density instead. Arguments
    broadcast like NumPy's; the result is a float when every argument is a scalar, else
    a float64 array. A NaN argument or a parameter outside its domain gives NaN; a point
    outside the support gives 0 (-inf in log mode).
    """
@overload
def dlaplace(x: ArrayLike, mu: ArrayLike, sigma: ArrayLike, log: ArrayLike = False) -> NDArray[np.float64]: ...

@overload
def dlnorm(x: _Real, mu: _Real, sigma: _Real, log: _Flag = False) -> float:  # type: ignore[overload-overlap]
    """Density of the log-normal distribution at `x`: exp(-(log(x) - mu)^2 / (2 sigma^2)) /
    (x sigma sqrt(2 pi)) for x >= 0. `mu` the mean of log(X); `sigma` the standard
    deviation of log(X) (>= 0); `log` gives the log-density instead. Arguments broadcast
    like NumPy's; the result is a float when every argument is a scalar, else a float64
    array. A NaN argument or a parameter outside its domain gives NaN; a point outside
    the support gives 0 (-inf in log mode).
    """
@overload
def dlnorm(x: ArrayLike, mu: ArrayLike, sigma: ArrayLike, log: ArrayLike = False) -> NDArray[np.float64]: ...

@overload
def dlogis(x: _Real, mu: _Real, sigma: _Real, log: _Flag = False) -> float:  # type: ignore[overload-overlap]
    """Density of the logistic distribution at `x`: exp(-z) / (sigma (1 + exp(-z))^2) with
    z = (x - mu)/sigma, on the whole line. `mu` the location (mean and median); `sigma`
    the scale (>= 0); the standard deviation is pi sigma / sqrt(3); `log` gives the
    log-density instead. Arguments broadcast like NumPy's; the result is a float when
    every argument is a scalar, else a float64 array. A NaN argument or a parameter
    outside its domain gives NaN; a point outside the support gives 0 (-inf in log
    mode).
    """
@overload
def dlogis(x: ArrayLike, mu: ArrayLike, sigma: ArrayLike, log: ArrayLike = False) -> NDArray[np.float64]: ...

@overload
def dpois(x: _Real, rate: _Real, log: _Flag = False) -> float:  # type: ignore[overload-overlap]
    """Mass of the Poisson distribution at the integer `x` (floats are truncated toward
    zero): rate^x exp(-rate) / x! for x = 0, 1, 2, .... `rate` the mean number of events
    (>= 0); `log` gives the log-mass instead. Arguments broadcast like NumPy's; the
    result is a float when every argument is a scalar, else a float64 array. A NaN
    argument or a parameter outside its domain gives NaN; a point outside the support
    gives 0 (-inf in log mode).
    """
@overload
def dpois(x: ArrayLike, rate: ArrayLike, log: ArrayLike = False) -> NDArray[np.float64]: ...

@overload
def dt(x: _Real, dof: _Real, log: _Flag = False) -> float:  # type: ignore[overload-overlap]
    """Density of the Student's t distribution at `x`: Gamma((dof+1)/2) / (sqrt(dof pi)
    Gamma(dof/2)) (1 + x^2/dof)^(-(dof+1)/2) on the whole line. `dof` the degrees of
    freedom (> 0; infinity gives the standard normal); `log` gives the log-density
    instead. Arguments broadcast like NumPy's; the result is a float when every argument
    is a scalar, else a float64 array. A NaN argument or a parameter outside its domain
    gives NaN; a point outside the support gives 0 (-inf in log mode).
    """
@overload
def dt(x: ArrayLike, dof: ArrayLike, log: ArrayLike = False) -> NDArray[np.float64]: ...

@overload
def dunif(x: _Real, a: _Real, b: _Real, log: _Flag = False) -> float:  # type: ignore[overload-overlap]
    """Density of the uniform distribution at `x`: 1/(b - a) for a <= x <= b. `a` the lower
    end; `b` the upper end (a < b, both finite); `log` gives the log-density instead.
    Arguments broadcast like NumPy's; the result is a float when every argument is a
    scalar, else a float64 array. A NaN argument or a parameter outside its domain gives
    NaN; a point outside the support gives 0 (-inf in log mode).
    """
@overload
def dunif(x: ArrayLike, a: ArrayLike, b: ArrayLike, log: ArrayLike = False) -> NDArray[np.float64]: ...

@overload
def dweibull(x: _Real, shape: _Real, scale: _Real, log: _Flag = False) -> float:  # type: ignore[overload-overlap]
    """Density of the Weibull distribution at `x`: (k/lambda) (x/lambda)^(k-1)
    exp(-(x/lambda)^k) for x >= 0. `shape` the shape k (> 0); `scale` the scale lambda
    (> 0); `log` gives the log-density instead. Arguments broadcast like NumPy's; the
    result is a float when every argument is a scalar, else a float64 array. A NaN
    argument or a parameter outside its domain gives NaN; a point outside the support
    gives 0 (-inf in log mode).
    """
@overload
def dweibull(x: ArrayLike, shape: ArrayLike, scale: ArrayLike, log: ArrayLike = False) -> NDArray[np.float64]: ...

# Random sampling

@overload
def rnorm(mu: _Real = 0, sigma: _Real = 1, engine: Engine = ...) -> float:
    """Random draws from the normal distribution (exp(-(x - mu)^2 / (2 sigma^2)) / (sigma
    sqrt(2 pi)) on the whole line), taken from `engine` (the shared default engine,
    seeded with 1, when omitted). `mu` the mean; `sigma` the standard deviation (>= 0).
    Without `size` the result is one float; an integer `size` gives a one-dimensional
    float64 array of that length and a sequence of extents an array of that shape,
    holding exactly the draws that as many single calls would give. Invalid parameters
    give NaN and consume nothing from the engine.
    """
@overload
def rnorm(mu: _Real, sigma: _Real, size: _Extents, engine: Engine = ...) -> NDArray[np.float64]: ...
@overload
def rnorm(mu: _Real = 0, sigma: _Real = 1, *, size: _Extents, engine: Engine = ...) -> NDArray[np.float64]: ...
@overload
def rnorm(mu: _Real, sigma: _Real, size: _Int, engine: Engine = ...) -> NDArray[np.float64]: ...
@overload
def rnorm(mu: _Real = 0, sigma: _Real = 1, *, size: _Int, engine: Engine = ...) -> NDArray[np.float64]: ...

@overload
def rbern(prob: _Real, engine: Engine = ...) -> float:
    """Random draws from the Bernoulli distribution (prob at x = 1 and 1 - prob at x = 0),
    taken from `engine` (the shared default engine, seeded with 1, when omitted). `prob`
    the probability of a 1 (0 <= prob <= 1). Without `size` the result is one float; an
    integer `size` gives a one-dimensional float64 array of that length and a sequence
    of extents an array of that shape, holding exactly the draws that as many single
    calls would give. Invalid parameters give NaN and consume nothing from the engine.
    """
@overload
def rbern(prob: _Real, size: _Extents, engine: Engine = ...) -> NDArray[np.float64]: ...
@overload
def rbern(prob: _Real, size: _Int, engine: Engine = ...) -> NDArray[np.float64]: ...

@overload
def rbeta(a: _Real, b: _Real, engine: Engine = ...) -> float:
    """Random draws from the beta distribution (x^(a-1) (1-x)^(b-1) / B(a, b) for 0 <= x <=
    1), taken from `engine` (the shared default engine, seeded with 1, when omitted).
    `a` the first shape (>= 0); `b` the second shape (>= 0). Without `size` the result
    is one float; an integer `size` gives a one-dimensional float64 array of that length
    and a sequence of extents an array of that shape, holding exactly the draws that as
    many single calls would give. Invalid parameters give NaN and consume nothing from
    the engine.
    """
@overload
def rbeta(a: _Real, b: _Real, size: _Extents, engine: Engine = ...) -> NDArray[np.float64]: ...
@overload
def rbeta(a: _Real, b: _Real, size: _Int, engine: Engine = ...) -> NDArray[np.float64]: ...

@overload
def rbinom(n_trials: _Int, prob: _Real, engine: Engine = ...) -> float:
    """Random draws from the binomial distribution (C(n_trials, x) prob^x
    (1-prob)^(n_trials-x) for x = 0, ..., n_trials), taken from `engine` (the shared
    default engine, seeded with 1, when omitted). `n_trials` the number of trials (an
    integer >= 0); `prob` the success probability (0 <= prob <= 1). Without `size` the
    result is one float; an integer `size` gives a one-dimensional float64 array of that
    length and a sequence of extents an array of that shape, holding exactly the draws
    that as many single calls would give. Invalid parameters give NaN and consume
    nothing from the engine.
    """
@overload
def rbinom(n_trials: _Int, prob: _Real, size: _Extents, engine: Engine = ...) -> NDArray[np.float64]: ...
@overload
def rbinom(n_trials: _Int, prob: _Real, size: _Int, engine: Engine = ...) -> NDArray[np.float64]: ...

@overload
def rcauchy(mu: _Real, sigma: _Real, engine: Engine = ...) -> float:
    """Random draws from the Cauchy distribution (1 / (pi sigma (1 + ((x - mu)/sigma)^2))
    on the whole line), taken from `engine` (the shared default engine, seeded with 1,
    when omitted). `mu` the location (median); `sigma` the scale, the half width at half
    maximum (>= 0). Without `size` the result is one float; an integer `size` gives a
    one-dimensional float64 array of that length and a sequence of extents an array of
    that shape, holding exactly the draws that as many single calls would give. Invalid
    parameters give NaN and consume nothing from the engine.
    """
@overload
def rcauchy(mu: _Real, sigma: _Real, size: _Extents, engine: Engine = ...) -> NDArray[np.float64]: ...
@overload
def rcauchy(mu: _Real, sigma: _Real, size: _Int, engine: Engine = ...) -> NDArray[np.float64]: ...

@overload
def rchisq(dof: _Real, engine: Engine = ...) -> float:
    """Random draws from the chi-squared distribution (x^(dof/2-1) exp(-x/2) / (2^(dof/2)
    Gamma(dof/2)) for x >= 0), taken from `engine` (the shared default engine, seeded
    with 1, when omitted). `dof` the degrees of freedom (>= 0). Without `size` the
    result is one float; an integer `size` gives a one-dimensional float64 array of that
    length and a sequence of extents an array of that shape, holding exactly the draws
    that as many single calls would give. Invalid parameters give NaN and consume
    nothing from the engine.
    """
@overload
def rchisq(dof: _Real, size: _Extents, engine: Engine = ...) -> NDArray[np.float64]: ...
@overload
def rchisq(dof: _Real, size: _Int, engine: Engine = ...) -> NDArray[np.float64]: ...

@overload
def rexp(rate: _Real, engine: Engine = ...) -> float:
    """Random draws from the exponential distribution (rate exp(-rate x) for x >= 0), taken
    from `engine` (the shared default engine, seeded with 1, when omitted). `rate` the
    rate, the inverse of the mean (0 <= rate < inf). Without `size` the result is one
    float; an integer `size` gives a one-dimensional float64 array of that length and a
    sequence of extents an array of that shape, holding exactly the draws that as many
    single calls would give. Invalid parameters give NaN and consume nothing from the
    engine.
    """
@overload
def rexp(rate: _Real, size: _Extents, engine: Engine = ...) -> NDArray[np.float64]: ...
@overload
def rexp(rate: _Real, size: _Int, engine: Engine = ...) -> NDArray[np.float64]: ...

@overload
def rf(df1: _Real, df2: _Real, engine: Engine = ...) -> float:
    """Random draws from the F distribution (the density of (U1/df1)/(U2/df2) for
    independent chi-squared U1, U2, for x >= 0), taken from `engine` (the shared default
    engine, seeded with 1, when omitted). `df1` the numerator degrees of freedom (> 0);
    `df2` the denominator degrees of freedom (> 0). Without `size` the result is one
    float; an integer `size` gives a one-dimensional float64 array of that length and a
    sequence of extents an array of that shape, holding exactly the draws that as many
    single calls would give. Invalid parameters give NaN and consume nothing from the
    engine.
    """
@overload
def rf(df1: _Real, df2: _Real, size: _Extents, engine: Engine = ...) -> NDArray[np.float64]: ...
@overload
def rf(df1: _Real, df2: _Real, size: _Int, engine: Engine = ...) -> NDArray[np.float64]: ...

@overload
def rgamma(shape: _Real, scale: _Real, engine: Engine = ...) -> float:
    """Random draws from the gamma distribution (x^(k-1) exp(-x/theta) / (Gamma(k) theta^k)
    for x >= 0), taken from `engine` (the shared default engine, seeded with 1, when
    omitted). `shape` the shape k (>= 0); `scale` the scale theta (>= 2^-52); the rate
    is 1/scale. Without `size` the result is one float; an integer `size` gives a
    one-dimensional float64 array of that length and a sequence of extents an array of
    that shape, holding exactly the draws that as many single calls would give. Invalid
    parameters give NaN and consume nothing from the engine.
    """
@overload
def rgamma(shape: _Real, scale: _Real, size: _Extents, engine: Engine = ...) -> NDArray[np.float64]: ...
@overload
def rgamma(shape: _Real, scale: _Real, size: _Int, engine: Engine = ...) -> NDArray[np.float64]: ...

@overload
def rinvgamma(shape: _Real, scale: _Real, engine: Engine = ...) -> float:
    """Random draws from the inverse-gamma distribution (beta^alpha x^(-alpha-1)
    exp(-beta/x) / Gamma(alpha) for x >= 0), taken from `engine` (the shared default
    engine, seeded with 1, when omitted). `shape` the shape alpha (>= 0); `scale` the
    scale beta (>= 0); 1/X is gamma with shape alpha and rate beta. Without `size` the
    result is one float; an integer `size` gives a one-dimensional float64 array of that
    length and a sequence of extents an array of that shape, holding exactly the draws
    that as many single calls would give. Invalid parameters give NaN and consume
    nothing from the engine.
    """
@overload
def rinvgamma(shape: _Real, scale: _Real, size: _Extents, engine: Engine = ...) -> NDArray[np.float64]: ...
@overload
def rinvgamma(shape: _Real, scale: _Real, size: _Int, engine: Engine = ...) -> NDArray[np.float64]: ...

@overload
def rlaplace(mu: _Real, sigma: _Real, engine: Engine = ...) -> float:
    """Random draws from the Laplace distribution (exp(-|x - mu|/sigma) / (2 sigma) on the
    whole line), taken from `engine` (the shared default engine, seeded with 1, when
    omitted). `mu` the location (mean and median); `sigma` the scale (>= 0); the
    standard deviation is sqrt(2) sigma. Without `size` the result is one float; an
    integer `size` gives a one-dimensional float64 array of that length and a sequence
    of extents an array of that shape, holding exactly the draws that as many single
    calls would give. Invalid parameters give NaN and consume nothing from the engine.
    """
@overload
def rlaplace(mu: _Real, sigma: _Real, size: _Extents, engine: Engine = ...) -> NDArray[np.float64]: ...
@overload
def rlaplace(mu: _Real, sigma: _Real, size: _Int, engine: Engine = ...) -> NDArray[np.float64]: ...

@overload
def rlnorm(mu: _Real, sigma: _Real, engine: Engine = ...) -> float:
    """Random draws from the log-normal distribution (exp(-(log(x) - mu)^2 / (2 sigma^2)) /
    (x sigma sqrt(2 pi)) for x >= 0), taken from `engine` (the shared default engine,
    seeded with 1, when omitted). `mu` the mean of log(X); `sigma` the standard
    deviation of log(X) (>= 0). Without `size` the result is one float; an integer
    `size` gives a one-dimensional float64 array of that length and a sequence of
    extents an array of that shape, holding exactly the draws that as many single calls
    would give. Invalid parameters give NaN and consume nothing from the engine.
    """
@overload
def rlnorm(mu: _Real, sigma: _Real, size: _Extents, engine: Engine = ...) -> NDArray[np.float64]: ...
@overload
def rlnorm(mu: _Real, sigma: _Real, size: _Int, engine: Engine = ...) -> NDArray[np.float64]: ...

@overload
def rlogis(mu: _Real, sigma: _Real, engine: Engine = ...) -> float:
    """Random draws from the logistic distribution (exp(-z) / (sigma (1 + exp(-z))^2) with
    z = (x - mu)/sigma, on the whole line), taken from `engine` (the shared default
    engine, seeded with 1, when omitted). `mu` the location (mean and median); `sigma`
    the scale (>= 0); the standard deviation is pi sigma / sqrt(3). Without `size` the
    result is one float; an integer `size` gives a one-dimensional float64 array of that
    length and a sequence of extents an array of that shape, holding exactly the draws
    that as many single calls would give. Invalid parameters give NaN and consume
    nothing from the engine.
    """
@overload
def rlogis(mu: _Real, sigma: _Real, size: _Extents, engine: Engine = ...) -> NDArray[np.float64]: ...
@overload
def rlogis(mu: _Real, sigma: _Real, size: _Int, engine: Engine = ...) -> NDArray[np.float64]: ...

@overload
def rpois(rate: _Real, engine: Engine = ...) -> float:
    """Random draws from the Poisson distribution (rate^x exp(-rate) / x! for x = 0, 1, 2,
    ...), taken from `engine` (the shared default engine, seeded with 1, when omitted).
    `rate` the mean number of events (>= 0). Without `size` the result is one float; an
    integer `size` gives a one-dimensional float64 array of that length and a sequence
    of extents an array of that shape, holding exactly the draws that as many single
    calls would give. Invalid parameters give NaN and consume nothing from the engine.
    """
@overload
def rpois(rate: _Real, size: _Extents, engine: Engine = ...) -> NDArray[np.float64]: ...
@overload
def rpois(rate: _Real, size: _Int, engine: Engine = ...) -> NDArray[np.float64]: ...

@overload
def rt(dof: _Real, engine: Engine = ...) -> float:
    """Random draws from the Student's t distribution (Gamma((dof+1)/2) / (sqrt(dof pi)
    Gamma(dof/2)) (1 + x^2/dof)^(-(dof+1)/2) on the whole line), taken from `engine`
    (the shared default engine, seeded with 1, when omitted). `dof` the degrees of
    freedom (> 0; infinity gives the standard normal). Without `size` the result is one
    float; an integer `size` gives a one-dimensional float64 array of that length and a
    sequence of extents an array of that shape, holding exactly the draws that as many
    single calls would give. Invalid parameters give NaN and consume nothing from the
    engine.
    """
@overload
def rt(dof: _Real, size: _Extents, engine: Engine = ...) -> NDArray[np.float64]: ...
@overload
def rt(dof: _Real, size: _Int, engine: Engine = ...) -> NDArray[np.float64]: ...

@overload
def runif(a: _Real, b: _Real, engine: Engine = ...) -> float:
    """Random draws from the uniform distribution (1/(b - a) for a <= x <= b), taken from
    `engine` (the shared default engine, seeded with 1, when omitted). `a` the lower
    end; `b` the upper end (a < b, both finite). Without `size` the result is one float;
    an integer `size` gives a one-dimensional float64 array of that length and a
    sequence of extents an array of that shape, holding exactly the draws that as many
    single calls would give. Invalid parameters give NaN and consume nothing from the
    engine.
    """
@overload
def runif(a: _Real, b: _Real, size: _Extents, engine: Engine = ...) -> NDArray[np.float64]: ...
@overload
def runif(a: _Real, b: _Real, size: _Int, engine: Engine = ...) -> NDArray[np.float64]: ...

@overload
def rweibull(shape: _Real, scale: _Real, engine: Engine = ...) -> float:
    """Random draws from the Weibull distribution ((k/lambda) (x/lambda)^(k-1)
    exp(-(x/lambda)^k) for x >= 0), taken from `engine` (the shared default engine,
    seeded with 1, when omitted). `shape` the shape k (> 0); `scale` the scale lambda (>
    0). Without `size` the result is one float; an integer `size` gives a
    one-dimensional float64 array of that length and a sequence of extents an array of
    that shape, holding exactly the draws that as many single calls would give. Invalid
    parameters give NaN and consume nothing from the engine.
    """
@overload
def rweibull(shape: _Real, scale: _Real, size: _Extents, engine: Engine = ...) -> NDArray[np.float64]: ...
@overload
def rweibull(shape: _Real, scale: _Real, size: _Int, engine: Engine = ...) -> NDArray[np.float64]: ...

# Distribution functions

@overload
def pnorm(x: _Real, mu: _Real = 0, sigma: _Real = 1, log_p: _Flag = False) -> float:  # type: ignore[overload-overlap]
    """Distribution function P(X <= x) of the normal distribution. `mu` the mean; `sigma`
    the standard deviation (>= 0); `log_p` gives the logarithm of the probability
    instead. Arguments broadcast like NumPy's; the result is a float when every argument
    is a scalar, else a float64 array. A NaN argument or a parameter outside its domain
    gives NaN.
    """
@overload
def pnorm(x: ArrayLike, mu: ArrayLike = 0, sigma: ArrayLike = 1, log_p: ArrayLike = False) -> NDArray[np.float64]: ...

@overload
def pbern(x: _Real, prob: _Real, log_p: _Flag = False) -> float:  # type: ignore[overload-overlap]
    """Distribution function P(X <= x) at the integer `x` (floats are truncated toward
    zero) of the Bernoulli distribution. `prob` the probability of a 1 (0 <= prob <= 1);
    `log_p` gives the logarithm of the probability instead. Arguments broadcast like
    NumPy's; the result is a float when every argument is a scalar, else a float64
    array. A NaN argument or a parameter outside its domain gives NaN.
    """
@overload
def pbern(x: ArrayLike, prob: ArrayLike, log_p: ArrayLike = False) -> NDArray[np.float64]: ...

@overload
def pbeta(x: _Real, a: _Real, b: _Real, log_p: _Flag = False) -> float:  # type: ignore[overload-overlap]
    """Distribution function P(X <= x) of the beta distribution. `a` the first shape (>=
    0); `b` the second shape (>= 0); `log_p` gives the logarithm of the probability
    instead. Arguments broadcast like NumPy's; the result is a float when every argument
    is a scalar, else a float64 array. A NaN argument or a parameter outside its domain
    gives NaN.
    """
@overload
def pbeta(x: ArrayLike, a: ArrayLike, b: ArrayLike, log_p: ArrayLike = False) -> NDArray[np.float64]: ...

@overload
def pbinom(x: _Real, n_trials: _Real, prob: _Real, log_p: _Flag = False) -> float:  # type: ignore[overload-overlap]
    """Distribution function P(X <= x) at the integer `x` (floats are truncated toward
    zero) of the binomial distribution. `n_trials` the number of trials (an integer >=
    0); `prob` the success probability (0 <= prob <= 1); `log_p` gives the logarithm of
    the probability instead. Arguments broadcast like NumPy's; the result is a float
    when every argument is a scalar, else a float64 array. A NaN argument or a parameter
    outside its domain gives NaN.
    """
@overload
def pbinom(x: ArrayLike, n_trials: ArrayLike, prob: ArrayLike, log_p: ArrayLike = False) -> NDArray[np.float64]: ...

@overload
def pcauchy(x: _Real, mu: _Real, sigma: _Real, log_p: _Flag = False) -> float:  # type: ignore[overload-overlap]
    """Distribution function P(X <= x) of the Cauchy distribution. `mu` the location
    (median); `sigma` the scale, the half width at half maximum (>= 0); `log_p` gives
    the logarithm of the probability instead. Arguments broadcast like NumPy's; the
    result is a float when every argument is a scalar, else a float64 array. A NaN
    argument or a parameter outside its domain gives NaN.
    """
@overload
def pcauchy(x: ArrayLike, mu: ArrayLike, sigma: ArrayLike, log_p: ArrayLike = False) -> NDArray[np.float64]: ...

@overload
def pchisq(x: _Real, dof: _Real, log_p: _Flag = False) -> float:  # type: ignore[overload-overlap]
    """Distribution function P(X <= x) of the chi-squared distribution. `dof` the degrees
    of freedom (>= 0); `log_p` gives the logarithm of the probability instead. Arguments
    broadcast like NumPy's; the result is a float when every argument is a scalar, else
    a float64 array. A NaN argument or a parameter outside its domain gives NaN.
    """
@overload
def pchisq(x: ArrayLike, dof: ArrayLike, log_p: ArrayLike = False) -> NDArray[np.float64]: ...

@overload
def pexp(x: _Real, rate: _Real, log_p: _Flag = False) -> float:  # type: ignore[overload-overlap]
    """Distribution function P(X <= x) of the exponential distribution. `rate` the rate,
    the inverse of the mean (0 <= rate < inf); `log_p` gives the logarithm of the
    probability instead. Arguments broadcast like NumPy's; the result is a float when
    every argument is a scalar, else a float64 array. A NaN argument or a parameter
    outside its domain gives NaN.
    """
@overload
def pexp(x: ArrayLike, rate: ArrayLike, log_p: ArrayLike = False) -> NDArray[np.float64]: ...

@overload
def pf(x: _Real, df1: _Real, df2: _Real, log_p: _Flag = False) -> float:  # type: ignore[overload-overlap]
    """Distribution function P(X <= x) of the F distribution. `df1` the numerator degrees
    of freedom (> 0); `df2` the denominator degrees of freedom (> 0); `log_p` gives the
    logarithm of the probability instead. Arguments broadcast like NumPy's; the result
    is a float when every argument is a scalar, else a float64 array. A NaN argument or
    a parameter outside its domain gives NaN.
    """
@overload
def pf(x: ArrayLike, df1: ArrayLike, df2: ArrayLike, log_p: ArrayLike = False) -> NDArray[np.float64]: ...

@overload
def pgamma(x: _Real, shape: _Real, scale: _Real, log_p: _Flag = False) -> float:  # type: ignore[overload-overlap]
    """Distribution function P(X <= x) of the gamma distribution. `shape` the shape k (>=
    0); `scale` the scale theta (>= 2^-52); the rate is 1/scale; `log_p` gives the
    logarithm of the probability instead. Arguments broadcast like NumPy's; the result
    is a float when every argument is a scalar, else a float64 array. A NaN argument or
    a parameter outside its domain gives NaN.
    """
@overload
def pgamma(x: ArrayLike, shape: ArrayLike, scale: ArrayLike, log_p: ArrayLike = False) -> NDArray[np.float64]: ...

@overload
def pinvgamma(x: _Real, shape: _Real, scale: _Real, log_p: _Flag = False) -> float:  # type: ignore[overload-overlap]
    """Distribution function P(X <= x) of the inverse-gamma distribution. `shape` the shape
    alpha (>= 0); `scale` the scale beta (>= 0); 1/X is gamma with shape alpha and rate
    beta; `log_p` gives the logarithm of the probability instead. Arguments broadcast
    like NumPy's; the result is a float when every argument is a scalar, else a float64
    array. A NaN argument or a parameter outside its domain gives NaN.
    """
@overload
def pinvgamma(x: ArrayLike, shape: ArrayLike, scale: ArrayLike, log_p: ArrayLike = False) -> NDArray[np.float64]: ...

@overload
def plaplace(x: _Real, mu: _Real, sigma: _Real, log_p: _Flag = False) -> float:  # type: ignore[overload-overlap]
    """Distribution function P(X <= x) of the Laplace distribution. `mu` the location (mean
    and median); `sigma` the scale (>= 0); the standard deviation is sqrt(2) sigma;
    `log_p` gives the logarithm of the probability instead. Arguments broadcast like
    NumPy's; the result is a float when every argument is a scalar, else a float64
    array. A NaN argument or a parameter outside its domain gives NaN.
    """
@overload
def plaplace(x: ArrayLike, mu: ArrayLike, sigma: ArrayLike, log_p: ArrayLike = False) -> NDArray[np.float64]: ...

@overload
def plnorm(x: _Real, mu: _Real, sigma: _Real, log_p: _Flag = False) -> float:  # type: ignore[overload-overlap]
    """Distribution function P(X <= x) of the log-normal distribution. `mu` the mean of
    log(X); `sigma` the standard deviation of log(X) (>= 0); `log_p` gives the logarithm
    of the probability instead. Arguments broadcast like NumPy's; the result is a float
    when every argument is a scalar, else a float64 array. A NaN argument or a parameter
    outside its domain gives NaN.
    """
@overload
def plnorm(x: ArrayLike, mu: ArrayLike, sigma: ArrayLike, log_p: ArrayLike = False) -> NDArray[np.float64]: ...

@overload
def plogis(x: _Real, mu: _Real, sigma: _Real, log_p: _Flag = False) -> float:  # type: ignore[overload-overlap]
    """Distribution function P(X <= x) of the logistic distribution. `mu` the location
    (mean and median); `sigma` the scale (>= 0); the standard deviation is pi sigma /
    sqrt(3); `log_p` gives the logarithm of the probability instead. Arguments broadcast
    like NumPy's; the result is a float when every argument is a scalar, else a float64
    array. A NaN argument or a parameter outside its domain gives NaN.
    """
@overload
def plogis(x: ArrayLike, mu: ArrayLike, sigma: ArrayLike, log_p: ArrayLike = False) -> NDArray[np.float64]: ...

@overload
def ppois(x: _Real, rate: _Real, log_p: _Flag = False) -> float:  # type: ignore[overload-overlap]
    """Distribution function P(X <= x) at the integer `x` (floats are truncated toward
    zero) of the Poisson distribution. `rate` the mean number of events (>= 0); `log_p`
    gives the logarithm of the probability instead. Arguments broadcast like NumPy's;
    the result is a float when every argument is a scalar, else a float64 array. A NaN
    argument or a parameter outside its domain gives NaN.
    """
@overload
def ppois(x: ArrayLike, rate: ArrayLike, log_p: ArrayLike = False) -> NDArray[np.float64]: ...

@overload
def pt(x: _Real, dof: _Real, log_p: _Flag = False) -> float:  # type: ignore[overload-overlap]
    """Distribution function P(X <= x) of the Student's t distribution. `dof` the degrees
    of freedom (> 0; infinity gives the standard normal); `log_p` gives the logarithm of
    the probability instead. Arguments broadcast like NumPy's; the result is a float
    when every argument is a scalar, else a float64 array. A NaN argument or a parameter
    outside its domain gives NaN.
    """
@overload
def pt(x: ArrayLike, dof: ArrayLike, log_p: ArrayLike = False) -> NDArray[np.float64]: ...

@overload
def punif(x: _Real, a: _Real, b: _Real, log_p: _Flag = False) -> float:  # type: ignore[overload-overlap]
    """Distribution function P(X <= x) of the uniform distribution. `a` the lower end; `b`
    the upper end (a < b, both finite); `log_p` gives the logarithm of the probability
    instead. Arguments broadcast like NumPy's; the result is a float when every argument
    is a scalar, else a float64 array. A NaN argument or a parameter outside its domain
    gives NaN.
    """
@overload
def punif(x: ArrayLike, a: ArrayLike, b: ArrayLike, log_p: ArrayLike = False) -> NDArray[np.float64]: ...

@overload
def pweibull(x: _Real, shape: _Real, scale: _Real, log_p: _Flag = False) -> float:  # type: ignore[overload-overlap]
    """Distribution function P(X <= x) of the Weibull distribution. `shape` the shape k (>
    0); `scale` the scale lambda (> 0); `log_p` gives the logarithm of the probability
    instead. Arguments broadcast like NumPy's; the result is a float when every argument
    is a scalar, else a float64 array. A NaN argument or a parameter outside its domain
    gives NaN.
    """
@overload
def pweibull(x: ArrayLike, shape: ArrayLike, scale: ArrayLike, log_p: ArrayLike = False) -> NDArray[np.float64]: ...

# Quantiles

@overload
def qnorm(p: _Real, mu: _Real = 0, sigma: _Real = 1) -> float:  # type: ignore[overload-overlap]
    """Quantile of the normal distribution: the x with P(X <= x) = p, for the probability
    `p` (0 <= p <= 1). `mu` the mean; `sigma` the standard deviation (>= 0). Arguments
    broadcast like NumPy's; the result is a float when every argument is a scalar, else
    a float64 array. A p outside [0, 1], a NaN argument or a parameter outside its
    domain gives NaN.
    """
@overload
def qnorm(p: ArrayLike, mu: ArrayLike = 0, sigma: ArrayLike = 1) -> NDArray[np.float64]: ...

@overload
def qbern(p: _Real, prob: _Real) -> float:  # type: ignore[overload-overlap]
    """Quantile of the Bernoulli distribution: the smallest x with P(X <= x) >= p, for the
    probability `p` (0 <= p <= 1). `prob` the probability of a 1 (0 <= prob <= 1).
    Arguments broadcast like NumPy's; the result is a float when every argument is a
    scalar, else a float64 array. A p outside [0, 1], a NaN argument or a parameter
    outside its domain gives NaN.
    """
@overload
def qbern(p: ArrayLike, prob: ArrayLike) -> NDArray[np.float64]: ...

@overload
def qbeta(p: _Real, a: _Real, b: _Real) -> float:  # type: ignore[overload-overlap]
    """Quantile of the beta distribution: the x with P(X <= x) = p, for the probability `p`
    (0 <= p <= 1). `a` the first shape (>= 0); `b` the second shape (>= 0). Arguments
    broadcast like NumPy's; the result is a float when every argument is a scalar, else
    a float64 array. A p outside [0, 1], a NaN argument or a parameter outside its
    domain gives NaN.
    """
@overload
def qbeta(p: ArrayLike, a: ArrayLike, b: ArrayLike) -> NDArray[np.float64]: ...

@overload
def qbinom(p: _Real, n_trials: _Real, prob: _Real) -> float:  # type: ignore[overload-overlap]
    """Quantile of the binomial distribution: the smallest x with P(X <= x) >= p, for the
    probability `p` (0 <= p <= 1). `n_trials` the number of trials (an integer >= 0);
    `prob` the success probability (0 <= prob <= 1). Arguments broadcast like NumPy's;
    the result is a float when every argument is a scalar, else a float64 array. A p
    outside [0, 1], a NaN argument or a parameter outside its domain gives NaN.
    """
@overload
def qbinom(p: ArrayLike, n_trials: ArrayLike, prob: ArrayLike) -> NDArray[np.float64]: ...

@overload
def qcauchy(p: _Real, mu: _Real, sigma: _Real) -> float:  # type: ignore[overload-overlap]
    """Quantile of the Cauchy distribution: the x with P(X <= x) = p, for the probability
    `p` (0 <= p <= 1). `mu` the location (median); `sigma` the scale, the half width at
    half maximum (>= 0). Arguments broadcast like NumPy's; the result is a float when
    every argument is a scalar, else a float64 array. A p outside [0, 1], a NaN argument
    or a parameter outside its domain gives NaN.
    """
@overload
def qcauchy(p: ArrayLike, mu: ArrayLike, sigma: ArrayLike) -> NDArray[np.float64]: ...

@overload
def qchisq(p: _Real, dof: _Real) -> float:  # type: ignore[overload-overlap]
    """Quantile of the chi-squared distribution: the x with P(X <= x) = p, for the
    probability `p` (0 <= p <= 1). `dof` the degrees of freedom (>= 0). Arguments
    broadcast like NumPy's; the result is a float when every argument is a scalar, else
    a float64 array. A p outside [0, 1], a NaN argument or a parameter outside its
    domain gives NaN.
    """
@overload
def qchisq(p: ArrayLike, dof: ArrayLike) -> NDArray[np.float64]: ...

@overload
def qexp(p: _Real, rate: _Real) -> float:  # type: ignore[overload-overlap]
    """Quantile of the exponential distribution: the x with P(X <= x) = p, for the
    probability `p` (0 <= p <= 1). `rate` the rate, the inverse of the mean (0 <= rate <
    inf). Arguments broadcast like NumPy's; the result is a float when every argument is
    a scalar, else a float64 array. A p outside [0, 1], a NaN argument or a parameter
    outside its domain gives NaN.
    """
@overload
def qexp(p: ArrayLike, rate: ArrayLike) -> NDArray[np.float64]: ...

@overload
def qf(p: _Real, df1: _Real, df2: _Real) -> float:  # type: ignore[overload-overlap]
    """Quantile of the F distribution: the x with P(X <= x) = p, for the probability `p` (0
    <= p <= 1). `df1` the numerator degrees of freedom (> 0); `df2` the denominator
    degrees of freedom (> 0). Arguments broadcast like NumPy's; the result is a float
    when every argument is a scalar, else a float64 array. A p outside [0, 1], a NaN
    argument or a parameter outside its domain gives NaN.
    """
@overload
def qf(p: ArrayLike, df1: ArrayLike, df2: ArrayLike) -> NDArray[np.float64]: ...

@overload
def qgamma(p: _Real, shape: _Real, scale: _Real) -> float:  # type: ignore[overload-overlap]
    """Quantile of the gamma distribution: the x with P(X <= x) = p, for the probability
    `p` (0 <= p <= 1). `shape` the shape k (>= 0); `scale` the scale theta (>= 2^-52);
    the rate is 1/scale. Arguments broadcast like NumPy's; the result is a float when
    every argument is a scalar, else a float64 array. A p outside [0, 1], a NaN argument
    or a parameter outside its domain gives NaN.
    """
@overload
def qgamma(p: ArrayLike, shape: ArrayLike, scale: ArrayLike) -> NDArray[np.float64]: ...

@overload
def qinvgamma(p: _Real, shape: _Real, scale: _Real) -> float:  # type: ignore[overload-overlap]
    """Quantile of the inverse-gamma distribution: the x with P(X <= x) = p, for the
    probability `p` (0 <= p <= 1). `shape` the shape alpha (>= 0); `scale` the scale
    beta (>= 0); 1/X is gamma with shape alpha and rate beta. Arguments broadcast like
    NumPy's; the result is a float when every argument is a scalar, else a float64
    array. A p outside [0, 1], a NaN argument or a parameter outside its domain gives
    NaN.
    """
@overload
def qinvgamma(p: ArrayLike, shape: ArrayLike, scale: ArrayLike) -> NDArray[np.float64]: ...

@overload
def qlaplace(p: _Real, mu: _Real, sigma: _Real) -> float:  # type: ignore[overload-overlap]
    """Quantile of the Laplace distribution: the x with P(X <= x) = p, for the probability
    `p` (0 <= p <= 1). `mu` the location (mean and median); `sigma` the scale (>= 0);
    the standard deviation is sqrt(2) sigma. Arguments broadcast like NumPy's; the
    result is a float when every argument is a scalar, else a float64 array. A p outside
    [0, 1], a NaN argument or a parameter outside its domain gives NaN.
    """
@overload
def qlaplace(p: ArrayLike, mu: ArrayLike, sigma: ArrayLike) -> NDArray[np.float64]: ...

@overload
def qlnorm(p: _Real, mu: _Real, sigma: _Real) -> float:  # type: ignore[overload-overlap]
    """Quantile of the log-normal distribution: the x with P(X <= x) = p, for the
    probability `p` (0 <= p <= 1). `mu` the mean of log(X); `sigma` the standard
    deviation of log(X) (>= 0). Arguments broadcast like NumPy's; the result is a float
    when every argument is a scalar, else a float64 array. A p outside [0, 1], a NaN
    argument or a parameter outside its domain gives NaN.
    """
@overload
def qlnorm(p: ArrayLike, mu: ArrayLike, sigma: ArrayLike) -> NDArray[np.float64]: ...

@overload
def qlogis(p: _Real, mu: _Real, sigma: _Real) -> float:  # type: ignore[overload-overlap]
    """Quantile of the logistic distribution: the x with P(X <= x) = p, for the probability
    `p` (0 <= p <= 1). `mu` the location (mean and median); `sigma` the scale (>= 0);
    the standard deviation is pi sigma / sqrt(3). Arguments broadcast like NumPy's; the
    result is a float when every argument is a scalar, else a float64 array. A p outside
    [0, 1], a NaN argument or a parameter outside its domain gives NaN.
    """
@overload
def qlogis(p: ArrayLike, mu: ArrayLike, sigma: ArrayLike) -> NDArray[np.float64]: ...

@overload
def qpois(p: _Real, rate: _Real) -> float:  # type: ignore[overload-overlap]
    """Quantile of the Poisson distribution: the smallest x with P(X <= x) >= p, for the
    probability `p` (0 <= p <= 1). `rate` the mean number of events (>= 0). Arguments
    broadcast like NumPy's; the result is a float when every argument is a scalar, else
    a float64 array. A p outside [0, 1], a NaN argument or a parameter outside its
    domain gives NaN.
    """
@overload
def qpois(p: ArrayLike, rate: ArrayLike) -> NDArray[np.float64]: ...

@overload
def qt(p: _Real, dof: _Real) -> float:  # type: ignore[overload-overlap]
    """Quantile of the Student's t distribution: the x with P(X <= x) = p, for the
    probability `p` (0 <= p <= 1). `dof` the degrees of freedom (> 0; infinity gives the
    standard normal). Arguments broadcast like NumPy's; the result is a float when every
    argument is a scalar, else a float64 array. A p outside [0, 1], a NaN argument or a
    parameter outside its domain gives NaN.
    """
@overload
def qt(p: ArrayLike, dof: ArrayLike) -> NDArray[np.float64]: ...

@overload
def qunif(p: _Real, a: _Real, b: _Real) -> float:  # type: ignore[overload-overlap]
    """Quantile of the uniform distribution: the x with P(X <= x) = p, for the probability
    `p` (0 <= p <= 1). `a` the lower end; `b` the upper end (a < b, both finite).
    Arguments broadcast like NumPy's; the result is a float when every argument is a
    scalar, else a float64 array. A p outside [0, 1], a NaN argument or a parameter
    outside its domain gives NaN.
    """
@overload
def qunif(p: ArrayLike, a: ArrayLike, b: ArrayLike) -> NDArray[np.float64]: ...

@overload
def qweibull(p: _Real, shape: _Real, scale: _Real) -> float:  # type: ignore[overload-overlap]
    """Quantile of the Weibull distribution: the x with P(X <= x) = p, for the probability
    `p` (0 <= p <= 1). `shape` the shape k (> 0); `scale` the scale lambda (> 0).
    Arguments broadcast like NumPy's; the result is a float when every argument is a
    scalar, else a float64 array. A p outside [0, 1], a NaN argument or a parameter
    outside its domain gives NaN.
    """
@overload
def qweibull(p: ArrayLike, shape: ArrayLike, scale: ArrayLike) -> NDArray[np.float64]: ...
