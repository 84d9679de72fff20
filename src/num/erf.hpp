// Error function.
//
// erf(x), odd, through a kernel E on x > 0 with b = e^(-x^2) / sqrt(pi):
//   x <= 2.1: E = b 2x / (4x^2 / G_2 + (1 - 2x^2)) with
//             G_k = ((2k - 1) - 2x^2) + 4k x^2 / G_(k+1), G_60 = 119 - 2x^2,
//             a continued fraction of the series type;
//   x >  2.1: E = 1 - 2b / (2x + 2 / F_2) with F_k = 2x + 2k / F_(k+1),
//             F_60 = 2x, the continued fraction of the complementary function.
// Both are evaluated at full depth from level 60 up, with no early exit.
// Truncation is negligible; rounding is not: the series-type fraction loses
// digits as x grows, so the measured error is 1e-14 up to 1.5, up to 9e-13
// just below the switch point (2.7e-13 at 2.1 itself) and 1e-16 above it.
// erf(6) and beyond round to exactly 1.
//
// erf_fraction and erf_join split erf at x > 0 around the fraction, which
// depends on x alone, for callers that know the weight e^(-x^2) already
// (erfinv, erfinv.hpp).
#pragma once

#include "common.hpp"
#include "exp_log.hpp"
#include "lanes/fractions.hpp"
#include "tally.hpp"

namespace pradix::num {

namespace detail {

inline constexpr double ERF_SWITCH = 2.1;  // above it: complementary fraction
// The switch between erf's two fractions, for x > 0: true above ERF_SWITCH,
// where the complementary function's fraction is taken.  erf and erf_n both
// ask this, once per point.
inline bool erf_takes_complement(double x) { return x > ERF_SWITCH; }

// erf's fraction at x > 0, F_2 or G_2 by the switch, and erf(x) from it
// and w = exp(-(x * x)).
inline double erf_fraction(double x) {
    tally::one(tally::Kind::erf_fraction, x);
    return erf_takes_complement(x) ? lanes::erf_above_fraction(x) : lanes::erf_below_fraction(x);
}
inline double erf_join(double x, double w, double fraction) {
    return erf_takes_complement(x) ? lanes::erf_above_join(x, w, fraction) : lanes::erf_below_join(x, w, fraction);
}

// erf(x) for x > 0, given w = exp(-(x * x)).
inline double erf_pos(double x, double w) {
    return erf_takes_complement(x) ? lanes::erf_above(x, w) : lanes::erf_below(x, w);
}

// The rows of erf, before any fraction: true, with the value in v.
inline bool erf_settle(double x, double& v) {
    if (is_nan(x)) {
        v = x;
    } else if (x == INF) {
        v = 1.0;
    } else if (x == -INF) {
        v = -1.0;
    } else if (near_zero(x)) {
        v = 0.0;
    } else {
        return false;
    }
    return true;
}

// erf(x) with weight() = exp(-(x * x)), asked for only where the value needs
// it.  erf is odd: for x < 0 it is -erf(-x), and (-x)(-x) is the same
// product x x, so the weight serves -x too.
template <typename Weight>
double erf_weighted(double x, Weight weight) {
    double v;
    if (erf_settle(x, v)) return v;
    if (x < 0.0) return -erf_pos(-x, weight());
    return erf_pos(x, weight());
}

}  // namespace detail

inline double erf(double x) {
    tally::one(tally::Kind::erf, x);
    return detail::erf_weighted(x, [x] {
        [[maybe_unused]] const tally::Quiet inner{};  // the weight is erf's own
        return exp(-(x * x));
    });
}

}  // namespace pradix::num
