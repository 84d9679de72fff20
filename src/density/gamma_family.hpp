// Chi-squared, exponential, gamma, inverse-gamma and Weibull densities.
//
// Each kernel tests validity (NaN, parameter domain), then the support
// (x < 0 is outside), then its special values in a fixed order: the point
// x = 0, degenerate shapes (0) and infinite points or parameters.  Only then
// does it evaluate the log-density s from num::log and num::lgamma, in the
// order written below, and return s or num::exp(s).
//
// Open points and the choices made:
// - A power of x (of x / scale for Weibull) with an exponent of exactly 0
//   at a point below 2^-52, where num::log gives -inf, is taken as 1
//   (log_power): dgamma(1e-300, 1, 2) = 0.5 and dchisq(1e-300, 2) = 0.5,
//   continuing dgamma(0, 1, theta) = 1/theta and dchisq(0, 2) = 0.5; Weibull
//   with shape 1 gives 1/scale at x = 0 the same way.  Where x / scale
//   overflows to +inf the Weibull formula meets inf - inf for shapes >= 1
//   and gives NaN (shape 1 included: only a logarithm of -inf is special).
// - dchisq with dof = 0 is 0 (log: -inf) at every x > 0.  The formula gives
//   this through lgamma(0) = +inf, except below 2^-52 where log(x) = -inf
//   would meet it as inf - inf; the explicit row covers those points too.
// - Tiny positive parameters are not special: a rate or scale below 2^-52
//   has a logarithm of -inf, and a shape below 2^-52 a log-gamma of +inf,
//   with whatever the formula then makes of them.
//
// Measured against SciPy (shapes 0.3 to 55, scales 0.1 to 3.5, dof up to
// 150, points at the 1e-4 to 1 - 1e-4 quantiles): relative error of the
// density at most 1.4e-13, error of the log-density 9e-14 relative to
// max(1, |s|).  It grows with the log-gamma and logarithm terms that cancel
// in s, so with the shape; the exponential is within 2e-15.
#pragma once

#include <cstddef>
#include <cstdint>

#include "../num/column.hpp"
#include "../num/log_gamma.hpp"
#include "block_form.hpp"
#include "conventions.hpp"

namespace pradix::density {

// Each density below is split into a preparation (validity, the rows that
// depend on the parameters alone, and the parameter-only terms of the
// formula) and its evaluation at a point; the kernel is the evaluation of its
// own preparation, so an array of points under fixed parameters gives the
// same bits as point-by-point calls.  A parameter-only row that follows a row
// on x is recorded by the preparation and tested by `at` in its place.
// The evaluation is written once as rules (settle), the arguments of its
// logarithms and the log-density from them (block_form.hpp), a staged kernel
// that `at` runs point by point and `at_block` for a block of points at once.

struct ChisqDensity : LogDensityForm<ChisqDensity> {
    bool invalid;   // NaN or negative dof
    double at_zero;  // the row at x = 0, logged
    bool zero_mass;  // dof = +inf (with x = +inf), then dof = 0
    double e;       // h - 1
    double c;       // -lgamma(h) - h ln 2
    bool log;

    static ChisqDensity prepare(double dof, bool log) {
        ChisqDensity d{};
        d.log = log;
        d.invalid = num::is_nan(dof) || dof < 0.0;
        if (d.invalid) return d;
        d.at_zero = logged(dof < 2.0 ? INF : (dof == 2.0 ? 0.5 : 0.0), log);
        d.zero_mass = dof == INF || dof == 0.0;
        if (d.zero_mass) return d;
        const double h = dof * 0.5;
        d.e = h - 1.0;
        d.c = -num::lgamma(h) - h * num::LN2;
        return d;
    }

