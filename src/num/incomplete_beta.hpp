// Regularized incomplete beta function I_x(a, b) and its inverse in x.
//
// beta_inc(a, b, x) evaluates, on the side where it converges fast, the
// classical continued fraction
//   I_x(a, b) = x^a (1 - x)^b / (a B(a, b)) * 1 / (1 + e_1 / (1 + e_2 / ...)):
// directly while x < (a + 1) / (a + b + 2), otherwise as 1 - I_(1-x)(b, a).
// The fraction runs forwards by the modified Lentz method without a guard
// against tiny denominators: two opening levels, then levels 2 .. 205 at
// most, stopping once |C D - 1| < 1e-15.  The prefactor goes through log and
// exp; since log flushes arguments below EPS to -inf, x within EPS of 1 gives
// exactly 1.  Results are clamped into [0, 1] (NaN stays NaN), which only
// touches values pushed out of range by rounding or by huge parameters.  The
// function does not check a > 0, b > 0 or x <= 1: callers do.
//
// Measured against a high-precision reference: 4.4e-13 absolute for a, b in
// [0.1, 300], 1e-12 relative in the lower tail of the direct side.
//
// beta_inc_inv(a, b, p) starts, for a > 1 and b > 1, from a normal-deviate
// approximation (rational tail deviate, then a transformation in the
// harmonic mean of the parameters), otherwise from the small-parameter
// power approximations of each end, and makes at most 36 Halley-type
// corrections x -= s / q with s = (I_x - p) / w and a curvature factor q held
// in [0.8, 1.2] (a NaN q stays NaN).  The density weight w lags: a correction
// uses the density at the estimate that entered the previous correction (the
// first two both use the starting value's).  When the weight vanishes (the
// estimate within EPS of 0 or 1, or underflow) the current estimate is
// returned as it stands; the loop also ends early once its state repeats,
// with the result of all 36 corrections (cycle.hpp).  The estimate is not
// clamped to [0, 1], and p > 1
// ends in NaN through a logarithm of a negative number.
// Measured: within 2.2e-14 of the true root wherever the corrections settle.
// They do not settle with b in (1, 1.2), a above about 4 and p below about
// 0.08 (the range shrinks as b moves away from 1), nor in the mirror image
// with a and b swapped and p above 0.92: there the starting value is off by
// a few percent, the density changes steeply across that gap and the lagging
// weight makes the corrections swing, mostly out of [0, 1] and into NaN
// (beta_inc_inv(100, 1.05, 0.01) is NaN; the root is 0.9539).  With a
// parameter below about 0.1 the small-parameter guess for the far side of
// the split (which scales p, not 1 - p) can land within EPS of an end, where
// the search stops at once: 7% of a grid over [0.02, 5] with p in
// [0.005, 0.995], all with min(a, b) < 0.1.
#pragma once

#include <cstddef>
#include <cstdint>

#include "blocks.hpp"
#include "common.hpp"
#include "corrections.hpp"
#include "cycle.hpp"
#include "exp_log.hpp"
#include "log_gamma.hpp"
#include "sqrt.hpp"
#include "staged.hpp"
#include "tail_deviate.hpp"

namespace pradix::num {

namespace detail {

inline constexpr double LENTZ_TOLERANCE = 1e-15;
inline constexpr int BETA_CF_LAST_LEVEL = 205;
inline constexpr int BETA_INV_STEPS = 36;
inline constexpr double FIVE_SIXTHS = 0.8333333333333334;

// Numerator of level k of the fraction (level k carries e_(k+1)).
inline double beta_cf_coefficient(int k, double a, double b, double x) {
    if (k % 2 == 0) {
        const double m = static_cast<double>(k / 2);
        const double m2 = static_cast<double>(k);  // 2m
        return ((m + a) * (-x) * ((a + b) + m)) / (((m2 + a) + 1.0) * (m2 + a));
    }
    const double m = static_cast<double>((k + 1) / 2);
    const double m2 = static_cast<double>(k + 1);  // 2m
    return ((b - m) * (m * x)) / (((m2 + a) - 1.0) * (m2 + a));
}

inline bool lentz_converged(double c, double d) {
    const double r = c * d - 1.0;
    return r == 0.0 || abs(r) < LENTZ_TOLERANCE;
}

inline double beta_cf(double a, double b, double x) {
    const double d0 = beta_cf_coefficient(0, a, b, x);
    const double d1 = beta_cf_coefficient(1, a, b, x);
    const double d_open = 1.0 / (d0 + 1.0);
    double c = d1 + 1.0;
    double d = 1.0 / (d_open * d1 + 1.0);
    double f = (c * d_open) * d;
    if (lentz_converged(c, d)) return f;
    for (int k = 2; k <= BETA_CF_LAST_LEVEL; ++k) {
        const double dk = beta_cf_coefficient(k, a, b, x);
        c = dk / c + 1.0;
        d = 1.0 / (dk * d + 1.0);
        f = (c * f) * d;
        if (lentz_converged(c, d)) break;
    }
    return f;
}

// One side of the function: x^a (1 - x)^b / (a B(a, b)) times the fraction.
// r = x^a (1 - x)^b / B(a, b) is the exponential of beta_side_exponent, from
// lx = log(x), l1x = log(1 - x) and lb = lbeta(a, b).
inline double beta_side_exponent(double a, double b, double lx, double l1x, double lb) {
    return ((l1x * b) + (lx * a)) - lb;
}
inline double beta_side(double a, double b, double x, double r) { return (r / a) * beta_cf(a, b, x); }

inline double beta_pow(double y, double e) { return exp(log(y) * e); }

// Small-parameter starting value for the lower end, from the leading terms
// x^alpha / alpha and (1 - x)^beta / beta of the two ends.
inline double beta_inv_small_guess(double alpha, double beta, double pi, double t1, double t2) {
    const double v = t1 + t2;
    if (pi <= t1 / v) return beta_pow((v * pi) * alpha, 1.0 / alpha);
    return 1.0 - beta_pow((v * pi) * beta, 1.0 / beta);
}

// The terms of the starting value on the parameters alone.
struct BetaStart {
    bool normal;  // a > 1 and b > 1: the normal-deviate start
    double a;
    double b;
    double h;       // harmonic-mean term 2 / (ub + ua)
    double h_term;  // 2 / (3h)
    double spread;  // ub - ua
    double ta;      // small-parameter end terms
    double tb;

