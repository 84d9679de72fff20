// Distribution functions of the Bernoulli, binomial and Poisson
// distributions (integer points).
//
// The binomial sums its masses from the top (k = x down to 0), so its cost
// is linear in x; a call keeps the masses it computes, so later points cost
// additions only.  The sums poll num::interrupt and give NaN when told to
// stop.  The Poisson uses e^-rate (1 + rate + ... + rate^x / x!)
// for small counts and rates and 1 - P(x + 1, rate) otherwise.
#pragma once

#include <cstdint>
#include <limits>
#include <vector>

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
// each), and additions of kept masses between two questions.
inline constexpr std::uint32_t BINOMIAL_MASSES_PER_POLL = 256;
inline constexpr std::uint32_t BINOMIAL_ADDITIONS_PER_POLL = 65536;
// Masses kept by one call (32 MiB); those above are computed where needed.
inline constexpr std::int64_t BINOMIAL_TABLE_LIMIT = std::int64_t{1} << 22;

// The binomial distribution function for fixed n_trials and prob.  F(x) is
// m_x + m_(x-1) + ... + m_0, added from the top; each mass is computed once
// per call and kept, so points after the first cost additions only (the
// very additions, in the very order, of the sum).  Sums give NaN when told
// to stop.
class BinomialCdf {
public:
    static BinomialCdf prepare(std::int64_t n_trials, double prob, bool log_p) {
        BinomialCdf c;
        c.n_ = n_trials;
        c.prob_ = prob;
        c.log_p_ = log_p;
        c.invalid_ = n_trials < 0 || bad_probability(prob);
        c.mass_ = density::BinomialMass::prepare(n_trials, prob, false);
        return c;
    }

    double at(std::int64_t x) const {
        if (invalid_) return NaN;
        if (x < 0) return probability(0.0, log_p_);
        if (x >= n_) return probability(1.0, log_p_);
        if (n_ == 1) return pbern(x, prob_, log_p_);
        return probability(lower_sum(x), log_p_);
    }

private:
    // m_x + ... + m_0 for 0 <= x < n, n >= 2.
    double lower_sum(std::int64_t x) const {
        num::StopPoll poll(BINOMIAL_MASSES_PER_POLL);
        const std::int64_t kept = x < BINOMIAL_TABLE_LIMIT ? x + 1 : BINOMIAL_TABLE_LIMIT;
        for (auto k = static_cast<std::int64_t>(masses_.size()); k < kept; ++k) {
            if (poll()) return NaN;
            masses_.push_back(mass_.at(k));
        }
        double sum;
        std::int64_t k = x;
        if (x < kept) {
            sum = masses_[static_cast<std::size_t>(x)];
        } else {
            sum = mass_.at(x);
            for (k = x - 1; k >= kept; --k) {
                if (poll()) return NaN;
                sum = sum + mass_.at(k);
            }
        }
        num::StopPoll additions(BINOMIAL_ADDITIONS_PER_POLL);
        for (k = k == x ? x - 1 : k; k >= 0; --k) {
            if (additions()) return NaN;
            sum = sum + masses_[static_cast<std::size_t>(k)];
        }
        return sum;
    }

    std::int64_t n_ = 0;
    double prob_ = 0.0;
    bool log_p_ = false;
    bool invalid_ = false;
    density::BinomialMass mass_;
    mutable std::vector<double> masses_;  // m_0, m_1, ... as far as needed
};

inline double pbinom(std::int64_t x, std::int64_t n, double prob, bool log_p) {
    return BinomialCdf::prepare(n, prob, log_p).at(x);
}

// Poisson distribution function without logarithm, for x >= 0 and a finite
// rate; e^-rate is given by the caller.  x + 1 is formed in integers, except
// at the largest int64 where it is 2^63.
inline double poisson_cdf(std::int64_t x, double rate, double exp_neg_rate) {
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
    return exp_neg_rate * s;
}

inline double poisson_cdf(std::int64_t x, double rate) { return poisson_cdf(x, rate, num::exp(-rate)); }

// The Poisson distribution function for a fixed rate, with e^-rate computed
// once.
class PoissonCdf {
public:
    static PoissonCdf prepare(double rate, bool log_p) {
        PoissonCdf c;
        c.rate_ = rate;
        c.log_p_ = log_p;
        c.exp_neg_rate_ = num::exp(-rate);
        return c;
    }

    double at(std::int64_t x) const {
        if (num::is_nan(rate_) || rate_ < 0.0) return NaN;
        if (x < 0 || rate_ == INF) return probability(0.0, log_p_);
        return probability(poisson_cdf(x, rate_, exp_neg_rate_), log_p_);
    }

private:
    double rate_ = 0.0;
    bool log_p_ = false;
    double exp_neg_rate_ = 0.0;
};

inline double ppois(std::int64_t x, double rate, bool log_p) { return PoissonCdf::prepare(rate, log_p).at(x); }

}  // namespace pradix::cdf_quantile
