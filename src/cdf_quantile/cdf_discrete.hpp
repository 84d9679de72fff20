// Distribution functions of the Bernoulli, binomial and Poisson
// distributions (integer points).
//
// The binomial sums its masses from the top (k = x down to 0), so its cost
// is linear in x; the sum polls num::interrupt and gives NaN when told to
// stop.  The Poisson uses e^-rate (1 + rate + ... + rate^x / x!)
// for small counts and rates and 1 - P(x + 1, rate) otherwise.
#pragma once

#include <cstdint>
#include <limits>

#include "../density/discrete.hpp"
#include "../num/interrupt.hpp"
#include "../num/incomplete_gamma.hpp"
#include "conventions.hpp"

namespace pradix::cdf_quantile {

inline double pbern(std::int64_t x, double prob, bool log_p) {
    if (bad_probability(prob)) return NaN;
    const double t = x < 0 ? 0.0 : (x == 0 ? 1.0 - prob : 1.0);
    return probability(t, log_p);
}

// Masses added between two questions whether to stop (about a microsecond
// each).
inline constexpr std::uint32_t BINOMIAL_MASSES_PER_POLL = 256;

// Binomial distribution function without logarithm, for 0 <= x < n, n >= 2:
// the masses summed from k = x down to 0; NaN when told to stop.
inline double binomial_lower_sum(std::int64_t x, std::int64_t n, double prob) {
    num::StopPoll poll(BINOMIAL_MASSES_PER_POLL);
    double sum = density::dbinom(x, n, prob, false);
    for (std::int64_t k = x - 1; k >= 0; --k) {
        if (poll()) return NaN;
        sum = sum + density::dbinom(k, n, prob, false);
    }
    return sum;
}

inline double pbinom(std::int64_t x, std::int64_t n, double prob, bool log_p) {
    if (n < 0 || bad_probability(prob)) return NaN;
    if (x < 0) return probability(0.0, log_p);
    if (x >= n) return probability(1.0, log_p);
    if (n == 1) return pbern(x, prob, log_p);
    return probability(binomial_lower_sum(x, n, prob), log_p);
}

// Poisson distribution function without logarithm, for x >= 0 and a finite
// rate.  x + 1 is formed in integers, except at the largest int64 where it
// is 2^63.
inline double poisson_cdf(std::int64_t x, double rate) {
    if (rate > 10.0 || x > 15) {
        const double next = x == std::numeric_limits<std::int64_t>::max()
                                ? 0x1p63
                                : static_cast<double>(x + 1);
        return 1.0 - num::gamma_p(next, rate);
    }
    double s;
    if (x == 0) {
        s = 1.0;
    } else if (x == 1) {
        s = 1.0 + rate;
    } else {
        s = 1.0 + num::poisson_partial_sum(x, rate);
    }
    return num::exp(-rate) * s;
}

inline double ppois(std::int64_t x, double rate, bool log_p) {
    if (num::is_nan(rate) || rate < 0.0) return NaN;
    if (x < 0 || rate == INF) return probability(0.0, log_p);
    return probability(poisson_cdf(x, rate), log_p);
}

}  // namespace pradix::cdf_quantile
