// Quantiles of the beta, F and Student t distributions.
//
// Beta and F invert the regularized incomplete beta function with
// num::beta_inc_inv.  Student's t has closed forms for 1 and 2 degrees of
// freedom and is the normal quantile for infinitely many.  Otherwise it uses
// a closed-form approximation H(P, n) for the two-tailed probability P: a
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

// Magnitude of the t quantile whose upper tail is P / 2, for n degrees of
// freedom (n not 1, 2 or infinite).
inline double t_quantile_magnitude(double P, double n) {
    const double A = 1.0 / (n - 0.5);
    const double B = 48.0 / (A * A);
    double C = ((20700.0 * A / B - 98.0) * A - 16.0) * A + 96.36;
    const double D = ((num::sqrt(A) * n) * 1.2533141373155003) * ((94.5 / (B + C) - 3.0) / B + 1.0);
    double y = P * D;
    y = y < 0.0 ? NaN : num::exp(num::log(y) * (2.0 / n));
    if (y > A + 0.05) {
        const double x = qnorm(P * 0.5, 0.0, 1.0);
        if (n < 5.0) C = ((n - 4.5) * 0.3) * (x + 0.6) + C;
        C = (((x * 0.05 * D - 5.0) * x - 7.0) * x - 2.0) * x + (B + C);
        y = x * x;
        y = (((((y * 0.4 + 6.3) * y + 36.0) * y + 94.5) / C - y - 3.0) / B + 1.0) * x;
        y = (y * A) * y;
        y = y > 0.1 ? num::expm1(y) : ((y + 4.0) * y + 12.0) * (y * y) / 24.0 + y;
        return num::sqrt(y * n);
    }
    y = ((1.0 / ((((n + 6.0) / (y * n) - D * 0.089) - 0.822) * (n + 2.0) * 3.0) + 0.5 / (n + 4.0)) * y - 1.0) *
            (n + 1.0) / (n + 2.0) +
        1.0 / y;
    double x = num::sqrt(y * n);
    double d = 0.0;
    for (int pass = 0; pass <= 6; ++pass) {
        x = (x * d * (n + 1.0) / ((x * x + n) * 2.0) + 1.0) * d + x;
        if (pass == 6) break;
        d = (1.0 - pt(x, n, false) - P * 0.5) / density::dt(x, n, false);
    }
    return x;
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
