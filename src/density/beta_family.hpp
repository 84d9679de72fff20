// Student's t, beta and F densities.
//
// dt: infinite points give 0; an infinite dof falls back on the standard
// normal density; otherwise the log-density
//   lgamma(q) - (log(nu) + ln pi)/2 - lgamma(h) - q log(x^2/nu + 1),
// h = nu/2, q = h + 1/2, in that order.
//
// dbeta: parameters of 0 or +inf put the whole mass on an end point (or on
// 1/2 when both are +inf) and are settled by a table; finite positive
// parameters have their own rows at x = 0 and x = 1; inside (0, 1) the
// log-density is (a-1) log x - lbeta(a, b) + (b-1) log(1-x).
//
// df: rows for x = 0, x = +inf and infinite degrees of freedom (the limits
// are the inverse-gamma, gamma and a point mass at 1), then the change of
// variable y = u / (1 + u), u = x df1 / df2, which maps the F distribution
// onto beta(df1/2, df2/2): the density is dbeta(y) times dy/dx.
//
// Open points and the choices made:
// - In dbeta a power with exponent exactly 0 (a = 1 or b = 1) at x or 1 - x
//   below 2^-52, where num::log gives -inf, is taken as 1 (log_power), so
//   dbeta(1e-300, 1, 3) = 3 continues dbeta(0, 1, 3) = 3, and the same at
//   the upper end.  df inherits this: df(1e-300, 2, 5) is close to
//   df(0, 2, 5) = 1.
// - df far in the right tail: once 1 - y is below 2^-52 or the computed
//   Jacobian (1 - r x) r is not positive, the change of variable has lost
//   every digit (the plain product gave negative, infinite or NaN densities,
//   and the log mode was already -inf or NaN there).  Such points give
//   0 / -inf.  This happens for x df1 / df2 above about 2^52, and where
//   df1 / df2 overflows or underflows.
// - The x = +inf row of df keeps its NaN for df1 < 2 or df2 < 1 with finite
//   degrees of freedom, and its NaN for df1 = +inf with df2 < 2.
//
// Measured against SciPy (points at the 1e-4 to 1 - 1e-4 quantiles): t with
// dof up to 150 and beta with shapes 0.3 to 55 within 1.3e-13 relative in
// the density and the log-density; F with degrees of freedom 0.5 to 55
// within 9.6e-13 for x df1 / df2 up to 1e4.  Beyond that the error of F
// grows like 2^-52 x df1 / df2, from the cancellation in 1 - y.
#pragma once

#include <cstddef>
#include <cstdint>

#include "../num/log_gamma.hpp"
#include "block_form.hpp"
#include "conventions.hpp"
#include "gamma_family.hpp"
#include "location_scale.hpp"

namespace pradix::density {

// As in gamma_family.hpp, each density is its preparation evaluated at the
// point; parameter-only rows that follow a row on x are recorded by the
// preparation and tested by `at` in their place.  The evaluations are written
// once as staged kernels (rules, logarithms and log-density: block_form.hpp)
// for `at` and `at_block` alike.

struct TDensity : LogDensityForm<TDensity> {
    bool invalid;  // NaN or dof below EPS
    bool normal;   // dof = +inf
    double dof;
    double c;       // lgamma(q) - (log(dof) + ln pi) / 2 - lgamma(h)
    double minus_q;  // -q
    bool log;

    static TDensity prepare(double dof, bool log) {
        TDensity d{};
        d.log = log;
        d.invalid = num::is_nan(dof) || dof < num::EPS;
        if (d.invalid) return d;
        d.normal = dof == INF;
        if (d.normal) return d;
        d.dof = dof;
        const double h = dof * 0.5;
        const double q = h + 0.5;
        d.c = (num::lgamma(q) - (num::log(dof) + num::LN_PI) * 0.5) - num::lgamma(h);
        d.minus_q = -q;
        return d;
    }

