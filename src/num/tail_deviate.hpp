// Normal deviate of a tail probability by a short rational approximation,
// used for the starting values of the incomplete gamma and beta inverses.
//
// For a tail probability q <= 1/2 and t = sqrt(-2 log q), the upper normal
// deviate is about t - N(t) / M(t) with N = 2.515517 + 0.802853 t
// + 0.010328 t^2 and M = 1 + 1.432788 t + 0.189269 t^2 + 0.001308 t^3, good
// to about 4.5e-4: enough for a guess that Halley corrections then refine.
#pragma once

namespace pradix::num {

namespace detail {

inline double tail_deviate(double t) {
    const double n = (t * 0.010328 * t) + (t * 0.802853 + 2.515517);
    const double m = ((t * 0.189269 * t) + (t * 1.432788 + 1.0)) + (t * 0.001308 * t * t);
    return t - n / m;
}

}  // namespace detail

}  // namespace pradix::num
