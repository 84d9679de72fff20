// Distribution functions of the exponential, Weibull, gamma, inverse-gamma
// and chi-squared distributions.
//
// Gamma-type probabilities are the regularized incomplete gamma function
// P(shape, x / scale); the inverse gamma is 1 - P evaluated at 1/x with rate
// 1/scale, through the gamma kernel and its rules.  Degenerate parameters
// (shape 0, infinite shape or scale) are settled by each kernel's rules.
#pragma once

#include <cstddef>

#include "../num/column.hpp"
#include "../num/incomplete_gamma.hpp"
#include "block_form.hpp"
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
// place.  They are written as rows and P's argument, composed kernels that
// run P's own steps (block_form.hpp), point by point or a block at a time.
struct GammaProbability : ProbabilityForm<GammaProbability, num::GammaP> {
    bool invalid;         // NaN, negative shape, scale below EPS
    bool infinite_scale;  // with x = +inf: NaN
    bool no_shape;        // shape = 0: no_shape_value
    double no_shape_value;
    bool infinite;  // shape or scale +inf
    double scale;
    num::GammaP p;
    bool log_p;

    static GammaProbability prepare(double shape, double scale, bool log_p) {
        return prepare_from(shape, scale, log_p, num::lgamma(shape));
    }
    // With lgamma(shape) given (for preparations of many parameter sets).
    static GammaProbability prepare_from(double shape, double scale, bool log_p, double lgamma_shape) {
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
        g.p = num::GammaP::prepare_from(shape, lgamma_shape);
        return g;
    }
    static void prepare_n(GammaProbability* out, std::size_t n, const double* shape, const double* scale,
                          const bool* log_p) {
        double lg[num::BLOCK];
        num::lgamma_column(shape, lg, n);
        for (std::size_t i = 0; i < n; ++i) out[i] = prepare_from(shape[i], scale[i], log_p[i], lg[i]);
    }
    // A block of points, each under its own preparation.
    template <class Preps>
    static void at_points(const Preps& prep, const double* x, double* out, std::size_t n) {
        num::staged::block_of<GammaProbability>(prep, x, out, n);
    }

    bool settle(double x, double& t) const {
        if (invalid || num::is_nan(x)) return answer(t, NaN);
        if (x == INF && infinite_scale) return answer(t, NaN);
        if (x < EPS) return answer(t, 0.0);
        if (no_shape) return answer(t, no_shape_value);
        if (x == INF) return answer(t, 1.0);
        if (infinite) return answer(t, 0.0);
        return false;
    }
    double argument(double x) const { return x / scale; }
    const num::GammaP& inner() const { return p; }
};

inline double pgamma(double x, double shape, double scale, bool log_p) {
    return GammaProbability::prepare(shape, scale, log_p).at(x);
}

// 1 - P(shape, 1 / (x scale)): the gamma kernel at 1/x with rate 1/scale,
// its own rules included.
struct InvGammaProbability : num::staged::Composed<InvGammaProbability, GammaProbability> {
    bool invalid;            // NaN, negative shape or scale
    GammaProbability gamma;  // plain probabilities
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

    bool settle(double x, double& t) const {
        if (invalid || num::is_nan(x)) return answer(t, NaN);
        if (x < 0.0) return answer(t, 0.0);
        return false;
    }
    static double argument(double x) { return x == 0.0 ? INF : (x == INF ? 0.0 : 1.0 / x); }
    const GammaProbability& inner() const { return gamma; }
    num::Op finish(bool row, double r, double& v) const { return num::staged::log_if(log_p, row ? r : 1.0 - r, v); }
};

inline double pinvgamma(double x, double shape, double scale, bool log_p) {
    return InvGammaProbability::prepare(shape, scale, log_p).at(x);
}

struct ChisqProbability : ProbabilityForm<ChisqProbability, num::GammaP> {
    bool invalid;   // NaN or negative dof
    bool no_dof;    // dof = 0
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

    bool settle(double x, double& t) const {
        if (invalid || num::is_nan(x)) return answer(t, NaN);
        if (x < EPS) return answer(t, 0.0);
        if (no_dof || x == INF) return answer(t, 1.0);
        if (infinite) return answer(t, 0.0);
        return false;
    }
    static double argument(double x) { return x * 0.5; }
    const num::GammaP& inner() const { return p; }
};

inline double pchisq(double x, double dof, bool log_p) { return ChisqProbability::prepare(dof, log_p).at(x); }

}  // namespace pradix::cdf_quantile
