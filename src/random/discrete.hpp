// Bernoulli, binomial and Poisson samplers.
//
// rbern(prob) is 1 when prob >= U for a positive uniform U; rbinom(n, prob)
// counts n such trials, so its cost and the outputs it consumes are linear
// in n.  Its trials poll num::interrupt: told to stop, it returns NaN,
// keeping the outputs consumed.
// rpois(rate): by inversion (draws.hpp).  Where the Poisson search cannot
// end (rates of about 2^63 and above, or U below about 5e-17 with a rate
// above about 3e6) it gives NaN after the output is consumed, while
// rpois(+inf) returns +inf, still consuming its output.
//
// Invalid parameters give NaN and leave the engine untouched.
#pragma once

#include <cstdint>

#include "../num/interrupt.hpp"

#include "../cdf_quantile/quantile_discrete.hpp"
#include "draws.hpp"

namespace pradix::random {

struct BernoulliDraws {
    bool invalid;
    double prob;

    static BernoulliDraws prepare(double prob) { return {num::bad_probability(prob), prob}; }
    double draw(Engine& engine) const { return invalid ? NaN : (prob >= positive_uniform(engine) ? 1.0 : 0.0); }
};

inline double rbern(double prob, Engine& engine) { return BernoulliDraws::prepare(prob).draw(engine); }

// Trials between two questions whether to stop (a few hundred microseconds).
inline constexpr std::int64_t BINOMIAL_TRIALS_PER_POLL = 65536;

inline double rbinom(std::int64_t n_trials, double prob, Engine& engine) {
    if (num::bad_probability(prob) || n_trials < 0) return NaN;
    double successes = 0.0;
    std::int64_t trial = 0;
    while (trial < n_trials) {
        const std::int64_t left = n_trials - trial;
        const std::int64_t end = left > BINOMIAL_TRIALS_PER_POLL ? trial + BINOMIAL_TRIALS_PER_POLL : n_trials;
        for (; trial < end; ++trial) {
            successes = successes + (prob >= positive_uniform(engine) ? 1.0 : 0.0);
        }
        if (trial < n_trials && num::interrupt::check()) return NaN;
    }
    return successes;
}

// The prepared quantile keeps the distribution function values its searches
// evaluate, for the whole call.
struct PoissonDraws : Inversion<cdf_quantile::PoissonQuantile> {
    static PoissonDraws prepare(double rate) {
        return {{num::is_nan(rate) || rate < 0.0, cdf_quantile::PoissonQuantile::prepare(rate)}};
    }
};

inline double rpois(double rate, Engine& engine) { return PoissonDraws::prepare(rate).draw(engine); }

}  // namespace pradix::random
