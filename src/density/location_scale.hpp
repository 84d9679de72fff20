// Normal, Laplace, Cauchy, logistic, log-normal and uniform densities.
//
// The regular formulas apply to finite x and mu with 0 < sigma < inf;
// everything else (a scale of 0 or +inf, infinite points or locations) goes
// through each kernel's rule table.  Cauchy is computed as a density, the
// others as log-densities.
//
// All but dcauchy and dunif are their preparations (the rows on the parameters alone,
// and the logarithm of sigma, once per parameter set) evaluated at the
// point, written as staged kernels (num/staged.hpp): at_block evaluates a
// block of points through the same steps, with the exponentials and
// logarithms of the block run together, and at_points a block of points
// each with its own preparation.  prepare_n makes many preparations at once,
// their logarithms of sigma in lanes.
#pragma once

#include <cstddef>

#include "../num/column.hpp"
#include "../num/staged.hpp"
#include "conventions.hpp"

namespace pradix::density {

// Rule table shared by dnorm and dlaplace for sigma = 0 or infinite x, mu.
inline double normal_like_limit(double x, double mu, double sigma) {
    if (sigma == INF) return 0.0;
    if (same_infinity(x, mu)) return NaN;
    if (sigma == 0.0 && x == mu) return INF;
    return 0.0;
}

// The step of a density with dnorm's rules (D has invalid, located, mu,
// sigma and log): NaN, the rows, or at finite x with finite mu and
// 0 < sigma < inf the log-density s(x), logged or exponentiated.
template <class D, class S>
num::Op normal_like_step(const D& d, double x, double& v, S&& s) {
    if (d.invalid || num::is_nan(x)) return num::staged::result(NaN, v);
    if (num::is_finite(x) && d.located) {
        if (d.sigma == INF) return num::staged::result(zero(d.log), v);
        return num::staged::exp_unless(d.log, s(x), v);
    }
    return num::staged::result(logged(normal_like_limit(x, d.mu, d.sigma), d.log), v);
}

struct NormalDensity : num::staged::PointEntries<NormalDensity> {
    double mu;
    double sigma;
    bool log;
    bool invalid;  // a NaN parameter or sigma < 0
    bool located;  // finite mu and sigma > 0: a finite x leaves the rule table
    bool regular;  // and sigma < inf: the formula for every finite x
    double c;      // -ln sqrt(2 pi) - ln sigma, when regular

    static NormalDensity prepare(double mu, double sigma, bool log) {
        return prepare_from(mu, sigma, log, num::log(sigma));
    }
    // With log(sigma) given (for preparations of many parameter sets).
    static NormalDensity prepare_from(double mu, double sigma, bool log, double log_sigma) {
        NormalDensity d{{}, mu, sigma, log, any_nan(mu, sigma) || sigma < 0.0, false, false, 0.0};
        d.located = num::is_finite(mu) && sigma > 0.0;
        d.regular = !d.invalid && d.located && sigma != INF;
        if (d.regular) d.c = -num::LN_SQRT_2PI - log_sigma;
        return d;
    }
    static void prepare_n(NormalDensity* out, std::size_t n, const double* mu, const double* sigma, const bool* log) {
        double ls[num::BLOCK];
        num::log_column(sigma, ls, n);
        for (std::size_t i = 0; i < n; ++i) out[i] = prepare_from(mu[i], sigma[i], log[i], ls[i]);
    }

    // The log-density at a finite x, when regular.
    double exponent(double x) const {
        const double z = (x - mu) / sigma;
        return c - (z * z) * 0.5;
    }

    struct Point {};

    num::Op step(double x, Point&, int, double& v) const {
        return normal_like_step(*this, x, v, [this](double y) { return exponent(y); });
    }
};

inline double dnorm(double x, double mu, double sigma, bool log) {
    return NormalDensity::prepare(mu, sigma, log).at(x);
}

struct LaplaceDensity : num::staged::PointEntries<LaplaceDensity> {
    double mu;
    double sigma;
    bool log;
    bool invalid;  // a NaN parameter or sigma < 0
    bool located;  // finite mu and sigma > 0: a finite x leaves the rule table
    double c;      // -ln(sigma + sigma), when valid, located and sigma < inf

    static LaplaceDensity prepare(double mu, double sigma, bool log) {
        return prepare_from(mu, sigma, log, num::log(sigma + sigma));
    }
    // With log(sigma + sigma) given (for preparations of many parameter sets).
    static LaplaceDensity prepare_from(double mu, double sigma, bool log, double log_2sigma) {
        LaplaceDensity d{{}, mu, sigma, log, any_nan(mu, sigma) || sigma < 0.0, false, 0.0};
        d.located = num::is_finite(mu) && sigma > 0.0;
        if (!d.invalid && d.located && sigma != INF) d.c = -log_2sigma;
        return d;
    }
    static void prepare_n(LaplaceDensity* out, std::size_t n, const double* mu, const double* sigma, const bool* log) {
        double twice[num::BLOCK];
        for (std::size_t i = 0; i < n; ++i) twice[i] = sigma[i] + sigma[i];
        num::log_column(twice, twice, n);
        for (std::size_t i = 0; i < n; ++i) out[i] = prepare_from(mu[i], sigma[i], log[i], twice[i]);
    }

