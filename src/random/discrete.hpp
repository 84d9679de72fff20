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

#include <cstddef>
#include <cstdint>

#include "../num/interrupt.hpp"

#include "../cdf_quantile/quantile_discrete.hpp"
#include "draws.hpp"

namespace pradix::random {

// A trial succeeds when prob >= U for U = positive_of(uniform_of(x)) of its
// output x.  U does not decrease as x grows, so the trials that succeed are
// those whose output is at most the last one that does: the block forms
// compare outputs with that integer instead of converting each.
class TrialThreshold {
public:
    explicit TrialThreshold(double prob) {
        const auto succeeds = [prob](std::uint64_t x) { return prob >= positive_of(uniform_of(x)); };
        constexpr std::uint64_t MAX = ~std::uint64_t{0};
        none_ = !succeeds(0);
        if (none_ || succeeds(MAX)) {
            last_ = none_ ? 0 : MAX;
            return;
        }
        // Bisection between a success and a failure.  prob 2^64 (exact, and
        // below 2^64 here) rounds down to a success, and outputs a rounding
        // step (at most 2^11) above it already fail: start from those,
        // checked, and fall back on the ends.
        const double scaled = prob * TWO_POW_64;
        const std::uint64_t start = static_cast<std::uint64_t>(scaled);
        std::uint64_t lo = succeeds(start) ? start : 0;
        std::uint64_t hi = start > MAX - 4096 ? MAX : start + 4096;
        if (succeeds(hi)) hi = MAX;
        while (hi - lo > 1) {
            const std::uint64_t mid = lo + (hi - lo) / 2;
            (succeeds(mid) ? lo : hi) = mid;
        }
        last_ = lo;
    }

    bool succeeds(std::uint64_t x) const { return !none_ & (x <= last_); }
    std::uint64_t last() const { return last_; }

    // Successes among n outputs.
    std::uint64_t count(const std::uint64_t* x, std::size_t n) const {
        std::uint64_t k = 0;
        for (std::size_t i = 0; i < n; ++i) k += x[i] <= last_ ? 1 : 0;
        return none_ ? 0 : k;
    }

private:
    bool none_;            // no output succeeds (prob below the smallest U)
    std::uint64_t last_;   // the largest output that succeeds
};

struct BernoulliDraws {
    bool invalid;
    double prob;

    static BernoulliDraws prepare(double prob) { return {num::bad_probability(prob), prob}; }
    double draw(Engine& engine) const { return invalid ? NaN : (prob >= positive_uniform(engine) ? 1.0 : 0.0); }

    void draw_block(Engine& engine, double* out, std::size_t n) const {
        if (invalid) return fill_nan(out, n);
        const TrialThreshold trial(prob);
        std::uint64_t x[num::BLOCK];
        engine_outputs(engine, x, n);
        // 1.0 or +0.0 by a mask rather than a branch, which the random
        // outcomes would mispredict.
        constexpr std::uint64_t ONE = __builtin_bit_cast(std::uint64_t, 1.0);
        for (std::size_t i = 0; i < n; ++i) {
            out[i] = __builtin_bit_cast(double, ONE & (0 - static_cast<std::uint64_t>(trial.succeeds(x[i]))));
        }
    }
};

inline double rbern(double prob, Engine& engine) { return BernoulliDraws::prepare(prob).draw(engine); }

// Trials between two questions whether to stop (some hundred microseconds),
// counted over all the draws of a call.
inline constexpr std::int64_t BINOMIAL_TRIALS_PER_POLL = 65536;
// Trials whose outputs are drawn at once.
inline constexpr std::int64_t BINOMIAL_TRIALS_PER_PIECE = 1024;

// rbinom for one call: its trials ask whether to stop every
// BINOMIAL_TRIALS_PER_POLL trials of the call, however they fall into draws,
// and a call told to stop gives NaN at once.  The trials of a draw are
// counted a piece at a time.  The count of single trials is a double that
// adds 1.0 per success: exact up to 2^53, where 2^53 + 1 rounds back to 2^53
// (ties to even), so the count is the number of successes up to 2^53 and
// 2^53 beyond.
class BinomialDraws {
public:
    static BinomialDraws prepare(std::int64_t n_trials, double prob) {
        const bool invalid = num::bad_probability(prob) || n_trials < 0;
        return BinomialDraws(invalid, n_trials, TrialThreshold(invalid ? 0.0 : prob));
    }

    double draw(Engine& engine) const {
        if (invalid_) return NaN;
        if (num::interrupt::requested) return NaN;
        std::uint64_t successes = 0;
        std::int64_t left = n_;
        std::uint64_t x[BINOMIAL_TRIALS_PER_PIECE];
        while (left > 0) {
            std::int64_t piece = left < unpolled_ ? left : unpolled_;
            if (piece > BINOMIAL_TRIALS_PER_PIECE) piece = BINOMIAL_TRIALS_PER_PIECE;
            engine_outputs(engine, x, static_cast<std::size_t>(piece));
            successes += trial_.count(x, static_cast<std::size_t>(piece));
            left -= piece;
            unpolled_ -= piece;
            if (unpolled_ == 0) {
                unpolled_ = BINOMIAL_TRIALS_PER_POLL;
                if (num::interrupt::check()) return NaN;
            }
        }
        constexpr std::uint64_t EXACT = std::uint64_t{1} << 53;
        return static_cast<double>(successes < EXACT ? successes : EXACT);
    }

private:
    BinomialDraws(bool invalid, std::int64_t n, TrialThreshold trial) : invalid_(invalid), n_(n), trial_(trial) {}

    bool invalid_;
    std::int64_t n_;
    TrialThreshold trial_;
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
