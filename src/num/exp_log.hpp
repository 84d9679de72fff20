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
//
// Both fractions are written once, for scalars and vector lanes alike, in
// lanes/fractions.hpp; the kernels here are their one-lane case.
#pragma once

#include <cstdint>
#include <limits>

#include "common.hpp"
#include "integer.hpp"
#include "lanes/fractions.hpp"
#include "tally.hpp"

namespace pradix::num {

namespace detail {

inline double exp_cf(double y) {
    if (y == 0.0) return 1.0;  // every level is exactly 1 (integer arguments)
    return lanes::exp_fraction(y);
}

inline double log_cf(double u) {
    const double z = lanes::log_ratio(u);
    if (z == 0.0) return 0.0;  // (z + z) / (1 - 0 / C_2) is +0 (mantissas 1 to 10)
    return lanes::log_fraction(z);
}

// ln j for j = 1 .. 10.
inline constexpr double LN_DIGIT[11] = {
    0.0, 0.0, 0.6931471805599453, 1.0986122886681098, 1.3862943611198906,
    1.6094379124341003, 1.791759469228055, 1.9459101490553132,
    2.0794415416798357, 2.1972245773362196, 2.302585092994046};


// exp and log in two halves around their continued fraction, so that the
// block forms (blocks.hpp) can run the fractions of many arguments at once:
// *_split settles the special values or reduces x to the fraction's
// argument, *_join turns the fraction's value into the result.

// e^x = E(y) * e^n (scaled) or E(y).
struct ExpSplit {
    bool done;  // value is the result
    double value;
    double y;
    bool scaled;
    std::int64_t n;
};

inline ExpSplit exp_split(double x) {
    if (is_nan(x)) return {true, x, 0.0, false, 0};
    if (x == -INF) return {true, 0.0, 0.0, false, 0};
    if (x == 0.0 || abs(x) < EPS) return {true, 1.0, 0.0, false, 0};
    if (x == INF) return {true, INF, 0.0, false, 0};
    if (abs(x) < 2.0) return {false, 0.0, x, false, 0};
    const double f = floor(x);
    const double r = x - f;
    double n = f;
    double y = r;
    if (!(r == 0.0 || abs(r) < 0.5)) {
        n = f + sgn(x);
        y = r - sgn(x);
    }
    return {false, 0.0, y, true, clamp_to_int64(n)};
}

inline double exp_join(const ExpSplit& s, double fraction) {
    return s.scaled ? fraction * ipow(E, s.n) : fraction;
}

// ln x = k ln 10 + (L(u) + ln j) (scaled) or L(u).
struct LogSplit {
    bool done;  // value is the result
    double value;
    double u;
    bool scaled;
    int k;
    int j;
};

inline LogSplit log_split(double x) {
    if (is_nan(x)) return {true, x, 0.0, false, 0, 0};
    if (x < 0.0) return {true, NaN, 0.0, false, 0, 0};
    if (x < EPS) return {true, -INF, 0.0, false, 0, 0};
    if (near_one(x)) return {true, 0.0, 0.0, false, 0, 0};
    if (x == INF) return {true, INF, 0.0, false, 0, 0};
    if (x >= 0.5 && x <= 1.5) return {false, 0.0, x, false, 0, 0};
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
    return {false, 0.0, m / static_cast<double>(j), true, k, j};
}

inline double log_join(const LogSplit& s, double fraction) {
    return s.scaled ? static_cast<double>(s.k) * LN10 + (fraction + LN_DIGIT[s.j]) : fraction;
}

}  // namespace detail

inline double exp(double x) {
    tally::one(tally::Kind::exp, x);
    const detail::ExpSplit s = detail::exp_split(x);
    return s.done ? s.value : detail::exp_join(s, detail::exp_cf(s.y));
}

inline double log(double x) {
    tally::one(tally::Kind::log, x);
    const detail::LogSplit s = detail::log_split(x);
    return s.done ? s.value : detail::log_join(s, detail::log_cf(s.u));
}

namespace detail {

// expm1's switch: exp(x) - 1 where x != 0 and |x| > 1e-4 (false for NaN),
// its series otherwise.  Kernels that take the exponential in a block ask
// the same.
inline constexpr double EXPM1_SERIES_UP_TO = 1e-4;
inline bool expm1_takes_exp(double x) { return x != 0.0 && abs(x) > EXPM1_SERIES_UP_TO; }

}  // namespace detail

inline double expm1(double x) {
    if (is_nan(x)) return x;
    if (detail::expm1_takes_exp(x)) return exp(x) - 1.0;
    return ((((x * x / 120.0 + x / 24.0) * x + x / 6.0) * x + x * 0.5) * x) + x;
}

// log1p in two halves, for staged kernels that take the logarithm in a
// block: true with v = log1p(x) where no logarithm is needed, otherwise
// false with v = x + 1, whose logarithm is log1p(x).
inline bool log1p_settle(double x, double& v) {
    if (is_nan(x)) {
        v = x;
        return true;
    }
    if (x != 0.0 && abs(x) > 1e-4) {
        v = x + 1.0;
        return false;
    }
    v = ((((x * x / 5.0 - x * 0.25) * x + x / 3.0) * x - x * 0.5) * x) + x;
    return true;
}

inline double log1p(double x) {
    double v;
    return log1p_settle(x, v) ? v : log(v);
}

}  // namespace pradix::num
