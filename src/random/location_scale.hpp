// Uniform, normal, log-normal, Cauchy, Laplace and logistic samplers.
//
// runif(a, b): u (b - a') + a' with a' the neighbour of a toward b and u a
// canonical uniform, so a itself is never returned and u = 1 gives b (up to
// the rounding of the sum).  One output per draw.
// rnorm(mu, sigma): z sigma + mu with z a polar normal; sigma = 0 (either
// sign) is valid and gives mu after the normal's outputs are consumed.
// Infinite parameters pass the checks and go through the arithmetic as is.
// rlnorm(mu, sigma): the module's own exponential of an rnorm draw.
// rcauchy, rlaplace, rlogis: by inversion (draws.hpp).  sigma = +inf passes
// the sampler's check but not the quantile's, so it gives NaN after the
// output is consumed.  rlogis gives -inf for U below 2^-52 and rlaplace
// -inf for U below 1.5 * 2^-54.
//
// Invalid parameters give NaN and leave the engine untouched.
#pragma once

#include <cmath>

#include "../cdf_quantile/quantile_location_scale.hpp"
#include "../num/exp_log.hpp"
#include "draws.hpp"

namespace pradix::random {

inline bool bad_location_scale(double mu, double sigma) {
    return num::is_nan(mu) || num::is_nan(sigma) || sigma < 0.0;
}

inline double runif(double a, double b, Engine& engine) {
    if (num::is_nan(a) || num::is_nan(b) || a >= b) return NaN;
    const double a_next = std::nextafter(a, b);
    const double u = canonical_uniform(engine);
    return u * (b - a_next) + a_next;
}

inline double rnorm(double mu, double sigma, Engine& engine) {
    if (bad_location_scale(mu, sigma)) return NaN;
    const double z = polar_normal(engine);
    return z * sigma + mu;
}

inline double rlnorm(double mu, double sigma, Engine& engine) {
    if (bad_location_scale(mu, sigma)) return NaN;
    return num::exp(rnorm(mu, sigma, engine));
}

inline double rcauchy(double mu, double sigma, Engine& engine) {
    if (bad_location_scale(mu, sigma)) return NaN;
    return cdf_quantile::qcauchy(positive_uniform(engine), mu, sigma);
}

inline double rlaplace(double mu, double sigma, Engine& engine) {
    if (bad_location_scale(mu, sigma)) return NaN;
    return cdf_quantile::qlaplace(positive_uniform(engine), mu, sigma);
}

inline double rlogis(double mu, double sigma, Engine& engine) {
    if (bad_location_scale(mu, sigma)) return NaN;
    return cdf_quantile::qlogis(positive_uniform(engine), mu, sigma);
}

}  // namespace pradix::random
