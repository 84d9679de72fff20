// Quantiles of the exponential, Weibull, chi-squared, gamma and inverse-gamma
// distributions.  The exponential and Weibull are closed forms; the others
// invert the regularized incomplete gamma function with num::gamma_p_inv.
// A rate of 0 puts the exponential's mass at +inf for every p in (0, 1).
#pragma once

#include "../num/incomplete_gamma.hpp"
#include "conventions.hpp"

namespace pradix::cdf_quantile {

inline double qexp(double p, double rate) {
    if (bad_probability(p) || num::is_nan(rate) || rate < 0.0) return NaN;
    if (p == 0.0) return 0.0;
    if (p == 1.0) return INF;
    if (rate == 0.0) return INF;
    return -num::log(1.0 - p) / rate;
}

inline double qweibull(double p, double shape, double scale) {
    if (bad_probability(p) || any_nan(shape, scale) || shape < EPS || scale < EPS) return NaN;
    if (p == 0.0) return 0.0;
    if (p == 1.0) return INF;
    if (shape == INF) return scale;
    const double e = num::log1p(-p);
    return scale * num::exp(num::log(-e) * (1.0 / shape));
}

// The gamma-type quantiles are their preparations (validity, the rows on
// the parameters alone, the prepared inverse of P(shape, .)) evaluated at p.

struct ChisqQuantile {
    bool invalid;  // NaN or negative dof
    num::GammaPInv inverse;  // of P(dof / 2, .)

    static ChisqQuantile prepare(double dof) {
        ChisqQuantile q{};
        q.invalid = num::is_nan(dof) || dof < 0.0;
        if (!q.invalid) q.inverse = num::GammaPInv::prepare(dof * 0.5);
        return q;
    }

    double at(double p) const {
        if (bad_probability(p) || invalid) return NaN;
        if (p == 0.0) return 0.0;
        if (p == 1.0) return INF;
        const double g = inverse.at(p);
        return g + g;
    }
};

inline double qchisq(double p, double dof) { return ChisqQuantile::prepare(dof).at(p); }

struct GammaQuantile {
    bool invalid;  // NaN, negative shape, scale below EPS
    bool regular;  // finite positive shape, finite scale
    double settled;  // otherwise
    double scale;
    num::GammaPInv inverse;

    static GammaQuantile prepare(double shape, double scale) {
        GammaQuantile q{};
        q.invalid = any_nan(shape, scale) || shape < 0.0 || scale < EPS;
        if (q.invalid) return q;
        q.regular = shape != INF && scale != INF && shape != 0.0;
        if (q.regular) {
            q.scale = scale;
            q.inverse = num::GammaPInv::prepare(shape);
        } else if (shape == 0.0) {
            q.settled = scale != INF ? 0.0 : NaN;
        } else {
            q.settled = NaN;
        }
        return q;
    }

    double at(double p) const {
        if (bad_probability(p) || invalid) return NaN;
        if (p == 0.0) return 0.0;
        if (p == 1.0) return INF;
        return regular ? inverse.at(p) * scale : settled;
    }
};

inline double qgamma(double p, double shape, double scale) { return GammaQuantile::prepare(shape, scale).at(p); }

struct InvGammaQuantile {
    bool invalid;  // NaN, negative shape or scale
    bool regular;  // finite positive shape, finite scale
    bool no_scale;  // scale = 0 (regular shape): the quantile is 0
    double settled;  // not regular
    double scale;
    num::GammaPInv inverse;

    static InvGammaQuantile prepare(double shape, double scale) {
        InvGammaQuantile q{};
        q.invalid = any_nan(shape, scale) || shape < 0.0 || scale < 0.0;
        if (q.invalid) return q;
        q.regular = shape != INF && scale != INF && shape != 0.0;
        if (q.regular) {
            q.no_scale = scale == 0.0;
            q.scale = scale;
            if (!q.no_scale) q.inverse = num::GammaPInv::prepare(shape);
        } else if (scale != 0.0) {
            q.settled = NaN;
        } else {
            q.settled = shape != 0.0 ? 0.0 : NaN;
        }
        return q;
    }

    double at(double p) const {
        if (bad_probability(p) || invalid) return NaN;
        if (p == 0.0) return 0.0;
        if (p == 1.0) return INF;
        if (!regular) return settled;
        return no_scale ? 0.0 : scale / inverse.at(1.0 - p);
    }
};

inline double qinvgamma(double p, double shape, double scale) {
    return InvGammaQuantile::prepare(shape, scale).at(p);
}

}  // namespace pradix::cdf_quantile
