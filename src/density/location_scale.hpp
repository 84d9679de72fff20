// Normal, Laplace, Cauchy, logistic, log-normal and uniform densities.
//
// The regular formulas apply to finite x and mu with 0 < sigma < inf;
// everything else (a scale of 0 or +inf, infinite points or locations) goes
// through each kernel's rule table.  Cauchy is computed as a density, the
// others as log-densities.
#pragma once

#include "conventions.hpp"

namespace pradix::density {

// Rule table shared by dnorm and dlaplace for sigma = 0 or infinite x, mu.
inline double normal_like_limit(double x, double mu, double sigma) {
    if (sigma == INF) return 0.0;
    if (same_infinity(x, mu)) return NaN;
    if (sigma == 0.0 && x == mu) return INF;
    return 0.0;
}

inline double dnorm(double x, double mu, double sigma, bool log) {
    if (any_nan(x, mu, sigma) || sigma < 0.0) return NaN;
    if (num::is_finite(x) && num::is_finite(mu) && sigma > 0.0) {
        if (sigma == INF) return zero(log);
        const double z = (x - mu) / sigma;
        return from_log((-num::LN_SQRT_2PI - num::log(sigma)) - (z * z) * 0.5, log);
    }
    return logged(normal_like_limit(x, mu, sigma), log);
}

inline double dlaplace(double x, double mu, double sigma, bool log) {
    if (any_nan(x, mu, sigma) || sigma < 0.0) return NaN;
    if (num::is_finite(x) && num::is_finite(mu) && sigma > 0.0) {
        if (sigma == INF) return zero(log);
        return from_log(-num::log(sigma + sigma) - num::abs(x - mu) / sigma, log);
    }
    return logged(normal_like_limit(x, mu, sigma), log);
}

inline double dcauchy(double x, double mu, double sigma, bool log) {
    if (any_nan(x, mu, sigma) || sigma < 0.0) return NaN;
    double v;
    if (num::is_finite(x) && num::is_finite(mu)) {
        if (sigma == INF) {
            v = 0.0;
        } else {
            // sigma = 0 is left to the formula: 0/0 or inf*0, both NaN.
            const double z = (x - mu) / sigma;
            v = 1.0 / ((z * z + 1.0) * (sigma * num::PI));
        }
    } else if (sigma == INF || same_infinity(x, mu)) {
        v = NaN;
    } else {
        v = 0.0;
    }
    return logged(v, log);
}

inline double dlogis(double x, double mu, double sigma, bool log) {
    if (any_nan(x, mu, sigma) || sigma < 0.0) return NaN;
    if (num::is_finite(x) && num::is_finite(mu)) {
        if (sigma == INF) return zero(log);
        // sigma = 0 runs the formula too and ends in NaN.
        const double z = -((x - mu) / sigma);
        const double l = num::log(num::exp(z) + 1.0);
        return from_log((z - num::log(sigma)) - (l + l), log);
    }
    if (sigma == INF) return zero(log);
    return logged(same_infinity(x, mu) ? NaN : 0.0, log);
}

inline double dlnorm(double x, double mu, double sigma, bool log) {
    if (any_nan(x, mu, sigma) || sigma < 0.0) return NaN;
    if (x < 0.0) return zero(log);
    const double lx = num::log(x);  // -inf for every x below 2^-52
    if (num::is_finite(lx) && num::is_finite(mu) && sigma > 0.0) {
        if (sigma == INF) return zero(log);
        return log ? dnorm(lx, mu, sigma, true) - lx : dnorm(lx, mu, sigma, false) / x;
    }
    double v;
    if (sigma == INF) {
        v = 0.0;
    } else if (sigma == 0.0) {
        v = same_infinity(lx, mu) ? INF : 0.0;
    } else {
        v = (lx == INF && mu == INF) ? NaN : 0.0;
    }
    return logged(v, log);
}

inline double dunif(double x, double a, double b, bool log) {
    if (any_nan(x, a, b) || a >= b) return NaN;
    if (num::is_inf(a) || num::is_inf(b)) return zero(log);
    if (x < a || x > b) return zero(log);
    const double w = b - a;
    return log ? -num::log(w) : 1.0 / w;
}

}  // namespace pradix::density
