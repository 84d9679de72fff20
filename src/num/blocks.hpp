// Block forms of exp, log and erf: out[i] is exp(x[i]), log(x[i]) or
// erf(x[i]) bit for bit, for whole arrays.
//
// Each element's special values and argument reduction run as in the scalar
// kernel (the *_split and *_join halves); the continued fractions of all the
// block's remaining elements run together through the active lane table,
// which evaluates them side by side in vector registers where the processor
// has them.  Every table gives the scalar fraction's bits, and the scalar
// fraction's shortcuts (exp's E(0) = 1, log's L at z = 0) are values the full
// fraction gives as well, so the choice of table never shows in a result.
//
// The tables also hold the incomplete gamma function's fractions, which
// its block forms call directly (incomplete_gamma.hpp).
//
// The active table is the scalar one until the module picks the best for
// the processor, once, at import (src/module/lane_choice.cpp).  Everything
// runs with the interpreter lock held; the pointer is set before any call.
#pragma once

#include <cstddef>
#include <type_traits>
#include <utility>
#include <cstdint>

#include "erf.hpp"
#include "exp_log.hpp"
#include "lanes/fractions.hpp"
#include "lanes/table.hpp"
#include "tally.hpp"
#include "trig.hpp"

namespace pradix::num {

namespace lanes {

inline void scalar_exp(const double* y, double* out, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) out[i] = exp_fraction(y[i]);
}
inline void scalar_log(const double* u, double* out, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) out[i] = log_fraction(log_ratio(u[i]));
}
inline void scalar_erf_above(const double* x, const double* w, double* out, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) out[i] = erf_above(x[i], w[i]);
}
inline void scalar_erf_below(const double* x, const double* w, double* out, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) out[i] = erf_below(x[i], w[i]);
}

inline void scalar_gamma_lower(double a, const double* x, double* out, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) out[i] = gamma_lower(a, x[i]);
}
inline void scalar_gamma_upper(double a, const double* x, double* out, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) out[i] = gamma_upper(a, x[i]);
}

// f(x[i]) for a fraction of one argument, or of a depth the same for all.
template <double (*F)(double)>
void scalar_each(const double* x, double* out, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) out[i] = F(x[i]);
}
template <double (*F)(int, double)>
void scalar_at_depth(int depth, const double* x, double* out, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) out[i] = F(depth, x[i]);
}

inline void scalar_gamma_lower_each(const double* a, const double* x, double* out, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) out[i] = gamma_lower(a[i], x[i]);
}
inline void scalar_gamma_upper_each(const double* a, const double* x, double* out, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) out[i] = gamma_upper(a[i], x[i]);
}

inline void scalar_tan(int depth, const double* x, double* out, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) out[i] = tan_fraction(x[i], depth);
}

inline constexpr Table SCALAR{"scalar",
                              &scalar_exp,
                              &scalar_log,
                              &scalar_erf_above,
                              &scalar_erf_below,
                              &scalar_gamma_lower,
                              &scalar_gamma_upper,
                              &scalar_each<&erf_above_fraction<double>>,
                              &scalar_each<&erf_below_fraction<double>>,
                              &scalar_each<&tanh_fraction<double>>,
                              &scalar_at_depth<&atan_fraction<double>>,
                              &scalar_at_depth<&atan_series<double>>,
                              &scalar_gamma_lower_each,
                              &scalar_gamma_upper_each,
                              &scalar_tan};

inline const Table* active = &SCALAR;

}  // namespace lanes

// Sizes of the stack buffers of block evaluation.  BLOCK points for exp_n,
// log_n and erf_n (their pieces, a few KiB of buffers), for the element
// loop's gathered points and for the staged kernels (staged.hpp), unless a
// kernel's scratch for that many points would exceed SCRATCH bytes: then it
// runs as many points at once as fit, a multiple of 16.  SCRATCH bounds the
// stack a chunk takes, and composed kernels nest chunks: calls must run on
// threads with small stacks (128 KiB in the tests, also under the address
// sanitizer, whose frames are larger).  64 KiB would let the inverses'
// lock-step corrections run whole blocks (the gamma quantiles 12 % faster on
// 16-lane packs) but overflowed such a stack.  Every block function takes
// any n and cuts it into pieces itself.
inline constexpr std::size_t BLOCK = 256;
inline constexpr std::size_t SCRATCH = 16384;

// Calls f(offset, count) for consecutive pieces of at most Size elements.
template <std::size_t Size, class F>
void by_pieces(std::size_t n, F&& f) {
    for (std::size_t at = 0; at < n; at += Size) f(at, n - at < Size ? n - at : Size);
}

