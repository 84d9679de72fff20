// Regularized lower incomplete gamma function P(a, x), its inverse in x, and
// the partial exponential sum used by the Poisson distribution function.
//
// gamma_p(a, x) picks one of three methods by region, each with a fixed
// amount of work:
//   a < 10,  x - a < 10:  continued fraction of the lower function, levels
//                         55 down to 2, times D = x^a e^-x / Gamma(a);
//   a < 10,  x - a >= 10
//   or a >= 10, x/a > 3:  continued fraction of the upper function, levels
//                         100 down to 2, P = 1 - D / (...);
//   a >= 10, x/a <= 3:    50-point Gauss-Legendre quadrature of the gamma
//                         density over [max(0, min(x, a) - k1 sqrt(a)),
//                         min(x, a + k2 sqrt(a))], k1 and k2 growing with a.
// Measured against a high-precision reference: the lower fraction is good to
// about 2e-12 absolute (worst just below x - a = 10) and 2e-13 relative in
// the lower tail, the upper one to 1e-16.  The quadrature integrates its
// window to 1.5e-13 for a <= 100, 5e-12 for a <= 3000 (the window grows from 9
// to 21 standard deviations, the rule stays at 50 points), but neglects the mass outside it: up to
// 2.5e-9 below (a just under 30) and up to 1.3e-4 above (a = 10, x from
// 25.8 to 30).  For a = 20 every x between 20 + 5 sqrt(20) and 60 gives the
// same 0.99995262...  The fractions' expressions (a - 1) + 1 and (a + 1) - 1
// are kept as written; they differ from a in the last bits for small a.
// Results are clamped into [0, 1] (NaN stays NaN): for tiny shapes the
// prefactor can push the lower fraction far above 1.
// x = +inf is not treated and gives NaN; callers settle it first.
//
// gamma_p_inv(a, p) starts from a Wilson-Hilferty guess with a rational
// normal deviate (a > 1, floored at 1e-4) or a power/exponential guess
// (a <= 1), then makes 36 Halley-type corrections x -= s / q with
// s = (P(a, x) - p) / d and a curvature factor q held in [0.8, 1.2] (a NaN q
// is taken as 1.2).  The density weight d lags: a correction uses the density
// at the estimate that entered the previous correction (the first two both
// use the starting value's).  There is no convergence test and no clamp of the
// estimate; the loop only ends early once its state repeats, with the result
// of all 36 corrections (cycle.hpp).  Measured: P(a, result) = p to 5e-13 for a in [0.5, 1000] and p
// in [0.01, 0.99].  Far in the tails (a = 2 with p = 1e-4, a <= 1 with p
// within 1e-4 of 1) the corrections need not settle and the result may be
// NaN.  Roots below 2^-52 (tiny a with small p) are out of reach, since P is 0
// there: the result stays within a factor of about 2.3 of the root, or is NaN.
//
// poisson_partial_sum(k, x) = sum_{j=1..k} x^j / j!, summed from the last
// term back; it is defined for 0 <= k <= 20, where j! is exact (k = 0 gives
// the empty sum 0); other k give NaN.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "blocks.hpp"
#include "common.hpp"
#include "corrections.hpp"
#include "cycle.hpp"
#include "exp_log.hpp"
#include "log_gamma.hpp"
#include "gauss_legendre.hpp"
#include "integer.hpp"
#include "sqrt.hpp"
#include "staged.hpp"
#include "tail_deviate.hpp"

