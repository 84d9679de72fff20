// Tangent and arctangent.
//
// tan reduces its argument by subtracting floor(x / pi) pi, uses the Laurent
// series around pi/2 on (1.55, 1.6) and otherwise Lambert's continued
// fraction x / (1 - w / K_2), K_d = (2d-1) - w / K_(d+1), w = x^2, of depth
// 25, 35 or 45 by the size of x.  At pi/2 itself it returns 1.633124e16.
// One subtraction leaves at most pi in every case measured (4 million
// arguments up to the largest double); the loop allows a second and gives
// NaN where a third would be needed.  The reduction is exact only while
// x / pi is: beyond about 2^53 pi (2.8e16) the remainder is a rounding
// artefact, 0 or negative (tan(1e17) = 0.0, tan(1e18) = -1.04), and from
// about 9.5e169 a remainder can exceed 1e154, whose square overflows the
// fraction to NaN.  The module only takes tangents of arguments within
// (-pi/2, pi/2).
//
// atan uses the asymptotic series pi/2 - 1/x + sum of t_d above 2.5, with
// 2 to 10 terms by the size of x (summed from the smallest term up), and
// the continued fraction x / (w / A_2 + 1), A_d = d^2 w / A_(d+1) + (2d-1),
// of depth 15 to 52 below.  Both are odd functions.
#pragma once

#include "common.hpp"
#include "integer.hpp"
#include "lanes/fractions.hpp"

namespace pradix::num {

namespace detail {

// The depth of the fraction at x in (0, pi]; and whether x takes the
// fraction at all (not beyond pi, not near pi/2).
inline int tan_depth(double x) { return x > 1.4 ? 45 : (x > 1.0 ? 35 : 25); }
inline bool tan_takes_fraction(double x) { return !(x > PI) && !(x > 1.55 && x < 1.6); }

inline double tan_pos(double x) {
    int reductions = 0;
    while (x > PI) {
        if (reductions == 2) return NaN;
        x = x - floor(x / PI) * PI;
        ++reductions;
    }
    if (x > 1.55 && x < 1.6) {
        const double y = x - HALF_PI;
        if (near_zero(y)) return 1.633124e16;
        return (((ipow(y, 7) / 4725.0 + (ipow(y, 5) + ipow(y, 5)) / 945.0) + ipow(y, 3) / 45.0) +
                y / 3.0) -
               1.0 / y;
    }
    return lanes::tan_fraction(x, tan_depth(x));
}

inline int atan_series_terms(double x) {
    if (x < 3.0) return 10;
    if (x < 4.0) return 9;
    if (x < 5.0) return 8;
    if (x < 7.0) return 7;
    if (x < 11.0) return 6;
    if (x < 25.0) return 5;
    if (x < 100.0) return 4;
    if (x < 1000.0) return 3;
    return 2;
}

inline int atan_cf_depth(double x) {
    if (x < 0.5) return 15;
    if (x < 1.0) return 25;
    if (x < 1.5) return 35;
    if (x < 2.0) return 45;
    return 52;
}

inline double atan_pos(double x) {
    const double w = x * x;
    if (x > 2.5) {
        const int n = atan_series_terms(x);
        double t[11];
        double p = w * x;  // p_2
        for (int d = 2; d <= n; ++d) {
            t[d] = 1.0 / (static_cast<double>(4 * d - 5) * p) -
                   1.0 / ((static_cast<double>(4 * d - 3) * p) * w);
            p = (w * p) * w;
        }
        double s = t[n];
        for (int d = n - 1; d >= 2; --d) s = s + t[d];
        return s + (HALF_PI - 1.0 / x);
    }
    const int n = atan_cf_depth(x);
    double a = static_cast<double>(2 * n - 1);
    for (int d = n - 1; d >= 2; --d) {
        a = (static_cast<double>(d * d) * w) / a + static_cast<double>(2 * d - 1);
    }
    return x / (w / a + 1.0);
}

}  // namespace detail

inline double tan(double x) {
    if (is_nan(x)) return x;
    if (near_zero(x)) return 0.0;
    return x < 0.0 ? -detail::tan_pos(-x) : detail::tan_pos(x);
}

inline double atan(double x) {
    if (is_nan(x)) return x;
    if (near_zero(x)) return 0.0;
    return x < 0.0 ? -detail::atan_pos(-x) : detail::atan_pos(x);
}

}  // namespace pradix::num
