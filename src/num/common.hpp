// Shared constants and predicates of the numerical kernels.
//
// Every kernel of the library works in plain IEEE-754 double arithmetic:
// one rounding per operation, no fused multiply-add, no extended precision
// (the build passes -ffp-contract=off).  The one tolerance used everywhere
// is EPS = 2^-52; "near zero" and "near one" below are the two tests built
// on it, both with strict comparisons.
#pragma once

#include <cstdint>
#include <cstring>
#include <limits>

namespace pradix::num {

inline constexpr double EPS = 0x1p-52;  // 2.220446049250313e-16
inline constexpr double INF = std::numeric_limits<double>::infinity();
// Quiet NaN, bit pattern 0x7FF8000000000000.
inline constexpr double NaN = std::numeric_limits<double>::quiet_NaN();

inline constexpr double PI = 3.141592653589793;
inline constexpr double HALF_PI = 1.5707963267948966;
inline constexpr double E = 2.718281828459045;
inline constexpr double LN2 = 0.6931471805599453;
inline constexpr double LN10 = 2.302585092994046;
inline constexpr double LN_SQRT_2PI = 0.9189385332046728;
inline constexpr double LN_PI = 1.1447298858494002;
inline constexpr double SQRT2 = 1.4142135623730951;

inline constexpr bool is_nan(double x) { return x != x; }
inline constexpr bool is_inf(double x) { return x == INF || x == -INF; }
inline constexpr bool is_finite(double x) { return !is_nan(x) && !is_inf(x); }

// The sign and its handling are written without a branch on the value: a
// point's sign is as likely one way as the other in most calls, and a
// branch on it would be mispredicted at every other point.  Negation flips
// the sign bit and nothing else (NaN included), so each function below has
// the bits of the comparison it replaces.
inline constexpr std::uint64_t SIGN_BIT = std::uint64_t{1} << 63;

// -x where `negative`, x otherwise: (negative ? -x : x).
inline constexpr double negate_if(bool negative, double x) {
    return __builtin_bit_cast(double, __builtin_bit_cast(std::uint64_t, x) ^ (std::uint64_t{negative} << 63));
}

// |x|, with |-0.0| = +0.0 and NaN passed through: (x < 0 ? -x : (x == 0 ? 0 : x)),
// which for every x but NaN is x with its sign bit cleared.
inline constexpr double abs(double x) {
    return is_nan(x) ? x : __builtin_bit_cast(double, __builtin_bit_cast(std::uint64_t, x) & ~SIGN_BIT);
}

// 1, -1 or 0 (NaN gives 0): (x > 0 ? 1 : (x < 0 ? -1 : 0)), as 1 with the
// sign of x, kept where x is neither 0 nor NaN.
inline constexpr double sgn(double x) {
    const std::uint64_t nonzero = static_cast<std::uint64_t>((x > 0.0) | (x < 0.0));
    const std::uint64_t one = __builtin_bit_cast(std::uint64_t, 1.0) | (__builtin_bit_cast(std::uint64_t, x) & SIGN_BIT);
    return __builtin_bit_cast(double, one & (0 - nonzero));
}

inline constexpr bool any_nan(double a, double b) { return is_nan(a) || is_nan(b); }
inline constexpr bool any_nan(double a, double b, double c) { return any_nan(a, b) || is_nan(c); }

// x = mu = +inf or x = mu = -inf: an undefined location difference.
inline constexpr bool same_infinity(double x, double mu) {
    return (x == INF && mu == INF) || (x == -INF && mu == -INF);
}

// p is not a probability: NaN or outside [0, 1] (infinities included).
inline constexpr bool bad_probability(double p) { return is_nan(p) || p < 0.0 || p > 1.0; }

// x == 0 or |x| < EPS.
inline constexpr bool near_zero(double x) { return x == 0.0 || abs(x) < EPS; }

// x - 1 == 0 or |x - 1| < EPS.
inline constexpr bool near_one(double x) {
    const double d = x - 1.0;
    return d == 0.0 || abs(d) < EPS;
}

// NaN results leave the module as the one quiet NaN 0x7FF8000000000000,
// whatever sign and payload the processor's arithmetic gave them, so that
// results are the same bits on every machine.
inline constexpr double canonical(double v) { return v != v ? NaN : v; }

// A computed probability held within [0, 1]; NaN stays NaN.
inline constexpr double clamp_unit(double p) { return p < 0.0 ? 0.0 : (p > 1.0 ? 1.0 : p); }

// Curvature factor q of the Halley-type corrections of erfinv, gamma_p_inv
// and beta_inc_inv, held in [CURVATURE_MIN, CURVATURE_MAX].  A NaN q gives
// if_nan, which each caller states: the upper bound for erfinv and
// gamma_p_inv, NaN (so the correction is NaN) for beta_inc_inv.
inline constexpr double CURVATURE_MIN = 0.8;
inline constexpr double CURVATURE_MAX = 1.2;
inline constexpr double clamp_curvature(double q, double if_nan) {
    if (is_nan(q)) return if_nan;
    if (q > CURVATURE_MAX) return CURVATURE_MAX;
    if (q < CURVATURE_MIN) return CURVATURE_MIN;
    return q;
}

// Distance from a finite x >= 0 to the next larger double: adding any
// y >= 0 with y + y below it leaves x unchanged.
inline double ulp_above(double x) {
    std::uint64_t bits;
    std::memcpy(&bits, &x, sizeof bits);
    ++bits;
    double up;
    std::memcpy(&up, &bits, sizeof up);
    return up - x;
}

// A row's answer, in the rows (settle) of prepared kernels: v = value, true.
inline bool answer(double& v, double value) {
    v = value;
    return true;
}

}  // namespace pradix::num