    bool settle(double x, double& v) const {
        if (invalid || num::is_nan(x)) return answer(v, NaN);
        if (x == -INF || x == INF) return answer(v, zero(log));
        if (normal) return answer(v, dnorm(x, 0.0, 1.0, log));
        return false;
    }
    static constexpr int LOGS = 1;
    double log_argument(double x, int) const { return (x / dof) * x + 1.0; }
    double exponent(double, double l, double) const { return c + l * minus_q; }
};

inline double dt(double x, double dof, bool log) { return TDensity::prepare(dof, log).at(x); }

// Beta with a parameter of 0 or +inf: the mass sits on 0, 1 or 1/2.
inline double beta_degenerate(double x, double a, double b) {
    if (a == 0.0 && b == 0.0) return (x == 0.0 || x == 1.0) ? INF : 0.0;
    if (a == 0.0) return x == 0.0 ? INF : 0.0;
    if (a != INF && b == INF) return x == 0.0 ? INF : 0.0;
    if (b == 0.0) return x == 1.0 ? INF : 0.0;
    if (a == INF && b != INF) return x == 1.0 ? INF : 0.0;
    return x == 0.5 ? INF : 0.0;
}

struct BetaDensity : LogDensityForm<BetaDensity> {
    bool invalid;     // NaN or a negative parameter
    bool degenerate;  // a parameter of 0 or +inf
    double a;
    double b;
    double at_zero;  // the rows at x = 0 and x = 1, logged
    double at_one;
    double lb;  // lbeta(a, b)
    double ea;  // a - 1
    double eb;  // b - 1
    bool log;

    static BetaDensity prepare(double a, double b, bool log) {
        return prepare_from(a, b, log, num::lgamma(a), num::lgamma(b), num::lgamma(a + b));
    }
    // With lgamma(a), lgamma(b) and lgamma(a + b) given (for preparations of
    // many parameter sets, whose log-gammas can be taken together).
    static BetaDensity prepare_from(double a, double b, bool log, double lgamma_a, double lgamma_b, double lgamma_ab) {
        BetaDensity d{};
        d.log = log;
        d.invalid = num::any_nan(a, b) || a < 0.0 || b < 0.0;
        if (d.invalid) return d;
        d.a = a;
        d.b = b;
        d.degenerate = a == 0.0 || b == 0.0 || a == INF || b == INF;
        if (d.degenerate) return d;
        d.at_zero = a < 1.0 ? INF : (a > 1.0 ? zero(log) : logged(b, log));
        d.at_one = b < 1.0 ? INF : (b > 1.0 ? zero(log) : logged(a, log));
        d.lb = num::lbeta_from(lgamma_a, lgamma_b, lgamma_ab);
        d.ea = a - 1.0;
        d.eb = b - 1.0;
        return d;
    }
    static void prepare_n(BetaDensity* out, std::size_t n, const double* a, const double* b, const bool* log) {
        double la[num::BLOCK];
        double lb[num::BLOCK];
        double lab[num::BLOCK];
        for (std::size_t i = 0; i < n; ++i) lab[i] = a[i] + b[i];
        num::lgamma_column(a, la, n);
        num::lgamma_column(b, lb, n);
        num::lgamma_column(lab, lab, n);
        for (std::size_t i = 0; i < n; ++i) out[i] = prepare_from(a[i], b[i], log[i], la[i], lb[i], lab[i]);
    }

    bool settle(double x, double& v) const {
        if (invalid || num::is_nan(x)) return answer(v, NaN);
        if (x < 0.0 || x > 1.0) return answer(v, zero(log));
        if (degenerate) return answer(v, logged(beta_degenerate(x, a, b), log));
        if (x == 0.0) return answer(v, at_zero);
        if (x == 1.0) return answer(v, at_one);
        return false;
    }
    static constexpr int LOGS = 2;
    static double log_argument(double x, int k) { return k == 0 ? x : 1.0 - x; }
    double exponent(double, double lx, double l1x) const { return (log_power(lx, ea) - lb) + log_power(l1x, eb); }
};

inline double dbeta(double x, double a, double b, bool log) { return BetaDensity::prepare(a, b, log).at(x); }

struct FDensity : num::staged::Entries<FDensity> {
    enum class Case { regular, point_mass, inverse_gamma, gamma };
    bool invalid;    // NaN or a degree of freedom below EPS
    double at_zero;  // the rows at x = 0 and x = +inf, logged
    double at_inf;
    Case kind;
    InvGammaDensity inverse_gamma;  // df1 = +inf
    GammaDensity gamma;             // df2 = +inf
    BetaDensity beta;               // beta(df1 / 2, df2 / 2)
    double df1;
    double df2;
    double ratio;  // (df1 / 2) / (df2 / 2)
    bool log;

