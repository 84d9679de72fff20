// Primitive draws: the only code that turns engine output into doubles.
//
// canonical_uniform: one 64-bit output x, converted to double as an unsigned
// value (round to nearest, ties to even) and divided by 2^64.  The result
// lies in [0, 1]; it is exactly 1.0 for x >= 2^64 - 1024, which round up to
// 2^64.  That end point is kept on purpose: the value is the plain quotient,
// with no retry and no clamping, so every call consumes exactly one output.
//
// positive_uniform: u(1 - m) + m with u a canonical uniform and m the
// smallest positive subnormal.  1 - m rounds to 1, so the result is u except
// that u = 0 becomes m: never 0, which keeps log and pow(u, 1/shape) finite.
//
// polar_normal: the polar rejection method.  Pairs of canonical uniforms are
// mapped to (w1, w2) in [-1, 1]^2 and accepted when s = w1^2 + w2^2 < 1 and
// neither coordinate is 0; the variate is w1 sqrt(-2 ln s / s).  Only the
// first coordinate is returned; the partner is dropped so that no state
// outlives a call.  For s <= 1e-4 both coordinates are first scaled by a
// power of two (k = ilogb of the larger magnitude) so that s does not lose
// precision to underflow, and ln s is corrected by k * 2 ln 2.
//
// Inversion: a sampler by inversion (rcauchy, rlaplace, rlogis, rexp,
// rweibull, rpois) draws one positive uniform U in [2^-1074, 1] and
// returns the distribution's quantile at U, through the very quantile
// kernels of the quantile family.  U is never 0, so the lower end point is
// never returned; U = 1 (one output in 2^54) gives the quantile at 1, +inf
// for unbounded distributions.  A parameter that passes the sampler's own
// check but not the quantile's gives NaN after the output is consumed.  The
// tails are as coarse as the module's logarithm, which is -inf below 2^-52
// and 0 within 2^-52 of 1.
//
// Transcendentals are the C library's log, sqrt, ilogb and scalbn.  The
// draws are templates over the bit source only so that the test kit can
// feed them scripted outputs; the samplers always pass the engine.
//
// Blocks.  A block form makes n successive draws with exactly the engine
// outputs n single draws consume, in the same order, and the same bits.  It
// takes from the engine only outputs it knows the draws will consume, many
// at a time, and does the arithmetic of many draws in loops without a branch
// on random data; each C library call of a single draw is made once, with
// the same argument, in the order of the draws.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
#include <type_traits>

#include "../num/blocks.hpp"
#include "../num/common.hpp"
#include "../num/tally.hpp"
#include "twister.hpp"

