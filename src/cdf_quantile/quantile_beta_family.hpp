// Quantiles of the beta, F and Student t distributions.
//
// Beta and F invert the regularized incomplete beta function with
// num::beta_inc_inv.  Student's t has closed forms for 1 and 2 degrees of
// freedom and is the normal quantile for infinitely many.  Otherwise it uses
// Hill's closed-form approximation for the two-tailed probability P: a
// normal-deviate expansion in the body (no polish), and in the far tail an
// algebraic start refined by six Newton-type corrections on pt and dt.  For
// 0 < dof <= 1/2 the approximation's constants are not finite and the result
// is NaN; between 1/2 and about 0.9 the tail corrections need not settle.
#pragma once

#include <cstdint>

#include "../density/beta_family.hpp"
#include "block_form.hpp"
#include "cdf_beta_family.hpp"
#include "conventions.hpp"
#include "quantile_gamma_family.hpp"
#include "quantile_location_scale.hpp"

namespace pradix::cdf_quantile {

// Each quantile is its preparation (validity, the rows on the parameters
// alone, the prepared inverse) evaluated at p; the beta quantile is composed
// with the inverse's own steps (block_form.hpp), so it has a block form.

struct BetaQuantile : InverseQuantileForm<BetaQuantile> {
    enum class Case { regular, fixed, no_mass };
    bool invalid;  // NaN or a negative parameter
    Case kind;
    double fixed;  // the quantile for every p in (0, 1) when the parameters fix it
    num::BetaIncInv inverse;

    static BetaQuantile prepare(double a, double b) {
        BetaQuantile q{};
        q.invalid = any_nan(a, b) || a < 0.0 || b < 0.0;
        if (q.invalid) return q;
        q.kind = Case::fixed;
        if (a == 0.0) {
            if (b != 0.0) {
                q.fixed = 0.0;
            } else {
                q.kind = Case::no_mass;
            }
        } else if (a != INF && b != INF && b != 0.0) {
            q.kind = Case::regular;
            q.inverse = num::BetaIncInv::prepare(a, b);
        } else if (b == INF && a != INF) {
            q.fixed = 0.0;
        } else if (a == INF) {
            q.fixed = b == INF ? 0.5 : 1.0;
        } else {
            q.fixed = 1.0;  // b = 0
        }
        return q;
    }

    bool settle(double p, double& v) const {
        if (quantile_ends(p, invalid, 0.0, 1.0, v)) return true;
        switch (kind) {
            case Case::no_mass: return answer(v, p < 0.5 ? 0.0 : (p == 0.5 ? 0.5 : 1.0));
            case Case::fixed: return answer(v, fixed);
            case Case::regular: break;
        }
        return false;
    }
    static double argument(double p) { return p; }
    const num::BetaIncInv& inner() const { return inverse; }
    static double join(double x) { return x; }
};

inline double qbeta(double p, double a, double b) { return BetaQuantile::prepare(a, b).at(p); }

struct FQuantile : num::staged::Entries<FQuantile> {
    enum class Case { regular, point_mass, chisq_df1, chisq_df2 };
    bool invalid;  // NaN or a degree of freedom below EPS
    Case kind;
    double df1;
    double df2;
    double ratio;  // (df1 / 2) / (df2 / 2)
    num::BetaIncInv inverse;  // of I_.(df1 / 2, df2 / 2)
    ChisqQuantile chisq;      // the finite one of df1 and df2

    static FQuantile prepare(double df1, double df2) {
        FQuantile q{};
        q.invalid = any_nan(df1, df2) || df1 < EPS || df2 < EPS;
        if (q.invalid) return q;
        q.df1 = df1;
        q.df2 = df2;
        if (df1 != INF && df2 != INF) {
            q.kind = Case::regular;
            q.inverse = num::BetaIncInv::prepare(df1 * 0.5, df2 * 0.5);
            q.ratio = (df1 * 0.5) / (df2 * 0.5);
        } else if (df1 == INF && df2 == INF) {
            q.kind = Case::point_mass;
        } else if (df1 != INF) {
            q.kind = Case::chisq_df1;
            q.chisq = ChisqQuantile::prepare(df1);
        } else {
            q.kind = Case::chisq_df2;
            q.chisq = ChisqQuantile::prepare(df2);
        }
        return q;
    }

    using Point = num::BetaIncInv::Point;

