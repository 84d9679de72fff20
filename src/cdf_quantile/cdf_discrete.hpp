// Distribution functions of the Bernoulli, binomial and Poisson
// distributions (integer points).
//
// The binomial sums its masses from the top (k = x down to 0), ending each
// sum early where the rest cannot change it (binomial_table.hpp); a call
// keeps the masses it computes.  The sums poll num::interrupt and give NaN
// when told to stop.  The Poisson uses e^-rate (1 + rate + ... + rate^x / x!)
// for small counts and rates and 1 - P(x + 1, rate) otherwise.
#pragma once

#include <cstdint>
#include <limits>
#include <memory>

#include "../density/discrete.hpp"
#include "../num/incomplete_gamma.hpp"
#include "binomial_table.hpp"
#include "conventions.hpp"

namespace pradix::cdf_quantile {

inline double pbern(std::int64_t x, double prob, bool log_p) {
    if (bad_probability(prob)) return NaN;
    const double t = x < 0 ? 0.0 : (x == 0 ? 1.0 - prob : 1.0);
    return probability(t, log_p);
}

// The binomial distribution function for fixed n_trials and prob.  F(x) is
// m_x + m_(x-1) + ... + m_0, added from the top and ended early where that
// gives the full sum (binomial_table.hpp); the masses are kept by the call,
// so points after the first cost additions, mostly.  Sums give NaN when
// told to stop.
class BinomialCdf {
public:
    // Points often repeat in a call: the element loop keeps their results.
    static constexpr bool memoize_points = true;

    static BinomialCdf prepare(std::int64_t n_trials, double prob, bool log_p) {
        BinomialCdf c;
        c.n_ = n_trials;
        c.prob_ = prob;
        c.log_p_ = log_p;
        c.invalid_ = n_trials < 0 || bad_probability(prob);
        c.mass_ = density::BinomialMass::prepare(n_trials, prob, false);
        return c;
    }

    double at(std::int64_t x) const { return at(x, nullptr); }

    // The call's table of log-gammas, shared by the preparations of a call
    // whose parameters vary: at(x, shared) is at(x), bit for bit.
    using Shared = density::LogGammas;

    double at(std::int64_t x, Shared& shared) const { return at(x, &shared); }

    // The memory the kept masses hold, in bytes (the call bounds it).
    std::size_t kept_bytes() const { return table_ ? table_->kept_bytes() : 0; }

private:
    double at(std::int64_t x, Shared* shared) const {
        if (invalid_) return NaN;
        if (x < 0) return probability(0.0, log_p_);
        if (x >= n_) return probability(1.0, log_p_);
        if (n_ == 1) return pbern(x, prob_, log_p_);
        return probability(lower_sum(x, shared), log_p_);
    }

    // m_x + ... + m_0 for 0 <= x < n, n >= 2.  With log(prob) = -inf every
    // mass but m_0 is +0 (its log-mass is -inf), with log(1 - prob) = -inf
    // every mass below n is: the sum is m_0, or +0.
    double lower_sum(std::int64_t x, Shared* shared) const {
        if (mass_.log_prob() == -INF) return mass_.at(0);
        if (mass_.log_fail() == -INF) return 0.0;
        if (!table_) table_ = std::make_unique<BinomialTable>(mass_, n_);
        return table_->cdf(x, shared);
    }

    std::int64_t n_ = 0;
    double prob_ = 0.0;
    bool log_p_ = false;
    bool invalid_ = false;
    density::BinomialMass mass_;
    mutable std::unique_ptr<BinomialTable> table_;
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
    // Points often repeat in a call: the element loop keeps their results.
    static constexpr bool memoize_points = true;

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
