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
// Each sampler is its preparation drawn once.  sqrt is the C library's.
#pragma once

#include <cmath>

#include "draws.hpp"
#include "gamma_family.hpp"

namespace pradix::random {

struct BetaDraws {
    bool invalid;
    GammaDraws x;  // gamma(a, 1)
    GammaDraws y;  // gamma(b, 1)

    static BetaDraws prepare(double a, double b) {
        const bool invalid = num::is_nan(a) || num::is_nan(b) || a < 0.0 || b < 0.0;
        if (invalid) return {true, {}, {}};
        return {false, GammaDraws::prepare(a, 1.0), GammaDraws::prepare(b, 1.0)};
    }

    double draw(Engine& engine) const {
        if (invalid) return NaN;
        const double gx = x.draw(engine);
        const double gy = y.draw(engine);
        return gx / (gy + gx);
    }
};

inline double rbeta(double a, double b, Engine& engine) { return BetaDraws::prepare(a, b).draw(engine); }

struct FDraws {
    bool invalid;
    double ratio;  // df2 / df1
    ChisqDraws x1;
    ChisqDraws x2;

    static FDraws prepare(double df1, double df2) {
        const bool invalid = num::is_nan(df1) || num::is_nan(df2) || df1 < MIN_POSITIVE_PARAMETER ||
                             df2 < MIN_POSITIVE_PARAMETER;
        if (invalid) return {true, 0.0, {}, {}};
        return {false, df2 / df1, ChisqDraws::prepare(df1), ChisqDraws::prepare(df2)};
    }

    double draw(Engine& engine) const {
        if (invalid) return NaN;
        const double c1 = x1.draw(engine);
        const double c2 = x2.draw(engine);
        return (ratio * c1) / c2;
    }
};

inline double rf(double df1, double df2, Engine& engine) { return FDraws::prepare(df1, df2).draw(engine); }

struct TDraws {
    bool invalid;
    double dof;
    ChisqDraws chisq;

    static TDraws prepare(double dof) {
        const bool invalid = num::is_nan(dof) || dof < MIN_POSITIVE_PARAMETER;
        if (invalid) return {true, dof, {}};
        return {false, dof, ChisqDraws::prepare(dof)};
    }

    double draw(Engine& engine) const {
        if (invalid) return NaN;
        const double z = polar_normal(engine);
        const double c = chisq.draw(engine);
        return z / c_sqrt(c / dof);
    }
};

inline double rt(double dof, Engine& engine) { return TDraws::prepare(dof).draw(engine); }

}  // namespace pradix::random
