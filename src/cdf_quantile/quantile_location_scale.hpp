// Quantiles of the normal, log-normal, Cauchy, Laplace, logistic and uniform
// distributions, all in closed form (the normal through num::erfinv).
//
// A scale of 0 puts all mass on mu; p = 0 and p = 1 give the infinite end
// points, NaN where the location itself is the opposite infinity.
#pragma once

#include <cstddef>

#include "../num/erfinv.hpp"
#include "../num/staged.hpp"
#include "conventions.hpp"
#include "log_quantile.hpp"

namespace pradix::cdf_quantile {

// Shared start of the location-scale quantiles: validity of p, mu, sigma
// (sigma in [0, inf)), the point mass at sigma = 0 and the two end points.
// Returns true with the answer in `out` when one of these settles the call.
inline bool location_scale_quantile_rules(double p, double mu, double sigma, double& out) {
    if (bad_probability(p) || num::is_nan(mu) || num::is_nan(sigma) || sigma < 0.0 || sigma == INF) {
        out = NaN;
    } else if (sigma == 0.0) {
        out = mu;
    } else if (p == 0.0) {
        out = mu == INF ? NaN : -INF;
    } else if (p == 1.0) {
        out = mu == -INF ? NaN : INF;
    } else {
        return false;
    }
    return true;
}

// The normal and log-normal quantiles are their preparations evaluated at
// p, staged kernels on erfinv's steps (num/erfinv.hpp): at_block runs a
// block of points through erfinv's corrections in lock-step.

// (sigma sqrt 2) erfinv(2p - 1) + mu.
struct NormalQuantile : num::staged::Entries<NormalQuantile> {
    double mu;
    double sigma;
    num::ErfInv erfinv;

    static NormalQuantile prepare(double mu, double sigma) { return {{}, mu, sigma, num::ErfInv::prepare()}; }

    using Point = num::ErfInv::Point;

    num::Op step(double p, Point& pt, int k, double& v) const {
        if (k == 0 && location_scale_quantile_rules(p, mu, sigma, v)) return num::Op::done;
        const num::Op op = erfinv.step((p + p) - 1.0, pt, k, v);
        return op == num::Op::done ? num::staged::result((sigma * num::SQRT2) * v + mu, v) : op;
    }
};

inline double qnorm(double p, double mu, double sigma) { return NormalQuantile::prepare(mu, sigma).at(p); }

// exp(qnorm(p, mu, sigma)), the normal's rules included; sigma = +inf is
// valid here and gives the normal's NaN.
struct LogNormalQuantile : num::staged::Entries<LogNormalQuantile> {
    NormalQuantile normal;
    bool invalid;  // NaN or negative sigma, NaN mu

    static LogNormalQuantile prepare(double mu, double sigma) {
        return {{}, NormalQuantile::prepare(mu, sigma), num::is_nan(mu) || num::is_nan(sigma) || sigma < 0.0};
    }

    using Point = NormalQuantile::Point;

    num::Op step(double p, Point& pt, int k, double& v) const {
        if (k == 0 && (bad_probability(p) || invalid)) return num::staged::result(NaN, v);
        const num::Op op = normal.step(p, pt, k, v);
        return op == num::Op::done ? num::Op::exp_last : op;
    }
};

inline double qlnorm(double p, double mu, double sigma) { return LogNormalQuantile::prepare(mu, sigma).at(p); }

// tan((p - 1/2) pi) sigma + mu, in two halves for callers that take the
// tangents of a block together.
inline double cauchy_tan_argument(double p) { return (p - 0.5) * num::PI; }
inline double cauchy_from_tan(double t, double mu, double sigma) { return t * sigma + mu; }

inline double qcauchy(double p, double mu, double sigma) {
    double out;
    if (location_scale_quantile_rules(p, mu, sigma, out)) return out;
    return cauchy_from_tan(num::tan(cauchy_tan_argument(p)), mu, sigma);
}

// The Laplace and logistic quantiles are their preparations evaluated at
// p, staged kernels (log_quantile.hpp) whose at_block gives the same bits
// for a block of points.

struct LaplaceQuantile : LogQuantileForm<LaplaceQuantile> {
    double mu;
    double sigma;

    static LaplaceQuantile prepare(double mu, double sigma) { return {{}, mu, sigma}; }

    // mu - ln(1 - 2 |p - 1/2|) sgn(p - 1/2) sigma
    bool settle(double p, double& v) const { return location_scale_quantile_rules(p, mu, sigma, v); }
    static double log_argument(double p) {
        const double d = num::abs(p - 0.5);
        return 1.0 - (d + d);
    }
    double join(double p, double l) const { return mu - l * (num::sgn(p - 0.5) * sigma); }
};

inline double qlaplace(double p, double mu, double sigma) { return LaplaceQuantile::prepare(mu, sigma).at(p); }

struct LogisticQuantile : LogQuantileForm<LogisticQuantile> {
    double mu;
    double sigma;

    static LogisticQuantile prepare(double mu, double sigma) { return {{}, mu, sigma}; }

    // ln(p / (1 - p)) sigma + mu
    bool settle(double p, double& v) const { return location_scale_quantile_rules(p, mu, sigma, v); }
    static double log_argument(double p) { return p / (1.0 - p); }
    double join(double, double l) const { return l * sigma + mu; }
};

inline double qlogis(double p, double mu, double sigma) { return LogisticQuantile::prepare(mu, sigma).at(p); }

inline double qunif(double p, double a, double b) {
    double v;
    if (quantile_ends(p, any_nan(a, b) || a >= b || num::is_inf(a) || num::is_inf(b), a, b, v)) return v;
    return (b - a) * p + a;
}

}  // namespace pradix::cdf_quantile