    // The rows; an infinite degree of freedom makes it a chi-squared
    // quantile; otherwise the inverse's steps give x, and the quantile is
    // x / (ratio (1 - x)).
    num::Op step(double p, Point& pt, int k, double& v) const {
        if (k == 0) {
            if (quantile_ends(p, invalid, 0.0, INF, v)) return num::Op::done;
            switch (kind) {
                case Case::regular: break;
                case Case::point_mass: return num::staged::result(1.0, v);
                case Case::chisq_df1: return num::staged::result(chisq.at(p) / df1, v);
                case Case::chisq_df2: return num::staged::result(df2 / chisq.at(1.0 - p), v);
            }
        }
        const num::Op op = inverse.step(p, pt, k, v);
        return op == num::Op::done ? num::staged::result(v / (ratio * (1.0 - v)), v) : op;
    }
};

inline double qf(double p, double df1, double df2) { return FQuantile::prepare(df1, df2).at(p); }

namespace detail {

// Student's t quantile by G. W. Hill's approximation (Algorithm 396,
// "Student's t-quantiles", 1970).  For n degrees of freedom it forms
// a = 1 / (n - 1/2), b = 48 / a^2,
// c = ((20700 a / b - 98) a - 16) a + 96.36 and
// d = sqrt(pi / 2) sqrt(a) n ((94.5 / (b + c) - 3) / b + 1); with P the
// two-tailed probability, y = (P d)^(2 / n) decides the region: the body
// (y > a + 0.05) or the tail.
inline constexpr double SQRT_HALF_PI = 1.2533141373155003;  // sqrt(pi / 2)
inline constexpr double T_C_CUBIC = 20700.0;                // coefficients of c in a
inline constexpr double T_C_QUADRATIC = 98.0;
inline constexpr double T_C_LINEAR = 16.0;
inline constexpr double T_C_CONSTANT = 96.36;
inline constexpr double T_EXPANSION = 94.5;    // in d and in the body's expansion
inline constexpr double T_BODY_MARGIN = 0.05;  // body where y > a + 0.05
inline constexpr double T_EXPM1_ABOVE = 0.1;   // the body's exponential: series below
inline constexpr double T_SMALL_DOF = 5.0;     // the body's extra term of c below 5
inline constexpr double T_TAIL_D_WEIGHT = 0.089;
inline constexpr double T_TAIL_OFFSET = 0.822;
inline constexpr int T_TAIL_CORRECTIONS = 6;

struct TApproximation {
    double a;
    double b;
    double c;
    double d;
};

inline TApproximation t_approximation(double n) {
    const double a = 1.0 / (n - 0.5);
    const double b = 48.0 / (a * a);
    const double c = ((T_C_CUBIC * a / b - T_C_QUADRATIC) * a - T_C_LINEAR) * a + T_C_CONSTANT;
    const double d = ((num::sqrt(a) * n) * SQRT_HALF_PI) * ((T_EXPANSION / (b + c) - 3.0) / b + 1.0);
    return {a, b, c, d};
}

// Body: a normal deviate x for P / 2 put through the expansion, no polish.
// The exponent v of the expansion from x; then w = expm1(v) above 0.1
// (through exp: v > 0.1 is where expm1 takes it), its series below; the
// magnitude is sqrt(w n).
inline double t_body_exponent(double x, double n, const TApproximation& t) {
    const double c_dof = n < T_SMALL_DOF ? ((n - 4.5) * 0.3) * (x + 0.6) + t.c : t.c;
    const double c_x = (((x * 0.05 * t.d - 5.0) * x - 7.0) * x - 2.0) * x + (t.b + c_dof);
    const double x2 = x * x;
    const double u = (((((x2 * 0.4 + 6.3) * x2 + 36.0) * x2 + T_EXPANSION) / c_x - x2 - 3.0) / t.b + 1.0) * x;
    return (u * t.a) * u;
}
inline bool t_body_takes_exp(double v) { return v > T_EXPM1_ABOVE; }
inline double t_body_series(double v) { return ((v + 4.0) * v + 12.0) * (v * v) / 24.0 + v; }

// Tail: an algebraic start from y, then six Newton-type corrections on pt
// and dt (prepared once for n), each with a second-order term.
inline double t_tail(double P, double n, double y, const TApproximation& t, const TProbability& cdf,
                     const density::TDensity& pdf) {
    const double start =
        ((1.0 / ((((n + 6.0) / (y * n) - t.d * T_TAIL_D_WEIGHT) - T_TAIL_OFFSET) * (n + 2.0) * 3.0) +
          0.5 / (n + 4.0)) * y - 1.0) * (n + 1.0) / (n + 2.0) +
        1.0 / y;
    double x = num::sqrt(start * n);
    double d = 0.0;
    for (int pass = 0; pass <= T_TAIL_CORRECTIONS; ++pass) {
        x = (x * d * (n + 1.0) / ((x * x + n) * 2.0) + 1.0) * d + x;
        if (pass == T_TAIL_CORRECTIONS) break;
        d = (1.0 - cdf.at(x) - P * 0.5) / pdf.at(x);
    }
    return x;
}

}  // namespace detail

// Student's t quantile prepared for its dof: Hill's constants and the
// exponent 2 / n once; the tail's pt and dt are prepared on the first tail
// point, since the body needs neither.  A staged kernel (num/staged.hpp):
// the body's logarithm, exponentials and normal quantile (erfinv's steps)
// run in a block with the other points'; a tail point runs its corrections
// on its own.
class TQuantile : public num::staged::Entries<TQuantile> {
public:
    static TQuantile prepare(double dof) {
        TQuantile q{};
        q.invalid_ = num::is_nan(dof) || dof < EPS;
        if (q.invalid_) return q;
        q.n_ = dof;
        q.normal_ = NormalQuantile::prepare(0.0, 1.0);
        q.regular_ = dof != 1.0 && dof != 2.0 && dof != INF;
        if (q.regular_) {
            q.t_ = detail::t_approximation(dof);
            q.exponent_ = 2.0 / dof;
        }
        return q;
    }

