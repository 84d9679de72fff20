// Quantiles of the Bernoulli, binomial and Poisson distributions, returned
// as doubles.
//
// The binomial quantile is the least k with F(k) >= p, F(k) being its masses
// summed from the top, m_k + m_(k-1) + ... + m_0, anew for each k (the
// sums of binomial_table.hpp, each ended early where that gives the full
// sum, and +0 wherever all masses up to k are).  F is not monotone to the
// last bit, so the search passes over a k only where a bound rules out
// F(k) >= p for it and every k below; it probes F where the normal
// approximation puts the answer, brackets the answer with probes twice as
// far out each time, bisects, and steps up through the few k the bound
// leaves open.  The cost is a few sums over the bulk of the distribution,
// growing like the square root of n.
// The Poisson searches for the least k with F(k) > p, starting at 0 for rates
// below 11 and a little below a normal approximation otherwise.  An infinite
// rate puts the mass at +inf.  A Poisson search that cannot end in reasonable
// time (a start of 2^63 or more, or more than 1,000,000 steps: p below about
// 5.5e-17 with a large rate) returns NaN.  So do, after some 9 seconds, most
// searches at rates from about 3e15 to 2^63, where the incomplete gamma
// function gives F(k) = 0 near the rate (and from 1e12 it is off): no bound
// on those values saves the steps without changing a result.
//
// The searches and sums poll num::interrupt and return NaN when told to stop.
#pragma once

#include <algorithm>
#include <cstdint>
#include <limits>
#include <memory>
#include <vector>

#include "../num/interrupt.hpp"
#include "cdf_discrete.hpp"
#include "conventions.hpp"
#include "kept_range.hpp"
#include "quantile_location_scale.hpp"

namespace pradix::cdf_quantile {

inline double qbern(double p, double prob) {
    if (bad_probability(p) || bad_probability(prob)) return NaN;
    return p > 1.0 - prob ? 1.0 : 0.0;
}

namespace detail {

// Distribution function values kept by a binomial search between two
// questions whether to stop; values a search may fill in for later searches
// of the call, per search (the gap between what is kept and what a search
// finds is filled, or the kept values dropped); values kept at most.
inline constexpr std::uint32_t BINOMIAL_STEPS_PER_POLL = 64;
inline constexpr std::int64_t BINOMIAL_FILL_PER_SEARCH = 1024;
inline constexpr std::int64_t BINOMIAL_WINDOW_LIMIT = std::int64_t{1} << 22;

// The search for the least k with F(k) >= p, for n >= 2 and finite
// log(prob) and log(1 - p).  F is not monotone to the last bit, so a k is
// passed over only when F(k) >= p is ruled out for it: by the table's bound
// F(j) <= bound_below(F(k)) for every j <= k, or by every mass up to k being
// +0.  Bisection with that certificate finds a k below which nothing
// reaches p; the search then steps up from there, through the few k whose
// F is below p but too close to it for the bound.
// The values F(k) a search has stepped through are kept, a window of
// consecutive k with their running maxima and a bound of every F below the
// window, so that later searches of the call find their answer there by
// bisection of the maxima (the first k whose maximum reaches p is the first
// k whose F does), or start from there.
class BinomialSearch {
public:
    BinomialSearch(const density::BinomialMass& mass, std::int64_t n, double prob)
        : table_(mass, n), n_(n), mean_(static_cast<double>(n) * prob),
          mass_sd2_(static_cast<double>(n) * prob * (1.0 - prob)) {}

