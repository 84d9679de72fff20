// The masses of one binomial distribution, kept by a call, and the one way
// of summing them.
//
// F(x) = m_x + m_(x-1) + ... + m_0, added from the top, each m_k the mass of
// density::BinomialMass: its log-mass s(k) for a run of points with the
// log-gammas taken in lanes, then exp of each in lanes, which are the bits
// of dbinom.  A table keeps the masses it computes (a range of consecutive
// k, grown either way in runs) on the heap, for the whole call, so that
// every mass is computed once however many sums use it.
//
// Exact early ends.  Write s(k) for the exact value of lchoose(n, k) +
// k lp + (n - k) lq, where lp and lq are the computed log(p) and log(1 - p)
// (finite here: the callers settle the others), s^(k) for the computed
// log-mass and m_k = exp(s^(k)) for the computed mass.
// 1. s rises up to the mode.  s(k) - s(k-1) = ln((n - k + 1) / k) + lp - lq
//    falls as k grows, so s rises on [0, K] as soon as it rises at K, that
//    is when K (1 + e^(lq - lp)) < n + 1.  rising_end is such a K (the
//    margins cover the rounding of e^(lq - lp) and of the quotient);
//    falling_start likewise is a k from which s falls.
// 2. |s^(k) - s(k)| <= delta for every k, where delta = 2^-44 (3 (|lgamma(n
//    + 1)| + n + 1) + (|lp| + |lq|) n) + 2^-40.  Each log-gamma (also through
//    the rounding of its argument above 2^53), their difference and the two
//    products is within a few units in the last place of the largest
//    magnitude involved; delta allows 256 such units of all of them together
//    (the tests measure the error against sums of high precision: below a
//    hundredth of delta).
// 3. num::exp(y) is within a relative 2^-40 of e^y for -700 <= y <= 709, at
//    most 2^-1000 for y < -700, and exactly +0 for y < -720 (tested).
// Hence, for j < k <= rising_end, s^(j) <= s(j) + delta <= s(k) + delta <=
// s^(k) + 2 delta, and m_j <= max(m_k, 2^-1000) e^(2 delta) (1 + 2^-40) /
// (1 - 2^-40), the bound of every mass below k (mass_bound).  Once that
// bound is below half a unit in the last place of the running sum, no mass
// still to come changes the sum (strictly below: a tie could round up), so
// the sum is final: it is the full sum, bit for bit.  Once s^(k) + 2 delta <
// -720, every mass below k is +0 and the sum is final as well; when that
// holds at x itself, F(x) is +0 without a single mass.  Above the mode, for
// k >= falling_start with s^(k) + 2 delta < -720, every mass from k up is +0:
// a sum from x >= k adds +0 until it reaches k - 1, and +0 + m = m, so it is
// the sum from k - 1, and the masses above are never computed.
// For n beyond about 10^13 delta exceeds the range of the bounds and sums
// run over every mass, as defined (the log-gammas of such n keep no digit of
// the masses anyway).
//
// The same bounds give the binomial quantile its certificates: for j <= k,
// F(j) <= Phi F(k) + S (bound_below), with Phi = e^(2 delta) (1 + 2^-40) /
// (1 - 2^-40) (1 + gamma) / (1 - gamma), gamma the relative error of a sum
// of up to n + 1 terms, and S covering the masses below 2^-1000.
//
// The sums poll num::interrupt and give NaN when told to stop.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "../density/discrete.hpp"
#include "../num/blocks.hpp"
#include "../num/interrupt.hpp"
#include "conventions.hpp"
#include "kept_range.hpp"

