// Bernoulli, binomial and Poisson probability masses.
//
// Points and the number of trials are signed 64-bit integers; they enter the
// floating formulas through exact conversion to double.
//
// dbern is computed as a mass (p at 1, 1 - p at 0) and logged when asked.
// dbinom settles n = 0 and hands n = 1 to dbern; the end points k = 0 and
// k = n need no log-gamma: n log(1 - p) and n log(p).  Inside, the
// log-mass is lchoose(n, k) + k log(p) + (n - k) log(1 - p), in that order.
// dpois uses k log(lambda) - lambda - lgamma(k + 1).  Both are prepared for
// fixed parameters (BinomialMass, PoissonMass): the parameter-only terms are
// computed once, and the kernels are those preparations evaluated at x.
// The binomial masses of a run of consecutive points, which the binomial
// sums take (cdf_quantile/binomial_table.hpp), come from the same formula
// with their log-gammas taken in lanes, or from a call's table of them
// (log_gammas.hpp).
//
// Open points and the choices made:
// - dpois(0, lambda) with 0 < lambda < 2^-52: num::log(lambda) is -inf and
//   the exponent k is 0; that product is taken as 0 (log_power), so the mass
//   is 1, continuing dpois(0, 0) = 1.
// - dpois at the largest int64 point: k + 1 is formed without overflow
//   (in unsigned arithmetic, where it is exact) before its conversion.
//
// Measured against SciPy: binomial with n up to 5000 within 1.9e-11
// relative (log-mass 4.9e-12), Poisson with rates up to 2000 within 1.5e-11
// (log-mass 7.7e-13).  The error follows the size of the log-gamma terms
// that cancel; the Bernoulli mass is exact.
#pragma once

#include <cstddef>
#include <cstdint>

#include "../num/blocks.hpp"
#include "../num/column.hpp"
#include "../num/log_gamma.hpp"
#include "conventions.hpp"
#include "log_gammas.hpp"

namespace pradix::density {

inline double dbern(std::int64_t x, double prob, bool log) {
    if (num::bad_probability(prob)) return NaN;
    const double v = x == 1 ? prob : (x == 0 ? 1.0 - prob : 0.0);
    return logged(v, log);
}

// The binomial mass for fixed n_trials and prob: the probability's
// logarithms and log((double)n + 1)'s log-gamma, the parameter-only terms of
// lchoose(n, k) + k log(p) + (n - k) log(1 - p), are computed once.
//
// log_mass(x) is the log-mass s of every regular row (n >= 2, 0 <= x <= n),
// from which at(x) returns s or exp(s); log_masses gives it for a run of
// consecutive points with the log-gammas of the run taken in lanes, and
// interior_log_mass is the one formula both use inside the support.
// Masses whose log-gammas are taken together (a few KiB of stack).
inline constexpr std::size_t MASS_PIECE = 64;

namespace detail {

// Log-masses s[0 .. m) of the points at out[at[j]], written there as s, or
// exp(s) for those not in log mode (the exponentials in lanes).
inline void from_logs(const double* s, const std::uint16_t* at, const bool* log, std::size_t m, double* out) {
    double e[num::BLOCK];
    std::uint16_t where[num::BLOCK];
    std::size_t c = 0;
    for (std::size_t j = 0; j < m; ++j) {
        if (log[j]) {
            out[at[j]] = s[j];
        } else {
            where[c] = at[j];
            e[c++] = s[j];
        }
    }
    num::exp_n(e, e, c);
    for (std::size_t j = 0; j < c; ++j) out[where[j]] = e[j];
}

}  // namespace detail

class BinomialMass {
public:
    // Points often repeat in a call: the element loop keeps their results.
    static constexpr bool memoize_points = true;

