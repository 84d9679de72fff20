// The two evaluations of a distribution function written as rules and a
// prepared inner function (P(a, .), I_.(a, b)) at an argument: at one point,
// and for a block of points through the inner function's own block form and
// log_n for the log mode (num/blocks.hpp).
//
// A kernel D provides invalid and log_p, rows(x, t): its rows for a valid,
// non-NaN x, true with the probability in t; and argument(x): the inner
// function's argument at the other points.  Both evaluations run the same
// steps on the same values, so a block gives the bits of the point-by-point
// evaluation.
#pragma once

#include <cstddef>
#include <cstdint>

#include "../num/blocks.hpp"
#include "conventions.hpp"

namespace pradix::cdf_quantile {

template <class D, class Inner>
double probability_at(const D& d, const Inner& inner, double x) {
    if (d.invalid || num::is_nan(x)) return NaN;
    double t;
    if (!d.rows(x, t)) t = inner.at(d.argument(x));
    return probability(t, d.log_p);
}

template <class D, class Inner>
void probability_block(const D& d, const Inner& inner, const double* x, double* out, std::size_t n) {
    num::by_pieces<num::PIECE>(n, [&](std::size_t at, std::size_t count) {
        const double* xs = x + at;
        double* os = out + at;
        std::uint16_t index[num::PIECE];
        double t[num::PIECE];
        double y[num::PIECE];
        double v[num::PIECE];
        std::size_t m = 0;
        for (std::size_t i = 0; i < count; ++i) {
            if (d.invalid || num::is_nan(xs[i])) {
                t[i] = NaN;
            } else if (!d.rows(xs[i], t[i])) {
                y[m] = d.argument(xs[i]);
                index[m++] = static_cast<std::uint16_t>(i);
            }
        }
        inner.at_block(y, v, m);
        for (std::size_t j = 0; j < m; ++j) t[index[j]] = v[j];
        if (d.log_p) {
            num::log_n(t, os, count);
        } else {
            for (std::size_t i = 0; i < count; ++i) os[i] = t[i];
        }
        for (std::size_t i = 0; i < count; ++i) {
            if (d.invalid || num::is_nan(xs[i])) os[i] = NaN;
        }
    });
}

}  // namespace pradix::cdf_quantile
