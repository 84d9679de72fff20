// The block loops of one lane target, for the per-target translation units
// only: packs of vectors are loaded from the arrays, run through the
// fractions and stored back; the last, partial pack is padded with an
// ordinary argument whose results are dropped (lanes never mix).  Every
// function here is a template instantiated with the unit's own tag, so it
// has internal linkage like the tag.
#pragma once

#include <cstddef>

#include "fractions.hpp"
#include "table.hpp"

namespace pradix::num::lanes {

// K native vectors N side by side: each operation is the same operation on
// each of them, so a division of one can start while the other's is still in
// flight (the fractions' chains wait on one division per level).  A struct
// of native vectors stays in registers where one wide vector type would not.
template <class N, int K, class Target>
struct Pack {
    N v[K];
};

template <class N, int K, class T>
N part(const Pack<N, K, T>& a, int i) {
    return a.v[i];
}
template <class N, int K, class T>
double part(double a, int) {
    return a;
}
template <class N, int K, class T, class A, class B, class F>
Pack<N, K, T> each(const A& a, const B& b, F f) {
    Pack<N, K, T> r;
    for (int i = 0; i < K; ++i) r.v[i] = f(part<N, K, T>(a, i), part<N, K, T>(b, i));
    return r;
}

template <class N, int K, class T>
Pack<N, K, T> operator+(const Pack<N, K, T>& a, const Pack<N, K, T>& b) {
    return each<N, K, T>(a, b, [](auto x, auto y) { return x + y; });
}
template <class N, int K, class T>
Pack<N, K, T> operator+(const Pack<N, K, T>& a, double b) {
    return each<N, K, T>(a, b, [](auto x, auto y) { return x + y; });
}
template <class N, int K, class T>
Pack<N, K, T> operator+(double a, const Pack<N, K, T>& b) {
    return each<N, K, T>(a, b, [](auto x, auto y) { return x + y; });
}
template <class N, int K, class T>
Pack<N, K, T> operator-(const Pack<N, K, T>& a, const Pack<N, K, T>& b) {
    return each<N, K, T>(a, b, [](auto x, auto y) { return x - y; });
}
template <class N, int K, class T>
Pack<N, K, T> operator-(const Pack<N, K, T>& a, double b) {
    return each<N, K, T>(a, b, [](auto x, auto y) { return x - y; });
}
template <class N, int K, class T>
Pack<N, K, T> operator-(double a, const Pack<N, K, T>& b) {
    return each<N, K, T>(a, b, [](auto x, auto y) { return x - y; });
}
template <class N, int K, class T>
Pack<N, K, T> operator*(const Pack<N, K, T>& a, const Pack<N, K, T>& b) {
    return each<N, K, T>(a, b, [](auto x, auto y) { return x * y; });
}
template <class N, int K, class T>
Pack<N, K, T> operator*(const Pack<N, K, T>& a, double b) {
    return each<N, K, T>(a, b, [](auto x, auto y) { return x * y; });
}
template <class N, int K, class T>
Pack<N, K, T> operator*(double a, const Pack<N, K, T>& b) {
    return each<N, K, T>(a, b, [](auto x, auto y) { return x * y; });
}
template <class N, int K, class T>
Pack<N, K, T> operator/(const Pack<N, K, T>& a, const Pack<N, K, T>& b) {
    return each<N, K, T>(a, b, [](auto x, auto y) { return x / y; });
}
template <class N, int K, class T>
Pack<N, K, T> operator/(const Pack<N, K, T>& a, double b) {
    return each<N, K, T>(a, b, [](auto x, auto y) { return x / y; });
}
template <class N, int K, class T>
Pack<N, K, T> operator/(double a, const Pack<N, K, T>& b) {
    return each<N, K, T>(a, b, [](auto x, auto y) { return x / y; });
}

template <class V, class Target>
struct Blocks {
    static constexpr std::size_t W = sizeof(V) / sizeof(double);

    static V load(const double* p) {
        V v;
        __builtin_memcpy(&v, p, sizeof v);
        return v;
    }
    static void store(double* p, V v) { __builtin_memcpy(p, &v, sizeof v); }

    // The last n < W elements of a block, padded with `pad`.
    static V load_part(const double* p, std::size_t n, double pad) {
        double a[W];
        for (std::size_t i = 0; i < W; ++i) a[i] = i < n ? p[i] : pad;
        return load(a);
    }
    static void store_part(double* p, std::size_t n, V v) {
        double a[W];
        store(a, v);
        for (std::size_t i = 0; i < n; ++i) p[i] = a[i];
    }

    static void exp(const double* y, double* out, std::size_t n) {
        std::size_t i = 0;
        for (; i + W <= n; i += W) store(out + i, exp_fraction<V, Target>(load(y + i)));
        if (i < n) store_part(out + i, n - i, exp_fraction<V, Target>(load_part(y + i, n - i, 1.0)));
    }

    static V log_of(V u) { return log_fraction<V, Target>(log_ratio<V, Target>(u)); }

    static void log(const double* u, double* out, std::size_t n) {
        std::size_t i = 0;
        for (; i + W <= n; i += W) store(out + i, log_of(load(u + i)));
        if (i < n) store_part(out + i, n - i, log_of(load_part(u + i, n - i, 1.5)));
    }

    static void erf_above(const double* x, const double* w, double* out, std::size_t n) {
        std::size_t i = 0;
        for (; i + W <= n; i += W) store(out + i, lanes::erf_above<V, Target>(load(x + i), load(w + i)));
        if (i < n) {
            const V v = lanes::erf_above<V, Target>(load_part(x + i, n - i, 3.0), load_part(w + i, n - i, 0.0));
            store_part(out + i, n - i, v);
        }
    }

    static void erf_below(const double* x, const double* w, double* out, std::size_t n) {
        std::size_t i = 0;
        for (; i + W <= n; i += W) store(out + i, lanes::erf_below<V, Target>(load(x + i), load(w + i)));
        if (i < n) {
            const V v = lanes::erf_below<V, Target>(load_part(x + i, n - i, 1.0), load_part(w + i, n - i, 0.5));
            store_part(out + i, n - i, v);
        }
    }

    static void gamma_lower(double a, const double* x, double* out, std::size_t n) {
        std::size_t i = 0;
        for (; i + W <= n; i += W) store(out + i, lanes::gamma_lower<V, Target>(a, load(x + i)));
        if (i < n) store_part(out + i, n - i, lanes::gamma_lower<V, Target>(a, load_part(x + i, n - i, 1.0)));
    }

    static void gamma_upper(double a, const double* x, double* out, std::size_t n) {
        std::size_t i = 0;
        for (; i + W <= n; i += W) store(out + i, lanes::gamma_upper<V, Target>(a, load(x + i)));
        if (i < n) store_part(out + i, n - i, lanes::gamma_upper<V, Target>(a, load_part(x + i, n - i, 1.0)));
    }

    static void tan(int depth, const double* x, double* out, std::size_t n) {
        std::size_t i = 0;
        for (; i + W <= n; i += W) store(out + i, tan_fraction<V, Target>(load(x + i), depth));
        if (i < n) store_part(out + i, n - i, tan_fraction<V, Target>(load_part(x + i, n - i, 1.0), depth));
    }

    static constexpr Table table(const char* name) {
        return Table{name, &exp, &log, &erf_above, &erf_below, &gamma_lower, &gamma_upper, &tan};
    }
};

}  // namespace pradix::num::lanes
