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
// log, sqrt and pow are the C library's.
#pragma once

#include <cmath>

#include "../cdf_quantile/quantile_gamma_family.hpp"
#include "draws.hpp"

namespace pradix::random {

inline constexpr double ONE_THIRD = 0.3333333333333333;  // 0x3FD5555555555555
// Smallest accepted gamma scale and F / t degree of freedom.
inline constexpr double MIN_POSITIVE_PARAMETER = 0x1p-52;

namespace detail {

inline double gamma_above_one(double shape, double scale, Engine& engine) {
    const double d = shape - ONE_THIRD;
    const double c = ONE_THIRD / std::sqrt(d);
    const double lim = -1.0 / c;
    for (;;) {
        const double z = polar_normal(engine);
        if (!(z > lim)) continue;
        const double v = std::pow(z * c + 1.0, 3.0);
        const double u = positive_uniform(engine);
        if (std::log(u) < (std::log(v) + (1.0 - v)) * d + (z * 0.5) * z) return (v * d) * scale;
    }
}

}  // namespace detail

inline double rgamma(double shape, double scale, Engine& engine) {
    if (num::is_nan(shape) || num::is_nan(scale) || shape < 0.0 || scale < MIN_POSITIVE_PARAMETER) {
        return NaN;
    }
    if (shape == INF) return INF;
    if (shape > 1.0) return detail::gamma_above_one(shape, scale, engine);

    if (shape == 0.0) shape = 0.0;  // -0.0 -> +0.0, so that 1 / shape is +inf
    const double u = positive_uniform(engine);
    const double x = rgamma(shape + 1.0, scale, engine);
    return x * std::pow(u, 1.0 / shape);
}

inline double rchisq(double dof, Engine& engine) {
    if (num::is_nan(dof) || dof < 0.0) return NaN;
    return rgamma(dof * 0.5, 2.0, engine);
}

inline double rinvgamma(double shape, double scale, Engine& engine) {
    if (num::is_nan(shape) || num::is_nan(scale) || shape < 0.0 || scale < 0.0) return NaN;
    return 1.0 / rgamma(shape, 1.0 / scale, engine);
}

inline double rexp(double rate, Engine& engine) {
    if (num::is_nan(rate) || rate < 0.0) return NaN;
    return cdf_quantile::qexp(positive_uniform(engine), rate);
}

inline double rweibull(double shape, double scale, Engine& engine) {
    if (num::is_nan(shape) || num::is_nan(scale) || shape < num::EPS || scale < num::EPS) return NaN;
    return cdf_quantile::qweibull(positive_uniform(engine), shape, scale);
}

}  // namespace pradix::random