    // The least k with F(k) >= p, 0 < p < 1; NaN when told to stop.  Masses
    // are computed with the call's table of log-gammas where one is given.
    double least(double p, density::LogGammas* log_gammas) {
        struct Scope {
            density::LogGammas*& held;
            ~Scope() { held = nullptr; }
        } const scope{log_gammas_ = log_gammas};
        allowance_ = std::min(allowance_ + BINOMIAL_FILL_PER_SEARCH, BINOMIAL_WINDOW_LIMIT);
        const bool kept = !f_.empty();
        if (kept && below_ < p && max_.back() >= p) return static_cast<double>(lo_ + reaching(p));
        std::int64_t a = -1;  // every F(j) with j <= a is below p
        double fa = 0.0;      // F(a), a >= 0
        bool a_kept = false;  // a is the window's last k
        std::int64_t b = n_;  // F(b) >= p
        double fb = 1.0;      // F(b)
        if (kept && below_ < p) {
            a = hi();
            fa = f_.back();
            a_kept = true;
        } else if (kept && max_.back() >= p) {
            b = lo_ + reaching(p);
            fb = f_[static_cast<std::size_t>(b - lo_)];
        }
        // `open` is a k not ruled out (F below p, but not by the bound), or b.
        std::int64_t open = b;
        // What F(k) tells: it reaches p (b and open move down to k), every F
        // up to k is below it (a moves up), or neither (open moves down).
        enum class Seen { reaches, below, unsure, stopped };
        const auto probe = [&](std::int64_t k) {
            double f = 0.0;
            const bool zeros = !holds(k) && table_.zeros_below(k);  // F(j) = +0 for j <= k, without a sum
            if (!zeros) {
                f = value(k);
                if (num::is_nan(f)) return Seen::stopped;
            }
            if (f >= p) {
                b = open = k;
                fb = f;
                return Seen::reaches;
            }
            if (zeros || table_.bound_below(f) < p || (f == 0.0 && table_.zeros_below(k))) {
                a = k;
                fa = f;
                a_kept = false;
                return Seen::below;
            }
            open = k;
            return Seen::unsure;
        };
        // A first probe where the normal approximation puts the answer, then
        // probes stepping away from it, twice as far each time, until the
        // answer is bracketed (the guesses only choose where F is computed).
        if (open - (a + 1) > 1) {
            const double sd = num::sqrt(mass_sd2_);
            const double guess = mean_ + sd * qnorm(p, 0.0, 1.0);
            std::int64_t k = guess > static_cast<double>(a) ? (guess < static_cast<double>(open)
                                                                   ? static_cast<std::int64_t>(guess)
                                                                   : open - 1)
                                                            : a + 1;
            std::int64_t step = sd > 8.0 ? static_cast<std::int64_t>(sd * 0.125) : 1;
            Seen first = Seen::unsure;
            for (;;) {
                if (k <= a || k >= open) break;
                const Seen seen = probe(k);
                if (seen == Seen::stopped) return NaN;
                if (seen == Seen::unsure) break;
                if (first == Seen::unsure) first = seen;
                if (seen != first) break;
                if (seen == Seen::reaches) {
                    k = k - a > step ? k - step : a;
                } else {
                    k = open - k > step ? k + step : open;
                }
                step = step < (std::int64_t{1} << 61) ? step * 2 : step;
            }
        }
        // Bisection of what is left.
        while (open - (a + 1) > 0) {
            if (probe(a + 1 + (open - (a + 1)) / 2) == Seen::stopped) return NaN;
        }
        // Upwards from a + 1 to the answer, b at the latest; F is constant
        // from flat_from() up to n - 1.
        std::vector<double> band;
        std::int64_t k = a + 1;
        num::StopPoll poll(BINOMIAL_STEPS_PER_POLL);
        double group[binomial::LANES];
        std::int64_t group_lo = 0;
        std::int64_t group_hi = -1;  // the values of group_lo .. group_hi are in `group`
        while (k < b) {
            if (poll()) return NaN;
            double f;
            if (holds(k)) {
                f = f_[static_cast<std::size_t>(k - lo_)];
            } else {
                if (k > group_hi) {
                    group_lo = k;
                    group_hi = k + std::min(static_cast<std::int64_t>(binomial::LANES), std::min(b, n_) - k) - 1;
                    if (!f_.empty() && lo_ > k) group_hi = std::min(group_hi, lo_ - 1);
                    if (!table_.cdfs(k, static_cast<std::size_t>(group_hi - k + 1), group, log_gammas_)) return NaN;
                }
                f = group[k - group_lo];
            }
            band.push_back(f);
            if (f >= p) break;
            if (k >= table_.flat_from()) {
                k = n_;
                break;
            }
            ++k;
        }
        if (k == b && b < n_) band.push_back(fb);  // kept too, for later searches
        keep(a + 1, band, a < 0 ? 0.0 : table_.bound_below(fa), a_kept);
        return static_cast<double>(k);
    }

private:
    std::int64_t hi() const { return lo_ + static_cast<std::int64_t>(f_.size()) - 1; }
    bool holds(std::int64_t k) const { return !f_.empty() && k >= lo_ && k <= hi(); }

