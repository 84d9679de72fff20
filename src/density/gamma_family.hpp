// Chi-squared, exponential, gamma, inverse-gamma and Weibull densities.
//
// Each kernel tests validity (NaN, parameter domain), then the support
// (x < 0 is outside), then its special values in a fixed order: the point
// x = 0, degenerate shapes (0) and infinite points or parameters.  Only then
// does it evaluate the log-density s from num::log and num::lgamma, in the
// order written below, and return s or num::exp(s).
//
// Open points and the choices made:
// - A power of x (of x / scale for Weibull) with an exponent of exactly 0
//   at a point below 2^-52, where num::log gives -inf, is taken as 1
//   (log_power): dgamma(1e-300, 1, 2) = 0.5 and dchisq(1e-300, 2) = 0.5,
//   continuing dgamma(0, 1, theta) = 1/theta and dchisq(0, 2) = 0.5; Weibull
//   with shape 1 gives 1/scale at x = 0 the same way.  Where x / scale
//   overflows to +inf the Weibull formula meets inf - inf for shapes >= 1
//   and gives NaN (shape 1 included: only a logarithm of -inf is special).
// - dchisq with dof = 0 is 0 (log: -inf) at every x > 0.  The formula gives
//   this through lgamma(0) = +inf, except below 2^-52 where log(x) = -inf
//   would meet it as inf - inf; the explicit row covers those points too.
// - Tiny positive parameters are not special: a rate or scale below 2^-52
//   has a logarithm of -inf, and a shape below 2^-52 a log-gamma of +inf,
//   with whatever the formula then makes of them.
//
// Measured against SciPy (shapes 0.3 to 55, scales 0.1 to 3.5, dof up to
// 150, points at the 1e-4 to 1 - 1e-4 quantiles): relative error of the
// density at most 1.4e-13, error of the log-density 9e-14 relative to
// max(1, |s|).  It grows with the log-gamma and logarithm terms that cancel
// in s, so with the shape; the exponential is within 2e-15.
#pragma once

#include "../num/log_gamma.hpp"
#include "conventions.hpp"

namespace pradix::density {

inline double dchisq(double x, double dof, bool log) {
    if (any_nan(x, dof) || dof < 0.0) return NaN;
    if (x < 0.0) return zero(log);
    if (x == 0.0) return logged(dof < 2.0 ? INF : (dof == 2.0 ? 0.5 : 0.0), log);
    if (x == INF || dof == INF) return zero(log);
    if (dof == 0.0) return zero(log);
    const double h = dof * 0.5;
    const double s = (log_power(num::log(x), h - 1.0) + (-num::lgamma(h) - h * num::LN2)) - x * 0.5;
    return from_log(s, log);
}

inline double dexp(double x, double rate, bool log) {
    if (any_nan(x, rate) || rate < 0.0 || rate == INF) return NaN;
    if (x < 0.0) return zero(log);
    if (x == INF) return rate > 0.0 ? zero(log) : NaN;
    return from_log(num::log(rate) - x * rate, log);
}

inline double dgamma(double x, double shape, double scale, bool log) {
    if (any_nan(x, shape, scale) || shape < 0.0 || scale < num::EPS) return NaN;
    if (x < 0.0) return zero(log);
    if (x == 0.0) return logged(shape < 1.0 ? INF : (shape == 1.0 ? 1.0 / scale : 0.0), log);
    if (shape == 0.0) return logged(0.0, log);
    if (x == INF || shape == INF || scale == INF) return zero(log);
    const double s = ((-num::lgamma(shape) - num::log(scale) * shape) +
                      log_power(num::log(x), shape - 1.0)) -
                     x / scale;
    return from_log(s, log);
}

inline double dinvgamma(double x, double shape, double scale, bool log) {
    if (any_nan(x, shape, scale) || shape < 0.0 || scale < 0.0) return NaN;
    if (x < 0.0) return zero(log);
    if (x == 0.0) return logged(shape != 0.0 && scale == 0.0 ? INF : 0.0, log);
    if (shape == 0.0) return INF;
    if (scale == 0.0) return zero(log);
    if (x == INF || shape == INF || scale == INF) return zero(log);
    // The exponent -shape - 1 is at most -1, never 0.
    const double s = ((num::log(scale) * shape - num::lgamma(shape)) + num::log(x) * (-shape - 1.0)) -
                     scale / x;
    return from_log(s, log);
}

inline double dweibull(double x, double shape, double scale, bool log) {
    if (any_nan(x, shape, scale) || shape < num::EPS || scale < num::EPS) return NaN;
    if (x < 0.0) return zero(log);
    if (x == 0.0 && shape < 1.0) return INF;
    if (x == INF) return zero(log);
    // x = 0 with shape >= 1 runs the formula: l = -inf makes p = 0, and
    // (shape - 1) * l is -inf (density 0) or, for shape 1, 0.
    const double a = num::log(shape / scale);
    const double l = num::log(x / scale);
    const double p = num::exp(l * shape);
    const double s = (log_power(l, shape - 1.0) + a) - p;
    return from_log(s, log);
}

}  // namespace pradix::density
