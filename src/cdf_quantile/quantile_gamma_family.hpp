// Quantiles of the exponential, Weibull, chi-squared, gamma and inverse-gamma
// distributions.  The exponential and Weibull are closed forms; the others
// invert the regularized incomplete gamma function with num::gamma_p_inv.
// A rate of 0 puts the exponential's mass at +inf for every p in (0, 1).
#pragma once

#include <cstddef>
#include <cstdint>

#include "../num/blocks.hpp"
#include "../num/incomplete_gamma.hpp"
#include "conventions.hpp"
#include "log_quantile.hpp"

namespace pradix::cdf_quantile {

// The exponential and Weibull quantiles are their preparations evaluated
// at p; at_block gives the same bits for a block of points (at most
// num::BLOCK), with the block's logarithms and exponentials taken together.

struct ExpQuantile {
    double rate;
    bool invalid;  // NaN or negative rate

    static ExpQuantile prepare(double rate) { return {rate, num::is_nan(rate) || rate < 0.0}; }

    // -ln(1 - p) / rate, through log_quantile.hpp.
    bool settled(double p, double& v) const {
        if (bad_probability(p) || invalid) {
            v = NaN;
        } else if (p == 0.0) {
            v = 0.0;
        } else if (p == 1.0 || rate == 0.0) {
            v = INF;
        } else {
            v = 1.0 - p;
            return false;
        }
        return true;
    }
    double join(double, double l) const { return -l / rate; }

    double at(double p) const { return log_quantile_at(*this, p); }
    void at_block(const double* p, double* out, std::size_t n) const { log_quantile_block(*this, p, out, n); }
};

inline double qexp(double p, double rate) { return ExpQuantile::prepare(rate).at(p); }

struct WeibullQuantile {
    double scale;
    double inv_shape;  // 1 / shape
    bool invalid;      // NaN, shape or scale below EPS
    bool point;        // shape = +inf: the mass sits at scale

    static WeibullQuantile prepare(double shape, double scale) {
        return {scale, 1.0 / shape, any_nan(shape, scale) || shape < EPS || scale < EPS, shape == INF};
    }

    // The value at p when no logarithm is needed; otherwise false with
    // -ln(1 - p) in v.
    bool settled(double p, double& v) const {
        if (bad_probability(p) || invalid) {
            v = NaN;
        } else if (p == 0.0) {
            v = 0.0;
        } else if (p == 1.0) {
            v = INF;
        } else if (point) {
            v = scale;
        } else {
            v = -num::log1p(-p);
            return false;
        }
        return true;
    }

    // scale (-ln(1 - p))^(1/shape) from l = ln(-ln(1 - p)).
    double exponent(double l) const { return l * inv_shape; }
    double join(double e) const { return scale * e; }

    double at(double p) const {
        double v;
        return settled(p, v) ? v : join(num::exp(exponent(num::log(v))));
    }

    void at_block(const double* p, double* out, std::size_t n) const {
        bool done[num::BLOCK];
        double v[num::BLOCK];
        double t[num::BLOCK];
        for (std::size_t i = 0; i < n; ++i) {
            done[i] = settled(p[i], out[i]);
            v[i] = done[i] ? 1.0 : out[i];
        }
        num::log_n(v, t, n);
        for (std::size_t i = 0; i < n; ++i) v[i] = exponent(t[i]);
        num::exp_n(v, t, n);
        for (std::size_t i = 0; i < n; ++i) {
            const double joined = join(t[i]);  // also for settled points, then dropped
            out[i] = done[i] ? out[i] : joined;
        }
    }
};

inline double qweibull(double p, double shape, double scale) { return WeibullQuantile::prepare(shape, scale).at(p); }

// The gamma-type quantiles are their preparations (validity, the rows on
// the parameters alone, the prepared inverse of P(shape, .)) evaluated at p.
// A preparation Q provides
//     bool row(double p, double& v) const;  // true: v is the quantile;
//                                           // false: v is the probability
//                                           // handed to the inverse
//     double join(double g) const;          // the quantile from the inverse's g
// and its inverse; at_block gives at's bits for a block of points, the
// inverse's corrections run for the block's points together.

template <typename Q>
double gamma_quantile_at(const Q& q, double p) {
    double v;
    return q.row(p, v) ? v : q.join(q.inverse.at(v));
}

template <typename Q>
void gamma_quantile_block(const Q& q, const double* p, double* out, std::size_t n) {
    num::by_pieces<num::PIECE>(n, [&](std::size_t at, std::size_t count) {
        std::uint16_t index[num::PIECE];
        double v[num::PIECE];
        double g[num::PIECE];
        std::size_t m = 0;
        for (std::size_t i = 0; i < count; ++i) {
            if (q.row(p[at + i], v[m])) {
                out[at + i] = v[m];
            } else {
                index[m++] = static_cast<std::uint16_t>(i);
            }
        }
        q.inverse.at_block(v, g, m);
        for (std::size_t j = 0; j < m; ++j) out[at + index[j]] = q.join(g[j]);
    });
}

struct ChisqQuantile {
    bool invalid;  // NaN or negative dof
    num::GammaPInv inverse;  // of P(dof / 2, .)

    static ChisqQuantile prepare(double dof) {
        ChisqQuantile q{};
        q.invalid = num::is_nan(dof) || dof < 0.0;
        if (!q.invalid) q.inverse = num::GammaPInv::prepare(dof * 0.5);
        return q;
    }

    bool row(double p, double& v) const {
        if (bad_probability(p) || invalid) return num::settled(v, NaN);
        if (p == 0.0) return num::settled(v, 0.0);
        if (p == 1.0) return num::settled(v, INF);
        v = p;
        return false;
    }
    double join(double g) const { return g + g; }

    double at(double p) const { return gamma_quantile_at(*this, p); }
    void at_block(const double* p, double* out, std::size_t n) const { gamma_quantile_block(*this, p, out, n); }
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

    bool row(double p, double& v) const {
        if (bad_probability(p) || invalid) return num::settled(v, NaN);
        if (p == 0.0) return num::settled(v, 0.0);
        if (p == 1.0) return num::settled(v, INF);
        if (!regular) return num::settled(v, settled);
        v = p;
        return false;
    }
    double join(double g) const { return g * scale; }

    double at(double p) const { return gamma_quantile_at(*this, p); }
    void at_block(const double* p, double* out, std::size_t n) const { gamma_quantile_block(*this, p, out, n); }
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

    // The inverse runs at 1 - p.
    bool row(double p, double& v) const {
        if (bad_probability(p) || invalid) return num::settled(v, NaN);
        if (p == 0.0) return num::settled(v, 0.0);
        if (p == 1.0) return num::settled(v, INF);
        if (!regular) return num::settled(v, settled);
        if (no_scale) return num::settled(v, 0.0);
        v = 1.0 - p;
        return false;
    }
    double join(double g) const { return scale / g; }

    double at(double p) const { return gamma_quantile_at(*this, p); }
    void at_block(const double* p, double* out, std::size_t n) const { gamma_quantile_block(*this, p, out, n); }
};

inline double qinvgamma(double p, double shape, double scale) {
    return InvGammaQuantile::prepare(shape, scale).at(p);
}

}  // namespace pradix::cdf_quantile
