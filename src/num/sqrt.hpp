// Square root by Heron's iteration.
//
// The argument is first scaled by 1/4 (and the result by 2) until it is at
// most 4; the guess x/2 is then refined until |g - x/g| / (g + 1) < EPS, at
// most 100 times.  Arguments below 2^-52 have root 0; arguments within 2^-52
// of 1 are returned unchanged.
#pragma once

#include "common.hpp"
#include "tally.hpp"

namespace pradix::num {

inline double sqrt(double x) {
    tally::one(tally::Kind::sqrt, x);
    if (is_nan(x)) return x;
    if (x < 0.0) return NaN;
    if (x == INF) return INF;
    if (near_zero(x)) return 0.0;
    const double d = 1.0 - x;
    if (d == 0.0 || abs(d) < EPS) return x;
    double s = 1.0;
    while (x > 4.0) {
        x = x * 0.25;
        s = s + s;
    }
    double g = 0.5 * x;
    for (int update = 0; update < 100; ++update) {
        const double q = x / g;
        if (abs(g - q) / (g + 1.0) < EPS) break;
        g = (q + g) * 0.5;
    }
    return g * s;
}

}  // namespace pradix::num