    bool settle(double x, double& v) const {
        if (invalid || num::is_nan(x)) return answer(v, NaN);
        if (x < 0.0) return answer(v, zero(log));
        if (x == 0.0) return answer(v, at_zero);
        if (x == INF || zero_mass) return answer(v, zero(log));
        return false;
    }
    static constexpr int LOGS = 1;
    static double log_argument(double x, int) { return x; }
    double exponent(double x, double lx, double) const { return (log_power(lx, e) + c) - x * 0.5; }
};

inline double dchisq(double x, double dof, bool log) { return ChisqDensity::prepare(dof, log).at(x); }

struct ExpDensity : LogDensityForm<ExpDensity> {
    bool invalid;  // NaN, negative or infinite rate
    bool positive;  // rate > 0
    double rate;
    double log_rate;
    bool log;

    static ExpDensity prepare(double rate, bool log) {
        ExpDensity d{};
        d.log = log;
        d.invalid = num::is_nan(rate) || rate < 0.0 || rate == INF;
        if (d.invalid) return d;
        d.positive = rate > 0.0;
        d.rate = rate;
        d.log_rate = num::log(rate);
        return d;
    }

    bool settle(double x, double& v) const {
        if (invalid || num::is_nan(x)) return answer(v, NaN);
        if (x < 0.0) return answer(v, zero(log));
        if (x == INF) return answer(v, positive ? zero(log) : NaN);
        return false;
    }
    static constexpr int LOGS = 0;
    static double log_argument(double, int) { return 0.0; }
    double exponent(double x, double, double) const { return log_rate - x * rate; }
};

inline double dexp(double x, double rate, bool log) { return ExpDensity::prepare(rate, log).at(x); }

struct GammaDensity : LogDensityForm<GammaDensity> {
    bool invalid;    // NaN, negative shape, scale below EPS
    double at_zero;  // the row at x = 0, logged
    bool no_shape;   // shape = 0
    bool infinite;   // shape or scale +inf
    double scale;
    double c;  // -lgamma(shape) - log(scale) shape
    double e;  // shape - 1
    bool log;

    static GammaDensity prepare(double shape, double scale, bool log) {
        return prepare_from(shape, scale, log, num::lgamma(shape), num::log(scale));
    }
    // With lgamma(shape) and log(scale) given (for preparations of many
    // parameter sets, whose log-gammas and logarithms can be taken together).
    static GammaDensity prepare_from(double shape, double scale, bool log, double lgamma_shape, double log_scale) {
        GammaDensity d{};
        d.log = log;
        d.invalid = num::any_nan(shape, scale) || shape < 0.0 || scale < num::EPS;
        if (d.invalid) return d;
        d.at_zero = logged(shape < 1.0 ? INF : (shape == 1.0 ? 1.0 / scale : 0.0), log);
        d.no_shape = shape == 0.0;
        d.infinite = shape == INF || scale == INF;
        if (d.no_shape || d.infinite) return d;
        d.scale = scale;
        d.c = -lgamma_shape - log_scale * shape;
        d.e = shape - 1.0;
        return d;
    }
    static void prepare_n(GammaDensity* out, std::size_t n, const double* shape, const double* scale,
                          const bool* log) {
        double lg[num::BLOCK];
        double ls[num::BLOCK];
        num::lgamma_column(shape, lg, n);
        num::log_column(scale, ls, n);
        for (std::size_t i = 0; i < n; ++i) out[i] = prepare_from(shape[i], scale[i], log[i], lg[i], ls[i]);
    }

    bool settle(double x, double& v) const {
        if (invalid || num::is_nan(x)) return answer(v, NaN);
        if (x < 0.0) return answer(v, zero(log));
        if (x == 0.0) return answer(v, at_zero);
        if (no_shape) return answer(v, logged(0.0, log));
        if (x == INF || infinite) return answer(v, zero(log));
        return false;
    }
    static constexpr int LOGS = 1;
    static double log_argument(double x, int) { return x; }
    double exponent(double x, double lx, double) const { return (c + log_power(lx, e)) - x / scale; }
};

inline double dgamma(double x, double shape, double scale, bool log) {
    return GammaDensity::prepare(shape, scale, log).at(x);
}

struct InvGammaDensity : LogDensityForm<InvGammaDensity> {
    bool invalid;    // NaN, negative shape or scale
    double at_zero;  // the row at x = 0, logged
    bool no_shape;   // shape = 0
    bool no_scale;   // scale = 0
    bool infinite;   // shape or scale +inf
    double scale;
    double c;  // log(scale) shape - lgamma(shape)
    double e;  // -shape - 1
    bool log;