namespace pradix::random {

using Engine = Twister64;

using num::INF;
using num::NaN;

inline constexpr double TWO_POW_64 = 18446744073709551616.0;
// The smallest positive double, 2^-1074 (the value of nextafter(0, 1)).
inline constexpr double MIN_SUBNORMAL = std::numeric_limits<double>::denorm_min();
static_assert(MIN_SUBNORMAL > 0.0 && MIN_SUBNORMAL / 2.0 == 0.0, "IEEE double with subnormals");
// Below this s the polar pair is rescaled before taking the logarithm.
inline constexpr double POLAR_RESCALE_BELOW = 0.0001;
// 2 ln 2 (0x3FF62E42FEFA39EF): ln of the factor 4 that each unit of k
// removed from s.
inline constexpr double TWO_LN2 = 1.3862943611198906;

// The C library's log, sqrt and pow, as the samplers call them (counted
// in an instrumented build, num/tally.hpp).
inline double c_log(double x) {
    num::tally::one(num::tally::Kind::c_log, x);
    return std::log(x);
}
inline double c_sqrt(double x) {
    num::tally::one(num::tally::Kind::c_sqrt, x);
    return std::sqrt(x);
}
inline double c_pow(double x, double y) {
    num::tally::one(num::tally::Kind::c_pow, x, y);
    return std::pow(x, y);
}

namespace detail {

inline double from_bits(std::uint64_t b) {
    double d;
    std::memcpy(&d, &b, sizeof d);
    return d;
}

// x rounded to double (to nearest, ties to even) without a branch on its
// top bit: 2^84 + hi 2^32 and 2^52 + lo are exact, so is their difference
// from 2^84 + 2^52, and the one rounding is that of hi 2^32 + lo = x.
inline double to_double(std::uint64_t x) {
    const double high = from_bits(0x4530000000000000u | (x >> 32)) - 0x1.00000001p84;
    const double low = from_bits(0x4330000000000000u | (x & 0xFFFFFFFFu));
    return high + low;
}

}  // namespace detail

// The canonical uniform of one output, and the positive uniform of that.
inline double uniform_of(std::uint64_t x) { return detail::to_double(x) / TWO_POW_64; }
inline double positive_of(double u) { return u * (1.0 - MIN_SUBNORMAL) + MIN_SUBNORMAL; }

template <typename Bits>
double canonical_uniform(Bits& engine) {
    return uniform_of(engine());
}

template <typename Bits>
double positive_uniform(Bits& engine) {
    return positive_of(canonical_uniform(engine));
}

// n successive outputs of the engine, as n calls of engine() give them.
inline void engine_outputs(Engine& engine, std::uint64_t* out, std::size_t n) { engine.outputs(out, n); }

// n <= num::BLOCK successive canonical or positive uniforms.
inline void canonical_uniforms(Engine& engine, double* out, std::size_t n) {
    std::uint64_t x[num::BLOCK];
    engine_outputs(engine, x, n);
    for (std::size_t i = 0; i < n; ++i) out[i] = uniform_of(x[i]);
}

inline void positive_uniforms(Engine& engine, double* out, std::size_t n) {
    std::uint64_t x[num::BLOCK];
    engine_outputs(engine, x, n);
    for (std::size_t i = 0; i < n; ++i) out[i] = positive_of(uniform_of(x[i]));
}

// The polar method in its three parts.  A pair of canonical uniforms gives
// w = 2u - 1 for each; the pair is kept when polar_keeps says so.
struct PolarPair {
    double w1;
    double w2;
    double s;
};

inline PolarPair polar_pair(std::uint64_t x1, std::uint64_t x2) {
    const double w1 = 2.0 * uniform_of(x1) - 1.0;
    const double w2 = 2.0 * uniform_of(x2) - 1.0;
    return {w1, w2, w1 * w1 + w2 * w2};
}

// (bitwise, so that a loop over pairs has no branch on them)
inline bool polar_keeps(const PolarPair& p) { return (p.s < 1.0) & (p.w1 != 0.0) & (p.w2 != 0.0); }

// ln s of a kept pair, rescaling it first when s is small (p.w1 and p.s
// are then the rescaled ones).
inline double polar_log(PolarPair& p) {
    if (p.s > POLAR_RESCALE_BELOW) return c_log(p.s);
    const int k = std::ilogb(std::max(num::abs(p.w1), num::abs(p.w2)));
    p.w1 = std::scalbn(p.w1, -k);
    p.w2 = std::scalbn(p.w2, -k);
    p.s = p.w1 * p.w1 + p.w2 * p.w2;
    return c_log(p.s) + static_cast<double>(k) * TWO_LN2;
}

// The variate of a kept pair from its logarithm.
inline double polar_value(const PolarPair& p, double log_s) { return c_sqrt((log_s * -2.0) / p.s) * p.w1; }

template <typename Bits>
double polar_normal(Bits& engine) {
    PolarPair p;
    do {
        const std::uint64_t x1 = engine();
        p = polar_pair(x1, engine());
    } while (!polar_keeps(p));
    const double log_s = polar_log(p);
    return polar_value(p, log_s);
}

// n <= num::BLOCK successive polar normals.  Each of the first n pairs is
// drawn by n single draws, which need at least n kept pairs: those pairs are
// drawn at once, tested, and the kept ones stored in order; then as many
// more pairs as draws still lack one, and so on.  The last round's pairs are
// all kept, so no pair beyond the n-th kept one is drawn.  Then the
// logarithms, then the rest of the arithmetic, each in one loop.
inline void polar_normals(Engine& engine, double* z, std::size_t n) {
    PolarPair kept[num::BLOCK];
    std::uint64_t x[2 * num::BLOCK];
    std::size_t have = 0;
    while (have < n) {
        const std::size_t pairs = n - have;
        engine_outputs(engine, x, 2 * pairs);
        for (std::size_t i = 0; i < pairs; ++i) {
            kept[have] = polar_pair(x[2 * i], x[2 * i + 1]);
            have += polar_keeps(kept[have]) ? 1 : 0;
        }
    }
    double log_s[num::BLOCK];
    for (std::size_t i = 0; i < n; ++i) log_s[i] = polar_log(kept[i]);
    for (std::size_t i = 0; i < n; ++i) z[i] = polar_value(kept[i], log_s[i]);
}

inline void fill_nan(double* out, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) out[i] = NaN;
}

// Preparations.  A sampler may come with a preparation Prep that does its
// parameter check and the work on the parameters alone once per call:
//     static Prep prepare(parameters...);
//     double draw(Engine&) const;               // one draw
//     void draw_block(Engine&, double* out, std::size_t n) const;  // optional
// draw_block makes n <= num::BLOCK successive draws, the same outputs consumed
// in the same order as n calls of draw and the same bits.  The sampler
// itself is prepare(parameters...).draw(engine).  Invalid parameters give
// NaN from both without consuming anything.


// A sampler by inversion: `invalid` is the sampler's own parameter check,
// `quantile` the prepared quantile (at, and at_block where it has one).
// With at_block, a block draws its positive uniforms first, in order, then
// transforms them together.
template <typename Quantile>
struct Inversion {
    bool invalid;
    Quantile quantile;

    double draw(Engine& engine) const { return invalid ? NaN : quantile.at(positive_uniform(engine)); }

    void draw_block(Engine& engine, double* out, std::size_t n) const {
        if (invalid) return fill_nan(out, n);
        if constexpr (num::HasAtBlock<Quantile>::value) {
            double u[num::BLOCK];
            positive_uniforms(engine, u, n);
            quantile.at_block(u, out, n);
        } else {
            for (std::size_t i = 0; i < n; ++i) out[i] = quantile.at(positive_uniform(engine));
        }
    }
};

}  // namespace pradix::random