    static FDensity prepare(double df1, double df2, bool log) {
        FDensity d{};
        d.log = log;
        d.invalid = num::any_nan(df1, df2) || df1 < num::EPS || df2 < num::EPS;
        if (d.invalid) return d;
        d.at_zero = logged(df1 < 2.0 ? INF : (df1 == 2.0 ? 1.0 : 0.0), log);
        double v;
        if (df1 == INF) {
            v = df2 < 2.0 ? NaN : 0.0;
        } else if (df2 == INF) {
            v = 0.0;
        } else {
            v = (df1 >= 2.0 && df2 >= 1.0) ? 0.0 : NaN;
        }
        d.at_inf = logged(v, log);
        if (df1 == INF && df2 == INF) {
            d.kind = Case::point_mass;
        } else if (df1 == INF) {
            d.kind = Case::inverse_gamma;
            d.inverse_gamma = InvGammaDensity::prepare(df2 * 0.5, df2 * 0.5, log);
        } else if (df2 == INF) {
            d.kind = Case::gamma;
            d.gamma = GammaDensity::prepare(df1 * 0.5, 2.0 / df1, log);
        } else {
            d.kind = Case::regular;
            d.df1 = df1;
            d.df2 = df2;
            const double h1 = df1 * 0.5;
            const double h2 = df2 * 0.5;
            d.ratio = h1 / h2;
            d.beta = BetaDensity::prepare(h1, h2, log);
        }
        return d;
    }

    // The rows on x and the point mass.
    bool settle(double x, double& v) const {
        if (invalid || num::is_nan(x)) return answer(v, NaN);
        if (x < 0.0) return answer(v, zero(log));
        if (x == 0.0) return answer(v, at_zero);
        if (x == INF) return answer(v, at_inf);
        if (kind == Case::point_mass) return answer(v, x == 1.0 ? INF : zero(log));
        return false;
    }

    // The regular case at x: y and dy/dx, or false (the density 0 / -inf).
    bool change(double x, double& y, double& jacobian) const {
        const double u = (x * df1) / df2;
        const double w = u + 1.0;
        y = u / w;
        const double r = ratio / w;
        jacobian = (1.0 - r * x) * r;
        // Far in the right tail (x df1 / df2 beyond about 2^52) y is 1 to within
        // 2^-52 and 1 - r x has cancelled: the beta density and the Jacobian are
        // rounding noise there, whose product would be negative, infinite or NaN.
        // The density is below anything the transformation resolves: 0 / -inf.
        return !(1.0 - y < num::EPS || jacobian <= 0.0);
    }

    enum class Stage : unsigned char { beta, beta_result, jacobian_log };

    struct Point {
        InvGammaDensity::Point inverse_gamma;
        GammaDensity::Point gamma;
        BetaDensity::Point beta;
        double y;
        double jacobian;
        double b;  // the beta density, while log(jacobian) is taken
        Stage stage;
    };

    // The rows; the limits are the inverse-gamma or gamma density at x (the
    // same steps); the regular case runs the beta density's steps at y, then
    // gives b j, or (log mode) log(j) + b.
    num::Op step(double x, Point& pt, int k, double& v) const {
        if (k == 0 && settle(x, v)) return num::Op::done;
        if (kind == Case::inverse_gamma) return inverse_gamma.step(x, pt.inverse_gamma, k, v);
        if (kind == Case::gamma) return gamma.step(x, pt.gamma, k, v);
        if (k == 0) {
            if (!change(x, pt.y, pt.jacobian)) return num::staged::result(zero(log), v);
            pt.stage = Stage::beta;
        }
        switch (pt.stage) {
            case Stage::beta: {
                const num::Op op = beta.step(pt.y, pt.beta, k, v);
                if (op == num::Op::done) return with_beta(pt, v);
                if (num::staged::is_last(op)) pt.stage = Stage::beta_result;  // its value comes back here
                return num::staged::function_of(op);
            }
            case Stage::beta_result: return with_beta(pt, v);
            default: return num::staged::result(v + pt.b, v);  // v = log(j)
        }
    }

private:
    // From the beta density b at y: b j, or log(j) + b.
    num::Op with_beta(Point& pt, double& v) const {
        if (!log) return num::staged::result(v * pt.jacobian, v);
        pt.b = v;
        pt.stage = Stage::jacobian_log;
        v = pt.jacobian;
        return num::Op::log;
    }
};

inline double df(double x, double df1, double df2, bool log) { return FDensity::prepare(df1, df2, log).at(x); }

}  // namespace pradix::density