    static BinomialMass prepare(std::int64_t n_trials, double prob, bool log) {
        BinomialMass b = prepare_from(n_trials, prob, log);
        b.log_prob_ = num::log(prob);
        b.log_fail_ = num::log(1.0 - prob);
        b.lgamma_n1_ = num::lgamma(b.nn_ + 1.0);
        return b;
    }
    // Many at once: out[i] = prepare(n_trials[i], prob[i], log[i]), the
    // logarithms and log-gammas in lanes.
    static void prepare_n(BinomialMass* out, std::size_t n, const std::int64_t* n_trials, const double* prob,
                          const bool* log) {
        double lp[num::BLOCK];
        double lq[num::BLOCK];
        double lg[num::BLOCK];
        for (std::size_t i = 0; i < n; ++i) {
            out[i] = prepare_from(n_trials[i], prob[i], log[i]);
            lq[i] = 1.0 - prob[i];
            lg[i] = out[i].nn_ + 1.0;
        }
        num::log_column(prob, lp, n);
        num::log_column(lq, lq, n);
        num::lgamma_column(lg, lg, n);
        for (std::size_t i = 0; i < n; ++i) {
            out[i].log_prob_ = lp[i];
            out[i].log_fail_ = lq[i];
            out[i].lgamma_n1_ = lg[i];
        }
    }

    double at(std::int64_t x) const {
        if (invalid_) return NaN;
        if (x < 0 || x > n_) return zero(log_);
        if (n_ == 0) return logged(1.0, log_);
        if (n_ == 1) return dbern(x, prob_, log_);
        return from_log(log_mass(x), log_);
    }

    // The call's table of log-gammas, shared by the preparations of a call
    // whose parameters vary: at(x, shared) is at(x), bit for bit.
    using Shared = LogGammas;

    double at(std::int64_t x, Shared& shared) const {
        if (invalid_ || x <= 0 || x >= n_ || n_ < 2) return at(x);
        double s;
        log_masses(x, 1, &s, &shared);
        return from_log(s, log_);
    }

    // A block of points, each under its own preparation: the interior
    // points' log-gammas from the call's table where it has them (as in
    // log_masses), the others and the exponentials in lanes; the other
    // points as at(x).
    template <class Preps>
    static void at_points(const Preps& prep, const std::int64_t* x, double* out, std::size_t n,
                          LogGammas* table = nullptr) {
        double args[2 * num::BLOCK];  // upper and lower arguments of the points not in the table
        std::uint16_t computed[num::BLOCK];
        double lg[2 * num::BLOCK];    // the log-gammas of each interior point
        std::uint16_t at[num::BLOCK];
        bool log[num::BLOCK];
        std::size_t m = 0;
        std::size_t c = 0;
        for (std::size_t i = 0; i < n; ++i) {
            const BinomialMass& b = prep(i);
            if (b.invalid_ || x[i] <= 0 || x[i] >= b.n_ || b.n_ < 2) {
                out[i] = b.at(x[i]);
                continue;
            }
            if (table != nullptr && b.n_ < TABLE_BELOW && LogGammas::covers(b.n_ - x[i] + 1, 1) &&
                LogGammas::covers(x[i] + 1, 1)) {
                table->get(b.n_ - x[i] + 1, 1, &lg[2 * m]);
                table->get(x[i] + 1, 1, &lg[2 * m + 1]);
            } else {
                b.lgamma_arguments(x[i], args[2 * c], args[2 * c + 1]);
                computed[c++] = static_cast<std::uint16_t>(m);
            }
            at[m] = static_cast<std::uint16_t>(i);
            log[m++] = b.log_;
        }
        double got[2 * num::BLOCK];
        num::lgamma_n(args, got, 2 * c);
        for (std::size_t j = 0; j < c; ++j) {
            lg[2 * computed[j]] = got[2 * j];
            lg[2 * computed[j] + 1] = got[2 * j + 1];
        }
        double s[num::BLOCK];
        for (std::size_t j = 0; j < m; ++j) s[j] = prep(at[j]).interior_log_mass(x[at[j]], lg[2 * j], lg[2 * j + 1]);
        detail::from_logs(s, at, log, m, out);
    }

    // The log-mass s for n >= 2 and 0 <= x <= n: n log(1 - p) at 0,
    // x log(p) at n, and interior_log_mass between.
    double log_mass(std::int64_t x) const {
        if (x == 0) return log_fail_ * nn_;
        if (x == n_) return log_prob_ * static_cast<double>(x);
        double upper;
        double lower;
        lgamma_arguments(x, upper, lower);
        return interior_log_mass(x, num::lgamma(upper), num::lgamma(lower));
    }

