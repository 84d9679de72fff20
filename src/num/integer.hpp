// floor, integer powers, factorials and the conversion of doubles to int64.
//
// floor truncates through a signed 64-bit integer, so it is only defined by
// that route for |x| < 2^63.  Every finite double of larger magnitude is
// already an integer and is returned unchanged, which keeps the conversion in
// range.  ipow is exponentiation by squaring with a fixed order of products;
// tan's odd powers use the same steps.  factorial is exact up to 20!; beyond,
// the product wraps modulo 2^64 (unsigned), which is 0 from 66! on.
#pragma once

#include <cstdint>
#include <limits>

#include "common.hpp"

namespace pradix::num {

inline double floor(double x) {
    if (is_nan(x) || is_inf(x) || near_zero(x)) return x;
    if (!(abs(x) < 0x1p63)) return x;  // already an integer; no conversion
    const double t = static_cast<double>(static_cast<std::int64_t>(x));
    return (x < 0.0 && t > x) ? t - 1.0 : t;
}

// x as an int64, saturated: +inf and values at or above 2^63 give the
// largest int64, -inf and values below -2^63 the smallest, anything else
// is truncated toward zero.  The plain conversion is undefined outside the
// range (x86 gives the smallest int64 for every such value).  x is not NaN.
inline std::int64_t clamp_to_int64(double x) {
    if (x >= 0x1p63) return std::numeric_limits<std::int64_t>::max();
    if (x < -0x1p63) return std::numeric_limits<std::int64_t>::min();
    return static_cast<std::int64_t>(x);
}

inline double ipow(double x, std::int64_t n) {
    if (n == 3) return (x * x) * x;
    if (n == 2) return x * x;
    if (n == 1) return x;
    if (n == 0) return 1.0;
    if (n == std::numeric_limits<std::int64_t>::min()) return 0.0;
    if (n == std::numeric_limits<std::int64_t>::max()) return INF;
    if (n < 0) return 1.0 / ipow(x, -n);
    double b = x * x;
    double v = (n & 1) ? x : 1.0;
    std::int64_t m = n >> 1;
    while (m > 1) {
        if (m & 1) v = b * v;
        b = b * b;
        m >>= 1;
    }
    return m == 1 ? b * v : v;
}

inline std::int64_t factorial(std::int64_t n) {
    static constexpr std::int64_t table[17] = {
        1, 1, 2, 6, 24, 120, 720, 5040, 40320, 362880, 3628800, 39916800,
        479001600, 6227020800, 87178291200, 1307674368000, 20922789888000};
    // Negative n has no factorial; 1 keeps callers' quotients finite.
    if (n < 2) return 1;
    if (n <= 16) return table[n];
    // 66! and above contain at least 64 factors of two.
    if (n >= 66) return 0;
    std::uint64_t p = static_cast<std::uint64_t>(table[16]);
    for (std::int64_t k = 17; k <= n; ++k) p *= static_cast<std::uint64_t>(k);
    return static_cast<std::int64_t>(p);  // modulo 2^64 beyond 20!
}

}  // namespace pradix::num