    static BetaStart prepare(double a, double b) {
        BetaStart s{};
        s.a = a;
        s.b = b;
        s.normal = a > 1.0 && b > 1.0;
        if (s.normal) {
            const double ub = 1.0 / ((b + b) - 1.0);
            const double ua = 1.0 / ((a + a) - 1.0);
            s.h = 2.0 / (ub + ua);
            s.h_term = 2.0 / (s.h * 3.0);
            s.spread = ub - ua;
        } else {
            s.ta = beta_pow(a / (a + b), a) / a;
            s.tb = beta_pow(b / (a + b), b) / b;
        }
        return s;
    }

    double at(double p) const {
        if (normal) {
            const double g = p < 0.5 ? 1.0 : -1.0;
            const double q = p > 0.5 ? 1.0 - p : p;
            const double z = tail_deviate(sqrt(log(q) * -2.0)) * g;
            const double l = (z * z - 3.0) / 6.0;
            const double w = ((sqrt(l + h) * z) / h) - (((l + FIVE_SIXTHS) - h_term) * spread);
            return a / ((exp(w + w) * b) + a);
        }
        if (p > 0.5) return 1.0 - beta_inv_small_guess(b, a, 1.0 - p, tb, ta);
        return beta_inv_small_guess(a, b, p, ta, tb);
    }
};

}  // namespace detail

namespace detail {

// The switch point of beta_inc: its own side for x below (a + 1) / ((a + b) + 2),
// otherwise 1 - I_(1-x)(b, a).
inline double beta_inc_split(double a, double b) { return (a + 1.0) / ((a + b) + 2.0); }

}  // namespace detail

// I_x(a, b) split into the work on the parameters alone (the side switch
// (a + 1) / (a + b + 2) and lbeta(a, b)) and the work at each x, a staged
// kernel (staged.hpp); beta_inc is the one evaluated at its own preparation.
// The mirrored side needs lbeta(b, a), which is the same sums in the other
// order: IEEE addition is commutative, so the one value serves both sides
// (and `swapped`).
class BetaInc : public staged::Entries<BetaInc> {
public:
    static BetaInc prepare(double a, double b) {
        BetaInc g{};
        g.a_ = a;
        g.b_ = b;
        g.nan_ = is_nan(a) || is_nan(b);
        if (g.nan_) return g;
        g.split_ = detail::beta_inc_split(a, b);
        g.lb_ = lbeta(a, b);
        return g;
    }

    // The preparation for (b, a).
    BetaInc swapped() const {
        BetaInc g = *this;
        g.a_ = b_;
        g.b_ = a_;
        if (!nan_) g.split_ = detail::beta_inc_split(b_, a_);
        return g;
    }

    // True where beta_inc evaluates its own side, x below the switch point:
    // the one decision of the side, asked once per point.
    bool direct(double x) const { return split_ > x; }

    struct Point {
        bool direct;
        double s;   // the side's point: x, or 1 - x on the mirrored side
        double ls;  // log(s)
    };

    // The rows, then log(s), log(1 - s), the prefactor's exponential and the
    // side's fraction (per point, forwards).
    Op step(double x, Point& pt, int k, double& v) const {
        switch (k) {
            case 0:
                if (settle(x, v)) return Op::done;
                pt.direct = direct(x);
                pt.s = pt.direct ? x : 1.0 - x;
                v = pt.s;
                return Op::log;
            case 1:
                pt.ls = v;
                v = 1.0 - pt.s;
                return Op::log;
            case 2:
                v = pt.direct ? detail::beta_side_exponent(a_, b_, pt.ls, v, lb_)
                              : detail::beta_side_exponent(b_, a_, pt.ls, v, lb_);
                return Op::exp;
            default: {
                const double side = pt.direct ? detail::beta_side(a_, b_, pt.s, v) : detail::beta_side(b_, a_, pt.s, v);
                return staged::result(clamp_unit(pt.direct ? side : 1.0 - side), v);
            }
        }
    }

