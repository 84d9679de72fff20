// Quantiles of the form join(p, ln(arg(p))), evaluated one point at a time or
// a block at a time.
//
// A preparation Q of such a quantile provides
//     bool settled(double p, double& v) const;  // true: v is the quantile;
//                                               // false: v is the argument
//                                               // of the logarithm
//     double join(double p, double l) const;    // the quantile from l = ln v
// log_quantile_at is the quantile at one point; log_quantile_block gives
// the same bits for a block of at most num::BLOCK points, with the block's
// logarithms taken together (num::log_n).
#pragma once

#include <cstddef>

#include "../num/blocks.hpp"

namespace pradix::cdf_quantile {

template <typename Q>
double log_quantile_at(const Q& q, double p) {
    double v;
    return q.settled(p, v) ? v : q.join(p, num::log(v));
}

template <typename Q>
void log_quantile_block(const Q& q, const double* p, double* out, std::size_t n) {
    bool done[num::BLOCK];
    double arg[num::BLOCK];
    double l[num::BLOCK];
    for (std::size_t i = 0; i < n; ++i) {
        done[i] = q.settled(p[i], out[i]);
        arg[i] = done[i] ? 1.0 : out[i];  // a placeholder whose logarithm is settled at once
    }
    num::log_n(arg, l, n);
    for (std::size_t i = 0; i < n; ++i) {
        const double joined = q.join(p[i], l[i]);  // also for settled points, then dropped
        out[i] = done[i] ? out[i] : joined;
    }
}

}  // namespace pradix::cdf_quantile
