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

// The exponential and Weibull distribution functions are their
// preparations evaluated at the point, staged kernels (num/staged.hpp) whose
// logarithms and exponentials a block takes together.  -expm1(m) takes the
// exponential exp(m) - 1 where expm1 does, its series otherwise.

namespace detail {

// -expm1(m): the exponential it needs (true, with m in v), or its value in t.
inline bool negated_expm1(double m, double& v, double& t) {
    if (num::detail::expm1_takes_exp(m)) return num::answer(v, m);
    t = -num::expm1(m);
    return false;
}
inline double negated_expm1_from(double e) { return -(e - 1.0); }

}  // namespace detail

struct ExpProbability : num::staged::Entries<ExpProbability> {
    double rate;
    bool log_p;
    bool invalid;  // NaN or negative rate

    static ExpProbability prepare(double rate, bool log_p) {
        return {{}, rate, log_p, num::is_nan(rate) || rate < 0.0};
    }

    struct Point {};

    // -expm1(-rate x), or the rows.  A rate of 0 at x = +inf is 0 * inf: NaN.
    num::Op step(double x, Point&, int k, double& v) const {
        if (k > 0) return num::staged::log_if(log_p, detail::negated_expm1_from(v), v);
        if (invalid || num::is_nan(x)) return num::staged::result(NaN, v);
        if (x <= 0.0) return num::staged::log_if(log_p, 0.0, v);
        if (rate == INF) return num::staged::log_if(log_p, 1.0, v);
        double t;
        if (detail::negated_expm1((-rate) * x, v, t)) return num::Op::exp;
        return num::staged::log_if(log_p, t, v);
    }
};

inline double pexp(double x, double rate, bool log_p) { return ExpProbability::prepare(rate, log_p).at(x); }

struct WeibullProbability : num::staged::Entries<WeibullProbability> {
    double shape;
    double scale;
    bool log_p;
    bool invalid;  // NaN, shape or scale below EPS

    static WeibullProbability prepare(double shape, double scale, bool log_p) {
        return {{}, shape, scale, log_p, any_nan(shape, scale) || shape < EPS || scale < EPS};
    }

    struct Point {};

    // -expm1(-exp(ln(x / scale) shape)): the logarithm, the power's
    // exponential and expm1's, or the rows.
    num::Op step(double x, Point&, int k, double& v) const {
        double t;
        switch (k) {
            case 0:
                if (invalid || num::is_nan(x)) return num::staged::result(NaN, v);
                if (settle(x, t)) return num::staged::log_if(log_p, t, v);
                v = x / scale;
                return num::Op::log;
            case 1:
                v = v * shape;
                return num::Op::exp;
            case 2:
                if (detail::negated_expm1(-v, v, t)) return num::Op::exp;
                return num::staged::log_if(log_p, t, v);
            default:
                return num::staged::log_if(log_p, detail::negated_expm1_from(v), v);
        }
    }

private:
    // The rows on x: true with the probability in t.
    bool settle(double x, double& t) const {
        if (x < EPS) return num::answer(t, 0.0);
        if (x == INF) return num::answer(t, scale == INF ? NaN : 1.0);
        if (shape != INF && scale != INF) return false;
        if (scale == INF) return num::answer(t, 0.0);
        const double e = x / scale;
        return num::answer(t, e > 1.0 ? 1.0 : (e == 1.0 ? -num::expm1(-1.0) : 0.0));
    }
};

inline double pweibull(double x, double shape, double scale, bool log_p) {
    return WeibullProbability::prepare(shape, scale, log_p).at(x);
}

// The gamma-type kernels are their preparations (validity, the rows on the
// parameters alone, the prepared P(shape, .)) evaluated at the point.  A
// parameter-only row that follows a row on x is recorded and tested in its
// place.  They are written as rows and P's argument, composed kernels that
// run P's own steps (block_form.hpp), point by point or a block at a time.
struct GammaProbability : ProbabilityForm<GammaProbability, num::staged::PointEntries> {
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
struct InvGammaProbability : num::staged::Entries<InvGammaProbability> {
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

struct ChisqProbability : ProbabilityForm<ChisqProbability> {
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
