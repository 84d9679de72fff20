// Block forms of exp and log: out[i] is exp(x[i]) or log(x[i]) bit for bit.
// Here plain loops over the scalar kernels; callers hand over whole blocks
// (at most BLOCK elements, stack buffers of a few KiB) so that a form that
// evaluates the elements side by side can take their place.
#pragma once

#include <cstddef>

#include "exp_log.hpp"

namespace pradix::num {

inline constexpr std::size_t BLOCK = 256;

inline void exp_n(const double* x, double* out, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) out[i] = exp(x[i]);
}

inline void log_n(const double* x, double* out, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) out[i] = log(x[i]);
}

}  // namespace pradix::num
