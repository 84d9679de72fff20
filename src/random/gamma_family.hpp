// Gamma, chi-squared, inverse-gamma, exponential and Weibull samplers.
//
// rgamma(shape, scale), shape > 1: rejection from a transformed normal.
// With d = shape - 1/3 and c = (1/3) / sqrt(d), a candidate z (polar normal)
// gives v = (1 + c z)^3; candidates with z <= -1/c are dropped before any
// uniform is drawn; the others are accepted when
// ln U < (ln v + 1 - v) d + z^2 / 2 for a positive uniform U, giving v d scale.
// shape in [0, 1]: boost.  A positive uniform U is drawn first, then a full
// draw X at shape + 1 through the sampler itself; the result is X U^(1/shape).
// Shape 0 is the point mass at 0 (U^inf = 0 unless U = 1) and still draws
// U and a shape-1 variate; -0.0 is treated as +0.0, so the exponent is +inf
// for both.
// shape = +inf: the rejection step could never accept (c = 0, every
// candidate compares against NaN), so the result is +inf with nothing drawn.
// rchisq(dof) is rgamma(dof / 2, 2) and rinvgamma(shape, scale) is
// 1 / rgamma(shape, 1 / scale): rchisq(inf) = +inf, rinvgamma(inf, s) = 0.
// A scale below 2^-52 (including the 1/scale of rinvgamma) makes the inner
// gamma draw NaN without consuming anything.  The beta, F and Student's t
// samplers build on rgamma and rchisq (beta_family.hpp).
//
// rexp, rweibull: by inversion (draws.hpp).  Both give +inf at
// U = 1 - 2^-53 as at U = 1; rexp gives -0.0 for U below 2^-52, and
// rexp(0) returns +inf, still consuming its output.
//
// Each sampler is its preparation (draws.hpp) drawn once; the
// preparations keep the parameter-only constants.  log, sqrt and pow are
// the C library's.
#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>

#include "../cdf_quantile/quantile_gamma_family.hpp"
#include "draws.hpp"

namespace pradix::random {

inline constexpr double ONE_THIRD = 0.3333333333333333;  // 0x3FD5555555555555
// Smallest accepted gamma scale and F / t degree of freedom.
inline constexpr double MIN_POSITIVE_PARAMETER = 0x1p-52;

namespace detail {

// The rejection step for shape > 1, its constants computed once.
struct GammaAboveOne {
    double d;
    double c;
    double lim;
    double scale;
    // A kept polar pair can give z <= lim only when w1 < 0 and s is at most
    // this: z^2 is at most -2 ln s (w1^2 <= s) up to a few roundings, so
    // z <= lim needs s <= e^-y, y = lim^2 / 2, which is below
    // 1 / (1 + y + y^2/2 + y^3/6 + y^4/24); here with a factor 2 to spare.
    double suspect_below;

    static GammaAboveOne prepare(double shape, double scale) {
        const double d = shape - ONE_THIRD;
        const double c = ONE_THIRD / c_sqrt(d);
        const double lim = -1.0 / c;
        const double y = 0.5 * (lim * lim);
        const double taylor = 1.0 + y * (1.0 + (y / 2.0) * (1.0 + (y / 3.0) * (1.0 + y / 4.0)));
        return {d, c, lim, scale, 2.0 / taylor};
    }

    double cube(double z) const { return c_pow(z * c + 1.0, 3.0); }
    bool accepts(double z, double v, double log_u, double log_v) const {
        return log_u < (log_v + (1.0 - v)) * d + (z * 0.5) * z;
    }
    double value(double v) const { return (v * d) * scale; }

    double draw(Engine& engine) const {
        for (;;) {
            const double z = polar_normal(engine);
            if (!(z > lim)) continue;
            const double v = cube(z);
            const double u = positive_uniform(engine);
            if (accepts(z, v, c_log(u), c_log(v))) return value(v);
        }
    }

    void draw_block(Engine& engine, double* out, std::size_t n) const;
};

// A candidate of the block form: a kept pair with z > lim and its uniform.
struct GammaCandidates {
    PolarPair pair[num::BLOCK];
    double z[num::BLOCK];
    bool z_known[num::BLOCK];
    double u[num::BLOCK];
};

// The outputs of a stretch of the stream, and for each position the pair
// that would start there.
class PairWindow {
public:
    static constexpr std::size_t SIZE = 3 * num::BLOCK;

