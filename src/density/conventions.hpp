// Conventions shared by the density kernels.
//
// Invalid parameters and NaN arguments give NaN in both modes.  A special
// value v from a kernel's rule table is returned "logged": v, or log(v) when
// the log flag is set (0 becomes -inf, +inf stays +inf).  Regular cases
// compute the log-density s and return s or exp(s).
#pragma once

#include "../num/elementary.hpp"

namespace density {

using num::INF;
using num::NaN;

// v, or num::log(v) in log mode.
inline double logged(double v, bool log) { return log ? num::log(v) : v; }

// 0, or -inf in log mode: a point outside the support.
inline double zero(bool log) { return log ? -INF : 0.0; }

// From a log-density: s in log mode, num::exp(s) otherwise.
inline double from_log(double s, bool log) { return log ? s : num::exp(s); }

inline bool any_nan(double a, double b) { return num::is_nan(a) || num::is_nan(b); }
inline bool any_nan(double a, double b, double c) { return any_nan(a, b) || num::is_nan(c); }

// x = mu = +inf or x = mu = -inf: an undefined location difference.
inline bool same_infinity(double x, double mu) {
    return (x == INF && mu == INF) || (x == -INF && mu == -INF);
}

}  // namespace density
