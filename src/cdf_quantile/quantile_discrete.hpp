// Quantiles of the Bernoulli, binomial and Poisson distributions, returned
// as doubles.
//
// The binomial searches upwards for the least k with F(k) >= p, recomputing
// F(k) from scratch (its masses summed from the top), so its cost grows with
// the square of the answer.  The Poisson searches for the least k with
// F(k) > p, starting at 0 for rates below 11 and a little below a normal
// approximation otherwise.  An infinite rate puts the mass at +inf.  A
// Poisson search that cannot end in reasonable time (a start of 2^63 or
// more, or more than 1,000,000 steps: huge rates, or p below about 5.5e-17
// with a large rate) returns NaN.
#pragma once

#include <algorithm>
#include <cstdint>
#include <limits>

#include "cdf_discrete.hpp"
#include "conventions.hpp"
#include "quantile_location_scale.hpp"

namespace cdf {

inline double qbern(double p, double prob) {
    if (bad_probability(p) || bad_success_probability(prob)) return NaN;
    return p > 1.0 - prob ? 1.0 : 0.0;
}

inline double qbinom(double p, std::int64_t n, double prob) {
    if (bad_probability(p) || n < 0 || bad_success_probability(prob)) return NaN;
    if (p == 0.0) return 0.0;
    if (p == 1.0) return static_cast<double>(n);
    // F(n) = 1 >= p, so the search ends at k = n at the latest.
    for (std::int64_t k = 0;; ++k) {
        double c;
        if (k >= n) {
            c = 1.0;
        } else if (n == 1) {
            c = 1.0 - prob;  // k = 0
        } else {
            c = binomial_lower_sum(k, n, prob);
        }
        if (!(p > c)) return static_cast<double>(k);
    }
}

inline constexpr std::int64_t POISSON_SEARCH_LIMIT = 1000000;

inline double qpois(double p, double rate) {
    if (bad_probability(p) || num::is_nan(rate) || rate < 0.0) return NaN;
    if (p == 0.0 || rate < EPS) return 0.0;
    if (p == 1.0) return INF;
    if (rate == INF) return INF;
    double c;
    std::int64_t k;
    if (rate < 11.0) {
        c = poisson_cdf(0, rate);
        k = 1;
    } else {
        double e = qnorm(p, rate, num::sqrt(rate));
        e = std::max(0.0, e - 3.0);
        if (!(e < 0x1p63)) return NaN;
        k = static_cast<std::int64_t>(e);
        c = poisson_cdf(k, rate);
    }
    for (std::int64_t steps = 0; p >= c; ++steps) {
        if (steps == POISSON_SEARCH_LIMIT || k == std::numeric_limits<std::int64_t>::max()) return NaN;
        c = poisson_cdf(k, rate);
        k = k + 1;
    }
    return k < 1 ? 0.0 : static_cast<double>(k - 1);
}

}  // namespace cdf