    struct Point {};

    // Finite x, mu and 0 < sigma < inf: -ln(2 sigma) - |x - mu| / sigma;
    // otherwise dnorm's rules.
    num::Op step(double x, Point&, int, double& v) const {
        return normal_like_step(*this, x, v, [this](double y) { return c - num::abs(y - mu) / sigma; });
    }
};

inline double dlaplace(double x, double mu, double sigma, bool log) {
    return LaplaceDensity::prepare(mu, sigma, log).at(x);
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

struct LogisticDensity : num::staged::PointEntries<LogisticDensity> {
    double mu;
    double sigma;
    bool log;
    bool invalid;      // a NaN parameter or sigma < 0
    double log_sigma;  // when valid and sigma < inf (-inf for sigma = 0)

    static LogisticDensity prepare(double mu, double sigma, bool log) {
        return prepare_from(mu, sigma, log, num::log(sigma));
    }
    // With log(sigma) given (for preparations of many parameter sets).
    static LogisticDensity prepare_from(double mu, double sigma, bool log, double log_sigma) {
        LogisticDensity d{{}, mu, sigma, log, any_nan(mu, sigma) || sigma < 0.0, 0.0};
        if (!d.invalid && sigma != INF) d.log_sigma = log_sigma;
        return d;
    }
    static void prepare_n(LogisticDensity* out, std::size_t n, const double* mu, const double* sigma,
                          const bool* log) {
        double ls[num::BLOCK];
        num::log_column(sigma, ls, n);
        for (std::size_t i = 0; i < n; ++i) out[i] = prepare_from(mu[i], sigma[i], log[i], ls[i]);
    }

    double z(double x) const { return -((x - mu) / sigma); }

    struct Point {
        double z;
    };

    // Finite x and mu, sigma < inf: z, e^z, L = ln(e^z + 1), then the
    // log-density (z - ln sigma) - (L + L) (sigma = 0 runs it too and ends in
    // NaN).  Otherwise the rows.
    num::Op step(double x, Point& pt, int k, double& v) const {
        switch (k) {
            case 0:
                if (invalid || num::is_nan(x)) return num::staged::result(NaN, v);
                if (sigma == INF) return num::staged::result(zero(log), v);
                if (!(num::is_finite(x) && num::is_finite(mu))) {
                    return num::staged::result(logged(same_infinity(x, mu) ? NaN : 0.0, log), v);
                }
                pt.z = z(x);
                v = pt.z;
                return num::Op::exp;
            case 1:
                v = v + 1.0;
                return num::Op::log;
            default:
                return num::staged::exp_unless(log, (pt.z - log_sigma) - (v + v), v);
        }
    }
};

inline double dlogis(double x, double mu, double sigma, bool log) {
    return LogisticDensity::prepare(mu, sigma, log).at(x);
}

struct LogNormalDensity : num::staged::PointEntries<LogNormalDensity> {
    NormalDensity norm;  // of ln x, in the same mode

    static LogNormalDensity prepare(double mu, double sigma, bool log) {
        return {{}, NormalDensity::prepare(mu, sigma, log)};
    }
    static void prepare_n(LogNormalDensity* out, std::size_t n, const double* mu, const double* sigma,
                          const bool* log) {
        double ls[num::BLOCK];
        num::log_column(sigma, ls, n);
        for (std::size_t i = 0; i < n; ++i) out[i] = {{}, NormalDensity::prepare_from(mu[i], sigma[i], log[i], ls[i])};
    }

    struct Point {};

    // x >= 0: lx = ln x (-inf for every x below 2^-52), then the normal
    // log-density of lx, less lx (log mode), or its exponential over x.
    num::Op step(double x, Point&, int k, double& v) const {
        const double mu = norm.mu;
        const double sigma = norm.sigma;
        const bool log = norm.log;
        switch (k) {
            case 0:
                if (norm.invalid || num::is_nan(x)) return num::staged::result(NaN, v);
                if (x < 0.0) return num::staged::result(zero(log), v);
                v = x;
                return num::Op::log;
            case 1: {
                const double lx = v;
                if (num::is_finite(lx) && norm.located) {
                    if (sigma == INF) return num::staged::result(zero(log), v);
                    if (log) return num::staged::result(norm.exponent(lx) - lx, v);
                    v = norm.exponent(lx);
                    return num::Op::exp;
                }
                double limit;
                if (sigma == INF) {
                    limit = 0.0;
                } else if (sigma == 0.0) {
                    limit = same_infinity(lx, mu) ? INF : 0.0;
                } else {
                    limit = (lx == INF && mu == INF) ? NaN : 0.0;
                }
                return num::staged::result(logged(limit, log), v);
            }
            default:
                return num::staged::result(v / x, v);
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
