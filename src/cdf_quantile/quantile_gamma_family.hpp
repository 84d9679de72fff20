// Quantiles of the exponential, Weibull, chi-squared, gamma and inverse-gamma
// distributions.  The exponential and Weibull are closed forms; the others
// invert the regularized incomplete gamma function with num::gamma_p_inv.
// A rate of 0 puts the exponential's mass at +inf for every p in (0, 1).
#pragma once

#include "../num/incomplete_gamma.hpp"
#include "conventions.hpp"

namespace pradix::cdf_quantile {

inline double qexp(double p, double rate) {
    if (bad_probability(p) || num::is_nan(rate) || rate < 0.0) return NaN;
    if (p == 0.0) return 0.0;
    if (p == 1.0) return INF;
    if (rate == 0.0) return INF;
    return -num::log(1.0 - p) / rate;
}

inline double qweibull(double p, double shape, double scale) {
    if (bad_probability(p) || any_nan(shape, scale) || shape < EPS || scale < EPS) return NaN;
    if (p == 0.0) return 0.0;
    if (p == 1.0) return INF;
    if (shape == INF) return scale;
    const double e = num::log1p(-p);
    return scale * num::exp(num::log(-e) * (1.0 / shape));
}

inline double qchisq(double p, double dof) {
    if (bad_probability(p) || num::is_nan(dof) || dof < 0.0) return NaN;
    if (p == 0.0) return 0.0;
    if (p == 1.0) return INF;
    const double g = num::gamma_p_inv(dof * 0.5, p);
    return g + g;
}

inline double qgamma(double p, double shape, double scale) {
    if (bad_probability(p) || any_nan(shape, scale) || shape < 0.0 || scale < EPS) return NaN;
    if (p == 0.0) return 0.0;
    if (p == 1.0) return INF;
    if (shape != INF && scale != INF && shape != 0.0) return num::gamma_p_inv(shape, p) * scale;
    if (shape == 0.0) return scale != INF ? 0.0 : NaN;
    return NaN;
}

inline double qinvgamma(double p, double shape, double scale) {
    if (bad_probability(p) || any_nan(shape, scale) || shape < 0.0 || scale < 0.0) return NaN;
    if (p == 0.0) return 0.0;
    if (p == 1.0) return INF;
    if (shape != INF && scale != INF && shape != 0.0) {
        return scale == 0.0 ? 0.0 : scale / num::gamma_p_inv(shape, 1.0 - p);
    }
    if (scale != 0.0) return NaN;
    return shape != 0.0 ? 0.0 : NaN;
}

}  // namespace pradix::cdf_quantile