    static InvGammaDensity prepare(double shape, double scale, bool log) {
        InvGammaDensity d{};
        d.log = log;
        d.invalid = num::any_nan(shape, scale) || shape < 0.0 || scale < 0.0;
        if (d.invalid) return d;
        d.at_zero = logged(shape != 0.0 && scale == 0.0 ? INF : 0.0, log);
        d.no_shape = shape == 0.0;
        d.no_scale = scale == 0.0;
        d.infinite = shape == INF || scale == INF;
        if (d.no_shape || d.no_scale || d.infinite) return d;
        d.scale = scale;
        d.c = num::log(scale) * shape - num::lgamma(shape);
        // The exponent -shape - 1 is at most -1, never 0.
        d.e = -shape - 1.0;
        return d;
    }

    bool settle(double x, double& v) const {
        if (invalid || num::is_nan(x)) return answer(v, NaN);
        if (x < 0.0) return answer(v, zero(log));
        if (x == 0.0) return answer(v, at_zero);
        if (no_shape) return answer(v, INF);
        if (no_scale) return answer(v, zero(log));
        if (x == INF || infinite) return answer(v, zero(log));
        return false;
    }
    static constexpr int LOGS = 1;
    static double log_argument(double x, int) { return x; }
    double exponent(double x, double lx, double) const { return (c + lx * e) - scale / x; }
};

inline double dinvgamma(double x, double shape, double scale, bool log) {
    return InvGammaDensity::prepare(shape, scale, log).at(x);
}

struct WeibullDensity : num::staged::Entries<WeibullDensity> {
    bool invalid;  // NaN, shape or scale below EPS
    bool pole;     // shape < 1: +inf at x = 0
    double shape;
    double scale;
    double a;  // log(shape / scale)
    double e;  // shape - 1
    bool log;

    static WeibullDensity prepare(double shape, double scale, bool log) {
        WeibullDensity d{};
        d.log = log;
        d.invalid = num::any_nan(shape, scale) || shape < num::EPS || scale < num::EPS;
        if (d.invalid) return d;
        d.pole = shape < 1.0;
        d.shape = shape;
        d.scale = scale;
        d.a = num::log(shape / scale);
        d.e = shape - 1.0;
        return d;
    }

    bool settle(double x, double& v) const {
        if (invalid || num::is_nan(x)) return answer(v, NaN);
        if (x < 0.0) return answer(v, zero(log));
        if (x == 0.0 && pole) return answer(v, INF);
        if (x == INF) return answer(v, zero(log));
        return false;
    }

    struct Point {
        double l;  // log(x / scale)
    };

    // l = log(x / scale), p = exp(l shape), then the log-density
    // ((shape - 1) l + a) - p.  x = 0 with shape >= 1 runs the formula:
    // l = -inf makes p = 0, and (shape - 1) l is -inf (density 0) or, for
    // shape 1, 0.
    num::Op step(double x, Point& pt, int k, double& v) const {
        switch (k) {
            case 0:
                if (settle(x, v)) return num::Op::done;
                v = x / scale;
                return num::Op::log;
            case 1:
                pt.l = v;
                v = pt.l * shape;
                return num::Op::exp;
            default:
                return num::staged::exp_unless(log, (log_power(pt.l, e) + a) - v, v);
        }
    }
};

inline double dweibull(double x, double shape, double scale, bool log) {
    return WeibullDensity::prepare(shape, scale, log).at(x);
}

}  // namespace pradix::density
