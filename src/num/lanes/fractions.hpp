// The continued fractions of exp, log, erf, the incomplete gamma function,
// the logistic's tanh and atan (and atan's series), written once for any
// lane type V: double (the scalar kernels) or a GCC vector of doubles (the
// per-target block functions, target_*.cpp).  Every lane runs exactly the
// scalar operations in the scalar order; the bodies hold no comparison and
// no branch on values, only +, -, * and / with scalar constants broadcast to
// every lane, so a lane's result is the scalar result bit for bit (the
// build never contracts a * b + c into a fused multiply-add).  Where a depth
// varies with the argument (atan), it is a parameter, the same for every
// lane: callers group their arguments by depth.
//
// Target is a tag type private to the translation unit that instantiates
// the fraction.  A per-target file passes a tag from its anonymous
// namespace, which gives every instantiation it makes internal linkage: the
// linker can never hand the rest of the module a copy compiled for another
// instruction set.  The scalar kernels use the default tag.
#pragma once

namespace pradix::num::lanes {

inline constexpr int EXP_CF_END = 25;
inline constexpr int LOG_CF_END = 25;
inline constexpr int ERF_CF_END = 60;
inline constexpr double SQRT_PI = 1.772453850905516;
inline constexpr int GAMMA_LOWER_CF_END = 55;
inline constexpr int GAMMA_UPPER_CF_END = 100;
inline constexpr int TANH_CF_END = 35;
inline constexpr int ATAN_TERMS_MAX = 10;
inline constexpr double ATAN_HALF_PI = 1.5707963267948966;

// E(y) = 1 / (1 - y / T_2), T_d = (y/(d-1) + 1) - (y/d) / T_(d+1), T_25 = 1.
// y/d is shared by levels d and d + 1: computed once, as the same division.
template <class V, class Target = void>
V exp_fraction(V y) {
    V t = V{} + 1.0;  // T_25
    V y_over_d = y / static_cast<double>(EXP_CF_END - 1);
    for (int d = EXP_CF_END - 1; d >= 2; --d) {
        const V y_over_d_minus_1 = y / static_cast<double>(d - 1);
        t = (y_over_d_minus_1 + 1.0) - y_over_d / t;
        y_over_d = y_over_d_minus_1;
    }
    return 1.0 / (1.0 - y / t);
}

// z = (u - 1) / (u + 1), the argument of the logarithm's fraction.
template <class V, class Target = void>
V log_ratio(V u) {
    return (u - 1.0) / (u + 1.0);
}

// L = 2z / (1 - w / C_2), w = z^2, C_d = (2d-1) - d^2 w / C_(d+1), C_25 = 49.
template <class V, class Target = void>
V log_fraction(V z) {
    const V w = z * z;
    V c = V{} + static_cast<double>(2 * LOG_CF_END - 1);  // C_25
    for (int d = LOG_CF_END - 1; d >= 2; --d) {
        c = static_cast<double>(2 * d - 1) - (static_cast<double>(d * d) * w) / c;
    }
    return (z + z) / (1.0 - w / c);
}

// erf(x) for x above the switch point, given w = e^(-x^2) and with
// b = w / sqrt(pi): 1 - 2b / (2x + 2 / F_2), F_k = 2x + 2k / F_(k+1), F_60 = 2x.
// The fraction F_2 depends on x alone: erf_above_fraction gives it, and
// erf_above_join the value from it and w (for callers that know w already).
template <class V, class Target = void>
V erf_above_fraction(V x) {
    const V y = x + x;
    V f = y;  // F_60
    for (int k = ERF_CF_END - 1; k >= 2; --k) f = y + static_cast<double>(2 * k) / f;
    return f;
}

template <class V, class Target = void>
V erf_above_join(V x, V w, V f) {
    const V b = w / SQRT_PI;
    const V y = x + x;
    return 1.0 - (b + b) / (y + 2.0 / f);
}

template <class V, class Target = void>
V erf_above(V x, V w) {
    return erf_above_join<V, Target>(x, w, erf_above_fraction<V, Target>(x));
}

// erf(x) for 0 < x up to the switch point, given w and b as above:
// b 2x / (4x^2 / G_2 + (1 - 2x^2)),
// G_k = ((2k - 1) - 2x^2) + 4k x^2 / G_(k+1), G_60 = 119 - 2x^2; G_2 and
// the join as for erf_above.
template <class V, class Target = void>
V erf_below_fraction(V x) {
    const V z = x * x;
    const V z2 = z + z;
    V g = static_cast<double>(2 * ERF_CF_END - 1) - z2;  // G_60
    for (int k = ERF_CF_END - 1; k >= 2; --k) {
        g = (static_cast<double>(2 * k - 1) - z2) + (static_cast<double>(4 * k) * z) / g;
    }
    return g;
}

template <class V, class Target = void>
V erf_below_join(V x, V w, V g) {
    const V b = w / SQRT_PI;
    const V z = x * x;
    const V z2 = z + z;
    return (b * (x + x)) / ((z * 4.0) / g + (1.0 - z2));
}

template <class V, class Target = void>
V erf_below(V x, V w) {
    return erf_below_join<V, Target>(x, w, erf_below_fraction<V, Target>(x));
}

// The lower incomplete gamma function's fraction at shape a: P = x^a e^-x /
// Gamma(a) / this.  Levels 55 down to 2.  A is double (one shape for every
// lane) or V (a shape per lane: the same operations on each lane's own).
template <class V, class Target = void, class A = double>
V gamma_lower(A a, V x) {
    V l = (V{} + ((static_cast<double>(GAMMA_LOWER_CF_END) + a) - 1.0));  // L(55)
    for (int k = GAMMA_LOWER_CF_END - 1; k >= 2; --k) {
        if (k % 2 == 1) {
            const A c = -((static_cast<double>(k + 1) * 0.5) + (a - 1.0));
            l = (c * x) / l + ((static_cast<double>(k) + a) - 1.0);
        } else {
            const double c = static_cast<double>(k) * 0.5;
            l = (c * x) / l + ((static_cast<double>(k) + a) - 1.0);
        }
    }
    return (-((a - 1.0) + 1.0) * x) / l + ((a + 1.0) - 1.0);
}

// The upper function's fraction: P = 1 - x^a e^-x / Gamma(a) / this.
// Levels 100 down to 2, T_k = ((2k - 1) - a) + x; A as for gamma_lower.
template <class V, class Target = void, class A = double>
V gamma_upper(A a, V x) {
    V u = (static_cast<double>(2 * GAMMA_UPPER_CF_END - 1) - a) + x;  // U(100)
    for (int k = GAMMA_UPPER_CF_END - 1; k >= 2; --k) {
        u = ((a - static_cast<double>(k)) * static_cast<double>(k)) / u + ((static_cast<double>(2 * k - 1) - a) + x);
    }
    return (a - 1.0) / u + ((1.0 - a) + x);
}

// tanh(r) for r > 0 by its continued fraction, fixed depth 35:
// r / (r^2 / T_2 + 1), T_k = (2k - 1) + r^2 / T_(k+1), T_35 = 69.
template <class V, class Target = void>
V tanh_fraction(V r) {
    const V s = r * r;
    V t = V{} + static_cast<double>(2 * TANH_CF_END - 1);  // T_35
    for (int k = TANH_CF_END - 1; k >= 2; --k) t = static_cast<double>(2 * k - 1) + s / t;
    return r / ((r * r) / t + 1.0);
}

// atan(x) for 0 < x <= 2.5 by its continued fraction of depth n (the same
// for every lane): x / (w / A_2 + 1), A_d = d^2 w / A_(d+1) + (2d - 1),
// A_n = 2n - 1, w = x^2.
template <class V, class Target = void>
V atan_fraction(int n, V x) {
    const V w = x * x;
    V a = V{} + static_cast<double>(2 * n - 1);  // A_n
    for (int d = n - 1; d >= 2; --d) a = (static_cast<double>(d * d) * w) / a + static_cast<double>(2 * d - 1);
    return x / (w / a + 1.0);
}

// atan(x) for x > 2.5 by the asymptotic series with n terms, 2 <= n <= 10
// (the same for every lane): (t_n + ... + t_2) + (pi/2 - 1/x), summed from
// the deepest term, t_d = 1 / ((4d - 5) p_d) - 1 / (((4d - 3) p_d) w),
// p_2 = w x, p_(d+1) = (w p_d) w.
template <class V, class Target = void>
V atan_series(int n, V x) {
    const V w = x * x;
    V t[ATAN_TERMS_MAX + 1] = {};  // (zeroed only for the compiler: t_2 .. t_n are set before use)
    V p = w * x;  // p_2
    for (int d = 2; d <= n; ++d) {
        t[d] = 1.0 / (static_cast<double>(4 * d - 5) * p) - 1.0 / ((static_cast<double>(4 * d - 3) * p) * w);
        p = (w * p) * w;
    }
    V s = t[n];
    for (int d = n - 1; d >= 2; --d) s = s + t[d];
    return s + (ATAN_HALF_PI - 1.0 / x);
}

// tan(x) for 0 < x < pi away from pi/2, Lambert's fraction of the given
// depth n (the same for every lane): x / (1 - w / K_2),
// K_d = (2d-1) - w / K_(d+1), K_n = 2n - 1, w = x^2.
template <class V, class Target = void>
V tan_fraction(V x, int n) {
    const V w = x * x;
    V k = V{} + static_cast<double>(2 * n - 1);
    for (int d = n - 1; d >= 2; --d) k = static_cast<double>(2 * d - 1) - w / k;
    return x / (1.0 - w / k);
}

}  // namespace pradix::num::lanes