    // out[i] = log_mass(first + i) bit for bit, for n >= 2 and
    // 0 <= first <= first + count - 1 <= n.  The log-gammas come from the
    // call's table where it has them (n below 2^53, where their arguments
    // are the integers n - k + 1 and k + 1), else are taken in lanes.
    void log_masses(std::int64_t first, std::size_t count, double* out, LogGammas* table = nullptr) const {
        num::by_pieces<MASS_PIECE>(count, [&](std::size_t at, std::size_t m) {
            const std::int64_t from = first + static_cast<std::int64_t>(at);
            const auto span = static_cast<std::int64_t>(m);
            double upper[MASS_PIECE];  // of from + i: lgamma((n - k) + 1), in descending k
            double lower[MASS_PIECE];  // lgamma(k + 1)
            if (table != nullptr && n_ < TABLE_BELOW && LogGammas::covers(n_ - from - span + 2, span) &&
                LogGammas::covers(from + 1, span)) {
                table->get(n_ - from - span + 2, span, upper);
                table->get(from + 1, span, lower);
                for (std::size_t i = 0; i < m; ++i) {
                    const std::int64_t x = from + static_cast<std::int64_t>(i);
                    out[at + i] = (x == 0 || x == n_) ? log_mass(x) : interior_log_mass(x, upper[m - 1 - i], lower[i]);
                }
                return;
            }
            double args[2 * MASS_PIECE];  // upper and lower argument of each point
            double lg[2 * MASS_PIECE];
            for (std::size_t i = 0; i < m; ++i) {
                const std::int64_t x = from + static_cast<std::int64_t>(i);
                // the ends have no log-gamma; 2 stands in (its value is unused)
                if (x == 0 || x == n_) {
                    args[2 * i] = 2.0;
                    args[2 * i + 1] = 2.0;
                } else {
                    lgamma_arguments(x, args[2 * i], args[2 * i + 1]);
                }
            }
            num::lgamma_n(args, lg, 2 * m);
            for (std::size_t i = 0; i < m; ++i) {
                const std::int64_t x = from + static_cast<std::int64_t>(i);
                out[at + i] = (x == 0 || x == n_) ? log_mass(x) : interior_log_mass(x, lg[2 * i], lg[2 * i + 1]);
            }
        });
    }

    // The parameter-only terms, for bounds on the log-masses' rounding.
    double trials() const { return nn_; }
    double log_prob() const { return log_prob_; }
    double log_fail() const { return log_fail_; }
    double lgamma_trials() const { return lgamma_n1_; }

private:
    // Below this n, (n - x) + 1 and x + 1 are exact integers.
    static constexpr std::int64_t TABLE_BELOW = std::int64_t{1} << 53;

    // Everything but the logarithms and the log-gamma.
    static BinomialMass prepare_from(std::int64_t n_trials, double prob, bool log) {
        BinomialMass b;
        b.n_ = n_trials;
        b.prob_ = prob;
        b.log_ = log;
        b.invalid_ = num::bad_probability(prob) || n_trials < 0;
        b.nn_ = static_cast<double>(n_trials);
        return b;
    }

    // (n - x) + 1 and x + 1, as lchoose(n, x) forms them.
    void lgamma_arguments(std::int64_t x, double& upper, double& lower) const {
        const double k = static_cast<double>(x);
        upper = (nn_ - k) + 1.0;
        lower = k + 1.0;
    }

    // lchoose(n, x) + x log(p) + (n - x) log(1 - p) for 0 < x < n, from the
    // log-gammas of lchoose's arguments (lgamma(n + 1) is the preparation's).
    double interior_log_mass(std::int64_t x, double lgamma_upper, double lgamma_lower) const {
        const double k = static_cast<double>(x);
        const double m = static_cast<double>(n_ - x);
        const double lchoose = lgamma_n1_ - (lgamma_upper + lgamma_lower);
        return (lchoose + log_prob_ * k) + log_fail_ * m;
    }

    std::int64_t n_ = 0;
    double prob_ = 0.0;
    bool log_ = false;
    bool invalid_ = false;
    double nn_ = 0.0;
    double log_prob_ = 0.0;
    double log_fail_ = 0.0;
    double lgamma_n1_ = 0.0;
};

inline double dbinom(std::int64_t x, std::int64_t n_trials, double prob, bool log) {
    return BinomialMass::prepare(n_trials, prob, log).at(x);
}

// The Poisson mass for a fixed rate, with log(rate) computed once.
class PoissonMass {
public:
    // Points often repeat in a call: the element loop keeps their results.
    static constexpr bool memoize_points = true;