    double lbeta_ab() const { return lb_; }

private:
    bool settle(double x, double& v) const {
        if (nan_ || is_nan(x)) return answer(v, NaN);
        if (x < EPS) return answer(v, 0.0);
        return false;
    }

    double a_;
    double b_;
    bool nan_;
    double split_;  // (a + 1) / ((a + b) + 2): direct side below it
    double lb_;     // lbeta(a, b)
};

inline double beta_inc(double a, double b, double x) { return BetaInc::prepare(a, b).at(x); }

// The inverse of I_.(a, b) split the same way: lbeta(a, b) (shared with I)
// and the starting value's terms once per preparation; a staged kernel
// whose steps are the corrections, I_.(a, b) run inside them.
class BetaIncInv : public staged::Entries<BetaIncInv> {
public:
    static BetaIncInv prepare(double a, double b) {
        BetaIncInv g{};
        g.nan_ = is_nan(a) || is_nan(b);
        if (g.nan_) return g;
        g.inc_ = BetaInc::prepare(a, b);
        g.lb_ = g.inc_.lbeta_ab();
        g.start_ = detail::BetaStart::prepare(a, b);
        g.am1_ = a - 1.0;
        g.bm1_ = b - 1.0;
        return g;
    }

    // The same preparation with every one of the 36 corrections run, never
    // ended early once the state repeats (which gives the same result).
    BetaIncInv all_steps() const {
        BetaIncInv g = *this;
        g.all_steps_ = true;
        return g;
    }

    enum class Phase : std::uint8_t { logarithm, complement_logarithm, density, probability };

    struct Point {
        detail::Corrections<BetaInc> c;  // x, the weights and I_x(a, b)
        double lx;                        // log(x) and log(1 - x), taken once for I and the density
        double l1x;
        Phase phase;
    };

    // Each correction takes log(x), log(1 - x), the density at x (0 within
    // EPS of either end) and I_x(a, b) (its logarithms answered from lx and
    // l1x where they are the same), then moves x by s / q
    // (corrections.hpp).  A vanished weight ends the search with the current
    // estimate.
    Op step(double p, Point& pt, int k, double& v) const {
        detail::Corrections<BetaInc>& c = pt.c;
        if (k == 0) {
            if (nan_ || is_nan(p)) return staged::result(NaN, v);
            if (p < EPS) return staged::result(0.0, v);
            if (near_zero(1.0 - p)) return staged::result(1.0, v);
            c.start(start_.at(p));
            return log_of_estimate(pt, v);
        }
        Op op;
        switch (pt.phase) {
            case Phase::logarithm:
                pt.lx = v;
                pt.phase = Phase::complement_logarithm;
                v = 1.0 - c.x;
                return Op::log;
            case Phase::complement_logarithm:
                pt.l1x = v;
                if (!(near_zero(c.x) || near_zero(1.0 - c.x))) {
                    pt.phase = Phase::density;
                    v = ((pt.l1x * bm1_) + (pt.lx * am1_)) - lb_;
                    return Op::exp;
                }
                v = 0.0;
                [[fallthrough]];
            case Phase::density:
                c.weighed(v);
                // In a cycle every state has passed this test, so a repeated
                // state ends the search only where the last correction would.
                if (near_zero(c.w)) return staged::result(c.x, v);
                pt.phase = Phase::probability;
                op = c.forward.start(inc_, c.x, v);
                break;
            default:
                op = c.forward.resume(inc_, v);
        }
        op = c.forward.known_log(inc_, op, v, staged::KnownLog{c.x, pt.lx}, staged::KnownLog{1.0 - c.x, pt.l1x});
        if (op != Op::done) return op;
        const double x = c.x;
        const double w = c.w;
        const double s = (v - p) / w;
        const double q = clamp_curvature(1.0 - ((((am1_ / x) - (bm1_ / (1.0 - x))) * w) / w) * (s * 0.5), NaN);
        if (c.moved(x - s / q, detail::BETA_INV_STEPS, all_steps_)) return staged::result(c.x, v);
        return log_of_estimate(pt, v);
    }

private:
    static Op log_of_estimate(Point& pt, double& v) {
        pt.phase = Phase::logarithm;
        v = pt.c.x;
        return Op::log;
    }

    bool nan_;
    bool all_steps_;
    BetaInc inc_;
    double lb_;
    detail::BetaStart start_;
    double am1_;  // a - 1
    double bm1_;  // b - 1
};

namespace detail {

inline double beta_inc_inv_steps(double a, double b, double p, bool all_steps) {
    const BetaIncInv g = BetaIncInv::prepare(a, b);
    return all_steps ? g.all_steps().at(p) : g.at(p);
}

}  // namespace detail

inline double beta_inc_inv(double a, double b, double p) { return BetaIncInv::prepare(a, b).at(p); }

}  // namespace pradix::num