    // Keeps the outputs from `from` on at the front and draws `more` after
    // them (at most SIZE in all).
    void refill(Engine& engine, std::size_t from, std::size_t more, double suspect_below) {
        const std::size_t kept = end_ - from;
        for (std::size_t i = 0; i < kept; ++i) x_[i] = x_[from + i];
        engine_outputs(engine, x_ + kept, more);
        end_ = kept + more;
        for (std::size_t i = 0; i < end_; ++i) w_[i] = 2.0 * uniform_of(x_[i]) - 1.0;
        for (std::size_t i = 0; i + 1 < end_; ++i) {
            const PolarPair p{w_[i], w_[i + 1], w_[i] * w_[i] + w_[i + 1] * w_[i + 1]};
            s_[i] = p.s;
            keeps_[i] = polar_keeps(p);
            suspect_[i] = keeps_[i] & (p.w1 < 0.0) & (p.s <= suspect_below);
        }
    }

    std::size_t end() const { return end_; }
    PolarPair pair(std::size_t i) const { return {w_[i], w_[i + 1], s_[i]}; }
    bool keeps(std::size_t i) const { return keeps_[i]; }
    bool suspect(std::size_t i) const { return suspect_[i]; }
    std::uint64_t output(std::size_t i) const { return x_[i]; }

private:
    std::uint64_t x_[SIZE];
    double w_[SIZE];
    double s_[SIZE];
    bool keeps_[SIZE];
    bool suspect_[SIZE];
    std::size_t end_ = 0;
};

// n <= num::BLOCK successive draws.  The stream of a draw is a run of
// candidates, each of pairs up to a kept one, then, when z > lim, one
// uniform; the draw ends with its first accepted candidate.  Which outputs
// are pairs and which are uniforms does not depend on the acceptance, so a
// round reads as many candidates as draws are still to be made, all of
// which single draws read too: it walks the window of outputs (drawing only
// outputs those candidates certainly take: at least 3 each), then takes the
// candidates' logarithms and powers in loops, then keeps the accepted ones
// in order.  Only the pairs that may give z <= lim have their z found
// during the walk.
inline void GammaAboveOne::draw_block(Engine& engine, double* out, std::size_t n) const {
    GammaCandidates cand;
    PairWindow window;
    std::size_t at = 0;  // the next output of the stream in the window
    std::size_t done = 0;
    while (done < n) {
        const std::size_t m = n - done;
        std::size_t j = 0;
        while (j < m) {
            if (window.end() - at < 3) {
                const std::size_t kept = window.end() - at;
                const std::size_t certain = 3 * (m - j) - kept;
                const std::size_t room = PairWindow::SIZE - kept;
                window.refill(engine, at, certain < room ? certain : room, suspect_below);
                at = 0;
            }
            if (window.suspect(at)) {
                PolarPair p = window.pair(at);
                const double log_s = polar_log(p);
                const double z = polar_value(p, log_s);
                if (!(z > lim)) {
                    at += 2;
                    continue;
                }
                cand.z[j] = z;
                cand.z_known[j] = true;
            } else {
                cand.pair[j] = window.pair(at);
                cand.z_known[j] = false;
            }
            cand.u[j] = positive_of(uniform_of(window.output(at + 2)));
            const std::size_t kept = window.keeps(at) ? 1 : 0;
            j += kept;
            at += 2 + kept;
        }
        for (std::size_t i = 0; i < m; ++i) {
            if (cand.z_known[i]) continue;
            const double log_s = polar_log(cand.pair[i]);
            cand.z[i] = polar_value(cand.pair[i], log_s);
        }
        double v[num::BLOCK];
        double log_u[num::BLOCK];
        double log_v[num::BLOCK];
        for (std::size_t i = 0; i < m; ++i) v[i] = cube(cand.z[i]);
        for (std::size_t i = 0; i < m; ++i) log_u[i] = c_log(cand.u[i]);
        for (std::size_t i = 0; i < m; ++i) log_v[i] = c_log(v[i]);
        for (std::size_t i = 0; i < m; ++i) {
            out[done] = value(v[i]);
            done += accepts(cand.z[i], v[i], log_u[i], log_v[i]) ? 1 : 0;
        }
    }
}

}  // namespace detail

// The gamma sampler prepared.  A shape in [0, 1] is boosted to shape + 1,
// which is above 1 except when it rounds to exactly 1 (shape 0 or below
// 2^-53); that one is boosted once more, to 2.  So a draw is the rejection
// step under at most two boosts, each drawing its U before the variate it
// boosts, as the recursive definition does.
struct GammaDraws {
    static constexpr int MAX_BOOSTS = 2;

