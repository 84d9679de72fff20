// Quantiles of the exponential, Weibull, chi-squared, gamma and inverse-gamma
// distributions.  The exponential and Weibull are closed forms; the others
// invert the regularized incomplete gamma function with num::gamma_p_inv.
// A rate of 0 puts the exponential's mass at +inf for every p in (0, 1).
#pragma once

#include <cstddef>
#include <cstdint>

#include "../num/incomplete_gamma.hpp"
#include "../num/staged.hpp"
#include "block_form.hpp"
#include "conventions.hpp"
#include "log_quantile.hpp"

namespace pradix::cdf_quantile {

// The exponential and Weibull quantiles are their preparations evaluated
// at p, staged kernels (num/staged.hpp) whose at_block gives the same bits
// for a block of points, with the block's logarithms and exponentials taken
// together.

struct ExpQuantile : LogQuantileForm<ExpQuantile> {
    double rate;
    bool invalid;  // NaN or negative rate

    static ExpQuantile prepare(double rate) {
        ExpQuantile q{};
        q.rate = rate;
        q.invalid = num::is_nan(rate) || rate < 0.0;
        return q;
    }

    // -ln(1 - p) / rate.
    bool settle(double p, double& v) const {
        if (quantile_ends(p, invalid, 0.0, INF, v)) return true;
        if (rate == 0.0) return answer(v, INF);
        return false;
    }
    static double log_argument(double p) { return 1.0 - p; }
    double join(double, double l) const { return -l / rate; }
};

inline double qexp(double p, double rate) { return ExpQuantile::prepare(rate).at(p); }

struct WeibullQuantile : num::staged::Entries<WeibullQuantile> {
    double scale;
    double inv_shape;  // 1 / shape
    bool invalid;      // NaN, shape or scale below EPS
    bool point;        // shape = +inf: the mass sits at scale

    static WeibullQuantile prepare(double shape, double scale) {
        return {{}, scale, 1.0 / shape, any_nan(shape, scale) || shape < EPS || scale < EPS, shape == INF};
    }

    bool settle(double p, double& v) const {
        if (quantile_ends(p, invalid, 0.0, INF, v)) return true;
        if (point) return answer(v, scale);
        return false;
    }

    struct Point {
        int first;  // the step that takes ln e: 1, or 2 after the logarithm of log1p
    };

    // scale (-ln(1 - p))^(1/shape): e = -log1p(-p), l = ln e, then
    // scale exp(l / shape).  log1p's own logarithm, where it needs one, is
    // a step of its own.
    num::Op step(double p, Point& pt, int k, double& v) const {
        if (k == 0) {
            if (settle(p, v)) return num::Op::done;
            pt.first = num::log1p_settle(-p, v) ? 1 : 2;
            if (pt.first == 1) v = -v;
            return num::Op::log;
        }
        if (k < pt.first) {
            v = -v;
            return num::Op::log;
        }
        if (k == pt.first) {
            v = v * inv_shape;
            return num::Op::exp;
        }
        return num::staged::result(scale * v, v);
    }
};

inline double qweibull(double p, double shape, double scale) { return WeibullQuantile::prepare(shape, scale).at(p); }

// The gamma-type quantiles are their preparations (validity, the rows on
// the parameters alone, the prepared inverse of P(shape, .)) evaluated at p,
// composed with the inverse's own steps (block_form.hpp).

struct ChisqQuantile : InverseQuantileForm<ChisqQuantile> {
    bool invalid;  // NaN or negative dof
    num::GammaPInv inverse;  // of P(dof / 2, .)

    static ChisqQuantile prepare(double dof) {
        ChisqQuantile q{};
        q.invalid = num::is_nan(dof) || dof < 0.0;
        if (!q.invalid) q.inverse = num::GammaPInv::prepare(dof * 0.5);
        return q;
    }

    bool settle(double p, double& v) const { return quantile_ends(p, invalid, 0.0, INF, v); }
    static double argument(double p) { return p; }
    const num::GammaPInv& inner() const { return inverse; }
    static double join(double g) { return g + g; }
};

inline double qchisq(double p, double dof) { return ChisqQuantile::prepare(dof).at(p); }

struct GammaQuantile : InverseQuantileForm<GammaQuantile> {
    bool invalid;  // NaN, negative shape, scale below EPS
    bool regular;  // finite positive shape, finite scale
    double fixed;  // the quantile for every p in (0, 1) otherwise
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
            q.fixed = scale != INF ? 0.0 : NaN;
        } else {
            q.fixed = NaN;
        }
        return q;
    }

    bool settle(double p, double& v) const {
        if (quantile_ends(p, invalid, 0.0, INF, v)) return true;
        if (!regular) return answer(v, fixed);
        return false;
    }
    static double argument(double p) { return p; }
    const num::GammaPInv& inner() const { return inverse; }
    double join(double g) const { return g * scale; }
};

inline double qgamma(double p, double shape, double scale) { return GammaQuantile::prepare(shape, scale).at(p); }

struct InvGammaQuantile : InverseQuantileForm<InvGammaQuantile> {
    bool invalid;   // NaN, negative shape or scale
    bool regular;   // finite positive shape, finite scale
    bool no_scale;  // scale = 0 (regular shape): the quantile is 0
    double fixed;   // the quantile for every p in (0, 1) when not regular
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
            q.fixed = NaN;
        } else {
            q.fixed = shape != 0.0 ? 0.0 : NaN;
        }
        return q;
    }

    bool settle(double p, double& v) const {
        if (quantile_ends(p, invalid, 0.0, INF, v)) return true;
        if (!regular) return answer(v, fixed);
        if (no_scale) return answer(v, 0.0);
        return false;
    }
    // The inverse runs at 1 - p.
    static double argument(double p) { return 1.0 - p; }
    const num::GammaPInv& inner() const { return inverse; }
    double join(double g) const { return scale / g; }
};

inline double qinvgamma(double p, double shape, double scale) {
    return InvGammaQuantile::prepare(shape, scale).at(p);
}

}  // namespace pradix::cdf_quantile
