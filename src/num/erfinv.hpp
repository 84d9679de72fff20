// Inverse error function.
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
//
// erfinv is a staged kernel (staged.hpp): its steps ask for the logarithm of
// the start, then for each step e^(-h^2) (exp) and erf's fraction at |h|
// (erf_fraction), which they join into erf(h) themselves, since that
// exponential is erf's weight as well as the next step's.  A block of points
// runs the steps in lock-step, the exponentials and fractions of every point
// together, each point leaving when its own state repeats.
#pragma once

#include <cstdint>

#include "common.hpp"
#include "cycle.hpp"
#include "erf.hpp"
#include "exp_log.hpp"
#include "sqrt.hpp"
#include "staged.hpp"

namespace pradix::num {

namespace detail {

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

}  // namespace detail

class ErfInv : public staged::Entries<ErfInv> {
public:
    static ErfInv prepare() { return {}; }

    // The same kernel with every one of the 55 steps run, never ended early
    // once the state repeats (which gives the same result).
    ErfInv all_steps() const {
        ErfInv g = *this;
        g.all_steps_ = true;
        return g;
    }

    enum class Phase : std::uint8_t { logarithm, start_weight, weight, fraction };

    struct Point {
        double h;  // the estimate
        double c;  // the weight of the step under way
        double g;  // exp(-(h h)) of the estimate: erf's weight now, c of the next step
        int step;  // the step under way, 1 .. 55
        Phase phase;
        detail::CycleFinder cycle;
    };

    // The rows; w = -log((1 + y)(1 - y)) and the starting value from it;
    // then each step: the weight of the estimate, erf at the estimate (its
    // rows, or its fraction joined with that weight) and the correction.
    Op step(double y, Point& pt, int k, double& v) const {
        if (k == 0) {
            if (settle(y, v)) return Op::done;
            pt.phase = Phase::logarithm;
            v = (y + 1.0) * (1.0 - y);
            return Op::log;
        }
        switch (pt.phase) {
            case Phase::logarithm: {
                const double w = -v;
                const double p = w < detail::ERFINV_SPLIT ? detail::horner9(detail::ERFINV_CENTRAL, w - 2.5)
                                                          : detail::horner9(detail::ERFINV_TAIL, sqrt(w) - 3.0);
                pt.h = p * y;
                pt.phase = Phase::start_weight;
                v = -(pt.h * pt.h);
                return Op::exp;
            }
            case Phase::start_weight:
                // The starting value's weight serves the first step twice.
                pt.c = v;
                pt.cycle.start(pt.h, pt.c);
                pt.step = 1;
                [[fallthrough]];
            case Phase::weight: {
                pt.g = v;
                double r;
                if (detail::erf_settle(pt.h, r)) return corrected(y, pt, r, v);
                pt.phase = Phase::fraction;
                v = pt.h < 0.0 ? -pt.h : pt.h;
                return Op::erf_fraction;
            }
            default: {
                // erf is odd: erf(h) = -erf(-h) for h < 0, with the same weight.
                const double e = detail::erf_join(pt.h < 0.0 ? -pt.h : pt.h, pt.g, v);
                return corrected(y, pt, pt.h < 0.0 ? -e : e, v);
            }
        }
    }

private:
    static bool settle(double y, double& v) {
        if (is_nan(y)) return answer(v, y);
        if (y != 0.0 && abs(y) > 1.0) return answer(v, NaN);
        if (near_zero(1.0 - y)) return answer(v, INF);
        if (near_zero(y + 1.0)) return answer(v, -INF);
        return false;
    }

    // The step from erf(h) = r: the corrected estimate, then the end (after
    // the last step, or once the state repeats) or the next weight.
    Op corrected(double y, Point& pt, double r, double& v) const {
        const double s = (r - y) / pt.c;
        const double q = clamp_curvature(1.0 - s * 0.5 * ((pt.h * -2.0 * pt.c) / pt.c), CURVATURE_MAX);
        const double next = pt.h - s / q;
        pt.c = pt.g;  // the weight of this step's input serves the next step
        pt.h = next;
        if (pt.step == detail::ERFINV_STEPS ||
            (!all_steps_ && pt.cycle.ends(pt.step, detail::ERFINV_STEPS, pt.h, pt.c))) {
            return staged::result(pt.h, v);
        }
        ++pt.step;
        pt.phase = Phase::weight;
        v = -(pt.h * pt.h);
        return Op::exp;
    }

    bool all_steps_;
};

inline double erfinv(double y) { return ErfInv::prepare().at(y); }

namespace detail {

inline double erfinv_steps(double y, bool all_steps) {
    return all_steps ? ErfInv::prepare().all_steps().at(y) : ErfInv::prepare().at(y);
}

}  // namespace detail

}  // namespace pradix::num
