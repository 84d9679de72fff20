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

#include <cstddef>

#include "../num/erf.hpp"
#include "../num/staged.hpp"
#include "conventions.hpp"

namespace pradix::cdf_quantile {

inline bool regular_location_scale(double x, double mu, double sigma) {
    return num::is_finite(x) && num::is_finite(mu) && sigma > 0.0 && sigma < INF;
}

// pnorm and plnorm are their preparations (the rows on the parameters alone)
// evaluated at the point, staged kernels (num/staged.hpp): at_block runs a
// block of points through the same steps, with the error functions and
// logarithms of the block run together, and at_points a block of points
// each with its own preparation.
struct NormalProbability : num::staged::PointEntries<NormalProbability> {
    double mu;
    double sigma;
    bool log_p;
    bool invalid;  // a NaN parameter or sigma < 0

    static NormalProbability prepare(double mu, double sigma, bool log_p) {
        return {{}, mu, sigma, log_p, any_nan(mu, sigma) || sigma < 0.0};
    }

    // erf's argument, for regular_location_scale(x, mu, sigma).
    double erf_argument(double x) const { return ((x - mu) / sigma) / num::SQRT2; }
    static double from_erf(double e) { return (e + 1.0) * 0.5; }

    // t for x outside the regular formula.
    double limit(double x) const {
        if (same_infinity(x, mu)) return NaN;
        if (sigma == INF) {
            if (x == INF || mu == -INF) return 1.0;
            if (x == -INF || mu == INF) return 0.0;
            return 0.5;
        }
        if (sigma == 0.0) return x >= mu ? 1.0 : 0.0;
        return limit_of_location(x, mu);
    }

    struct Point {};

    // The regular formula through erf, or the rows; then t or log(t).
    num::Op step(double x, Point&, int k, double& v) const {
        if (k > 0) return num::staged::log_if(log_p, from_erf(v), v);
        if (invalid || num::is_nan(x)) return num::staged::result(NaN, v);
        if (!regular_location_scale(x, mu, sigma)) return num::staged::log_if(log_p, limit(x), v);
        v = erf_argument(x);
        return num::Op::erf;
    }
};

inline double pnorm(double x, double mu, double sigma, bool log_p) {
    return NormalProbability::prepare(mu, sigma, log_p).at(x);
}

struct LogNormalProbability : num::staged::PointEntries<LogNormalProbability> {
    NormalProbability norm;  // of ln x

    static LogNormalProbability prepare(double mu, double sigma, bool log_p) {
        return {{}, NormalProbability::prepare(mu, sigma, log_p)};
    }

    struct Point {
        double lx;
        NormalProbability::Point normal;
    };

    // x below EPS: 0; otherwise ln x, then the normal's steps at ln x.
    num::Op step(double x, Point& pt, int k, double& v) const {
        if (k == 0) {
            if (norm.invalid || num::is_nan(x)) return num::staged::result(NaN, v);
            if (x < EPS) return num::staged::log_if(norm.log_p, 0.0, v);
            v = x;
            return num::Op::log;
        }
        if (k == 1) pt.lx = v;
        return norm.step(pt.lx, pt.normal, k - 1, v);
    }
};

inline double plnorm(double x, double mu, double sigma, bool log_p) {
    return LogNormalProbability::prepare(mu, sigma, log_p).at(x);
}

// The Cauchy, Laplace and logistic distribution functions are their
// preparations evaluated at the point, staged kernels like the normal's: the
// rows, then the regular formula around one lane function (atan, exp, the
// tanh fraction), then t or log(t).  Their parameters and the rows on them
// alone:
struct LocationScaleParameters {
    double mu;
    double sigma;
    bool log_p;
    bool invalid;  // a NaN parameter or sigma < 0

    static LocationScaleParameters of(double mu, double sigma, bool log_p) {
        return {mu, sigma, log_p, any_nan(mu, sigma) || sigma < 0.0};
    }
};

struct CauchyProbability : num::staged::Entries<CauchyProbability>, LocationScaleParameters {
    static CauchyProbability prepare(double mu, double sigma, bool log_p) { return {{}, of(mu, sigma, log_p)}; }

    struct Point {};

