// Quantiles of the Bernoulli, binomial and Poisson distributions, returned
// as doubles.
//
// The binomial searches upwards for the least k with F(k) >= p, F(k) being
// its masses summed from the top, m_k + m_(k-1) + ... + m_0, anew for each k.
// Each mass is computed once and kept, with the running maximum of the masses
// below it, in a table on the heap owned by the call; a sum stops as soon as
// no remaining mass can change it (all below half a unit in its last place),
// which gives the very value of the full sum.  The cost is then one mass per
// step plus the additions of the sums, about the answer times the width of
// the distribution's bulk, instead of the answer squared.  The table starts
// at the first mass that is not +0 (the underflowed lower tail is never
// added), so it holds the bulk below the answer: some 40 standard deviations
// at most, 16 bytes a mass, tens of MB for ten million trials at worst.
// The Poisson searches for the least k with F(k) > p, starting at 0 for rates
// below 11 and a little below a normal approximation otherwise.  An infinite
// rate puts the mass at +inf.  A Poisson search that cannot end in reasonable
// time (a start of 2^63 or more, or more than 1,000,000 steps: huge rates, or
// p below about 5.5e-17 with a large rate) returns NaN.
//
// The searches and sums poll num::interrupt and return NaN when told to stop.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>
#include <unordered_map>
#include <vector>

#include "../num/interrupt.hpp"
#include "cdf_discrete.hpp"
#include "conventions.hpp"
#include "quantile_location_scale.hpp"

namespace pradix::cdf_quantile {

inline double qbern(double p, double prob) {
    if (bad_probability(p) || bad_probability(prob)) return NaN;
    return p > 1.0 - prob ? 1.0 : 0.0;
}

namespace detail {

// Binomial masses m_0, m_1, ... added in increasing order, kept together with
// the prefix maxima max(m_0 .. m_j), from the first mass that is not +0 on.
// Below that every mass and every prefix maximum is +0.
class BinomialMasses {
public:
    BinomialMasses(std::int64_t n, double prob) : mass_(density::BinomialMass::prepare(n, prob, false)) {}

    // Adds m_k for the next k (0 first).
    void push() {
        const double m = mass_.at(count_);
        ++count_;
        if (entries_.empty() && is_plus_zero(m)) {
            last_zero_ = m;
            return;
        }
        if (entries_.empty()) base_ = count_ - 1;
        const double below = entries_.empty() ? 0.0 : entries_.back().prefix_max;
        // A NaN mass poisons the maxima, so no sum stops early past it.
        const double max = (num::is_nan(m) || num::is_nan(below)) ? NaN : (m > below ? m : below);
        entries_.push_back({m, max});
    }

    // m_k + m_(k-1) + ... + m_0 summed from the top, k the last mass pushed;
    // NaN when told to stop.  Every Chunk additions ask whether to stop.
    template <std::int64_t Chunk>
    double lower_sum() const {
        const std::int64_t k = count_ - 1;
        if (entries_.empty()) return through_zeros(last_zero_, k);
        const Entry* e = entries_.data();  // e[i] is the entry of m_(base_ + i)
        std::int64_t i = k - base_;
        double sum = e[i].mass;
        --i;
        while (i >= 0) {
            const std::int64_t last = i >= Chunk ? i - Chunk + 1 : 0;
            for (; i >= last; --i) {
                // Every mass from this one down is at most `bound`: once that
                // is below half an ulp of the sum, none of them can change it.
                const double bound = e[i].prefix_max;
                if (bound + bound < num::ulp_above(sum)) return sum;
                sum = sum + e[i].mass;
            }
            if (i >= 0 && num::interrupt::check()) return NaN;
        }
        return through_zeros(sum, base_);
    }

private:
    struct Entry {
        double mass;
        double prefix_max;
    };

    static bool is_plus_zero(double x) {
        std::uint64_t bits;
        std::memcpy(&bits, &x, sizeof bits);
        return bits == 0;
    }

    // The rest of a sum over `count` masses of +0 whose prefix maxima are +0:
    // the sum stops unless half an ulp of it is not above 0 (it is -0 or
    // NaN); adding +0 then changes it at most once, from -0 to +0.
    static double through_zeros(double sum, std::int64_t count) {
        for (std::int64_t i = 0; i < count && i < 2; ++i) {
            if (0.0 + 0.0 < num::ulp_above(sum)) return sum;
            sum = sum + 0.0;
        }
        return sum;
    }

