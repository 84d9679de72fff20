// Distribution functions of the beta, F and Student t distributions.
//
// All three rest on the regularized incomplete beta function I_x(a, b).
// F maps x to u / (1 + u), u = x df1 / df2; with an infinite degree of
// freedom it becomes a chi-squared probability.  Student's t has closed
// forms for 1 and 2 degrees of freedom and otherwise forms the lower tail
// P(T <= -|x|) through I on whichever side keeps the argument well scaled.
// With 2 degrees of freedom x / (2 sqrt(x^2 + 2)) + 1/2 loses x once x^2
// overflows; the limit (1 for x > 0, 0 for x < 0) is returned there.
#pragma once

#include "../num/incomplete_beta.hpp"
#include "cdf_gamma_family.hpp"
#include "cdf_location_scale.hpp"
#include "conventions.hpp"

namespace pradix::cdf_quantile {

inline double pbeta(double x, double a, double b, bool log_p) {
    if (any_nan(x, a, b) || a < 0.0 || b < 0.0) return NaN;
    double t;
    if (x <= 0.0) {
        t = 0.0;
    } else if (x >= 1.0) {
        t = 1.0;
    } else if (a == 0.0) {
        t = b == 0.0 ? 0.5 : 1.0;
    } else if (b == 0.0) {
        t = 0.0;
    } else if (a == INF) {
        t = b == INF ? (x < 0.5 ? 0.0 : 1.0) : 0.0;
    } else if (b == INF) {
        t = 1.0;
    } else {
        t = num::beta_inc(a, b, x);
    }
    return probability(t, log_p);
}

inline double pf(double x, double df1, double df2, bool log_p) {
    if (any_nan(x, df1, df2) || df1 < EPS || df2 < EPS) return NaN;
    double t;
    if (x < EPS) {
        t = 0.0;
    } else if (x == INF) {
        t = 1.0;
    } else if (df1 != INF && df2 != INF) {
        const double u = (x * df1) / df2;
        t = num::beta_inc(df1 * 0.5, df2 * 0.5, u / (u + 1.0));
    } else if (df1 != INF) {
        return pchisq(x * df1, df1, log_p);
    } else if (df2 != INF) {
        t = 1.0 - pchisq(df2 / x, df2, false);
    } else {
        t = x > 1.0 ? 1.0 : (x == 1.0 ? 0.5 : 0.0);
    }
    return probability(t, log_p);
}

inline double pt(double x, double dof, bool log_p) {
    if (any_nan(x, dof) || dof < EPS) return NaN;
    double t;
    if (x == INF) {
        t = 1.0;
    } else if (x == -INF) {
        t = 0.0;
    } else if (dof == INF) {
        return pnorm(x, 0.0, 1.0, log_p);
    } else if (dof == 1.0) {
        t = cauchy_core(x);
    } else if (dof == 2.0) {
        const double xx = x * x;
        if (xx == INF) {
            t = x > 0.0 ? 1.0 : 0.0;
        } else {
            const double s = num::sqrt(xx + 2.0);
            t = x / (s + s) + 0.5;
        }
    } else {
        double lower;
        if (dof > x * x) {
            const double y = (x * x) / ((x * x) + dof);
            const double c = y <= 0.0 ? 0.0 : (y >= 1.0 ? 1.0 : num::beta_inc(0.5, dof * 0.5, y));
            lower = 0.5 - c * 0.5;
        } else {
            const double y = 1.0 / ((x / dof) * x + 1.0);
            lower = y <= 0.0 ? 0.0 : (y >= 1.0 ? 0.5 : num::beta_inc(dof * 0.5, 0.5, y) * 0.5);
        }
        t = x > 0.0 ? 1.0 - lower : lower;
    }
    return probability(t, log_p);
}

}  // namespace pradix::cdf_quantile
