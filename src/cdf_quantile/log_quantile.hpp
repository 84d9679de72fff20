// Quantiles of the form join(p, ln(arg(p))), as staged kernels
// (num/staged.hpp): `at` runs one point, `at_block` a block of points with
// the block's logarithms taken together.
//
// A quantile Q provides
//     bool settle(double p, double& v) const;  // its rows: true, v the quantile
//     double log_argument(double p) const;     // arg(p) at the other points
//     double join(double p, double l) const;   // the quantile from l = ln arg(p)
// and derives from LogQuantileForm<Q>.
#pragma once

#include <cstddef>

#include "../num/staged.hpp"

namespace pradix::cdf_quantile {

template <class Q>
struct LogQuantileForm : num::staged::Entries<Q> {
    struct Point {};

    num::Op step(double p, Point&, int k, double& v) const {
        const Q& q = static_cast<const Q&>(*this);
        if (k > 0) return num::staged::result(q.join(p, v), v);
        if (q.settle(p, v)) return num::Op::done;
        v = q.log_argument(p);
        return num::Op::log;
    }
};

}  // namespace pradix::cdf_quantile