    bool invalid;
    bool infinite;                  // shape = +inf: +inf, nothing drawn
    int boosts;                     // 0 to MAX_BOOSTS
    double exponent[MAX_BOOSTS];    // 1 / shape of each boost, outermost first
    detail::GammaAboveOne above;

    static GammaDraws prepare(double shape, double scale) {
        GammaDraws g{};
        g.invalid = num::is_nan(shape) || num::is_nan(scale) || shape < 0.0 || scale < MIN_POSITIVE_PARAMETER;
        g.infinite = shape == INF;
        if (g.invalid || g.infinite) return g;
        if (shape == 0.0) shape = 0.0;  // -0.0 -> +0.0, so that 1 / shape is +inf
        while (!(shape > 1.0)) {
            g.exponent[g.boosts++] = 1.0 / shape;
            shape = shape + 1.0;
        }
        g.above = detail::GammaAboveOne::prepare(shape, scale);
        return g;
    }

    double draw(Engine& engine) const {
        if (invalid) return NaN;
        if (infinite) return INF;
        return boosted(engine, 0);
    }

    // In blocks where no boost puts a uniform between the draws.
    void draw_block(Engine& engine, double* out, std::size_t n) const {
        if (invalid) return fill_nan(out, n);
        if (boosts == 0 && !infinite) return above.draw_block(engine, out, n);
        for (std::size_t i = 0; i < n; ++i) out[i] = draw(engine);
    }

private:
    // The recursion ends at `boosts`, which is never above MAX_BOOSTS; the
    // second test only shows the compiler that `exponent` is never read
    // past its end.
    double boosted(Engine& engine, int level) const {
        if (level == boosts || level == MAX_BOOSTS) return above.draw(engine);
        const double u = positive_uniform(engine);
        const double x = boosted(engine, level + 1);
        return x * c_pow(u, exponent[level]);
    }
};

inline double rgamma(double shape, double scale, Engine& engine) {
    return GammaDraws::prepare(shape, scale).draw(engine);
}

struct ChisqDraws {
    GammaDraws gamma;  // invalid for a NaN or negative dof, as dof / 2 is

    static ChisqDraws prepare(double dof) { return {GammaDraws::prepare(dof * 0.5, 2.0)}; }
    double draw(Engine& engine) const { return gamma.draw(engine); }
    void draw_block(Engine& engine, double* out, std::size_t n) const { gamma.draw_block(engine, out, n); }
};

inline double rchisq(double dof, Engine& engine) { return ChisqDraws::prepare(dof).draw(engine); }

struct InvGammaDraws {
    bool invalid;
    GammaDraws gamma;  // at 1 / scale

    static InvGammaDraws prepare(double shape, double scale) {
        const bool invalid = num::is_nan(shape) || num::is_nan(scale) || shape < 0.0 || scale < 0.0;
        return {invalid, invalid ? GammaDraws{} : GammaDraws::prepare(shape, 1.0 / scale)};
    }
    double draw(Engine& engine) const { return invalid ? NaN : 1.0 / gamma.draw(engine); }
    void draw_block(Engine& engine, double* out, std::size_t n) const {
        if (invalid) return fill_nan(out, n);
        gamma.draw_block(engine, out, n);
        for (std::size_t i = 0; i < n; ++i) out[i] = 1.0 / out[i];
    }
};

inline double rinvgamma(double shape, double scale, Engine& engine) {
    return InvGammaDraws::prepare(shape, scale).draw(engine);
}

struct ExpDraws : Inversion<cdf_quantile::ExpQuantile> {
    static ExpDraws prepare(double rate) {
        return {{num::is_nan(rate) || rate < 0.0, cdf_quantile::ExpQuantile::prepare(rate)}};
    }
};

inline double rexp(double rate, Engine& engine) { return ExpDraws::prepare(rate).draw(engine); }

struct WeibullDraws : Inversion<cdf_quantile::WeibullQuantile> {
    static WeibullDraws prepare(double shape, double scale) {
        return {{num::is_nan(shape) || num::is_nan(scale) || shape < num::EPS || scale < num::EPS,
                 cdf_quantile::WeibullQuantile::prepare(shape, scale)}};
    }
};

inline double rweibull(double shape, double scale, Engine& engine) {
    return WeibullDraws::prepare(shape, scale).draw(engine);
}

}  // namespace pradix::random