    enum class Phase : std::uint8_t { logarithm, power, normal, body_exp };

    struct Point {
        double P;  // the two-tailed probability
        Phase phase;
        num::staged::Nested<NormalQuantile> normal;  // at p, or at P / 2 in the body
    };

    // The rows and closed forms; otherwise the magnitude T for P: y =
    // (P d)^(2/n) through a logarithm and an exponential, then the body (the
    // normal deviate for P / 2, the expansion, its exponential) or the tail.
    num::Op step(double p, Point& pt, int k, double& v) const {
        num::Op op;
        if (k == 0) {
            if (quantile_ends(p, invalid_, -INF, INF, v)) return num::Op::done;
            if (n_ == 1.0) return num::staged::result(num::tan((p - 0.5) * num::PI), v);
            if (n_ == 2.0) return num::staged::result(((p + p) - 1.0) / num::sqrt((1.0 - p) * (p + p)), v);
            if (n_ == INF) {
                pt.phase = Phase::normal;
                op = pt.normal.start(normal_, p, v);
                return op;
            }
            pt.P = p < 0.5 ? p + p : (1.0 - p) + (1.0 - p);
            const double pd = pt.P * t_.d;
            if (pd < 0.0) return region(p, pt, NaN, v);
            pt.phase = Phase::logarithm;
            v = pd;
            return num::Op::log;
        }
        switch (pt.phase) {
            case Phase::logarithm:
                pt.phase = Phase::power;
                v = v * exponent_;
                return num::Op::exp;
            case Phase::power:
                return region(p, pt, v, v);
            case Phase::normal:
                op = pt.normal.resume(normal_, v);
                if (op != num::Op::done || n_ == INF) return op;
                return body(p, pt, v);
            default:
                return signed_magnitude(p, num::sqrt((v - 1.0) * n_), v);
        }
    }

private:
    // With y known: the body from the normal deviate for P / 2, or the tail.
    num::Op region(double p, Point& pt, double y, double& v) const {
        if (y > t_.a + detail::T_BODY_MARGIN) {
            pt.phase = Phase::normal;
            const num::Op op = pt.normal.start(normal_, pt.P * 0.5, v);
            return op == num::Op::done ? body(p, pt, v) : op;
        }
        if (!tail_ready_) {
            cdf_ = TProbability::prepare(n_, false);
            pdf_ = density::TDensity::prepare(n_, false);
            tail_ready_ = true;
        }
        return signed_magnitude(p, detail::t_tail(pt.P, n_, y, t_, cdf_, pdf_), v);
    }

    // The body from the normal deviate in v: the expansion's exponential
    // asked for, or the magnitude from its series.
    num::Op body(double p, Point& pt, double& v) const {
        const double e = detail::t_body_exponent(v, n_, t_);
        if (detail::t_body_takes_exp(e)) {
            pt.phase = Phase::body_exp;
            v = e;
            return num::Op::exp;
        }
        return signed_magnitude(p, num::sqrt(detail::t_body_series(e) * n_), v);
    }

    static num::Op signed_magnitude(double p, double T, double& v) { return num::staged::result(p < 0.5 ? -T : T, v); }

    bool invalid_;  // NaN or dof below EPS
    bool regular_;  // not 1, 2 or +inf
    double n_;
    NormalQuantile normal_;  // standard
    detail::TApproximation t_;
    double exponent_;  // 2 / n
    mutable bool tail_ready_;
    mutable TProbability cdf_;
    mutable density::TDensity pdf_;
};

inline double qt(double p, double dof) { return TQuantile::prepare(dof).at(p); }

}  // namespace pradix::cdf_quantile
