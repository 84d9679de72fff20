// Normal, Laplace, Cauchy, logistic, log-normal and uniform densities.
//
// The regular formulas apply to finite x and mu with 0 < sigma < inf;
// everything else (a scale of 0 or +inf, infinite points or locations) goes
// through each kernel's rule table.  Cauchy is computed as a density, the
// others as log-densities.
//
// dnorm, dlnorm and dlogis are their preparations (the rows on the
// parameters alone, and the logarithm of sigma, once per call) evaluated at
// the point; at_block evaluates a block of points with the exponentials and
// logarithms of the block run together (num/blocks.hpp), the same bits as
// at, point by point.
#pragma once

#include <cstddef>

#include "../num/blocks.hpp"
#include "conventions.hpp"

namespace pradix::density {

// Rule table shared by dnorm and dlaplace for sigma = 0 or infinite x, mu.
inline double normal_like_limit(double x, double mu, double sigma) {
    if (sigma == INF) return 0.0;
    if (same_infinity(x, mu)) return NaN;
    if (sigma == 0.0 && x == mu) return INF;
    return 0.0;
}

struct NormalDensity {
    double mu;
    double sigma;
    bool log;
    bool invalid;  // a NaN parameter or sigma < 0
    bool regular;  // finite mu, 0 < sigma < inf: the formula for every finite x
    double c;      // -ln sqrt(2 pi) - ln sigma, when regular

    static NormalDensity prepare(double mu, double sigma, bool log) {
        NormalDensity d{mu, sigma, log, any_nan(mu, sigma) || sigma < 0.0, false, 0.0};
        d.regular = !d.invalid && num::is_finite(mu) && sigma > 0.0 && sigma != INF;
        if (d.regular) d.c = -num::LN_SQRT_2PI - num::log(sigma);
        return d;
    }

    // The log-density at a finite x, when regular.
    double exponent(double x) const {
        const double z = (x - mu) / sigma;
        return c - (z * z) * 0.5;
    }

    double at(double x) const {
        if (invalid || num::is_nan(x)) return NaN;
        if (num::is_finite(x) && num::is_finite(mu) && sigma > 0.0) {
            if (sigma == INF) return zero(log);
            return from_log(exponent(x), log);
        }
        return logged(normal_like_limit(x, mu, sigma), log);
    }

    void at_block(const double* x, double* out, std::size_t n) const {
        if (!regular || log) {
            for (std::size_t i = 0; i < n; ++i) out[i] = at(x[i]);
            return;
        }
        double s[num::BLOCK];
        for (std::size_t i = 0; i < n; ++i) s[i] = num::is_finite(x[i]) ? exponent(x[i]) : 0.0;
        num::exp_n(s, out, n);
        for (std::size_t i = 0; i < n; ++i) {
            if (!num::is_finite(x[i])) out[i] = at(x[i]);
        }
    }
};

inline double dnorm(double x, double mu, double sigma, bool log) {
    return NormalDensity::prepare(mu, sigma, log).at(x);
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

struct LogisticDensity {
    double mu;
    double sigma;
    bool log;
    bool invalid;      // a NaN parameter or sigma < 0
    double log_sigma;  // when valid and sigma < inf (-inf for sigma = 0)

    static LogisticDensity prepare(double mu, double sigma, bool log) {
        LogisticDensity d{mu, sigma, log, any_nan(mu, sigma) || sigma < 0.0, 0.0};
        if (!d.invalid && sigma != INF) d.log_sigma = num::log(sigma);
        return d;
    }

    // Finite x and mu, sigma < inf: the formula (sigma = 0 runs it too and
    // ends in NaN).
    bool formula(double x) const {
        return !invalid && num::is_finite(x) && num::is_finite(mu) && sigma != INF;
    }
    double z(double x) const { return -((x - mu) / sigma); }
    // The log-density from z and l = ln(e^z + 1).
    double exponent(double z, double l) const { return (z - log_sigma) - (l + l); }

    double at(double x) const {
        if (invalid || num::is_nan(x)) return NaN;
        if (num::is_finite(x) && num::is_finite(mu)) {
            if (sigma == INF) return zero(log);
            const double zx = z(x);
            return from_log(exponent(zx, num::log(num::exp(zx) + 1.0)), log);
        }
        if (sigma == INF) return zero(log);
        return logged(same_infinity(x, mu) ? NaN : 0.0, log);
    }

    void at_block(const double* x, double* out, std::size_t n) const {
        double zs[num::BLOCK];
        double t[num::BLOCK];
        for (std::size_t i = 0; i < n; ++i) zs[i] = formula(x[i]) ? z(x[i]) : 0.0;
        num::exp_n(zs, t, n);
        for (std::size_t i = 0; i < n; ++i) t[i] = t[i] + 1.0;
        num::log_n(t, t, n);
        for (std::size_t i = 0; i < n; ++i) t[i] = exponent(zs[i], t[i]);
        if (!log) num::exp_n(t, t, n);
        for (std::size_t i = 0; i < n; ++i) out[i] = formula(x[i]) ? t[i] : at(x[i]);
    }
};

inline double dlogis(double x, double mu, double sigma, bool log) {
    return LogisticDensity::prepare(mu, sigma, log).at(x);
}

struct LogNormalDensity {
    NormalDensity norm;  // of ln x, in the same mode

    static LogNormalDensity prepare(double mu, double sigma, bool log) {
        return {NormalDensity::prepare(mu, sigma, log)};
    }

    // Valid parameters, x >= 0 with lx = ln x (-inf for every x below 2^-52).
    double at_log(double x, double lx) const {
        const double mu = norm.mu;
        const double sigma = norm.sigma;
        const bool log = norm.log;
        if (num::is_finite(lx) && num::is_finite(mu) && sigma > 0.0) {
            if (sigma == INF) return zero(log);
            return log ? norm.at(lx) - lx : norm.at(lx) / x;
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

    double at(double x) const {
        if (norm.invalid || num::is_nan(x)) return NaN;
        if (x < 0.0) return zero(norm.log);
        return at_log(x, num::log(x));
    }

    void at_block(const double* x, double* out, std::size_t n) const {
        double lx[num::BLOCK];
        double d[num::BLOCK];
        num::log_n(x, lx, n);
        norm.at_block(lx, d, n);  // the normal density of every ln x, its exponentials together
        for (std::size_t i = 0; i < n; ++i) {
            if (norm.invalid || num::is_nan(x[i]) || x[i] < 0.0 || !num::is_finite(lx[i]) || !norm.regular) {
                out[i] = at(x[i]);
            } else {
                out[i] = norm.log ? d[i] - lx[i] : d[i] / x[i];
            }
        }
    }
};

inline double dlnorm(double x, double mu, double sigma, bool log) {
    return LogNormalDensity::prepare(mu, sigma, log).at(x);
}

inline double dunif(double x, double a, double b, bool log) {
    if (any_nan(x, a, b) || a >= b) return NaN;
    if (num::is_inf(a) || num::is_inf(b)) return zero(log);
    if (x < a || x > b) return zero(log);
    const double w = b - a;
    return log ? -num::log(w) : 1.0 / w;
}

}  // namespace pradix::density
