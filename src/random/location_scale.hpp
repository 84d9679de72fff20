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
// Invalid parameters give NaN and leave the engine untouched.  Each
// sampler is its preparation (draws.hpp) drawn once.
#pragma once

#include <cmath>
#include <cstddef>

#include "../cdf_quantile/quantile_location_scale.hpp"
#include "../num/blocks.hpp"
#include "../num/exp_log.hpp"
#include "draws.hpp"

namespace pradix::random {

inline bool bad_location_scale(double mu, double sigma) {
    return num::is_nan(mu) || num::is_nan(sigma) || sigma < 0.0;
}

struct UniformDraws {
    bool invalid;
    double a_next;  // the neighbour of a toward b
    double width;   // b - a_next

    static UniformDraws prepare(double a, double b) {
        if (num::is_nan(a) || num::is_nan(b) || a >= b) return {true, 0.0, 0.0};
        const double a_next = std::nextafter(a, b);
        return {false, a_next, b - a_next};
    }

    double at(double u) const { return u * width + a_next; }
    double draw(Engine& engine) const { return invalid ? NaN : at(canonical_uniform(engine)); }

    void draw_block(Engine& engine, double* out, std::size_t n) const {
        if (invalid) return fill_nan(out, n);
        canonical_uniforms(engine, out, n);
        for (std::size_t i = 0; i < n; ++i) out[i] = at(out[i]);
    }
};

inline double runif(double a, double b, Engine& engine) { return UniformDraws::prepare(a, b).draw(engine); }

struct NormalDraws {
    bool invalid;
    double mu;
    double sigma;

    static NormalDraws prepare(double mu, double sigma) { return {bad_location_scale(mu, sigma), mu, sigma}; }

    double draw(Engine& engine) const {
        if (invalid) return NaN;
        return at(polar_normal(engine));
    }

    void draw_block(Engine& engine, double* out, std::size_t n) const {
        if (invalid) return fill_nan(out, n);
        polar_normals(engine, out, n);
        for (std::size_t i = 0; i < n; ++i) out[i] = at(out[i]);
    }

    double at(double z) const { return z * sigma + mu; }
};

inline double rnorm(double mu, double sigma, Engine& engine) { return NormalDraws::prepare(mu, sigma).draw(engine); }

// A block draws its normals first, in order, then takes their exponentials
// together.
struct LogNormalDraws {
    NormalDraws normal;

    static LogNormalDraws prepare(double mu, double sigma) { return {NormalDraws::prepare(mu, sigma)}; }

    double draw(Engine& engine) const { return normal.invalid ? NaN : num::exp(normal.draw(engine)); }

    void draw_block(Engine& engine, double* out, std::size_t n) const {
        if (normal.invalid) return fill_nan(out, n);
        double x[num::BLOCK];
        normal.draw_block(engine, x, n);
        num::exp_n(x, out, n);
    }
};

inline double rlnorm(double mu, double sigma, Engine& engine) {
    return LogNormalDraws::prepare(mu, sigma).draw(engine);
}

// The Cauchy quantile at p; a block takes its tangents together.
struct CauchyAt {
    double mu;
    double sigma;
    double at(double p) const { return cdf_quantile::qcauchy(p, mu, sigma); }

    void at_block(const double* p, double* out, std::size_t n) const {
        // (Without the early end, GCC at -O3 takes an empty block's unwritten
        // tangents for a read of uninitialised memory.)
        if (n == 0) return;
        double t[num::BLOCK];
        bool ruled[num::BLOCK];
        for (std::size_t i = 0; i < n; ++i) {
            ruled[i] = cdf_quantile::location_scale_quantile_rules(p[i], mu, sigma, out[i]);
            t[i] = ruled[i] ? 0.0 : cdf_quantile::cauchy_tan_argument(p[i]);
        }
        num::tan_n(t, t, n);
        for (std::size_t i = 0; i < n; ++i) {
            if (!ruled[i]) out[i] = cdf_quantile::cauchy_from_tan(t[i], mu, sigma);
        }
    }
};

struct CauchyDraws : Inversion<CauchyAt> {
    static CauchyDraws prepare(double mu, double sigma) { return {{bad_location_scale(mu, sigma), {mu, sigma}}}; }
};

inline double rcauchy(double mu, double sigma, Engine& engine) { return CauchyDraws::prepare(mu, sigma).draw(engine); }

struct LaplaceDraws : Inversion<cdf_quantile::LaplaceQuantile> {
    static LaplaceDraws prepare(double mu, double sigma) {
        return {{bad_location_scale(mu, sigma), cdf_quantile::LaplaceQuantile::prepare(mu, sigma)}};
    }
};

inline double rlaplace(double mu, double sigma, Engine& engine) {
    return LaplaceDraws::prepare(mu, sigma).draw(engine);
}

struct LogisticDraws : Inversion<cdf_quantile::LogisticQuantile> {
    static LogisticDraws prepare(double mu, double sigma) {
        return {{bad_location_scale(mu, sigma), cdf_quantile::LogisticQuantile::prepare(mu, sigma)}};
    }
};

inline double rlogis(double mu, double sigma, Engine& engine) {
    return LogisticDraws::prepare(mu, sigma).draw(engine);
}

}  // namespace pradix::random