namespace pradix::cdf_quantile {

namespace binomial {

// Fact 3: exp is +0 below ZERO_LOG, and at most MASS_FLOOR below -700.
inline constexpr double ZERO_LOG = -720.0;
inline constexpr double MASS_FLOOR = 0x1p-1000;
// Relative error allowed to exp between -700 and 709 (fact 3).
inline constexpr double EXP_ERROR = 0x1p-40;
// delta's scale and floor (fact 2).
inline constexpr double LOG_MASS_SCALE = 0x1p-44;
inline constexpr double LOG_MASS_FLOOR = 0x1p-40;
// Relative margin of the computed bounds: it covers exp's error in fact 3,
// (1 + EXP_ERROR) / (1 - EXP_ERROR), the error of the exp that computes a
// bound and the roundings of the bound's own products and quotients.
inline constexpr double MARGIN = 0x1p-36;
static_assert(MARGIN >= 8 * EXP_ERROR, "the margin covers exp's error");

// Masses computed together (one lane run); additions between two checks
// whether a sum is final; masses kept by one table at most (64 MiB).
inline constexpr std::int64_t RUN = 64;
inline constexpr std::int64_t CHECK = 64;
inline constexpr std::int64_t KEPT_LIMIT = std::int64_t{1} << 23;
// A point further than this (or than the kept range is long) from the kept
// masses starts the range afresh instead of filling the gap.
inline constexpr std::int64_t GAP = 4096;
// Sums evaluated side by side by BinomialTable::cdfs.
inline constexpr std::size_t LANES = 16;
// Additions, and runs of masses, between two questions whether to stop.
inline constexpr std::uint32_t CHECKS_PER_POLL = 1024;
inline constexpr std::uint32_t RUNS_PER_POLL = 16;

// True when every y <= bound added to the finite sum >= 0 leaves it
// unchanged: y is below half a unit in its last place (a tie could round
// the sum up, so the comparison is strict).
inline bool beyond_reach(double bound, double sum) { return bound + bound < num::ulp_above(sum); }

}  // namespace binomial

// The masses and distribution function of one Binomial(n, prob) with n >= 2
// and finite log(prob) and log(1 - prob).
class BinomialTable {
public:
    BinomialTable(const density::BinomialMass& mass, std::int64_t n) : mass_(mass), n_(n) {
        using namespace binomial;
        const double nn = mass.trials();
        const double lp = mass.log_prob();
        const double lq = mass.log_fail();
        const double magnitude = 3.0 * (num::abs(mass.lgamma_trials()) + nn + 1.0) + (num::abs(lp) + num::abs(lq)) * nn;
        two_delta_ = 2.0 * (LOG_MASS_SCALE * magnitude + LOG_MASS_FLOOR);
        below_factor_ = num::exp(two_delta_) * (1.0 + MARGIN);
        // Fact 1: s rises at k while k (1 + rho) < n + 1.
        const double rho = num::exp(lq - lp);
        const double n1 = nn + 1.0;
        const double low = n1 / (1.0 + rho * (1.0 + MARGIN)) * (1.0 - MARGIN);
        const double high = n1 / (1.0 + rho * (1.0 - MARGIN)) * (1.0 + MARGIN);
        rising_end_ = (low < nn ? static_cast<std::int64_t>(low) : n_) - 1;
        falling_start_ = high < nn - 2.0 ? static_cast<std::int64_t>(high) + 2 : n_;
        upper_zeros_ = n_;
        // The quantile's certificate (see above); g bounds the relative
        // error of the sums of at most n + 1 terms.
        const double g = n1 * 0x1p-53;
        const double sum_factor = g < 0x1p-4 ? 1.0 + 3.0 * g : num::INF;
        phi_ = below_factor_ * sum_factor * (1.0 + MARGIN);
        slack_ = n1 * 0x1p-998 * std::max(1.0, below_factor_) * (1.0 + MARGIN);
    }

    // The memory the table holds, in bytes.
    std::size_t kept_bytes() const {
        return sizeof(*this) + kept_[0].bytes() + kept_[1].bytes() + scratch_.capacity() * sizeof(double);
    }

    // F(x) for 0 <= x < n; NaN when told to stop.  Masses are computed with
    // the log-gammas of the call's table where one is given.
    double cdf(std::int64_t x, density::LogGammas* log_gammas = nullptr) {
        const Using scope(*this, log_gammas);
        const std::int64_t top = summit(x);
        if (top < 0) return 0.0;
        double sum = 0.0;
        return sum_lanes(&top, &sum, 1) ? sum : NaN;
    }

    // out[i] = cdf(first + i) for i < count (0 <= first, first + count <= n),
    // up to binomial::LANES sums side by side; false when told to stop.
    bool cdfs(std::int64_t first, std::size_t count, double* out, density::LogGammas* log_gammas = nullptr) {
        const Using scope(*this, log_gammas);
        for (std::size_t at = 0; at < count; at += binomial::LANES) {
            const std::size_t m = std::min(binomial::LANES, count - at);
            std::int64_t top[binomial::LANES];
            for (std::size_t i = 0; i < m; ++i) {
                top[i] = summit(first + static_cast<std::int64_t>(at + i));
                out[at + i] = 0.0;
            }
            if (!sum_lanes(top, out + at, m)) return false;
        }
        return true;
    }

    // An upper bound of F(j) for every j <= k, from f = F(k); +inf where the
    // bounds do not reach.
    double bound_below(double f) const { return f * phi_ + slack_; }