// out[i] = exp(x[i]), log(x[i]) or erf(x[i]) for i < n, bit for bit; out may
// be x itself.  The block functions from erf_n on are kept out of line: each
// holds piece buffers of several KiB, and inlined together into one caller
// (staged blocks ask for any of them) their frames would add up on the
// stack, as they do in an address-sanitized build, which reuses no stack
// slots.
inline void exp_n(const double* x, double* out, std::size_t n, const lanes::Table& t = *lanes::active) {
    tally::batch(tally::Kind::exp, x, n);
    by_pieces<BLOCK>(n, [&](std::size_t at, std::size_t count) {
        detail::ExpSplit split[BLOCK];
        std::uint16_t index[BLOCK];
        double y[BLOCK] = {};  // zeroed only for the compiler, which cannot see that m bounds the reads
        double e[BLOCK];
        std::size_t m = 0;
        for (std::size_t i = 0; i < count; ++i) {
            split[i] = detail::exp_split(x[at + i]);
            if (split[i].done) {
                out[at + i] = split[i].value;
            } else {
                index[m] = static_cast<std::uint16_t>(i);
                y[m++] = split[i].y;
            }
        }
        t.exp(y, e, m);
        for (std::size_t j = 0; j < m; ++j) out[at + index[j]] = detail::exp_join(split[index[j]], e[j]);
    });
}

inline void log_n(const double* x, double* out, std::size_t n, const lanes::Table& t = *lanes::active) {
    tally::batch(tally::Kind::log, x, n);
    by_pieces<BLOCK>(n, [&](std::size_t at, std::size_t count) {
        detail::LogSplit split[BLOCK];
        std::uint16_t index[BLOCK];
        double u[BLOCK] = {};  // (as y in exp_n)
        double l[BLOCK];
        std::size_t m = 0;
        for (std::size_t i = 0; i < count; ++i) {
            split[i] = detail::log_split(x[at + i]);
            if (split[i].done) {
                out[at + i] = split[i].value;
            } else {
                index[m] = static_cast<std::uint16_t>(i);
                u[m++] = split[i].u;
            }
        }
        t.log(u, l, m);
        for (std::size_t j = 0; j < m; ++j) out[at + index[j]] = detail::log_join(split[index[j]], l[j]);
    });
}

// erf through erf_settle and erf_pos's choice of fraction, as erf does: the
// choice is made once per point, and the same answer sorts the points onto
// the two fractions and takes their values back.
[[gnu::noinline]] inline void erf_n(const double* x, double* out, std::size_t n, const lanes::Table& t = *lanes::active) {
    tally::batch(tally::Kind::erf, x, n);
    by_pieces<BLOCK>(n, [&](std::size_t at, std::size_t count) {
        std::uint16_t index[BLOCK];  // elements left to the fractions
        double square[BLOCK];        // -(x x)
        double w[BLOCK];
        std::size_t m = 0;
        for (std::size_t i = 0; i < count; ++i) {
            const double xi = x[at + i];
            if (!detail::erf_settle(xi, out[at + i])) {
                index[m] = static_cast<std::uint16_t>(i);
                square[m++] = -(xi * xi);
            }
        }
        {
            [[maybe_unused]] const tally::Quiet inner{};  // the weights are erf's own
            exp_n(square, w, m, t);
        }
        // Each fraction on its own contiguous list: (|x|, w) pairs.
        bool complement[BLOCK];
        double ax[BLOCK], aw[BLOCK], av[BLOCK], bx[BLOCK], bw[BLOCK], bv[BLOCK];
        std::size_t na = 0;
        std::size_t nb = 0;
        for (std::size_t j = 0; j < m; ++j) {
            const double xi = x[at + index[j]];
            const double pos = negate_if(xi < 0.0, xi);
            complement[j] = detail::erf_takes_complement(pos);
            if (complement[j]) {
                ax[na] = pos;
                aw[na++] = w[j];
            } else {
                bx[nb] = pos;
                bw[nb++] = w[j];
            }
        }
        t.erf_above(ax, aw, av, na);
        t.erf_below(bx, bw, bv, nb);
        na = 0;
        nb = 0;
        for (std::size_t j = 0; j < m; ++j) {
            const double xi = x[at + index[j]];
            const double v = complement[j] ? av[na++] : bv[nb++];
            out[at + index[j]] = negate_if(xi < 0.0, v);
        }
    });
}

// out[i] = erf's fraction at x[i] > 0 without its weight (detail::
// erf_fraction): the side chosen by erf_takes_complement, as erf does, the
// points of each side together.  out may be x.
[[gnu::noinline]] inline void erf_fraction_n(const double* x, double* out, std::size_t n, const lanes::Table& t = *lanes::active) {
    tally::batch(tally::Kind::erf_fraction, x, n);
    by_pieces<BLOCK>(n, [&](std::size_t at, std::size_t count) {
        std::uint16_t index[2][BLOCK];
        double side[2][BLOCK];
        std::size_t m[2] = {0, 0};
        for (std::size_t i = 0; i < count; ++i) {
            const int s = detail::erf_takes_complement(x[at + i]) ? 0 : 1;
            index[s][m[s]] = static_cast<std::uint16_t>(i);
            side[s][m[s]++] = x[at + i];
        }
        t.erf_above_fraction(side[0], side[0], m[0]);
        t.erf_below_fraction(side[1], side[1], m[1]);
        for (int s = 0; s < 2; ++s) {
            for (std::size_t j = 0; j < m[s]; ++j) out[at + index[s][j]] = side[s][j];
        }
    });
}

