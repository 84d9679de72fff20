// Conventions shared by the density kernels.
//
// Invalid parameters and NaN arguments give NaN in both modes.  A special
// value v from a kernel's rule table is returned "logged": v, or log(v) when
// the log flag is set (0 becomes -inf, +inf stays +inf).  Regular cases
// compute the log-density s and return s or exp(s).
//
// Power terms.  A regular formula that contains x^e works with e * log(x),
// and num::log gives -inf for every x below 2^-52.  When the exponent e is
// exactly 0 the product is then 0 * -inf, which IEEE arithmetic makes NaN,
// although x^0 = 1 for every x > 0.  log_power takes that product as -0.0
// (the sign a finite negative logarithm gives), so the density continues the
// value it has at the exact boundary.  Only a logarithm of -inf is treated:
// 0 * +inf (Weibull with shape 1 where x / scale overflows to +inf) stays
// NaN, as the formula is for every shape above 1 there.  Every other product
// is the plain one, bit for bit.
#pragma once

#include "../num/elementary.hpp"

namespace pradix::density {

using num::any_nan;
using num::INF;
using num::NaN;
using num::same_infinity;
using num::answer;

// v, or num::log(v) in log mode.
inline double logged(double v, bool log) { return log ? num::log(v) : v; }

// 0, or -inf in log mode: a point outside the support.
inline double zero(bool log) { return log ? -INF : 0.0; }

// From a log-density: s in log mode, num::exp(s) otherwise.
inline double from_log(double s, bool log) { return log ? s : num::exp(s); }

// lg * e, the logarithm of a power: -0.0 when e is exactly 0 and lg = -inf.
inline double log_power(double lg, double e) {
    if (e == 0.0 && lg == -INF) return -0.0;
    return lg * e;
}

}  // namespace pradix::density