    // True when F(j) is +0 for every j <= k (facts 2 and 3 below the mode).
    bool zeros_below(std::int64_t k) const { return k <= rising_end_ && zero_log_mass(k); }

    // The bounds behind the early ends (for tests): delta, and the k up to
    // which s rises and from which it falls.
    double log_mass_error() const { return two_delta_ * 0.5; }
    std::int64_t rising_end() const { return rising_end_; }
    std::int64_t falling_start() const { return falling_start_; }

    // F is constant from this k up to n - 1 (the masses above it are +0);
    // n - 1 where that is not known.
    std::int64_t flat_from() const { return upper_zeros_ - 1; }

private:
    // The log-gammas' table for one entry of the public functions.
    class Using {
    public:
        Using(BinomialTable& table, density::LogGammas* log_gammas) : table_(table) {
            table_.log_gammas_ = log_gammas;
        }
        ~Using() { table_.log_gammas_ = nullptr; }
        Using(const Using&) = delete;
        Using& operator=(const Using&) = delete;

    private:
        BinomialTable& table_;
    };

    // s^(k) + 2 delta < -720: with k on a certified side of the mode, every
    // mass beyond k on that side is +0.
    bool zero_log_mass(std::int64_t k) const { return mass_.log_mass(k) + two_delta_ < binomial::ZERO_LOG; }

    // The highest mass a sum from x must add: x, or the last mass below a
    // run of +0 masses that reaches up to x.
    std::int64_t summit(std::int64_t x) {
        if (x >= upper_zeros_) return upper_zeros_ - 1;
        if (x < falling_start_) return x;
        std::int64_t count = 0;
        if (*(masses_from(x, count) + (count - 1)) != 0.0 || !zero_log_mass(x)) return x;
        // Every mass from x up is +0: find the lowest such certified k.
        std::int64_t zero = x;
        std::int64_t above = falling_start_ - 1;
        while (zero - above > 1) {
            const std::int64_t mid = above + (zero - above) / 2;
            if (zero_log_mass(mid)) {
                zero = mid;
            } else {
                above = mid;
            }
        }
        upper_zeros_ = zero;
        return zero - 1;
    }

    // Every mass below k is at most this (facts 1 to 3), for k <= rising_end.
    double mass_bound(double m_k) const {
        return (m_k > binomial::MASS_FLOOR ? m_k : binomial::MASS_FLOOR) * below_factor_;
    }

    // True when sums that are all at least `least` are final once m_k is
    // added (k <= rising_end).
    bool final_after(std::int64_t k, double m_k, double least) const {
        if (binomial::beyond_reach(mass_bound(m_k), least)) return true;
        return m_k == 0.0 && zero_log_mass(k);
    }

    // The masses m_(k - count + 1) .. m_k at p[0] .. p[count - 1] (count >= 1),
    // for 0 <= k < n: kept ones, or a run computed next to a kept range and
    // kept, or, past the table's limit, a run in scratch memory.  Two ranges
    // are kept (a bulk and a stretch elsewhere, as a search probes); a k far
    // from both starts the one used less recently afresh.
    const double* masses_from(std::int64_t k, std::int64_t& count) {
        using binomial::RUN;
        int use = -1;
        for (int i = 0; i < 2 && use < 0; ++i) {
            if (kept_[i].holds(k)) use = i;
        }
        for (int i = 0; i < 2 && use < 0; ++i) {
            const KeptRange& r = kept_[i];
            const std::int64_t reach = std::max(r.size(), binomial::GAP);
            if (r.size() > 0 && k - r.hi() < reach && r.lo() - k <= reach) use = i;
        }
        if (use < 0) {
            use = 1 - recent_;
            kept_[use].reset(k + 1);
        }
        recent_ = use;
        KeptRange& kept = kept_[use];
        if (!kept.holds(k)) {
            const std::int64_t below = k < kept.lo() ? kept.lo() - std::max(k - RUN + 1, std::int64_t{0}) : 0;
            const std::int64_t above = k >= kept.hi() ? k - kept.hi() + 1 : 0;
            if (kept_[0].size() + kept_[1].size() + below + above <= binomial::KEPT_LIMIT) {
                while (k < kept.lo()) {
                    const std::int64_t run = std::min(RUN, kept.lo());
                    const std::int64_t from = kept.lo() - run;
                    fill(kept.grow_down(static_cast<std::size_t>(run)), from, run);
                }
                while (k >= kept.hi()) {
                    const std::int64_t run = std::min(RUN, k - kept.hi() + 1);
                    const std::int64_t from = kept.hi();
                    fill(kept.grow_up(static_cast<std::size_t>(run)), from, run);
                }
            } else {
                count = std::min(RUN, k + 1);
                scratch_.resize(static_cast<std::size_t>(RUN));
                fill(scratch_.data(), k - count + 1, count);
                return scratch_.data();
            }
        }
        count = k - kept.lo() + 1;
        return kept.at(kept.lo());
    }