    density::BinomialMass mass_;
    std::int64_t count_ = 0;   // masses pushed
    std::int64_t base_ = 0;    // index of entries_[0]
    double last_zero_ = 0.0;   // the last mass pushed while entries_ is empty
    std::vector<Entry> entries_;
};

// Additions of a binomial sum between two questions whether to stop (some
// microseconds), and search steps between two questions (each step computes
// a mass, about a microsecond, and a sum of at most one chunk between
// questions).
inline constexpr std::int64_t BINOMIAL_SUM_CHUNK = 4096;
inline constexpr std::uint32_t BINOMIAL_STEPS_PER_POLL = 64;

// The binomial quantile for fixed n_trials and prob.  F(0), F(1), ... do not
// depend on p: a call computes each once, in the search's order, and keeps
// it, so a search compares with kept values until it needs the next F.
template <std::int64_t SumChunk>
class BinomialQuantile {
public:
    static BinomialQuantile prepare(std::int64_t n, double prob) {
        BinomialQuantile q;
        q.n_ = n;
        q.prob_ = prob;
        q.invalid_ = n < 0 || bad_probability(prob);
        return q;
    }

    double at(double p) const {
        if (bad_probability(p) || invalid_) return NaN;
        if (p == 0.0) return 0.0;
        if (p == 1.0) return static_cast<double>(n_);
        if (n_ == 1) return p > 1.0 - prob_ ? 1.0 : 0.0;  // F(0) = 1 - prob, F(1) = 1
        // F(n) = 1 >= p, so the search ends at k = n at the latest.
        std::int64_t k = 0;
        for (const double f : cdf_) {  // the F(k) already known
            if (!(p > f)) return static_cast<double>(k);
            ++k;
        }
        if (!masses_) masses_ = std::make_unique<BinomialMasses>(n_, prob_);
        num::StopPoll poll(BINOMIAL_STEPS_PER_POLL);
        for (; k < n_; ++k) {
            masses_->push();
            const double f = masses_->template lower_sum<SumChunk>();
            if (poll()) return NaN;
            cdf_.push_back(f);
            if (!(p > f)) return static_cast<double>(k);
        }
        return static_cast<double>(n_);
    }

private:
    std::int64_t n_ = 0;
    double prob_ = 0.0;
    bool invalid_ = false;
    mutable std::unique_ptr<BinomialMasses> masses_;
    mutable std::vector<double> cdf_;  // F(0), F(1), ... as far as searched
};

}  // namespace detail

using BinomialQuantile = detail::BinomialQuantile<detail::BINOMIAL_SUM_CHUNK>;

inline double qbinom(double p, std::int64_t n, double prob) { return BinomialQuantile::prepare(n, prob).at(p); }

inline constexpr std::int64_t POISSON_SEARCH_LIMIT = 1000000;
// Each step evaluates the distribution function, some microseconds at most.
inline constexpr std::uint32_t POISSON_STEPS_PER_POLL = 64;

// The Poisson quantile for a fixed rate.  Each F(k) a search evaluates is
// kept by the call (keyed by k), as are sqrt(rate) and e^-rate.
class PoissonQuantile {
public:
    static PoissonQuantile prepare(double rate) {
        PoissonQuantile q;
        q.rate_ = rate;
        q.exp_neg_rate_ = num::exp(-rate);
        q.sqrt_rate_ = num::sqrt(rate);
        return q;
    }

    double at(double p) const {
        if (bad_probability(p) || num::is_nan(rate_) || rate_ < 0.0) return NaN;
        if (p == 0.0 || rate_ < EPS) return 0.0;
        if (p == 1.0) return INF;
        if (rate_ == INF) return INF;
        double c;
        std::int64_t k;
        if (rate_ < 11.0) {
            c = cdf(0);
            k = 1;
        } else {
            double e = qnorm(p, rate_, sqrt_rate_);
            e = std::max(0.0, e - 3.0);
            if (!(e < 0x1p63)) return NaN;
            k = static_cast<std::int64_t>(e);
            c = cdf(k);
        }
        num::StopPoll poll(POISSON_STEPS_PER_POLL);
        for (std::int64_t steps = 0; p >= c; ++steps) {
            if (steps == POISSON_SEARCH_LIMIT || k == std::numeric_limits<std::int64_t>::max()) return NaN;
            if (poll()) return NaN;
            c = cdf(k);
            k = k + 1;
        }
        return k < 1 ? 0.0 : static_cast<double>(k - 1);
    }

private:
    double cdf(std::int64_t k) const {
        const auto found = cdf_.find(k);
        if (found != cdf_.end()) return found->second;
        const double c = poisson_cdf(k, rate_, exp_neg_rate_);
        if (cdf_.size() < CDF_KEPT) cdf_.emplace(k, c);
        return c;
    }

    static constexpr std::size_t CDF_KEPT = std::size_t{1} << 20;
    double rate_ = 0.0;
    double exp_neg_rate_ = 0.0;
    double sqrt_rate_ = 0.0;
    mutable std::unordered_map<std::int64_t, double> cdf_;
};

inline double qpois(double p, double rate) { return PoissonQuantile::prepare(rate).at(p); }

}  // namespace pradix::cdf_quantile
