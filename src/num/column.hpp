// Logarithms and log-gammas of a column of parameters, for the preparations
// of many parameter sets at once (prepare_n): out[i] = log(x[i]) or
// lgamma(x[i]) bit for bit.
// Parameters often come in runs (a column of constants, sorted or grouped
// data): the first value of each run of equal bits is computed, all of them
// together in lanes, and given to the whole run.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "blocks.hpp"
#include "log_gamma.hpp"

namespace pradix::num {

namespace detail {

// out[i] = f(x[i]) through block(first, values, count) on the first value of
// each run.
template <class Block>
void by_runs(const double* x, double* out, std::size_t n, Block&& block) {
    by_pieces<BLOCK>(n, [&](std::size_t at, std::size_t count) {
        double first[BLOCK];
        std::uint16_t run[BLOCK];  // the run of each element
        std::size_t runs = 0;
        for (std::size_t i = 0; i < count; ++i) {
            if (i == 0 || std::memcmp(&x[at + i], &x[at + i - 1], sizeof(double)) != 0) first[runs++] = x[at + i];
            run[i] = static_cast<std::uint16_t>(runs - 1);
        }
        double v[BLOCK];
        block(first, v, runs);
        for (std::size_t i = 0; i < count; ++i) out[at + i] = v[run[i]];
    });
}

}  // namespace detail

inline void log_column(const double* x, double* out, std::size_t n) {
    detail::by_runs(x, out, n, [](const double* a, double* v, std::size_t m) { log_n(a, v, m); });
}

inline void lgamma_column(const double* x, double* out, std::size_t n) {
    detail::by_runs(x, out, n, [](const double* a, double* v, std::size_t m) { lgamma_n(a, v, m); });
}

}  // namespace pradix::num