    // out[i] = m_(first + i), i < count <= RUN.
    void fill(double* out, std::int64_t first, std::int64_t count) {
        double s[binomial::RUN];
        mass_.log_masses(first, static_cast<std::size_t>(count), s, log_gammas_);
        num::exp_n(s, out, static_cast<std::size_t>(count));
        ++runs_;
    }

    // sum[i] += m_top[i] + m_(top[i] - 1) + ... until final, for the
    // `lanes` sums of the tops given (-1: none); false when told to stop.
    // Masses from the lowest top down are added to every sum at once (the
    // same addition in every lane, so they run side by side); a sum that is
    // final stays so through the further additions.
    bool sum_lanes(const std::int64_t* top, double* sum, std::size_t lanes) {
        using binomial::LANES;
        std::int64_t highest = top[0];
        std::int64_t lowest = top[0];
        for (std::size_t j = 1; j < lanes; ++j) {
            highest = std::max(highest, top[j]);
            lowest = std::min(lowest, top[j]);
        }
        std::int64_t k = highest;
        while (k > lowest) {  // the masses only some sums take
            std::int64_t count = 0;
            const double* m = masses_from(k, count);
            for (std::int64_t i = count - 1; i >= 0 && k > lowest; --i, --k) {
                for (std::size_t j = 0; j < lanes; ++j) {
                    if (top[j] >= k) sum[j] = sum[j] + m[i];
                }
            }
        }
        return lanes == 1 ? sum_together<1>(k, sum, 1) : sum_together<LANES>(k, sum, lanes);
    }

    // The rest of sum_lanes: m_k, m_(k-1), ... added to every sum.  Width
    // accumulators are updated for every mass (a fixed width the compiler
    // can keep in registers), the first `lanes` of them being the sums.
    template <std::size_t Width>
    bool sum_together(std::int64_t k, double* sum, std::size_t lanes) {
        double acc[Width];
        for (std::size_t j = 0; j < Width; ++j) acc[j] = j < lanes ? sum[j] : 0.0;
        const auto keep = [&](bool done) {
            for (std::size_t j = 0; j < lanes && j < Width; ++j) sum[j] = acc[j];
            return done;
        };
        num::StopPoll poll(binomial::CHECKS_PER_POLL);
        while (k >= 0) {
            std::int64_t count = 0;
            const double* m = masses_from(k, count);  // m[count - 1] is m_k
            if (runs_ >= binomial::RUNS_PER_POLL) {
                runs_ = 0;
                if (num::interrupt::check()) return keep(false);
            }
            for (std::int64_t end = count; end > 0;) {
                const std::int64_t begin = end > binomial::CHECK ? end - binomial::CHECK : 0;
                for (std::int64_t i = end - 1; i >= begin; --i) {
                    const double mi = m[i];
                    for (std::size_t j = 0; j < Width; ++j) acc[j] = acc[j] + mi;
                }
                end = begin;
                const std::int64_t last = k - (count - 1) + begin;  // the index of m[begin]
                if (last <= rising_end_) {
                    double least = acc[0];
                    for (std::size_t j = 1; j < lanes && j < Width; ++j) least = std::min(least, acc[j]);
                    if (final_after(last, m[begin], least)) return keep(true);
                }
                if (poll()) return keep(false);
            }
            k -= count;
        }
        return keep(true);
    }

    density::BinomialMass mass_;
    std::int64_t n_;
    double two_delta_ = 0.0;
    double below_factor_ = 0.0;
    std::int64_t rising_end_ = -1;
    std::int64_t falling_start_ = 0;
    std::int64_t upper_zeros_ = 0;  // every mass from here up is +0 (n: none known)
    double phi_ = 0.0;
    double slack_ = 0.0;
    std::uint32_t runs_ = 0;  // runs of masses computed since the last poll
    KeptRange kept_[2];
    int recent_ = 0;  // the range used last
    std::vector<double> scratch_;
    density::LogGammas* log_gammas_ = nullptr;  // during a public call
};

}  // namespace pradix::cdf_quantile