    // Index of the first kept running maximum >= p (one exists).
    std::int64_t reaching(double p) const {
        return std::lower_bound(max_.begin(), max_.end(), p) - max_.begin();
    }

    double value(std::int64_t k) {
        return holds(k) ? f_[static_cast<std::size_t>(k - lo_)] : table_.cdf(k, log_gammas_);
    }

    // Keeps F(first), F(first + 1), ... (`band`, every F below `first` at
    // most `below`) with the window: joined to it where they meet, or the
    // gap between them filled while the allowance lasts, or in its place.
    void keep(std::int64_t first, const std::vector<double>& band, double below, bool after_window) {
        if (band.empty()) return;
        const std::int64_t old_lo = lo_;
        const std::int64_t last = first + static_cast<std::int64_t>(band.size()) - 1;
        if (f_.empty() || (!after_window && last + 1 < lo_ && !fill(last + 1, lo_ - 1)) ||
            (first > hi() + 1 && !after_window && !fill(hi() + 1, first - 1))) {
            f_.assign(band.begin(), band.end());
            lo_ = first;
            below_ = below;
        } else if (first < lo_) {  // the band and the filled gap go below the window
            std::vector<double> joined(band.begin(), band.end());
            if (last < hi()) joined.insert(joined.end(), f_.begin() + (last + 1 - lo_), f_.end());
            f_.swap(joined);
            lo_ = first;
            below_ = below;
        } else if (last > hi()) {  // above
            f_.insert(f_.end(), band.begin() + (hi() + 1 - first), band.end());
        }
        if (static_cast<std::int64_t>(f_.size()) > BINOMIAL_WINDOW_LIMIT) {
            f_.assign(band.begin(), band.end());
            lo_ = first;
            below_ = below;
        }
        // The running maxima: those of an unchanged start stay.
        std::size_t i = lo_ == old_lo ? std::min(max_.size(), f_.size()) : 0;
        max_.resize(f_.size());
        double m = i == 0 ? f_[0] : max_[i - 1];
        for (; i < f_.size(); ++i) max_[i] = m = std::max(m, f_[i]);
    }

    // Puts F(from .. to) into the window's reach where the allowance covers
    // it: below or above the window, joining it.
    bool fill(std::int64_t from, std::int64_t to) {
        const std::int64_t count = to - from + 1;
        if (count > allowance_) return false;
        std::vector<double> gap(static_cast<std::size_t>(count));
        if (!table_.cdfs(from, gap.size(), gap.data(), log_gammas_)) return false;
        allowance_ -= count;
        if (from < lo_) {
            gap.insert(gap.end(), f_.begin(), f_.end());
            f_.swap(gap);
            lo_ = from;  // below_ is set by the caller, whose band lies below
        } else {
            f_.insert(f_.end(), gap.begin(), gap.end());
        }
        return true;
    }

