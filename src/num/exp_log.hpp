// Exponential and logarithm, and their forms near zero.
//
// exp: e^y on |y| < 2 is the continued fraction E(y) = 1 / (1 - y / T_2),
// T_d = (y/(d-1) + 1) - (y/d) / T_(d+1), T_25 = 1, evaluated from level 25
// up.  Larger arguments split into n + y (n an integer, |y| <= 1/2, or
// y in [1.5, 2) for negative x with a fractional part of 1/2 or more, since
// the split follows the sign of x) and multiply E(y) by e^n through ipow.
// The integer exponent is clamped into the int64 range, so arguments of
// magnitude 2^63 and beyond give +inf (positive) or 0 (negative).
//
// log: ln u on [0.5, 1.5] is L(u) = 2z / (1 - w / C_2), z = (u-1)/(u+1),
// w = z^2, C_d = (2d-1) - d^2 w / C_(d+1), C_25 = 49.  Other arguments are
// scaled by powers of ten into a mantissa m in [1, 10]; with j = trunc(m),
// ln x = k ln 10 + (L(m/j) + ln j).  Values below 2^-52 are treated as 0
// (-inf), values within 2^-52 of 1 give exactly 0.
#pragma once

#include <cstdint>
#include <limits>

#include "common.hpp"
#include "integer.hpp"

namespace pradix::num {

namespace detail {

inline double exp_cf(double y) {
    if (y == 0.0) return 1.0;  // every level is exactly 1 (integer arguments)
    double t = 1.0;  // T_25
    // y/d is shared by levels d and d + 1: computed once, as the same division.
    double y_over_d = y / 24.0;
    for (int d = 24; d >= 2; --d) {
        const double y_over_d_minus_1 = y / static_cast<double>(d - 1);
        t = (y_over_d_minus_1 + 1.0) - y_over_d / t;
        y_over_d = y_over_d_minus_1;
    }
    return 1.0 / (1.0 - y / t);
}

inline double log_cf(double u) {
    const double z = (u - 1.0) / (u + 1.0);
    if (z == 0.0) return 0.0;  // (z + z) / (1 - 0 / C_2) is +0 (mantissas 1 to 10)
    const double w = z * z;
    double c = 49.0;  // C_25
    for (int d = 24; d >= 2; --d) {
        c = static_cast<double>(2 * d - 1) - (static_cast<double>(d * d) * w) / c;
    }
    return (z + z) / (1.0 - w / c);
}

// ln j for j = 1 .. 10.
inline constexpr double LN_DIGIT[11] = {
    0.0, 0.0, 0.6931471805599453, 1.0986122886681098, 1.3862943611198906,
    1.6094379124341003, 1.791759469228055, 1.9459101490553132,
    2.0794415416798357, 2.1972245773362196, 2.302585092994046};

inline std::int64_t clamp_to_int64(double n) {
    if (n >= 0x1p63) return std::numeric_limits<std::int64_t>::max();
    if (n < -0x1p63) return std::numeric_limits<std::int64_t>::min();
    return static_cast<std::int64_t>(n);
}

}  // namespace detail

inline double exp(double x) {
    if (is_nan(x)) return x;
    if (x == -INF) return 0.0;
    if (x == 0.0 || abs(x) < EPS) return 1.0;
    if (x == INF) return INF;
    if (abs(x) < 2.0) return detail::exp_cf(x);
    const double f = floor(x);
    const double r = x - f;
    double n = f;
    double y = r;
    if (!(r == 0.0 || abs(r) < 0.5)) {
        n = f + sgn(x);
        y = r - sgn(x);
    }
    return detail::exp_cf(y) * ipow(E, detail::clamp_to_int64(n));
}

inline double log(double x) {
    if (is_nan(x)) return x;
    if (x < 0.0) return NaN;
    if (x < EPS) return -INF;
    if (near_one(x)) return 0.0;
    if (x == INF) return INF;
    if (x >= 0.5 && x <= 1.5) return detail::log_cf(x);
    double m = x;
    int k = 0;
    if (x < 1.0) {
        m = x * 10.0;
        k = -1;
    } else if (x > 10.0) {
        m = x / 10.0;
        k = 1;
    }
    for (;;) {
        if (m < 1.0) {
            m = m * 10.0;
            k -= 1;
        } else if (m > 10.0) {
            m = m / 10.0;
            k += 1;
        } else {
            break;
        }
    }
    const int j = static_cast<int>(m);
    return static_cast<double>(k) * LN10 +
           (detail::log_cf(m / static_cast<double>(j)) + detail::LN_DIGIT[j]);
}

inline double expm1(double x) {
    if (is_nan(x)) return x;
    if (x != 0.0 && abs(x) > 1e-4) return exp(x) - 1.0;
    return ((((x * x / 120.0 + x / 24.0) * x + x / 6.0) * x + x * 0.5) * x) + x;
}

inline double log1p(double x) {
    if (is_nan(x)) return x;
    if (x != 0.0 && abs(x) > 1e-4) return log(x + 1.0);
    return ((((x * x / 5.0 - x * 0.25) * x + x / 3.0) * x - x * 0.5) * x) + x;
}

}  // namespace pradix::num
