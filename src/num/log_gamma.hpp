// Log-gamma, log-beta and log binomial coefficient.
//
// lgamma(x) = log Gamma(a + 1) with a = x - 1, by a Lanczos-type sum of
// fifteen terms with g = 607/128:
//   (a + 1/2) log(a + g + 1/2) - (a + g + 1/2) + log(sqrt(2 pi) s(a)),
// s(a) = c_0 + c_1/(a+1) - c_2/(a+2) + ... + c_14/(a+14), summed left to
// right.  Defined for positive arguments
// only: there is no reflection, and every x below 2^-52 gives +inf; +inf
// gives NaN (inf - inf in the final sum).
//
// Measured against SciPy: 2.4e-15 relative (absolute where |lgamma| < 1)
// for x >= 1/2; below 1/2 an extra absolute error of about 1e-15 / x, since
// a + 1 = (x - 1) + 1 drops the low digits of x.
#pragma once

#include <cstddef>
#include <cstdint>

#include "blocks.hpp"
#include "common.hpp"
#include "exp_log.hpp"
#include "staged.hpp"

namespace pradix::num {

namespace detail {

inline constexpr double LANCZOS[15] = {
    0.9999999999999971,     57.15623566586292,      -59.59796035547549,
    14.136097974741746,     -0.4919138160976202,    3.399464998481189e-05,
    4.652362892704858e-05,  -9.837447530487956e-05, 0.0001580887032249125,
    -0.00021026444172410488, 0.00021743961811521265, -0.0001643181065367639,
    8.441822398385275e-05,  -2.6190838401581408e-05, 3.6899182659531625e-06};

inline constexpr double LANCZOS_SHIFT = 5.2421875;  // 607/128 + 1/2

}  // namespace detail

namespace detail {

// lgamma in its pieces: the rows, then with a = x - 1 the sum s and
// t = a + 5.2421875, whose logarithms give
// (log(s) + ln sqrt(2 pi)) + ((a + 1/2) log(t) - t).
inline bool lgamma_settle(double x, double& v) {
    if (is_nan(x)) return answer(v, x);
    const double a = x - 1.0;
    if (a == 0.0 || abs(a) < EPS) return answer(v, 0.0);
    if (x < EPS) return answer(v, INF);
    return false;
}

// The table holds signed coefficients; adding a negative quotient is the
// same operation as subtracting the magnitude's quotient.
inline double lanczos_sum(double a) {
    double s = LANCZOS[0] + LANCZOS[1] / (a + 1.0);
    for (int k = 2; k <= 14; ++k) s = s + LANCZOS[k] / (a + static_cast<double>(k));
    return s;
}

inline double lgamma_join(double a, double t, double ls, double lt) {
    return (ls + LN_SQRT_2PI) + ((a + 0.5) * lt - t);
}

}  // namespace detail

inline double lgamma(double x) {
    double v;
    if (detail::lgamma_settle(x, v)) return v;
    const double a = x - 1.0;
    const double t = a + detail::LANCZOS_SHIFT;
    return detail::lgamma_join(a, t, log(detail::lanczos_sum(a)), log(t));
}

// lgamma as a staged kernel (staged.hpp), for the parameter work of many
// preparations at once: lgamma_n(x, out, n) gives out[i] = lgamma(x[i]) bit
// for bit, the logarithms of all the points together.
struct LogGamma {
    struct Point {
        double a;
        double t;
        double ls;  // log(s)
    };

    Op step(double x, Point& pt, int k, double& v) const {
        switch (k) {
            case 0:
                if (detail::lgamma_settle(x, v)) return Op::done;
                pt.a = x - 1.0;
                pt.t = pt.a + detail::LANCZOS_SHIFT;
                v = detail::lanczos_sum(pt.a);
                return Op::log;
            case 1:
                pt.ls = v;
                v = pt.t;
                return Op::log;
            default:
                return staged::result(detail::lgamma_join(pt.a, pt.t, pt.ls, v), v);
        }
    }
};

inline void lgamma_n(const double* x, double* out, std::size_t n) { staged::block(LogGamma{}, x, out, n); }

// log B(a, b) from lgamma(a), lgamma(b) and lgamma(a + b).
inline double lbeta_from(double lgamma_a, double lgamma_b, double lgamma_ab) {
    return (lgamma_a + lgamma_b) - lgamma_ab;
}

inline double lbeta(double a, double b) { return lbeta_from(lgamma(a), lgamma(b), lgamma(a + b)); }

// log C(n, k) for 0 <= k <= n.
inline double lchoose(std::int64_t n, std::int64_t k) {
    const double nn = static_cast<double>(n);
    const double kk = static_cast<double>(k);
    return lgamma(nn + 1.0) - (lgamma((nn - kk) + 1.0) + lgamma(kk + 1.0));
}

}  // namespace pradix::num