    BinomialTable table_;
    std::int64_t n_;
    double mean_;      // n prob and n prob (1 - prob): where the first probe goes
    double mass_sd2_;
    std::int64_t lo_ = 0;
    std::vector<double> f_;    // F(lo_), F(lo_ + 1), ...
    std::vector<double> max_;  // their running maxima
    double below_ = 0.0;       // every F(j) with j < lo_ is at most this
    std::int64_t allowance_ = 0;
    density::LogGammas* log_gammas_ = nullptr;  // the current search's
};

}  // namespace detail

// The binomial quantile for fixed n_trials and prob: the least k with
// F(k) >= p, F the distribution function of pbinom.  A call keeps one search
// (its masses and what it has found) for all its points.
class BinomialQuantile {
public:
    // Points often repeat in a call: the element loop keeps their results.
    static constexpr bool memoize_points = true;

    static BinomialQuantile prepare(std::int64_t n, double prob) {
        BinomialQuantile q;
        q.n_ = n;
        q.prob_ = prob;
        q.invalid_ = n < 0 || bad_probability(prob);
        q.mass_ = density::BinomialMass::prepare(n, prob, false);
        return q;
    }

    double at(double p) const { return at(p, nullptr); }

    // The call's table of log-gammas, shared by the preparations of a call
    // whose parameters vary: at(p, shared) is at(p), bit for bit.
    using Shared = density::LogGammas;

    double at(double p, Shared& shared) const { return at(p, &shared); }

private:
    double at(double p, Shared* shared) const {
        if (bad_probability(p) || invalid_) return NaN;
        if (p == 0.0) return 0.0;
        if (p == 1.0) return static_cast<double>(n_);
        if (n_ == 0) return 0.0;                           // F(0) = 1
        if (n_ == 1) return p > 1.0 - prob_ ? 1.0 : 0.0;  // F(0) = 1 - prob, F(1) = 1
        // Below n, F(k) is m_0 for every k when log(prob) is -inf, and +0
        // when log(1 - prob) is (see BinomialCdf).
        if (mass_.log_prob() == -INF) return mass_.at(0) >= p ? 0.0 : static_cast<double>(n_);
        if (mass_.log_fail() == -INF) return static_cast<double>(n_);
        if (!search_) search_ = std::make_unique<detail::BinomialSearch>(mass_, n_, prob_);
        return search_->least(p, shared);
    }

    std::int64_t n_ = 0;
    double prob_ = 0.0;
    bool invalid_ = false;
    density::BinomialMass mass_;
    mutable std::unique_ptr<detail::BinomialSearch> search_;
};

inline double qbinom(double p, std::int64_t n, double prob) { return BinomialQuantile::prepare(n, prob).at(p); }

inline constexpr std::int64_t POISSON_SEARCH_LIMIT = 1000000;
// Each step evaluates the distribution function, some microseconds at most.
inline constexpr std::uint32_t POISSON_STEPS_PER_POLL = 64;
// Distribution function values kept by a call at most (8 MiB); a search
// starting this far (or as far as the kept range is long) from the kept
// values starts the range afresh instead of filling the gap.
inline constexpr std::int64_t POISSON_KEPT_LIMIT = std::int64_t{1} << 20;
inline constexpr std::int64_t POISSON_GAP = 64;

// The Poisson quantile for a fixed rate.  sqrt(rate) and e^-rate are
// computed once, and the F(k) the searches of a call step through are kept,
// in one range of consecutive k: a search that starts near it extends it.
// A block of points (at_block) takes the normal starts of all its points
// together, erfinv's corrections in lock-step (the start is most of a
// point's cost: with the kept range, a repeated point costs little more).
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
        double v;
        if (settle(p, v)) return v;
        return search(p, normal_start() ? qnorm(p, rate_, sqrt_rate_) : NaN);
    }

    void at_block(const double* p, double* out, std::size_t n) const {
        if (normal_start()) NormalQuantile::prepare(rate_, sqrt_rate_).at_block(p, out, n);
        for (std::size_t i = 0; i < n; ++i) {
            double v;
            out[i] = settle(p[i], v) ? v : search(p[i], out[i]);
        }
    }

