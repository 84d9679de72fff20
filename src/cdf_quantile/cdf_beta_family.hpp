// Distribution functions of the beta, F and Student t distributions.
//
// All three rest on the regularized incomplete beta function I_x(a, b).
// F maps x to u / (1 + u), u = x df1 / df2; with an infinite degree of
// freedom it becomes a chi-squared probability.  Student's t has closed
// forms for 1 and 2 degrees of freedom and otherwise forms the lower tail
// P(T <= -|x|) through I on whichever side keeps the argument well scaled.
// With 2 degrees of freedom x / (2 sqrt(x^2 + 2)) + 1/2 loses x once x^2
// overflows; the limit (1 for x > 0, 0 for x < 0) is returned there.
#pragma once

#include <cstddef>

#include "../num/incomplete_beta.hpp"
#include "block_form.hpp"
#include "cdf_gamma_family.hpp"
#include "cdf_location_scale.hpp"
#include "conventions.hpp"

namespace pradix::cdf_quantile {

// Each kernel is its preparation (validity, the rows on the parameters
// alone, the prepared I_.(a, b)) evaluated at the point.  A parameter-only
// row that follows a row on x is recorded and tested in its place.

struct BetaProbability : ProbabilityForm<BetaProbability> {
    enum class Case { regular, fixed, both_infinite };
    bool invalid;  // NaN or a negative parameter
    Case kind;
    double fixed;  // the probability inside (0, 1) when a or b is 0 or +inf (not both +inf)
    num::BetaInc inc;
    bool log_p;

    static BetaProbability prepare(double a, double b, bool log_p) {
        BetaProbability g{};
        g.log_p = log_p;
        g.invalid = any_nan(a, b) || a < 0.0 || b < 0.0;
        if (g.invalid) return g;
        g.kind = Case::fixed;
        if (a == 0.0) {
            g.fixed = b == 0.0 ? 0.5 : 1.0;
        } else if (b == 0.0) {
            g.fixed = 0.0;
        } else if (a == INF) {
            if (b == INF) {
                g.kind = Case::both_infinite;
            } else {
                g.fixed = 0.0;
            }
        } else if (b == INF) {
            g.fixed = 1.0;
        } else {
            g.kind = Case::regular;
            g.inc = num::BetaInc::prepare(a, b);
        }
        return g;
    }

    bool settle(double x, double& t) const {
        if (invalid || num::is_nan(x)) return answer(t, NaN);
        if (x <= 0.0) return answer(t, 0.0);
        if (x >= 1.0) return answer(t, 1.0);
        if (kind == Case::fixed) return answer(t, fixed);
        if (kind == Case::both_infinite) return answer(t, x < 0.5 ? 0.0 : 1.0);
        return false;
    }
    static double argument(double x) { return x; }
    const num::BetaInc& inner() const { return inc; }
};

inline double pbeta(double x, double a, double b, bool log_p) { return BetaProbability::prepare(a, b, log_p).at(x); }

struct FProbability : num::staged::Entries<FProbability> {
    enum class Case { regular, chisq_df1, chisq_df2, point_mass };
    bool invalid;  // NaN or a degree of freedom below EPS
    Case kind;
    double df1;
    double df2;
    num::BetaInc inc;        // I_.(df1 / 2, df2 / 2)
    ChisqProbability chisq;  // the finite one of df1 (log_p) and df2 (plain)
    bool log_p;

    static FProbability prepare(double df1, double df2, bool log_p) {
        FProbability g{};
        g.log_p = log_p;
        g.invalid = any_nan(df1, df2) || df1 < EPS || df2 < EPS;
        if (g.invalid) return g;
        g.df1 = df1;
        g.df2 = df2;
        if (df1 != INF && df2 != INF) {
            g.kind = Case::regular;
            g.inc = num::BetaInc::prepare(df1 * 0.5, df2 * 0.5);
        } else if (df1 != INF) {
            g.kind = Case::chisq_df1;
            g.chisq = ChisqProbability::prepare(df1, log_p);
        } else if (df2 != INF) {
            g.kind = Case::chisq_df2;
            g.chisq = ChisqProbability::prepare(df2, false);
        } else {
            g.kind = Case::point_mass;
        }
        return g;
    }

    struct Point {
        double y;  // the argument of I
        num::BetaInc::Point inc;
    };

