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

// The gamma-type kernels are their preparations (validity, the rows on the
// parameters alone, the prepared P(shape, .)) evaluated at the point.  A
// parameter-only row that follows a row on x is recorded and tested in its
// place.
struct GammaProbability {
    bool invalid;        // NaN, negative shape, scale below EPS
    bool infinite_scale;  // with x = +inf: NaN
    bool no_shape;       // shape = 0: settled value below
    double no_shape_value;
    bool infinite;  // shape or scale +inf
    double scale;
    num::GammaP p;
    bool log_p;

    static GammaProbability prepare(double shape, double scale, bool log_p) {
        GammaProbability g{};
        g.log_p = log_p;
        g.invalid = any_nan(shape, scale) || shape < 0.0 || scale < EPS;
        if (g.invalid) return g;
        g.infinite_scale = scale == INF;
        g.no_shape = shape == 0.0;
        g.no_shape_value = scale == INF ? 0.0 : 1.0;
        g.infinite = shape == INF || scale == INF;
        if (g.no_shape || g.infinite) return g;
        g.scale = scale;
        g.p = num::GammaP::prepare(shape);
        return g;
    }

    double at(double x) const {
        if (invalid || num::is_nan(x)) return NaN;
        double t;
        if (x == INF && infinite_scale) {
            t = NaN;
        } else if (x < EPS) {
            t = 0.0;
        } else if (no_shape) {
            t = no_shape_value;
        } else if (x == INF) {
            t = 1.0;
        } else if (infinite) {
            t = 0.0;
        } else {
            t = p.at(x / scale);
        }
        return probability(t, log_p);
    }
};

inline double pgamma(double x, double shape, double scale, bool log_p) {
    return GammaProbability::prepare(shape, scale, log_p).at(x);
}

struct InvGammaProbability {
    bool invalid;  // NaN, negative shape or scale
    GammaProbability gamma;  // of 1/x with rate 1/scale, its own rules
    bool log_p;

    static InvGammaProbability prepare(double shape, double scale, bool log_p) {
        InvGammaProbability g{};
        g.log_p = log_p;
        g.invalid = any_nan(shape, scale) || shape < 0.0 || scale < 0.0;
        if (g.invalid) return g;
        const double rate = scale == 0.0 ? INF : (scale == INF ? 0.0 : 1.0 / scale);
        // The gamma kernel's own rules apply: a rate of 0 (scale = +inf) is NaN.
        g.gamma = GammaProbability::prepare(shape, rate, false);
        return g;
    }

    double at(double x) const {
        if (invalid || num::is_nan(x)) return NaN;
        if (x < 0.0) return probability(0.0, log_p);
        const double y = x == 0.0 ? INF : (x == INF ? 0.0 : 1.0 / x);
        const double g = gamma.at(y);
        return probability(1.0 - g, log_p);
    }
};

inline double pinvgamma(double x, double shape, double scale, bool log_p) {
    return InvGammaProbability::prepare(shape, scale, log_p).at(x);
}

struct ChisqProbability {
    bool invalid;  // NaN or negative dof
    bool no_dof;   // dof = 0
    bool infinite;  // dof = +inf
    num::GammaP p;  // P(dof / 2, .)
    bool log_p;

    static ChisqProbability prepare(double dof, bool log_p) {
        ChisqProbability c{};
        c.log_p = log_p;
        c.invalid = num::is_nan(dof) || dof < 0.0;
        if (c.invalid) return c;
        c.no_dof = dof == 0.0;
        c.infinite = dof == INF;
        if (c.no_dof || c.infinite) return c;
        c.p = num::GammaP::prepare(dof * 0.5);
        return c;
    }

    double at(double x) const {
        if (invalid || num::is_nan(x)) return NaN;
        double t;
        if (x < EPS) {
            t = 0.0;
        } else if (no_dof || x == INF) {
            t = 1.0;
        } else if (infinite) {
            t = 0.0;
        } else {
            t = p.at(x * 0.5);
        }
        return probability(t, log_p);
    }
};

inline double pchisq(double x, double dof, bool log_p) { return ChisqProbability::prepare(dof, log_p).at(x); }

}  // namespace pradix::cdf_quantile
