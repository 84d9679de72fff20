// Distribution functions and quantiles built on a prepared inner function
// (P(a, .), I_.(a, b) or their inverses) at an argument of their own, as
// composed kernels (num/staged.hpp): `at` runs one point through the rows,
// the inner function and the finish; `at_block` a block of points, the
// inner function's steps for all of them together.
//
// A distribution function D provides
//   bool settle(double x, double& t): its rows, validity first, true with
//   the probability in t;
//   double argument(double x): the inner function's argument at the others;
//   const Inner& inner(): the prepared inner function;
//   log_p: the mode;
// and derives from ProbabilityForm<D>: the probability t, or log(t), with
// at and at_block, or ProbabilityForm<D, num::staged::PointEntries> for
// at_points too.
//
// A quantile Q on an inverse provides settle(p, v) (its rows: true with the
// quantile in v), argument(p) (the inverse's probability), inner() (the
// prepared inverse) and join(g) (the quantile from the inverse's value), and
// derives from InverseQuantileForm<Q>.
#pragma once

#include "../num/staged.hpp"
#include "conventions.hpp"

namespace pradix::cdf_quantile {

template <class D, template <class> class Entries = num::staged::Entries>
struct ProbabilityForm : Entries<D> {
    num::Op finish(bool, double t, double& v) const {
        return num::staged::log_if(static_cast<const D&>(*this).log_p, t, v);
    }
};

template <class Q>
struct InverseQuantileForm : num::staged::Entries<Q> {
    num::Op finish(bool row, double r, double& v) const {
        return num::staged::result(row ? r : static_cast<const Q&>(*this).join(r), v);
    }
};

}  // namespace pradix::cdf_quantile
