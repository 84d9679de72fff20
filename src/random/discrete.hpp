// Bernoulli, binomial and Poisson samplers.
//
// rbern(prob) is 1 when prob >= U for a positive uniform U; rbinom(n, prob)
// counts n such trials, so its cost and the outputs it consumes are linear
// in n.  Its trials poll num::interrupt, by trials done in the call: told to
// stop, it returns NaN, keeping the outputs consumed.
// rpois(rate): by inversion (draws.hpp).  Where the Poisson search cannot
// end (rates of about 2^63 and above, or U below about 5e-17 with a rate
// above about 3e6) it gives NaN after the output is consumed, and so it
// does, after its full search of some 9 seconds, at most rates from about
// 3e15 to 2^63 (quantile_discrete.hpp); rpois(+inf) returns +inf, still
// consuming its output.
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

// Trials between two questions whether to stop (some hundred microseconds),
// counted over all the draws of a call.
inline constexpr std::int64_t BINOMIAL_TRIALS_PER_POLL = 65536;

// rbinom for one call: its trials ask whether to stop every
// BINOMIAL_TRIALS_PER_POLL trials of the call, however they fall into draws,
// and a call told to stop gives NaN at once.
class BinomialDraws {
public:
    static BinomialDraws prepare(std::int64_t n_trials, double prob) {
        BinomialDraws d;
        d.invalid_ = num::bad_probability(prob) || n_trials < 0;
        d.n_ = n_trials;
        d.prob_ = prob;
        return d;
    }

    double draw(Engine& engine) const {
        if (invalid_) return NaN;
        if (num::interrupt::requested) return NaN;
        double successes = 0.0;
        std::int64_t trial = 0;
        while (trial < n_) {
            const std::int64_t end = n_ - trial > unpolled_ ? trial + unpolled_ : n_;
            unpolled_ -= end - trial;
            for (; trial < end; ++trial) {
                successes = successes + (prob_ >= positive_uniform(engine) ? 1.0 : 0.0);
            }
            if (unpolled_ == 0) {
                unpolled_ = BINOMIAL_TRIALS_PER_POLL;
                if (num::interrupt::check()) return NaN;
            }
        }
        return successes;
    }

private:
    bool invalid_ = false;
    std::int64_t n_ = 0;
    double prob_ = 0.0;
    mutable std::int64_t unpolled_ = BINOMIAL_TRIALS_PER_POLL;  // trials left before the next poll
};

inline double rbinom(std::int64_t n_trials, double prob, Engine& engine) {
    return BinomialDraws::prepare(n_trials, prob).draw(engine);
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
