// Log-densities written as rules, logarithms and a log-density, as staged
// kernels (num/staged.hpp): `at` runs one point, `at_block` a block of
// points with the block's logarithms and exponentials run together, through
// the same steps.
//
// A kernel D provides
//   bool settle(double x, double& v): its rows, true with the result in v;
//   LOGS (0, 1 or 2) and log_argument(x, k): the arguments of the logarithms
//   a regular point needs;
//   exponent(x, l0, l1): the log-density from the point and those logarithms
//   (unused ones are 0);
//   log: the mode;
// and derives from LogDensityForm<D>, which makes it a staged kernel: the
// rows, log_argument(x, 0), log_argument(x, 1), then s = exponent(...) and
// the result s (log mode) or exp(s), with at, at_block and at_points (a
// block of points each under its own preparation, through the same steps).
#pragma once

#include <cstddef>

#include "../num/staged.hpp"
#include "conventions.hpp"

namespace pradix::density {

template <class D>
struct LogDensityForm : num::staged::PointEntries<D> {
    struct Point {
        double l0;  // the first logarithm, while the second is taken
    };

    num::Op step(double x, Point& pt, int k, double& v) const {
        const D& d = static_cast<const D&>(*this);
        if (k == 0) {
            if (d.settle(x, v)) return num::Op::done;
        } else if (k == 1) {
            pt.l0 = v;
        }
        if (k < D::LOGS) {
            v = d.log_argument(x, k);
            return num::Op::log;
        }
        const double l0 = D::LOGS > 0 ? pt.l0 : 0.0;
        const double l1 = D::LOGS > 1 ? v : 0.0;
        return num::staged::exp_unless(d.log, d.exponent(x, l0, l1), v);
    }
};

}  // namespace pradix::density
