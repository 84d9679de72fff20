// Conventions shared by the distribution-function and quantile kernels.
//
// Distribution functions compute a probability t and return it, or
// num::log(t) in log mode: there is no extra precision in the lower tail,
// every t below 2^-52 has logarithm -inf.  Quantiles reject NaN and p
// outside [0, 1] before anything else, then settle the end points.
#pragma once

#include "../num/elementary.hpp"

namespace pradix::cdf_quantile {

using num::answer;
using num::any_nan;
using num::bad_probability;
using num::EPS;
using num::INF;
using num::NaN;
using num::same_infinity;

// t, or num::log(t) in log mode.
inline double probability(double t, bool log_p) { return log_p ? num::log(t) : t; }

// The rows every continuous quantile starts with, after its own parameter
// rows that come first (if any): NaN for p outside [0, 1] or invalid
// parameters, then the end points p = 0 and p = 1.  True with the quantile
// in v.
inline bool quantile_ends(double p, bool invalid, double at_zero, double at_one, double& v) {
    if (bad_probability(p) || invalid) return answer(v, NaN);
    if (p == 0.0) return answer(v, at_zero);
    if (p == 1.0) return answer(v, at_one);
    return false;
}

// The mass has moved to +inf (x = +inf or mu = -inf): 1; otherwise 0.
inline double limit_of_location(double x, double mu) {
    return (x == INF || mu == -INF) ? 1.0 : 0.0;
}

// Standard Cauchy distribution function; also Student's t with one degree
// of freedom.  A NaN z (0 / 0 when x = mu and sigma = 0) gives the quiet NaN
// 0x7FF8000000000000, not the processor's negative default NaN.
// Its rows (true with the value in t), and the value from atan(z).
inline bool cauchy_core_settle(double z, double& t) {
    if (num::is_nan(z)) return answer(t, NaN);
    if (num::near_zero(z)) return answer(t, 0.5);
    return false;
}
inline double cauchy_from_atan(double a) { return a / num::PI + 0.5; }

inline double cauchy_core(double z) {
    double t;
    return cauchy_core_settle(z, t) ? t : cauchy_from_atan(num::atan(z));
}

}  // namespace pradix::cdf_quantile
