// Gamma, chi-squared, inverse-gamma, exponential and Weibull samplers.
//
// rgamma(shape, scale), shape > 1: rejection from a transformed normal.
// With d = shape - 1/3 and c = (1/3) / sqrt(d), a candidate z (polar normal)
// gives v = (1 + c z)^3; candidates with z <= -1/c are dropped before any
// uniform is drawn; the others are accepted when
// ln U < (ln v + 1 - v) d + z^2 / 2 for a positive uniform U, giving v d scale.
// shape in [0, 1]: boost.  A positive uniform U is drawn first, then a full
// draw X at shape + 1 through the sampler itself; the result is X U^(1/shape).
// Shape 0 is the point mass at 0 (U^inf = 0 unless U = 1) and still draws
// U and a shape-1 variate; -0.0 is treated as +0.0, so the exponent is +inf
// for both.
// shape = +inf: the rejection step could never accept (c = 0, every
// candidate compares against NaN), so the result is +inf with nothing drawn.
// rchisq(dof) is rgamma(dof / 2, 2) and rinvgamma(shape, scale) is
// 1 / rgamma(shape, 1 / scale): rchisq(inf) = +inf, rinvgamma(inf, s) = 0.
// A scale below 2^-52 (including the 1/scale of rinvgamma) makes the inner
// gamma draw NaN without consuming anything.  The beta, F and Student's t
// samplers build on rgamma and rchisq (beta_family.hpp).
//
// rexp, rweibull: by inversion (draws.hpp).  Both give +inf at
// U = 1 - 2^-53 as at U = 1; rexp gives -0.0 for U below 2^-52, and
// rexp(0) returns +inf, still consuming its output.
//
// Each sampler is its preparation (draws.hpp) drawn once; the
// preparations keep the parameter-only constants.  log, sqrt and pow are
// the C library's.
#pragma once

#include <cmath>

#include "../cdf_quantile/quantile_gamma_family.hpp"
#include "draws.hpp"

namespace pradix::random {

inline constexpr double ONE_THIRD = 0.3333333333333333;  // 0x3FD5555555555555
// Smallest accepted gamma scale and F / t degree of freedom.
inline constexpr double MIN_POSITIVE_PARAMETER = 0x1p-52;

namespace detail {

// The rejection step for shape > 1, its constants computed once.
struct GammaAboveOne {
    double d;
    double c;
    double lim;
    double scale;

    static GammaAboveOne prepare(double shape, double scale) {
        const double d = shape - ONE_THIRD;
        const double c = ONE_THIRD / std::sqrt(d);
        return {d, c, -1.0 / c, scale};
    }

    double draw(Engine& engine) const {
        for (;;) {
            const double z = polar_normal(engine);
            if (!(z > lim)) continue;
            const double v = std::pow(z * c + 1.0, 3.0);
            const double u = positive_uniform(engine);
            if (std::log(u) < (std::log(v) + (1.0 - v)) * d + (z * 0.5) * z) return (v * d) * scale;
        }
    }
};

}  // namespace detail

// The gamma sampler prepared.  A shape in [0, 1] is boosted to shape + 1,
// which is above 1 except when it rounds to exactly 1 (shape 0 or below
// 2^-53); that one is boosted once more, to 2.  So a draw is the rejection
// step under at most two boosts, each drawing its U before the variate it
// boosts, as the recursive definition does.
struct GammaDraws {
    static constexpr int MAX_BOOSTS = 2;

    bool invalid;
    bool infinite;                  // shape = +inf: +inf, nothing drawn
    int boosts;                     // 0 to MAX_BOOSTS
    double exponent[MAX_BOOSTS];    // 1 / shape of each boost, outermost first
    detail::GammaAboveOne above;

    static GammaDraws prepare(double shape, double scale) {
        GammaDraws g{};
        g.invalid = num::is_nan(shape) || num::is_nan(scale) || shape < 0.0 || scale < MIN_POSITIVE_PARAMETER;
        g.infinite = shape == INF;
        if (g.invalid || g.infinite) return g;
        if (shape == 0.0) shape = 0.0;  // -0.0 -> +0.0, so that 1 / shape is +inf
        while (!(shape > 1.0)) {
            g.exponent[g.boosts++] = 1.0 / shape;
            shape = shape + 1.0;
        }
        g.above = detail::GammaAboveOne::prepare(shape, scale);
        return g;
    }

    double draw(Engine& engine) const {
        if (invalid) return NaN;
        if (infinite) return INF;
        return boosted(engine, 0);
    }

private:
    // The recursion ends at `boosts`, which is never above MAX_BOOSTS; the
    // second test only shows the compiler that `exponent` is never read
    // past its end.
    double boosted(Engine& engine, int level) const {
        if (level == boosts || level == MAX_BOOSTS) return above.draw(engine);
        const double u = positive_uniform(engine);
        const double x = boosted(engine, level + 1);
        return x * std::pow(u, exponent[level]);
    }
};

inline double rgamma(double shape, double scale, Engine& engine) {
    return GammaDraws::prepare(shape, scale).draw(engine);
}

struct ChisqDraws {
    GammaDraws gamma;  // invalid for a NaN or negative dof, as dof / 2 is

    static ChisqDraws prepare(double dof) { return {GammaDraws::prepare(dof * 0.5, 2.0)}; }
    double draw(Engine& engine) const { return gamma.draw(engine); }
};

inline double rchisq(double dof, Engine& engine) { return ChisqDraws::prepare(dof).draw(engine); }

struct InvGammaDraws {
    bool invalid;
    GammaDraws gamma;  // at 1 / scale

    static InvGammaDraws prepare(double shape, double scale) {
        const bool invalid = num::is_nan(shape) || num::is_nan(scale) || shape < 0.0 || scale < 0.0;
        return {invalid, invalid ? GammaDraws{} : GammaDraws::prepare(shape, 1.0 / scale)};
    }
    double draw(Engine& engine) const { return invalid ? NaN : 1.0 / gamma.draw(engine); }
};

inline double rinvgamma(double shape, double scale, Engine& engine) {
    return InvGammaDraws::prepare(shape, scale).draw(engine);
}

struct ExpDraws : Inversion<cdf_quantile::ExpQuantile> {
    static ExpDraws prepare(double rate) {
        return {{num::is_nan(rate) || rate < 0.0, cdf_quantile::ExpQuantile::prepare(rate)}};
    }
};

inline double rexp(double rate, Engine& engine) { return ExpDraws::prepare(rate).draw(engine); }

struct WeibullDraws : Inversion<cdf_quantile::WeibullQuantile> {
    static WeibullDraws prepare(double shape, double scale) {
        return {{num::is_nan(shape) || num::is_nan(scale) || shape < num::EPS || scale < num::EPS,
                 cdf_quantile::WeibullQuantile::prepare(shape, scale)}};
    }
};

inline double rweibull(double shape, double scale, Engine& engine) {
    return WeibullDraws::prepare(shape, scale).draw(engine);
}

}  // namespace pradix::random