namespace pradix::num {

namespace detail {

inline constexpr double GAMMA_SMALL_SHAPE = 10.0;
inline constexpr double GAMMA_DISTANCE_LIMIT = 10.0;
inline constexpr double GAMMA_RATIO_LIMIT = 3.0;
inline constexpr int GAMMA_INV_STEPS = 36;
inline constexpr double GAMMA_INV_FLOOR = 1e-4;
inline constexpr std::int64_t POISSON_SUM_MAX_K = 20;  // largest exact factorial

// Quadrature bounds, in standard deviations sqrt(a) below and above a.
struct QuadratureSpan {
    double below;
    double above;
};

inline QuadratureSpan quadrature_span(double a) {
    if (a <= 30.0) return {4.0, 5.0};
    if (a <= 40.0) return {5.0, 5.0};
    if (a <= 50.0) return {6.0, 5.0};
    if (a <= 70.0) return {7.0, 6.0};
    if (a <= 90.0) return {8.0, 7.0};
    if (a <= 300.0) return {9.0, 8.0};
    if (a <= 800.0) return {10.0, 9.0};
    return {11.0, 10.0};
}

// The prefactor x^a e^-x / Gamma(a) is the exponential of this, from
// lx = log(x) and lg = lgamma(a).
inline double gamma_prefactor_exponent(double a, double x, double lx, double lg) { return ((lx * a) - x) - lg; }

enum class GammaRegion { lower_fraction, upper_fraction, quadrature };

// The method gamma_p uses at (a, x).
inline GammaRegion gamma_p_region(double a, double x) {
    if (a < GAMMA_SMALL_SHAPE) {
        return (x - a < GAMMA_DISTANCE_LIMIT) ? GammaRegion::lower_fraction : GammaRegion::upper_fraction;
    }
    return (x / a > GAMMA_RATIO_LIMIT) ? GammaRegion::upper_fraction : GammaRegion::quadrature;
}

}  // namespace detail

// P(a, x) split into the work on a alone (validity, lgamma(a), the quadrature
// window's offsets) and the work at each x, a staged kernel (staged.hpp);
// gamma_p is the one evaluated at its own preparation.
class GammaP : public staged::Entries<GammaP> {
public:
    static GammaP prepare(double a) { return prepare_from(a, lgamma(a)); }
    // With lgamma(a) given (for preparations of many shapes, whose
    // log-gammas can be taken together).
    static GammaP prepare_from(double a, double lgamma_a) {
        GammaP g{};
        g.a_ = a;
        g.invalid_ = is_nan(a) || a < 0.0;
        g.tiny_ = a < EPS;
        if (g.invalid_ || g.tiny_) return g;
        g.lg_ = lgamma_a;
        if (a >= detail::GAMMA_SMALL_SHAPE) {
            const double s = sqrt(a);
            const detail::QuadratureSpan span = detail::quadrature_span(a);
            g.top_ = a + span.above * s;
            g.drop_ = span.below * s;
            g.am1_ = a - 1.0;
        }
        return g;
    }

    struct Point {
        detail::GammaRegion region;
        double d;  // the prefactor x^a e^-x / Gamma(a)
    };

    // The rows, then the region's method: the quadrature at once; in a
    // fraction region log(x) (always the first request), the prefactor's
    // exponential and the region's fraction, P = d / lower or 1 - d / upper.
    Op step(double x, Point& pt, int k, double& v) const {
        switch (k) {
            case 0:
                if (settle(x, v)) return Op::done;
                pt.region = detail::gamma_p_region(a_, x);
                if (pt.region == detail::GammaRegion::quadrature) return staged::result(clamp_unit(quadrature(x)), v);
                v = x;
                return Op::log;
            case 1:
                v = detail::gamma_prefactor_exponent(a_, x, v, lg_);
                return Op::exp;
            case 2:
                pt.d = v;
                v = x;
                return pt.region == detail::GammaRegion::lower_fraction ? Op::gamma_lower : Op::gamma_upper;
            default: {
                const bool lower = pt.region == detail::GammaRegion::lower_fraction;
                return staged::result(clamp_unit(lower ? pt.d / v : 1.0 - pt.d / v), v);
            }
        }
    }
    double fraction_shape() const { return a_; }