// out[i] = atan(x[i]) for i < n, bit for bit; out may be x.  atan's depth
// (the fraction's levels or the series' terms) depends on |x|: the points
// are sorted by it (atan_form, the one choice scalar and block both make)
// and each depth runs in lanes on its own.
[[gnu::noinline]] inline void atan_n(const double* x, double* out, std::size_t n, const lanes::Table& t = *lanes::active) {
    tally::batch(tally::Kind::atan, x, n);
    constexpr int DEPTHS = detail::ATAN_DEPTH_MAX + 1;  // a depth's number says the form
    by_pieces<BLOCK>(n, [&](std::size_t at, std::size_t count) {
        std::uint16_t index[BLOCK];  // elements left to the fractions
        std::uint8_t depth[BLOCK];
        std::size_t start[DEPTHS + 1] = {};
        std::size_t m = 0;
        for (std::size_t i = 0; i < count; ++i) {
            const double xi = x[at + i];
            if (detail::atan_settle(xi, out[at + i])) continue;
            const detail::AtanForm f = detail::atan_form(negate_if(xi < 0.0, xi));
            index[m] = static_cast<std::uint16_t>(i);
            depth[m++] = static_cast<std::uint8_t>(f.n);
            ++start[f.n + 1];
        }
        for (int d = 0; d < DEPTHS; ++d) start[d + 1] += start[d];
        // Sorted by depth (stable): |x| and where it came from.
        double ax[BLOCK];
        std::uint16_t from[BLOCK];
        std::size_t next[DEPTHS];
        for (int d = 0; d < DEPTHS; ++d) next[d] = start[d];
        for (std::size_t j = 0; j < m; ++j) {
            const std::size_t k = next[depth[j]]++;
            const double xi = x[at + index[j]];
            ax[k] = negate_if(xi < 0.0, xi);
            from[k] = index[j];
        }
        for (int d = 0; d < DEPTHS; ++d) {
            const std::size_t c = start[d + 1] - start[d];
            if (c == 0) continue;
            double* a = ax + start[d];
            if (detail::atan_depth_is_series(d)) {
                t.atan_series(d, a, a, c);
            } else {
                t.atan_fraction(d, a, a, c);
            }
        }
        for (std::size_t k = 0; k < m; ++k) {
            const std::size_t i = from[k];
            out[at + i] = negate_if(x[at + i] < 0.0, ax[k]);
        }
    });
}

// tan through tan's own rows and reduction: the points that take the
// fraction without a reduction are sorted by its depth, each depth's
// fractions run together, and the sign is put back as tan does.
[[gnu::noinline]] inline void tan_n(const double* x, double* out, std::size_t n, const lanes::Table& t = *lanes::active) {
    tally::batch(tally::Kind::tan, x, n);
    constexpr int DEPTHS[3] = {25, 35, 45};
    by_pieces<BLOCK>(n, [&](std::size_t at, std::size_t count) {
        std::uint16_t index[3][BLOCK];
        double arg[3][BLOCK];
        double value[BLOCK];
        std::size_t m[3] = {0, 0, 0};
        for (std::size_t i = 0; i < count; ++i) {
            const double xi = x[at + i];
            const double pos = negate_if(xi < 0.0, xi);
            if (is_nan(xi) || near_zero(xi) || !detail::tan_takes_fraction(pos)) {
                [[maybe_unused]] const tally::Quiet counted{};  // in this batch
                out[at + i] = tan(xi);
                continue;
            }
            const int depth = detail::tan_depth(pos);
            const int d = depth == DEPTHS[0] ? 0 : (depth == DEPTHS[1] ? 1 : 2);
            index[d][m[d]] = static_cast<std::uint16_t>(i);
            arg[d][m[d]++] = pos;
        }
        for (int d = 0; d < 3; ++d) {
            t.tan(DEPTHS[d], arg[d], value, m[d]);
            for (std::size_t j = 0; j < m[d]; ++j) {
                const std::size_t i = index[d][j];
                out[at + i] = negate_if(x[at + i] < 0.0, value[j]);
            }
        }
    });
}

// Preparations that evaluate blocks of points: at_block(x, out, n), any n,
// with out[i] == at(x[i]) bit for bit (staged.hpp).
template <typename Prep, typename = void>
struct HasAtBlock : std::false_type {};

template <typename Prep>
struct HasAtBlock<Prep, std::void_t<decltype(std::declval<const Prep&>().at_block(
                            std::declval<const double*>(), std::declval<double*>(), std::size_t{}))>>
    : std::true_type {};

}  // namespace pradix::num