    static PoissonMass prepare(double rate, bool log) { return prepare_from(rate, log, num::log(rate)); }
    static PoissonMass prepare_from(double rate, bool log, double log_rate) {
        PoissonMass m;
        m.rate_ = rate;
        m.log_ = log;
        m.log_rate_ = log_rate;
        return m;
    }
    // Many at once, the logarithms in lanes.
    static void prepare_n(PoissonMass* out, std::size_t n, const double* rate, const bool* log) {
        double lr[num::BLOCK];
        num::log_column(rate, lr, n);
        for (std::size_t i = 0; i < n; ++i) out[i] = prepare_from(rate[i], log[i], lr[i]);
    }

    double at(std::int64_t x) const {
        if (!regular(x)) return row(x);
        return from_log(log_mass(x, num::lgamma(lgamma_argument(x))), log_);
    }

    // The call's table of log-gammas, shared by the preparations of a call
    // whose rates vary: lgamma(x + 1) of a small count is the table's value
    // (num::lgamma's bits), so at(x, shared) is at(x), bit for bit.
    using Shared = LogGammas;

    double at(std::int64_t x, Shared& shared) const {
        if (!regular(x) || !in_table(x)) return at(x);
        double lg;
        shared.get(x + 1, 1, &lg);
        return from_log(log_mass(x, lg), log_);
    }

    // A block of points, each under its own preparation: the regular
    // points' log-gammas from the call's table where it has them, the others
    // and the exponentials in lanes; the rows as at(x).
    template <class Preps>
    static void at_points(const Preps& prep, const std::int64_t* x, double* out, std::size_t n,
                          LogGammas* table = nullptr) {
        double j1[num::BLOCK];  // x + 1 of each regular point not in the table
        std::uint16_t computed[num::BLOCK];
        double s[num::BLOCK];   // the log-gamma, then the log-mass, of each regular point
        std::uint16_t at[num::BLOCK];
        bool log[num::BLOCK];
        std::size_t m = 0;
        std::size_t c = 0;
        for (std::size_t i = 0; i < n; ++i) {
            const PoissonMass& p = prep(i);
            if (!p.regular(x[i])) {
                out[i] = p.row(x[i]);
                continue;
            }
            if (table != nullptr && in_table(x[i])) {
                table->get(x[i] + 1, 1, &s[m]);
            } else {
                j1[c] = lgamma_argument(x[i]);
                computed[c++] = static_cast<std::uint16_t>(m);
            }
            at[m] = static_cast<std::uint16_t>(i);
            log[m++] = p.log_;
        }
        double got[num::BLOCK];
        num::lgamma_n(j1, got, c);
        for (std::size_t j = 0; j < c; ++j) s[computed[j]] = got[j];
        for (std::size_t j = 0; j < m; ++j) s[j] = prep(at[j]).log_mass(x[at[j]], s[j]);
        detail::from_logs(s, at, log, m, out);
    }

private:
    // A finite rate > 0 and x >= 0: the formula; otherwise the rows.
    bool regular(std::int64_t x) const { return rate_ > 0.0 && rate_ != INF && x >= 0; }
    double row(std::int64_t x) const {
        if (num::is_nan(rate_) || rate_ < 0.0) return NaN;
        if (x < 0) return zero(log_);
        if (rate_ == 0.0) return x == 0 ? logged(1.0, log_) : zero(log_);
        return zero(log_);  // rate = +inf
    }
    // lgamma(x + 1) of a regular point is in the call's table (x + 1 is
    // formed only for such x: x may be the largest int64).
    static bool in_table(std::int64_t x) { return x <= LogGammas::LIMIT - 2 && LogGammas::covers(x + 1, 1); }
    // x + 1, formed in unsigned arithmetic (exact) before its conversion.
    static double lgamma_argument(std::int64_t x) {
        return static_cast<double>(static_cast<std::uint64_t>(x) + 1u);
    }
    // k log(rate) - rate - lgamma(k + 1), given that log-gamma.
    double log_mass(std::int64_t x, double lgamma_j) const {
        const double k = static_cast<double>(x);
        return (log_power(log_rate_, k) - rate_) - lgamma_j;
    }

    double rate_ = 0.0;
    bool log_ = false;
    double log_rate_ = 0.0;
};

inline double dpois(std::int64_t x, double rate, bool log) { return PoissonMass::prepare(rate, log).at(x); }

}  // namespace pradix::density