    // The rows, then (finite degrees of freedom) I_y(df1 / 2, df2 / 2) at
    // y = u / (u + 1), u = x df1 / df2, through I's steps; t or log(t).  An
    // infinite degree of freedom makes it a chi-squared probability.
    num::Op step(double x, Point& pt, int k, double& v) const {
        num::Op op;
        if (k == 0) {
            if (invalid || num::is_nan(x)) return num::staged::result(NaN, v);
            if (x < EPS) return num::staged::log_if(log_p, 0.0, v);
            if (x == INF) return num::staged::log_if(log_p, 1.0, v);
            switch (kind) {
                case Case::regular: break;
                case Case::chisq_df1: return num::staged::result(chisq.at(x * df1), v);
                case Case::chisq_df2: return num::staged::log_if(log_p, 1.0 - chisq.at(df2 / x), v);
                case Case::point_mass: return num::staged::log_if(log_p, x > 1.0 ? 1.0 : (x == 1.0 ? 0.5 : 0.0), v);
            }
            const double u = (x * df1) / df2;
            pt.y = u / (u + 1.0);
        }
        op = inc.step(pt.y, pt.inc, k, v);
        return op == num::Op::done ? num::staged::log_if(log_p, v, v) : op;
    }
};

inline double pf(double x, double df1, double df2, bool log_p) { return FProbability::prepare(df1, df2, log_p).at(x); }

struct TProbability : num::staged::Entries<TProbability> {
    enum class Case { regular, normal, cauchy, two };
    bool invalid;  // NaN or dof below EPS
    Case kind;
    double dof;
    num::BetaInc body;  // I_.(1/2, dof/2), for dof > x^2
    num::BetaInc tail;  // I_.(dof/2, 1/2)
    bool log_p;

    static TProbability prepare(double dof, bool log_p) {
        TProbability g{};
        g.log_p = log_p;
        g.invalid = num::is_nan(dof) || dof < EPS;
        if (g.invalid) return g;
        g.dof = dof;
        if (dof == INF) {
            g.kind = Case::normal;
        } else if (dof == 1.0) {
            g.kind = Case::cauchy;
        } else if (dof == 2.0) {
            g.kind = Case::two;
        } else {
            g.kind = Case::regular;
            g.body = num::BetaInc::prepare(0.5, dof * 0.5);
            g.tail = g.body.swapped();
        }
        return g;
    }

    struct Point {
        bool body;  // dof > x^2: I_y(1/2, dof/2); otherwise I_y(dof/2, 1/2)
        double y;
        num::BetaInc::Point inc;
    };

    // The rows and closed forms; otherwise the lower tail L = P(T <= -|x|)
    // through I on the side that keeps its argument well scaled (I's steps),
    // then t = 1 - L for x > 0, else L; t or log(t).
    num::Op step(double x, Point& pt, int k, double& v) const {
        if (k == 0) {
            if (invalid || num::is_nan(x)) return num::staged::result(NaN, v);
            if (x == INF) return num::staged::log_if(log_p, 1.0, v);
            if (x == -INF) return num::staged::log_if(log_p, 0.0, v);
            switch (kind) {
                case Case::regular: break;
                case Case::normal: return num::staged::result(pnorm(x, 0.0, 1.0, log_p), v);
                case Case::cauchy: return num::staged::log_if(log_p, cauchy_core(x), v);
                case Case::two: {
                    const double xx = x * x;
                    if (xx == INF) return num::staged::log_if(log_p, x > 0.0 ? 1.0 : 0.0, v);
                    const double s = num::sqrt(xx + 2.0);
                    return num::staged::log_if(log_p, x / (s + s) + 0.5, v);
                }
            }
            pt.body = dof > x * x;
            pt.y = pt.body ? (x * x) / ((x * x) + dof) : 1.0 / ((x / dof) * x + 1.0);
            // Outside (0, 1) I is taken at its limits, 0 or 1.
            if (pt.y <= 0.0) return from_i(x, pt, 0.0, v);
            if (pt.y >= 1.0) return from_i(x, pt, 1.0, v);
        }
        const num::Op op = (pt.body ? body : tail).step(pt.y, pt.inc, k, v);
        return op == num::Op::done ? from_i(x, pt, v, v) : op;
    }

private:
    num::Op from_i(double x, const Point& pt, double i, double& v) const {
        const double lower = pt.body ? 0.5 - i * 0.5 : i * 0.5;
        return num::staged::log_if(log_p, x > 0.0 ? 1.0 - lower : lower, v);
    }
};

inline double pt(double x, double dof, bool log_p) { return TProbability::prepare(dof, log_p).at(x); }

}  // namespace pradix::cdf_quantile
