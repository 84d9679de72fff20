// A lane target: the continued fractions of exp, log, erf, the incomplete
// gamma function, the logistic's tanh and atan over arrays,
// out[i] = fraction(in[i]) for i < n, bit for bit the scalar fraction.
// Each target (scalar, or one instruction set) provides one such table of
// plain function pointers; the block functions of blocks.hpp call whichever
// table is active.  This header holds types only, so the per-target
// translation units can include it without sharing any code.
#pragma once

#include <cstddef>

namespace pradix::num::lanes {

struct Table {
    const char* name;
    // exp_fraction(y[i])
    void (*exp)(const double* y, double* out, std::size_t n);
    // log_fraction(log_ratio(u[i]))
    void (*log)(const double* u, double* out, std::size_t n);
    // erf_above(x[i], w[i]) and erf_below(x[i], w[i])
    void (*erf_above)(const double* x, const double* w, double* out, std::size_t n);
    void (*erf_below)(const double* x, const double* w, double* out, std::size_t n);
    // gamma_lower(a, x[i]) and gamma_upper(a, x[i])
    void (*gamma_lower)(double a, const double* x, double* out, std::size_t n);
    void (*gamma_upper)(double a, const double* x, double* out, std::size_t n);
    // erf_above_fraction(x[i]) and erf_below_fraction(x[i]): erf's fractions
    // without their weight
    void (*erf_above_fraction)(const double* x, double* out, std::size_t n);
    void (*erf_below_fraction)(const double* x, double* out, std::size_t n);
    // tanh_fraction(r[i])
    void (*tanh_fraction)(const double* r, double* out, std::size_t n);
    // atan_fraction(depth, x[i]) and atan_series(terms, x[i])
    void (*atan_fraction)(int depth, const double* x, double* out, std::size_t n);
    void (*atan_series)(int terms, const double* x, double* out, std::size_t n);
    // gamma_lower(a[i], x[i]) and gamma_upper(a[i], x[i]): a shape per element
    void (*gamma_lower_each)(const double* a, const double* x, double* out, std::size_t n);
    void (*gamma_upper_each)(const double* a, const double* x, double* out, std::size_t n);
    // tan_fraction(x[i], depth)
    void (*tan)(int depth, const double* x, double* out, std::size_t n);
};

}  // namespace pradix::num::lanes
