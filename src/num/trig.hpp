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
// of depth 15 to 52 below.  Both are odd functions.  atan's series and
// fraction are written once for scalars and lanes (lanes/fractions.hpp);
// atan_n (blocks.hpp) runs many arguments at once.
#pragma once

#include "common.hpp"
#include "integer.hpp"
#include "lanes/fractions.hpp"
#include "tally.hpp"

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

// How atan_pos evaluates x > 0: the series with n terms above 2.5,
// otherwise the fraction of depth n.  The two ranges of n do not meet, so n
// alone names the form (atan_depth_is_series); the block form sorts its
// points by n.
inline constexpr double ATAN_SERIES_ABOVE = 2.5;
inline constexpr int ATAN_DEPTH_MAX = 52;

struct AtanForm {
    bool series;
    int n;
};

inline AtanForm atan_form(double x) {
    if (x > ATAN_SERIES_ABOVE) return {true, atan_series_terms(x)};
    return {false, atan_cf_depth(x)};
}

inline constexpr bool atan_depth_is_series(int n) { return n <= lanes::ATAN_TERMS_MAX; }

inline double atan_pos(double x) {
    const AtanForm f = atan_form(x);
    return f.series ? lanes::atan_series(f.n, x) : lanes::atan_fraction(f.n, x);
}

// The rows of atan, before any fraction: true, with the value in v.
inline bool atan_settle(double x, double& v) {
    if (is_nan(x)) return answer(v, x);
    if (near_zero(x)) return answer(v, 0.0);
    return false;
}

}  // namespace detail

inline double tan(double x) {
    tally::one(tally::Kind::tan, x);
    if (is_nan(x)) return x;
    if (near_zero(x)) return 0.0;
    return x < 0.0 ? -detail::tan_pos(-x) : detail::tan_pos(x);
}

inline double atan(double x) {
    tally::one(tally::Kind::atan, x);
    double v;
    if (detail::atan_settle(x, v)) return v;
    return x < 0.0 ? -detail::atan_pos(-x) : detail::atan_pos(x);
}

}  // namespace pradix::num
