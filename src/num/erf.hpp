// Error function and its inverse.
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
// erfinv(y) starts from a polynomial in w = -log((1 + y)(1 - y)) (one for
// w < 5, one in sqrt(w) beyond) and refines it with 55 Halley-type steps
// h -= s / q, s = (erf(h) - y) / c, with a curvature factor q held in
// [0.8, 1.2].  The weight c is e^(-h^2) without the factor 2/sqrt(pi), so each
// step overshoots the Newton step by about 13%; and c lags behind: a step uses
// the weight of the estimate that entered the previous step (the first two
// steps both use the starting value's).  The iteration still settles at
// erf(h) = y, to 2e-13 relative for |y| <= 0.99 and 2e-11 where erf is
// weakest (y near 0.9966); nearer to 1 the spacing of doubles bounds it.
// A NaN curvature factor is taken as the upper bound 1.2.  The loop ends early
// once its state repeats, with the result of all 55 steps (cycle.hpp).
// Arguments within EPS of -1 or 1 give -inf or +inf; |y| > 1 gives NaN.
// For |y| below about 2.5e-16 the refinement works against erf's own flush
// to 0 below EPS and the result is only roughly y * sqrt(pi) / 2.
#pragma once

#include "common.hpp"
#include "cycle.hpp"
#include "exp_log.hpp"
#include "lanes/fractions.hpp"
#include "sqrt.hpp"

namespace pradix::num {

namespace detail {

inline constexpr double ERF_SWITCH = 2.1;  // above it: complementary fraction
inline constexpr double ERFINV_SPLIT = 5.0;
inline constexpr int ERFINV_STEPS = 55;

// Starting polynomials of erfinv, highest power first.
inline constexpr double ERFINV_CENTRAL[9] = {
    2.81022636e-8,   3.43273939e-7,   -3.5233877e-6,  -4.39150654e-6, 0.00021858087,
    -0.00125372503, -0.00417768164, 0.246640727,     1.50140941};
inline constexpr double ERFINV_TAIL[9] = {
    -0.000200214257, 0.000100950558, 0.00134934322, -0.00367342844, 0.00573950773,
    -0.0076224613,   0.00943887047,  1.00167406,    2.83297682};

inline double horner9(const double (&c)[9], double t) {
    double p = c[0];
    for (int i = 1; i < 9; ++i) p = t * p + c[i];
    return p;
}

// The switch between erf's two fractions, for x > 0: true above ERF_SWITCH,
// where the complementary function's fraction is taken.  erf and erf_n both
// ask this, once per point.
inline bool erf_takes_complement(double x) { return x > ERF_SWITCH; }

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
    return detail::erf_weighted(x, [x] { return exp(-(x * x)); });
}

namespace detail {

// erfinv with every one of the 55 steps run (all_steps) or ended early once
// the state repeats, which gives the same result.
inline double erfinv_steps(double y, bool all_steps) {
    if (is_nan(y)) return y;
    if (y != 0.0 && abs(y) > 1.0) return NaN;
    const double e = 1.0 - y;
    if (near_zero(e)) return INF;
    const double f = y + 1.0;
    if (near_zero(f)) return -INF;
    const double w = -log(f * e);
    const double p = w < ERFINV_SPLIT ? horner9(ERFINV_CENTRAL, w - 2.5)
                                      : horner9(ERFINV_TAIL, sqrt(w) - 3.0);
    double h = p * y;
    double c = exp(-(h * h));
    // g = exp(-h^2) of the current estimate, taken once: erf's own factor
    // in this step, the weight c of the next.
    double g = c;
    CycleFinder cycle(h, c);
    for (int step = 1; step <= ERFINV_STEPS; ++step) {
        const double s = (erf_weighted(h, [g] { return g; }) - y) / c;
        const double q = clamp_curvature(1.0 - s * 0.5 * ((h * -2.0 * c) / c), CURVATURE_MAX);
        const double next = h - s / q;
        c = g;  // weight of this step's input, used by the next step
        h = next;
        if (step == ERFINV_STEPS) break;
        if (!all_steps && cycle.ends(step, ERFINV_STEPS, h, c)) break;
        g = exp(-(h * h));
    }
    return h;
}

}  // namespace detail

inline double erfinv(double y) { return detail::erfinv_steps(y, false); }

}  // namespace pradix::num
