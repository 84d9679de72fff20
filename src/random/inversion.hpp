// Samplers by inversion, and the Bernoulli and binomial samplers.
//
// Each inversion sampler draws one positive uniform U in [2^-1074, 1] and
// returns the distribution's quantile at U, through the very quantile
// kernels of the quantile family.  U is never 0, so the lower end point is
// never returned; U = 1 (one output in 2^54) gives the quantile at 1, +inf
// for unbounded distributions.  A parameter that passes the sampler's own
// check but not the quantile's (sigma = +inf for Cauchy, Laplace, logistic)
// gives NaN after the output is consumed.  So does rpois where the Poisson
// search cannot end (rates of about 2^63 and above, or U below about 5e-17
// with a rate above about 3e6), while rpois(+inf) and rexp(0) return +inf,
// still consuming their output.
//
// The tails are as coarse as the module's logarithm, which is -inf below
// 2^-52 and 0 within 2^-52 of 1: rexp and rweibull give +inf at
// U = 1 - 2^-53 as at U = 1, rexp gives -0.0 for U below 2^-52, rlogis
// -inf for U below 2^-52 and rlaplace -inf for U below 1.5 * 2^-54.
//
// rbern(prob) is 1 when prob >= U; rbinom(n, prob) counts n such trials, so
// its cost and the outputs it consumes are linear in n.  Its trials poll
// num::interrupt: told to stop, it returns NaN, keeping the outputs consumed.
#pragma once

#include <cstdint>

#include "../cdf_quantile/quantile_discrete.hpp"
#include "../cdf_quantile/quantile_gamma_family.hpp"
#include "../cdf_quantile/quantile_location_scale.hpp"
#include "../num/interrupt.hpp"
#include "draws.hpp"

namespace sampling {

inline bool bad_bernoulli(double prob) {
    return num::is_nan(prob) || num::is_inf(prob) || prob < 0.0 || prob > 1.0;
}

inline bool bad_location_scale(double mu, double sigma) {
    return num::is_nan(mu) || num::is_nan(sigma) || sigma < 0.0;
}

inline double rbern(double prob, Engine& engine) {
    if (bad_bernoulli(prob)) return NaN;
    return prob >= positive_uniform(engine) ? 1.0 : 0.0;
}

// Trials between two questions whether to stop (a few hundred microseconds).
inline constexpr std::int64_t BINOMIAL_TRIALS_PER_POLL = 65536;

inline double rbinom(std::int64_t n_trials, double prob, Engine& engine) {
    if (bad_bernoulli(prob) || n_trials < 0) return NaN;
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

inline double rcauchy(double mu, double sigma, Engine& engine) {
    if (bad_location_scale(mu, sigma)) return NaN;
    return cdf::qcauchy(positive_uniform(engine), mu, sigma);
}

inline double rexp(double rate, Engine& engine) {
    if (num::is_nan(rate) || rate < 0.0) return NaN;
    return cdf::qexp(positive_uniform(engine), rate);
}

inline double rlaplace(double mu, double sigma, Engine& engine) {
    if (bad_location_scale(mu, sigma)) return NaN;
    return cdf::qlaplace(positive_uniform(engine), mu, sigma);
}

inline double rlogis(double mu, double sigma, Engine& engine) {
    if (bad_location_scale(mu, sigma)) return NaN;
    return cdf::qlogis(positive_uniform(engine), mu, sigma);
}

inline double rpois(double rate, Engine& engine) {
    if (num::is_nan(rate) || rate < 0.0) return NaN;
    return cdf::qpois(positive_uniform(engine), rate);
}

inline double rweibull(double shape, double scale, Engine& engine) {
    if (num::is_nan(shape) || num::is_nan(scale) || shape < num::EPS || scale < num::EPS) return NaN;
    return cdf::qweibull(positive_uniform(engine), shape, scale);
}

}  // namespace sampling
