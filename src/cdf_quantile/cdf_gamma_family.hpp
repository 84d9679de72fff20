// Distribution functions of the exponential, Weibull, gamma, inverse-gamma
// and chi-squared distributions.
//
// Gamma-type probabilities are the regularized incomplete gamma function
// P(shape, x / scale); the inverse gamma is 1 - P evaluated at 1/x with rate
// 1/scale, through the gamma kernel and its rules.  Degenerate parameters
// (shape 0, infinite shape or scale) are settled by each kernel's rules.
#pragma once

#include "../num/incomplete_gamma.hpp"
#include "conventions.hpp"

namespace pradix::cdf_quantile {

inline double pexp(double x, double rate, bool log_p) {
    if (any_nan(x, rate) || rate < 0.0) return NaN;
    double t;
    if (x <= 0.0) {
        t = 0.0;
    } else if (rate == INF) {
        t = 1.0;
    } else {
        t = -num::expm1((-rate) * x);  // rate 0 at x = +inf: 0 * inf = NaN
    }
    return probability(t, log_p);
}

inline double pweibull(double x, double shape, double scale, bool log_p) {
    if (any_nan(x, shape, scale) || shape < EPS || scale < EPS) return NaN;
    double t;
    if (x < EPS) {
        t = 0.0;
    } else if (x == INF) {
        t = scale == INF ? NaN : 1.0;
    } else if (shape != INF && scale != INF) {
        const double e = x / scale;
        t = -num::expm1(-num::exp(num::log(e) * shape));
    } else if (scale == INF) {
        t = 0.0;
    } else {
        const double e = x / scale;
        t = e > 1.0 ? 1.0 : (e == 1.0 ? -num::expm1(-1.0) : 0.0);
    }
    return probability(t, log_p);
}

inline double pgamma(double x, double shape, double scale, bool log_p) {
    if (any_nan(x, shape, scale) || shape < 0.0 || scale < EPS) return NaN;
    double t;
    if (x == INF && scale == INF) {
        t = NaN;
    } else if (x < EPS) {
        t = 0.0;
    } else if (shape == 0.0) {
        t = scale == INF ? 0.0 : 1.0;
    } else if (x == INF) {
        t = 1.0;
    } else if (shape == INF || scale == INF) {
        t = 0.0;
    } else {
        t = num::gamma_p(shape, x / scale);
    }
    return probability(t, log_p);
}

inline double pinvgamma(double x, double shape, double scale, bool log_p) {
    if (any_nan(x, shape, scale) || shape < 0.0 || scale < 0.0) return NaN;
    if (x < 0.0) return probability(0.0, log_p);
    const double y = x == 0.0 ? INF : (x == INF ? 0.0 : 1.0 / x);
    const double rate = scale == 0.0 ? INF : (scale == INF ? 0.0 : 1.0 / scale);
    // The gamma kernel's own rules apply: a rate of 0 (scale = +inf) is NaN.
    const double g = pgamma(y, shape, rate, false);
    return probability(1.0 - g, log_p);
}

inline double pchisq(double x, double dof, bool log_p) {
    if (any_nan(x, dof) || dof < 0.0) return NaN;
    double t;
    if (x < EPS) {
        t = 0.0;
    } else if (dof == 0.0 || x == INF) {
        t = 1.0;
    } else if (dof == INF) {
        t = 0.0;
    } else {
        t = num::gamma_p(dof * 0.5, x * 0.5);
    }
    return probability(t, log_p);
}

}  // namespace pradix::cdf_quantile
