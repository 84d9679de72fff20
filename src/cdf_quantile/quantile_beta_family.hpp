// Quantiles of the beta, F and Student t distributions.
//
// Beta and F invert the regularized incomplete beta function with
// num::beta_inc_inv.  Student's t has closed forms for 1 and 2 degrees of
// freedom and is the normal quantile for infinitely many.  Otherwise it uses
// Hill's closed-form approximation for the two-tailed probability P: a
// normal-deviate expansion in the body (no polish), and in the far tail an
// algebraic start refined by six Newton-type corrections on pt and dt.  For
// 0 < dof <= 1/2 the approximation's constants are not finite and the result
// is NaN; between 1/2 and about 0.9 the tail corrections need not settle.
#pragma once

#include "../density/beta_family.hpp"
#include "cdf_beta_family.hpp"
#include "conventions.hpp"
#include "quantile_gamma_family.hpp"
#include "quantile_location_scale.hpp"

namespace pradix::cdf_quantile {

inline double qbeta(double p, double a, double b) {
    if (bad_probability(p) || any_nan(a, b) || a < 0.0 || b < 0.0) return NaN;
    if (p == 0.0) return 0.0;
    if (p == 1.0) return 1.0;
    if (a == 0.0) {
        if (b != 0.0) return 0.0;
        return p < 0.5 ? 0.0 : (p == 0.5 ? 0.5 : 1.0);
    }
    if (a != INF && b != INF && b != 0.0) return num::beta_inc_inv(a, b, p);
    if (b == INF && a != INF) return 0.0;
    if (a == INF) return b == INF ? 0.5 : 1.0;
    return 1.0;  // b = 0
}

inline double qf(double p, double df1, double df2) {
    if (bad_probability(p) || any_nan(df1, df2) || df1 < EPS || df2 < EPS) return NaN;
    if (p == 0.0) return 0.0;
    if (p == 1.0) return INF;
    if (df1 != INF && df2 != INF) {
        const double x = num::beta_inc_inv(df1 * 0.5, df2 * 0.5, p);
        return x / (((df1 * 0.5) / (df2 * 0.5)) * (1.0 - x));
    }
    if (df1 == INF && df2 == INF) return 1.0;
    if (df1 != INF) return qchisq(p, df1) / df1;
    return df2 / qchisq(1.0 - p, df2);
}

namespace detail {

// Student's t quantile by G. W. Hill's approximation (Algorithm 396,
// "Student's t-quantiles", 1970).  For n degrees of freedom it forms
// a = 1 / (n - 1/2), b = 48 / a^2,
// c = ((20700 a / b - 98) a - 16) a + 96.36 and
// d = sqrt(pi / 2) sqrt(a) n ((94.5 / (b + c) - 3) / b + 1); with P the
// two-tailed probability, y = (P d)^(2 / n) decides the region: the body
// (y > a + 0.05) or the tail.
inline constexpr double SQRT_HALF_PI = 1.2533141373155003;  // sqrt(pi / 2)
inline constexpr double T_C_CUBIC = 20700.0;                // coefficients of c in a
inline constexpr double T_C_QUADRATIC = 98.0;
inline constexpr double T_C_LINEAR = 16.0;
inline constexpr double T_C_CONSTANT = 96.36;
inline constexpr double T_EXPANSION = 94.5;    // in d and in the body's expansion
inline constexpr double T_BODY_MARGIN = 0.05;  // body where y > a + 0.05
inline constexpr double T_EXPM1_ABOVE = 0.1;   // the body's exponential: series below
inline constexpr double T_SMALL_DOF = 5.0;     // the body's extra term of c below 5
inline constexpr double T_TAIL_D_WEIGHT = 0.089;
inline constexpr double T_TAIL_OFFSET = 0.822;
inline constexpr int T_TAIL_CORRECTIONS = 6;

struct TApproximation {
    double a;
    double b;
    double c;
    double d;
};

inline TApproximation t_approximation(double n) {
    const double a = 1.0 / (n - 0.5);
    const double b = 48.0 / (a * a);
    const double c = ((T_C_CUBIC * a / b - T_C_QUADRATIC) * a - T_C_LINEAR) * a + T_C_CONSTANT;
    const double d = ((num::sqrt(a) * n) * SQRT_HALF_PI) * ((T_EXPANSION / (b + c) - 3.0) / b + 1.0);
    return {a, b, c, d};
}

// Body: a normal deviate x for P / 2 put through the expansion, no polish.
inline double t_body(double P, double n, const TApproximation& t) {
    const double x = qnorm(P * 0.5, 0.0, 1.0);
    const double c_dof = n < T_SMALL_DOF ? ((n - 4.5) * 0.3) * (x + 0.6) + t.c : t.c;
    const double c_x = (((x * 0.05 * t.d - 5.0) * x - 7.0) * x - 2.0) * x + (t.b + c_dof);
    const double x2 = x * x;
    const double u = (((((x2 * 0.4 + 6.3) * x2 + 36.0) * x2 + T_EXPANSION) / c_x - x2 - 3.0) / t.b + 1.0) * x;
    const double v = (u * t.a) * u;
    const double w = v > T_EXPM1_ABOVE ? num::expm1(v) : ((v + 4.0) * v + 12.0) * (v * v) / 24.0 + v;
    return num::sqrt(w * n);
}

// Tail: an algebraic start from y, then six Newton-type corrections on pt
// and dt, each with a second-order term.
inline double t_tail(double P, double n, double y, const TApproximation& t) {
    const double start =
        ((1.0 / ((((n + 6.0) / (y * n) - t.d * T_TAIL_D_WEIGHT) - T_TAIL_OFFSET) * (n + 2.0) * 3.0) +
          0.5 / (n + 4.0)) * y - 1.0) * (n + 1.0) / (n + 2.0) +
        1.0 / y;
    double x = num::sqrt(start * n);
    double d = 0.0;
    for (int pass = 0; pass <= T_TAIL_CORRECTIONS; ++pass) {
        x = (x * d * (n + 1.0) / ((x * x + n) * 2.0) + 1.0) * d + x;
        if (pass == T_TAIL_CORRECTIONS) break;
        d = (1.0 - pt(x, n, false) - P * 0.5) / density::dt(x, n, false);
    }
    return x;
}

// Magnitude of the t quantile whose upper tail is P / 2, for n degrees of
// freedom (n not 1, 2 or infinite).
inline double t_quantile_magnitude(double P, double n) {
    const TApproximation t = t_approximation(n);
    const double pd = P * t.d;
    const double y = pd < 0.0 ? NaN : num::exp(num::log(pd) * (2.0 / n));
    return y > t.a + T_BODY_MARGIN ? t_body(P, n, t) : t_tail(P, n, y, t);
}

}  // namespace detail

inline double qt(double p, double dof) {
    if (bad_probability(p) || num::is_nan(dof) || dof < EPS) return NaN;
    if (p == 0.0) return -INF;
    if (p == 1.0) return INF;
    if (dof == 1.0) return num::tan((p - 0.5) * num::PI);
    if (dof == 2.0) return ((p + p) - 1.0) / num::sqrt((1.0 - p) * (p + p));
    if (dof == INF) return qnorm(p, 0.0, 1.0);
    const double P = p < 0.5 ? p + p : (1.0 - p) + (1.0 - p);
    const double T = detail::t_quantile_magnitude(P, dof);
    return p < 0.5 ? -T : T;
}

}  // namespace pradix::cdf_quantile