private:
    // The rows: true with the result in v.
    bool settle(double p, double& v) const {
        if (bad_probability(p) || num::is_nan(rate_) || rate_ < 0.0) return num::answer(v, NaN);
        if (p == 0.0 || rate_ < EPS) return num::answer(v, 0.0);
        if (p == 1.0) return num::answer(v, INF);
        if (rate_ == INF) return num::answer(v, INF);
        return false;
    }

    // Searches start at 0 below this rate, near the normal approximation e
    // (qnorm(p, rate, sqrt(rate))) from it.
    static constexpr double NORMAL_START_FROM = 11.0;
    bool normal_start() const { return rate_ >= NORMAL_START_FROM && rate_ < INF; }

    // The least k with F(k) > p, from the start for p; e is unused for rates
    // below NORMAL_START_FROM.
    double search(double p, double e) const {
        double c;
        std::int64_t k;
        if (rate_ < NORMAL_START_FROM) {
            start_at(0);
            c = cdf(0);
            k = 1;
        } else {
            e = std::max(0.0, e - 3.0);
            if (!(e < 0x1p63)) return NaN;
            k = static_cast<std::int64_t>(e);
            start_at(k);
            c = cdf(k);
        }
        num::StopPoll poll(POISSON_STEPS_PER_POLL);
        std::int64_t steps = 0;
        while (p >= c) {
            // The steps through kept values are a scan of memory, up to the
            // step limit: the same steps, without a call or a poll each.
            if (kept_.holds(k)) {
                const double* f = kept_.at(k);
                const std::int64_t room = std::min(kept_.hi() - k, POISSON_SEARCH_LIMIT - steps);
                std::int64_t j = 0;
                while (j < room && p >= c) c = f[j++];
                k += j;
                steps += j;
                if (!(p >= c)) break;
            }
            if (steps == POISSON_SEARCH_LIMIT || k == std::numeric_limits<std::int64_t>::max()) return NaN;
            if (poll()) return NaN;
            c = cdf(k);
            k = k + 1;
            ++steps;
        }
        return k < 1 ? 0.0 : static_cast<double>(k - 1);
    }

    // Makes the kept range ready for a search from k: joined to it through
    // the gap between, or started afresh at k.
    void start_at(std::int64_t k) const {
        const std::int64_t reach = std::max(kept_.size(), POISSON_GAP);
        if (kept_.size() == 0 || k - kept_.hi() > reach || kept_.lo() - k > reach ||
            kept_.size() + reach > POISSON_KEPT_LIMIT) {
            kept_.reset(k);
            return;
        }
        while (k < kept_.lo() - 1) {
            const std::int64_t below = kept_.lo() - 1;
            *kept_.grow_down(1) = poisson_cdf(below, rate_, exp_neg_rate_);
        }
        while (k > kept_.hi()) {
            const std::int64_t above = kept_.hi();
            *kept_.grow_up(1) = poisson_cdf(above, rate_, exp_neg_rate_);
        }
    }

    // F(k), from the kept range or computed and kept next to it.  Always
    // inlined into the search's steps (clang would call it for every step).
    [[gnu::always_inline]] double cdf(std::int64_t k) const {
        if (kept_.holds(k)) return *kept_.at(k);
        const double c = poisson_cdf(k, rate_, exp_neg_rate_);
        if (kept_.size() < POISSON_KEPT_LIMIT) {
            if (k == kept_.hi()) {
                *kept_.grow_up(1) = c;
            } else if (k == kept_.lo() - 1) {
                *kept_.grow_down(1) = c;
            }
        }
        return c;
    }

    double rate_ = 0.0;
    double exp_neg_rate_ = 0.0;
    double sqrt_rate_ = 0.0;
    mutable KeptRange kept_;
};

inline double qpois(double p, double rate) { return PoissonQuantile::prepare(rate).at(p); }

}  // namespace pradix::cdf_quantile
