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

// lgamma in two halves around its two logarithms, so that the block form
// (lgamma_n) can take the logarithms of many arguments at once:
// lgamma_split settles the special values or forms the Lanczos sum s and
// t = a + g + 1/2; lgamma_join turns log(s) and log(t) into the result.
struct LgammaSplit {
    bool settled;  // value is the result
    double value;
    double a;
    double s;
    double t;
};

inline LgammaSplit lgamma_split(double x) {
    if (is_nan(x)) return {true, x, 0.0, 0.0, 0.0};
    const double a = x - 1.0;
    if (a == 0.0 || abs(a) < EPS) return {true, 0.0, 0.0, 0.0, 0.0};
    if (x < EPS) return {true, INF, 0.0, 0.0, 0.0};
    // The table holds signed coefficients; adding a negative quotient is the
    // same operation as subtracting the magnitude's quotient.
    double s = detail::LANCZOS[0] + detail::LANCZOS[1] / (a + 1.0);
    for (int k = 2; k <= 14; ++k) s = s + detail::LANCZOS[k] / (a + static_cast<double>(k));
    return {false, 0.0, a, s, a + detail::LANCZOS_SHIFT};
}

inline double lgamma_join(const LgammaSplit& g, double log_s, double log_t) {
    return (log_s + LN_SQRT_2PI) + ((g.a + 0.5) * log_t - g.t);
}

inline double lgamma(double x) {
    const LgammaSplit g = lgamma_split(x);
    return g.settled ? g.value : lgamma_join(g, log(g.s), log(g.t));
}

// out[i] = lgamma(x[i]) bit for bit, with the logarithms of the block's
// Lanczos sums and shifted arguments taken together in lanes.
inline void lgamma_n(const double* x, double* out, std::size_t n, const lanes::Table& table = *lanes::active) {
    by_pieces<PIECE>(n, [&](std::size_t at, std::size_t count) {
        LgammaSplit split[PIECE];
        std::uint8_t index[PIECE];
        double args[2 * PIECE] = {};  // s of each element left, then its t
        double logs[2 * PIECE];
        std::size_t m = 0;
        for (std::size_t i = 0; i < count; ++i) {
            split[i] = lgamma_split(x[at + i]);
            if (split[i].settled) {
                out[at + i] = split[i].value;
            } else {
                index[m++] = static_cast<std::uint8_t>(i);
            }
        }
        for (std::size_t j = 0; j < m; ++j) {
            args[j] = split[index[j]].s;
            args[m + j] = split[index[j]].t;
        }
        log_n(args, logs, m + m, table);
        for (std::size_t j = 0; j < m; ++j) out[at + index[j]] = lgamma_join(split[index[j]], logs[j], logs[m + j]);
    });
}

inline double lbeta(double a, double b) { return (lgamma(a) + lgamma(b)) - lgamma(a + b); }

// log C(n, k) for 0 <= k <= n.
inline double lchoose(std::int64_t n, std::int64_t k) {
    const double nn = static_cast<double>(n);
    const double kk = static_cast<double>(k);
    return lgamma(nn + 1.0) - (lgamma((nn - kk) + 1.0) + lgamma(kk + 1.0));
}

}  // namespace pradix::num
