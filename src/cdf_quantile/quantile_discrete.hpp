// Quantiles of the Bernoulli, binomial and Poisson distributions, returned
// as doubles.
//
// The binomial searches upwards for the least k with F(k) >= p, F(k) being
// its masses summed from the top, m_k + m_(k-1) + ... + m_0, anew for each k.
// Each mass is computed once and kept (the last 8192 of them) with the
// running maximum of the masses below it; a sum stops as soon as no remaining
// mass can change it (all below half a unit in its last place), which gives
// the very value of the full sum.  The cost is then about the answer times
// the width of the distribution's bulk instead of the answer squared.  The Poisson searches for the least k with
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

namespace pradix::cdf_quantile {

inline double qbern(double p, double prob) {
    if (bad_probability(p) || bad_probability(prob)) return NaN;
    return p > 1.0 - prob ? 1.0 : 0.0;
}

namespace detail {

// Binomial masses m_0, m_1, ... added in increasing order, the last Window
// kept together with the prefix maxima max(m_0 .. m_j).  Masses older than
// the window are computed again when a sum reaches them.
template <std::int64_t Window>
class BinomialMassWindow {
public:
    BinomialMassWindow(std::int64_t n, double prob) : n_(n), prob_(prob) {}

    // Adds m_k for the next k (0 first).
    void push() {
        const double m = density::dbinom(count_, n_, prob_, false);
        const double below = count_ == 0 ? 0.0 : slot(count_ - 1).prefix_max;
        // A NaN mass poisons the maxima, so no sum stops early past it.
        const double max = (num::is_nan(m) || num::is_nan(below)) ? NaN : (m > below ? m : below);
        slot(count_) = {m, max};
        ++count_;
    }

    // m_k + m_(k-1) + ... + m_0 summed from the top, k the last mass pushed.
    double lower_sum() const {
        const std::int64_t k = count_ - 1;
        const std::int64_t bottom = k >= Window ? k - Window + 1 : 0;  // oldest kept
        double sum = slot(k).mass;
        for (std::int64_t j = k - 1; j >= 0; --j) {
            // Every mass from m_j down is at most `bound`: once that is below
            // half an ulp of the sum, none of them can change it.
            const double bound = slot(j >= bottom ? j : bottom).prefix_max;
            if (bound + bound < num::ulp_above(sum)) return sum;
            sum = sum + (j >= bottom ? slot(j).mass : density::dbinom(j, n_, prob_, false));
        }
        return sum;
    }

private:
    struct Entry {
        double mass;
        double prefix_max;
    };

    Entry& slot(std::int64_t j) { return entries_[j % Window]; }
    const Entry& slot(std::int64_t j) const { return entries_[j % Window]; }

    std::int64_t n_;
    double prob_;
    std::int64_t count_ = 0;
    Entry entries_[Window];
};

// 8192 masses (128 KiB) hold the bulk of every distribution up to about
// four million trials; beyond, sums recompute the masses past the window.
inline constexpr std::int64_t BINOMIAL_WINDOW = 8192;

template <std::int64_t Window>
double binomial_quantile(double p, std::int64_t n, double prob) {
    if (bad_probability(p) || n < 0 || bad_probability(prob)) return NaN;
    if (p == 0.0) return 0.0;
    if (p == 1.0) return static_cast<double>(n);
    if (n == 1) return p > 1.0 - prob ? 1.0 : 0.0;  // F(0) = 1 - prob, F(1) = 1
    // F(n) = 1 >= p, so the search ends at k = n at the latest.
    BinomialMassWindow<Window> masses(n, prob);
    for (std::int64_t k = 0; k < n; ++k) {
        masses.push();
        if (!(p > masses.lower_sum())) return static_cast<double>(k);
    }
    return static_cast<double>(n);
}

}  // namespace detail

inline double qbinom(double p, std::int64_t n, double prob) {
    return detail::binomial_quantile<detail::BINOMIAL_WINDOW>(p, n, prob);
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

}  // namespace pradix::cdf_quantile