    // lgamma(a), for callers that need it too.
    double lgamma_a() const { return lg_; }

private:
    bool settle(double x, double& v) const {
        if (invalid_ || is_nan(x)) return answer(v, NaN);
        if (x < EPS) return answer(v, 0.0);
        if (tiny_) return answer(v, 1.0);
        return false;
    }

    // 50-point Gauss-Legendre quadrature of the gamma density over
    // [max(0, min(x, a) - below sqrt(a)), min(x, a + above sqrt(a))], the
    // nodes' logarithms and exponentials taken together.  Kept out of line:
    // inlined into a block's loops, GCC 12 at -O3 with FMA available pairs
    // the nodes of opposite sign into fused multiply-add-subtracts
    // (vfmsubadd), -ffp-contract=off notwithstanding.
    [[gnu::noinline]] double quadrature(double x) const {
        const double ub = std::min(x, top_);
        const double lb = std::max(0.0, std::min(x, a_) - drop_);
        double t[detail::GL50_POINTS];
        double e[detail::GL50_POINTS];
        for (int j = 0; j < detail::GL50_POINTS; ++j) t[j] = ((ub - lb) * detail::GL50_NODE[j]) * 0.5 + (lb + ub) * 0.5;
        log_n(t, e, detail::GL50_POINTS);
        for (int j = 0; j < detail::GL50_POINTS; ++j) e[j] = ((e[j] * am1_) - t[j]) - lg_;
        exp_n(e, e, detail::GL50_POINTS);
        auto term = [&](int j) { return (((ub - lb) * detail::GL50_WEIGHT[j]) * 0.5) * e[j]; };
        double sum = term(detail::GL50_POINTS - 1);
        for (int j = detail::GL50_POINTS - 2; j >= 0; --j) sum = sum + term(j);
        return sum;
    }

    double a_;
    bool invalid_;  // NaN or negative a
    bool tiny_;     // a below EPS: P = 1 for every x >= EPS
    double lg_;     // lgamma(a)
    double top_;    // a + above sqrt(a)
    double drop_;   // below sqrt(a)
    double am1_;    // a - 1
};

inline double gamma_p(double a, double x) { return GammaP::prepare(a).at(x); }

// The inverse of P(a, .) split the same way: the rows and the starting
// value's terms on a alone, lgamma(a) (shared with P) once per preparation;
// a staged kernel whose steps are the corrections, P(a, .) run inside them.
class GammaPInv : public staged::Entries<GammaPInv> {
public:
    static GammaPInv prepare(double a) {
        GammaPInv g{};
        g.a_ = a;
        g.nan_ = is_nan(a);
        g.tiny_ = a < EPS;
        if (g.nan_ || g.tiny_) return g;
        g.p_ = GammaP::prepare(a);
        g.lg_ = g.p_.lgamma_a();
        g.am1_ = a - 1.0;
        if (a > 1.0) {
            g.wh_bias_ = 1.0 - 1.0 / (a * 9.0);
            g.wh_spread_ = sqrt(a) * 3.0;
        } else {
            g.r_ = (1.0 - a * 0.253) - (a * 0.12) * a;
            g.inv_a_ = 1.0 / a;
            g.one_minus_r_ = 1.0 - g.r_;
        }
        return g;
    }

    // The same preparation with every one of the 36 corrections run, never
    // ended early once the state repeats (which gives the same result).
    GammaPInv all_steps() const {
        GammaPInv g = *this;
        g.all_steps_ = true;
        return g;
    }

    enum class Phase : std::uint8_t { logarithm, density, probability };

    struct Point {
        detail::Corrections<GammaP> c;  // x, the weights and P(a, x)
        double lx;                       // log(x), taken once for P and for the density
        Phase phase;
    };