    // x and mu finite: the core at (x - mu) / sigma (sigma = 0 gives 1, 0,
    // or NaN at x = mu, through the quotient), 1/2 for sigma = +inf.
    num::Op step(double x, Point&, int k, double& v) const {
        if (k > 0) return num::staged::log_if(log_p, cauchy_from_atan(v), v);
        if (invalid || num::is_nan(x)) return num::staged::result(NaN, v);
        double t;
        if (num::is_finite(x) && num::is_finite(mu)) {
            if (sigma == INF) return num::staged::log_if(log_p, 0.5, v);
            const double z = (x - mu) / sigma;
            if (cauchy_core_settle(z, t)) return num::staged::log_if(log_p, t, v);
            v = z;
            return num::Op::atan;
        }
        t = (sigma == INF || same_infinity(x, mu)) ? NaN : limit_of_location(x, mu);
        return num::staged::log_if(log_p, t, v);
    }
};

inline double pcauchy(double x, double mu, double sigma, bool log_p) {
    return CauchyProbability::prepare(mu, sigma, log_p).at(x);
}

struct LaplaceProbability : num::staged::Entries<LaplaceProbability>, LocationScaleParameters {
    static LaplaceProbability prepare(double mu, double sigma, bool log_p) { return {{}, of(mu, sigma, log_p)}; }

    struct Point {
        double s;  // sgn(x - mu) / 2
    };

    // (1 - exp(-|x - mu| / sigma)) sgn(x - mu) / 2 + 1/2, or the rows.
    num::Op step(double x, Point& pt, int k, double& v) const {
        if (k > 0) return num::staged::log_if(log_p, (1.0 - v) * pt.s + 0.5, v);
        if (invalid || num::is_nan(x)) return num::staged::result(NaN, v);
        if (regular_location_scale(x, mu, sigma)) {
            const double h = num::abs(x - mu);
            pt.s = num::sgn(x - mu) * 0.5;
            v = -h / sigma;
            return num::Op::exp;
        }
        double t;
        if (same_infinity(x, mu)) {
            t = NaN;
        } else if (sigma == INF) {
            t = (num::is_inf(x) || num::is_inf(mu)) ? NaN : 0.5;
        } else if (sigma == 0.0) {
            t = num::sgn(x - mu) * 0.5 + 0.5;
        } else {
            t = limit_of_location(x, mu);
        }
        return num::staged::log_if(log_p, t, v);
    }
};

inline double plaplace(double x, double mu, double sigma, bool log_p) {
    return LaplaceProbability::prepare(mu, sigma, log_p).at(x);
}

namespace detail {

// tanh(r) from the fraction's value f at |r| (lanes::tanh_fraction): with
// the sign of r, a NaN taken as the sign of r, clamped into [-1, 1].
inline double logistic_tanh_from(double r, double f) {
    const double th = r > 0.0 ? f : -f;
    if (num::is_nan(th)) return num::sgn(r);
    if (th > 1.0) return 1.0;
    if (th < -1.0) return -1.0;
    return th;
}

}  // namespace detail

struct LogisticProbability : num::staged::Entries<LogisticProbability>, LocationScaleParameters {
    static LogisticProbability prepare(double mu, double sigma, bool log_p) { return {{}, of(mu, sigma, log_p)}; }

    struct Point {
        double r;  // (x - mu) / (2 sigma)
    };

    static double from_tanh(double th) { return (th + 1.0) * 0.5; }

    // (tanh(r) + 1) / 2, r = (x - mu) / (2 sigma), or the rows.
    num::Op step(double x, Point& pt, int k, double& v) const {
        if (k > 0) return num::staged::log_if(log_p, from_tanh(detail::logistic_tanh_from(pt.r, v)), v);
        if (invalid || num::is_nan(x)) return num::staged::result(NaN, v);
        if (regular_location_scale(x, mu, sigma)) {
            pt.r = (x - mu) / (sigma + sigma);
            if (num::near_zero(pt.r)) return num::staged::log_if(log_p, from_tanh(0.0), v);
            v = pt.r > 0.0 ? pt.r : -pt.r;
            return num::Op::tanh_fraction;
        }
        double t;
        if (same_infinity(x, mu)) {
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
        return num::staged::log_if(log_p, t, v);
    }
};

inline double plogis(double x, double mu, double sigma, bool log_p) {
    return LogisticProbability::prepare(mu, sigma, log_p).at(x);
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
