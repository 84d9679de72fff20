// Distribution functions of the normal, log-normal, Cauchy, Laplace,
// logistic and uniform distributions.
//
// The regular formulas need finite x and mu and 0 < sigma < inf; other
// combinations go through each kernel's rules, first match wins.  The
// normal is 1/2 (1 + erf(z / sqrt 2)), so its deep lower tail cancels to 0
// (pnorm(-9) is exactly 0).  The logistic uses its own continued fraction of
// tanh(r), r = (x - mu) / (2 sigma), of depth 35; the truncated fraction
// exceeds 1 in magnitude for |r| above about 29 and overflows for huge r, so
// its value is clamped into [-1, 1] (a NaN becomes the sign of r).
#pragma once

#include "../num/erf.hpp"
#include "conventions.hpp"

namespace pradix::cdf_quantile {

inline bool regular_location_scale(double x, double mu, double sigma) {
    return num::is_finite(x) && num::is_finite(mu) && sigma > 0.0 && sigma < INF;
}

inline double pnorm(double x, double mu, double sigma, bool log_p) {
    if (any_nan(x, mu, sigma) || sigma < 0.0) return NaN;
    double t;
    if (regular_location_scale(x, mu, sigma)) {
        t = (num::erf(((x - mu) / sigma) / num::SQRT2) + 1.0) * 0.5;
    } else if (same_infinity(x, mu)) {
        t = NaN;
    } else if (sigma == INF) {
        if (x == INF || mu == -INF) {
            t = 1.0;
        } else if (x == -INF || mu == INF) {
            t = 0.0;
        } else {
            t = 0.5;
        }
    } else if (sigma == 0.0) {
        t = x >= mu ? 1.0 : 0.0;
    } else {
        t = limit_of_location(x, mu);
    }
    return probability(t, log_p);
}

inline double plnorm(double x, double mu, double sigma, bool log_p) {
    if (any_nan(x, mu, sigma) || sigma < 0.0) return NaN;
    if (x < EPS) return probability(0.0, log_p);
    return pnorm(num::log(x), mu, sigma, log_p);
}

inline double pcauchy(double x, double mu, double sigma, bool log_p) {
    if (any_nan(x, mu, sigma) || sigma < 0.0) return NaN;
    double t;
    if (num::is_finite(x) && num::is_finite(mu)) {
        // sigma = 0 gives 1, 0, or NaN at x = mu, through the quotient.
        t = sigma == INF ? 0.5 : cauchy_core((x - mu) / sigma);
    } else if (sigma == INF || same_infinity(x, mu)) {
        t = NaN;
    } else {
        t = limit_of_location(x, mu);
    }
    return probability(t, log_p);
}

inline double plaplace(double x, double mu, double sigma, bool log_p) {
    if (any_nan(x, mu, sigma) || sigma < 0.0) return NaN;
    double t;
    if (regular_location_scale(x, mu, sigma)) {
        const double h = num::abs(x - mu);
        const double s = num::sgn(x - mu) * 0.5;
        t = (1.0 - num::exp(-h / sigma)) * s + 0.5;
    } else if (same_infinity(x, mu)) {
        t = NaN;
    } else if (sigma == INF) {
        t = (num::is_inf(x) || num::is_inf(mu)) ? NaN : 0.5;
    } else if (sigma == 0.0) {
        t = num::sgn(x - mu) * 0.5 + 0.5;
    } else {
        t = limit_of_location(x, mu);
    }
    return probability(t, log_p);
}

namespace detail {

// tanh(r) for r > 0 by its continued fraction, T_35 = 69,
// T_k = (2k - 1) + s / T_(k+1), s = r^2.
inline double tanh_cf_pos(double r) {
    const double s = r * r;
    double t = 69.0;
    for (int k = 34; k >= 2; --k) t = static_cast<double>(2 * k - 1) + s / t;
    return r / ((r * r) / t + 1.0);
}

inline double logistic_tanh(double r) {
    if (num::near_zero(r)) return 0.0;
    double th = r > 0.0 ? tanh_cf_pos(r) : -tanh_cf_pos(-r);
    if (num::is_nan(th)) return num::sgn(r);
    if (th > 1.0) return 1.0;
    if (th < -1.0) return -1.0;
    return th;
}

}  // namespace detail

inline double plogis(double x, double mu, double sigma, bool log_p) {
    if (any_nan(x, mu, sigma) || sigma < 0.0) return NaN;
    double t;
    if (regular_location_scale(x, mu, sigma)) {
        const double r = (x - mu) / (sigma + sigma);
        t = (detail::logistic_tanh(r) + 1.0) * 0.5;
    } else if (same_infinity(x, mu)) {
        t = NaN;
    } else if (sigma == INF) {
        t = (num::is_inf(x) || num::is_inf(mu)) ? NaN : 0.5;
    } else if (x == INF || mu == -INF) {
        t = 1.0;
    } else if (x == -INF || mu == INF) {
        t = 0.0;
    } else {
        t = x > mu ? 1.0 : (x == mu ? 0.5 : 0.0);
    }
    return probability(t, log_p);
}

inline double punif(double x, double a, double b, bool log_p) {
    if (any_nan(x, a, b) || !(a < b) || (num::is_inf(a) && num::is_inf(b))) return NaN;
    double t;
    if (x <= a) {
        t = 0.0;
    } else if (x >= b) {
        t = 1.0;
    } else {
        t = (x - a) / (b - a);  // NaN inside when one end is infinite
    }
    return probability(t, log_p);
}

}  // namespace pradix::cdf_quantile