    // Each correction takes log(x), the density at x and P(a, x) (P's own
    // requests, its log(x) answered from lx), then moves x by s / q
    // (corrections.hpp).
    Op step(double p, Point& pt, int k, double& v) const {
        detail::Corrections<GammaP>& c = pt.c;
        if (k == 0) {
            if (settle(p, v)) return Op::done;
            c.start(start(p));
            return log_of_estimate(pt, v);
        }
        Op op;
        switch (pt.phase) {
            case Phase::logarithm:
                pt.lx = v;
                pt.phase = Phase::density;
                v = density_exponent(c.x, pt.lx);
                return Op::exp;
            case Phase::density:
                c.weighed(v);
                pt.phase = Phase::probability;
                op = c.forward.start(p_, c.x, v);
                break;
            default:
                op = c.forward.resume(p_, v);
        }
        op = c.forward.known_log(p_, op, v, staged::KnownLog{c.x, pt.lx});
        if (op != Op::done) return op;
        if (c.moved(corrected(p, c.x, v, c.w), detail::GAMMA_INV_STEPS, all_steps_)) return staged::result(c.x, v);
        return log_of_estimate(pt, v);
    }

    double fraction_shape() const { return a_; }

private:
    static Op log_of_estimate(Point& pt, double& v) {
        pt.phase = Phase::logarithm;
        v = pt.c.x;
        return Op::log;
    }

    // The rows: true with the result in v.
    bool settle(double p, double& v) const {
        if (nan_ || is_nan(p)) return answer(v, NaN);
        if (p < EPS) return answer(v, 0.0);
        if (p > 1.0) return answer(v, NaN);
        if (near_zero(1.0 - p)) return answer(v, INF);
        if (tiny_) return answer(v, 0.0);
        return false;
    }

    // The starting value.
    double start(double p) const {
        const double a = a_;
        if (a > 1.0) {
            const double g = p > 0.5 ? -1.0 : 1.0;
            const double q = p > 0.5 ? 1.0 - p : p;
            const double z = detail::tail_deviate(sqrt(log(q) * -2.0));
            const double u = wh_bias_ - (z * g) / wh_spread_;
            return std::max(detail::GAMMA_INV_FLOOR, u * u * u * a);
        }
        return p < r_ ? exp(log(p / r_) * inv_a_) : 1.0 - log(1.0 - (p - r_) / one_minus_r_);
    }

    // The gamma density at x is the exponential of this, from lx = log(x).
    double density_exponent(double x, double lx) const { return ((lx * am1_) - x) - lg_; }

    // The correction of x towards P(a, x) = p, from prob = P(a, x) and the
    // density weight d.
    double corrected(double p, double x, double prob, double d) const {
        const double s = (prob - p) / d;
        const double q = clamp_curvature(1.0 - (((am1_ / x - 1.0) * d) / d) * (s * 0.5), CURVATURE_MAX);
        return x - s / q;
    }

    double a_;
    bool nan_;
    bool tiny_;  // a below EPS: the root is 0
    bool all_steps_;
    GammaP p_;
    double lg_;
    double am1_;        // a - 1
    double wh_bias_;    // 1 - 1 / (9a)
    double wh_spread_;  // 3 sqrt(a)
    double r_;          // (1 - 0.253 a) - 0.12 a^2
    double inv_a_;      // 1 / a
    double one_minus_r_;
};

namespace detail {

inline double gamma_p_inv_steps(double a, double p, bool all_steps) {
    const GammaPInv g = GammaPInv::prepare(a);
    return all_steps ? g.all_steps().at(p) : g.at(p);
}

}  // namespace detail

inline double gamma_p_inv(double a, double p) { return GammaPInv::prepare(a).at(p); }

inline double poisson_partial_sum(std::int64_t k, double x) {
    if (k < 0 || k > detail::POISSON_SUM_MAX_K) return NaN;
    if (k == 0) return 0.0;
    double sum = ipow(x, k) / static_cast<double>(factorial(k));
    for (std::int64_t j = k - 1; j >= 1; --j) {
        sum = ipow(x, j) / static_cast<double>(factorial(j)) + sum;
    }
    return sum;
}

}  // namespace pradix::num
