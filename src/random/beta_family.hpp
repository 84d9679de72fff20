// Beta, F and Student's t samplers, built on the gamma and chi-squared
// samplers (gamma_family.hpp).
//
// rbeta(a, b) = X / (Y + X) with X a gamma(a, 1) and Y a gamma(b, 1) draw;
// rf(df1, df2) = ((df2 / df1) X1) / X2 with X1, X2 chi-squared draws;
// rt(dof) = Z / sqrt(C / dof) with Z a polar normal and C a chi-squared draw.
// The draws come in that fixed order: the a-gamma before the b-gamma, the
// df1 chi-square before the df2 chi-square, the normal before the
// chi-square.  With infinite parameters the samplers follow their own
// arithmetic: rbeta(a, inf) = 0 for finite a, and rbeta(inf, b), rt(inf),
// rf with an infinite degree of freedom are NaN after their finite draws.
//
// sqrt is the C library's.
#pragma once

#include <cmath>

#include "draws.hpp"
#include "gamma_family.hpp"

namespace pradix::random {

inline double rbeta(double a, double b, Engine& engine) {
    if (num::is_nan(a) || num::is_nan(b) || a < 0.0 || b < 0.0) return NaN;
    const double x = rgamma(a, 1.0, engine);
    const double y = rgamma(b, 1.0, engine);
    return x / (y + x);
}

inline double rf(double df1, double df2, Engine& engine) {
    if (num::is_nan(df1) || num::is_nan(df2) || df1 < MIN_POSITIVE_PARAMETER ||
        df2 < MIN_POSITIVE_PARAMETER) {
        return NaN;
    }
    const double x1 = rchisq(df1, engine);
    const double x2 = rchisq(df2, engine);
    return ((df2 / df1) * x1) / x2;
}

inline double rt(double dof, Engine& engine) {
    if (num::is_nan(dof) || dof < MIN_POSITIVE_PARAMETER) return NaN;
    const double z = polar_normal(engine);
    const double c = rchisq(dof, engine);
    return z / std::sqrt(c / dof);
}

}  // namespace pradix::random
