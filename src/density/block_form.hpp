// The two evaluations of a density written as rules, logarithms and a
// log-density: at one point, and for a block of points with the block's
// logarithms and exponentials run together (num/blocks.hpp).
//
// A kernel D provides
//   bool settle(double x, double& v): its rows, true with the result in v;
//   LOGS (0, 1 or 2) and log_argument(x, k): the arguments of the logarithms
//   a regular point needs;
//   exponent(x, l0, l1): the log-density from the point and those logarithms
//   (unused ones are 0);
//   log: the mode.
// Both evaluations run the same steps, in the same order, on the same values:
// log_n and exp_n give num::log's and num::exp's bits, so a block gives the
// bits of the point-by-point evaluation.
#pragma once

#include <cstddef>
#include <cstdint>

#include "../num/blocks.hpp"
#include "conventions.hpp"

namespace pradix::density {

// The log-density of a point no row settles.
template <class D>
double regular_exponent(const D& d, double x) {
    const double l0 = D::LOGS > 0 ? num::log(d.log_argument(x, 0)) : 0.0;
    const double l1 = D::LOGS > 1 ? num::log(d.log_argument(x, 1)) : 0.0;
    return d.exponent(x, l0, l1);
}

template <class D>
double density_at(const D& d, double x) {
    double v;
    if (d.settle(x, v)) return v;
    return from_log(regular_exponent(d, x), d.log);
}

template <class D>
void density_block(const D& d, const double* x, double* out, std::size_t n) {
    constexpr std::size_t K = D::LOGS > 0 ? D::LOGS : 1;
    num::by_pieces<num::PIECE>(n, [&](std::size_t at, std::size_t count) {
        const double* xs = x + at;
        double* os = out + at;
        std::uint16_t index[num::PIECE];
        double l[K * num::PIECE];  // the logarithms' arguments (all of k = 0, then k = 1), then values
        std::size_t m = 0;
        for (std::size_t i = 0; i < count; ++i) {
            if (!d.settle(xs[i], os[i])) index[m++] = static_cast<std::uint16_t>(i);
        }
        if constexpr (D::LOGS > 0) {
            for (std::size_t k = 0; k < K; ++k) {
                for (std::size_t j = 0; j < m; ++j) l[k * m + j] = d.log_argument(xs[index[j]], static_cast<int>(k));
            }
            num::log_n(l, l, K * m);
        }
        // l[j] is read (with l[m + j]) before it is overwritten.
        for (std::size_t j = 0; j < m; ++j) {
            const double l0 = D::LOGS > 0 ? l[j] : 0.0;
            const double l1 = D::LOGS > 1 ? l[m + j] : 0.0;
            l[j] = d.exponent(xs[index[j]], l0, l1);
        }
        if (!d.log) num::exp_n(l, l, m);
        for (std::size_t j = 0; j < m; ++j) os[index[j]] = l[j];
    });
}

}  // namespace pradix::density
