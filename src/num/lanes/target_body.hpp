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
Pack<N, K, T> operator-(const Pack<N, K, T>& a) {
    Pack<N, K, T> r;
    for (int i = 0; i < K; ++i) r.v[i] = -a.v[i];
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

// The block functions of a target whose widest lane type is V (a pack) and
// whose narrower ones are Narrower..., narrowest first (a plain double, then
// vectors of the target's own instruction set).  Whole packs of V run the
// bulk of an array; the rest, fewer than a pack, runs in the narrowest lane
// type that holds it, so a short batch (the inverses' rounds, the points left
// to one fraction, a stretch of one shape) never pays for a pack of empty
// lanes: on a processor whose wide divisions cost more than narrow ones, a
// mostly empty pack would cost more than the scalar loop.  Every lane type
// runs the same fraction, so the split never shows in a result.
template <class V, class Target, class Deep, class... Narrower>
struct Blocks {
    template <class L>
    static constexpr std::size_t lanes_of = sizeof(L) / sizeof(double);
    static constexpr std::size_t W = lanes_of<V>;

    template <class L>
    static L load_lanes(const double* p) {
        L v;
        __builtin_memcpy(&v, p, sizeof v);
        return v;
    }
    // The first n < lanes_of<L> elements, padded with `pad`.
    template <class L>
    static L load_lanes(const double* p, std::size_t n, double pad) {
        double a[lanes_of<L>];
        for (std::size_t i = 0; i < lanes_of<L>; ++i) a[i] = pad;
        for (std::size_t i = 0; i < n; ++i) a[i] = p[i];
        return load_lanes<L>(a);
    }
    template <class L>
    static void store_lanes(double* p, const L& v) {
        __builtin_memcpy(p, &v, sizeof v);
    }
    // The first n < lanes_of<L> lanes.
    template <class L>
    static void store_lanes(double* p, std::size_t n, const L& v) {
        double a[lanes_of<L>];
        __builtin_memcpy(a, &v, sizeof v);
        for (std::size_t i = 0; i < n; ++i) p[i] = a[i];
    }

    static V load(const double* p) { return load_lanes<V>(p); }
    static void store(double* p, V v) { store_lanes<V>(p, v); }
    // The last n < W elements of a block, padded with `pad`.
    static V load_part(const double* p, std::size_t n, double pad) { return load_lanes<V>(p, n, pad); }
    static void store_part(double* p, std::size_t n, V v) { store_lanes<V>(p, n, v); }

    // An argument array and the value that pads its last, partial pack (one
    // the fraction takes without trouble; its results are dropped).
    struct Arg {
        const double* p;
        double pad;
    };

    // The fewer than W elements left: the narrowest lane type L, Wider...
    // that holds r.
    template <class L, class... Wider, class F, class... In>
    static void rest(F f, double* out, std::size_t r, In... in) {
        if constexpr (sizeof...(Wider) > 0) {
            if (r > lanes_of<L>) return rest<Wider...>(f, out, r, in...);
        }
        store_lanes<L>(out, r, f(load_lanes<L>(in.p, r, in.pad)...));
    }

    // out[i] = f(in[i]...) for i < n, f a fraction generic in its lane type,
    // whole packs of P.
    template <class P = V, class F, class... In>
    static void map(F f, double* out, std::size_t n, In... in) {
        constexpr std::size_t w = lanes_of<P>;
        std::size_t i = 0;
        for (; i + w <= n; i += w) store_lanes<P>(out + i, f(load_lanes<P>(in.p + i)...));
        if (i < n) rest<Narrower..., V, P>(f, out + i, n - i, Arg{in.p + i, in.pad}...);
    }

    static void exp(const double* y, double* out, std::size_t n) {
        map([](auto v) { return exp_fraction<decltype(v), Target>(v); }, out, n, Arg{y, 1.0});
    }

    static void log(const double* u, double* out, std::size_t n) {
        map([](auto v) { return log_fraction<decltype(v), Target>(log_ratio<decltype(v), Target>(v)); }, out, n,
            Arg{u, 1.5});
    }

    static void erf_above(const double* x, const double* w, double* out, std::size_t n) {
        map([](auto a, auto b) { return lanes::erf_above<decltype(a), Target>(a, b); }, out, n, Arg{x, 3.0},
            Arg{w, 0.0});
    }

    static void erf_below(const double* x, const double* w, double* out, std::size_t n) {
        map([](auto a, auto b) { return lanes::erf_below<decltype(a), Target>(a, b); }, out, n, Arg{x, 1.0},
            Arg{w, 0.5});
    }

    static void gamma_lower(double a, const double* x, double* out, std::size_t n) {
        map<Deep>([a](auto v) { return lanes::gamma_lower<decltype(v), Target>(a, v); }, out, n, Arg{x, 1.0});
    }

    static void gamma_upper(double a, const double* x, double* out, std::size_t n) {
        map<Deep>([a](auto v) { return lanes::gamma_upper<decltype(v), Target>(a, v); }, out, n, Arg{x, 1.0});
    }

    // f(in[i]) for a fraction f of one argument; the last, partial pack
    // padded with `pad`.
    template <V (*F)(V)>
    static void each_of(const double* in, double* out, std::size_t n, double pad) {
        std::size_t i = 0;
        for (; i + W <= n; i += W) store(out + i, F(load(in + i)));
        if (i < n) store_part(out + i, n - i, F(load_part(in + i, n - i, pad)));
    }
    // f(depth, in[i]) for a fraction of a depth shared by every lane.
    template <V (*F)(int, V)>
    static void each_at_depth(int depth, const double* in, double* out, std::size_t n, double pad) {
        std::size_t i = 0;
        for (; i + W <= n; i += W) store(out + i, F(depth, load(in + i)));
        if (i < n) store_part(out + i, n - i, F(depth, load_part(in + i, n - i, pad)));
    }

    static void erf_above_fraction(const double* x, double* out, std::size_t n) {
        each_of<&lanes::erf_above_fraction<V, Target>>(x, out, n, 3.0);
    }
    static void erf_below_fraction(const double* x, double* out, std::size_t n) {
        each_of<&lanes::erf_below_fraction<V, Target>>(x, out, n, 1.0);
    }
    static void tanh_fraction(const double* r, double* out, std::size_t n) {
        each_of<&lanes::tanh_fraction<V, Target>>(r, out, n, 1.0);
    }
    static void atan_fraction(int depth, const double* x, double* out, std::size_t n) {
        each_at_depth<&lanes::atan_fraction<V, Target>>(depth, x, out, n, 1.0);
    }
    static void atan_series(int terms, const double* x, double* out, std::size_t n) {
        each_at_depth<&lanes::atan_series<V, Target>>(terms, x, out, n, 3.0);
    }

    // The fractions with a shape per lane; padding lanes take shape 1.
    template <class F>
    static void with_shapes(F f, const double* a, const double* x, double* out, std::size_t n) {
        std::size_t i = 0;
        for (; i + W <= n; i += W) store(out + i, f(load(a + i), load(x + i)));
        if (i < n) store_part(out + i, n - i, f(load_part(a + i, n - i, 1.0), load_part(x + i, n - i, 1.0)));
    }
    static void gamma_lower_each(const double* a, const double* x, double* out, std::size_t n) {
        with_shapes([](const V& s, const V& y) { return lanes::gamma_lower<V, Target, V>(s, y); }, a, x, out, n);
    }
    static void gamma_upper_each(const double* a, const double* x, double* out, std::size_t n) {
        with_shapes([](const V& s, const V& y) { return lanes::gamma_upper<V, Target, V>(s, y); }, a, x, out, n);
    }

    static void tan(int depth, const double* x, double* out, std::size_t n) {
        std::size_t i = 0;
        for (; i + W <= n; i += W) store(out + i, tan_fraction<V, Target>(load(x + i), depth));
        if (i < n) store_part(out + i, n - i, tan_fraction<V, Target>(load_part(x + i, n - i, 1.0), depth));
    }

    static constexpr Table table(const char* name) {
        return Table{name,         &exp,          &log,           &erf_above,     &erf_below,
                     &gamma_lower, &gamma_upper,  &erf_above_fraction, &erf_below_fraction,
                     &tanh_fraction, &atan_fraction, &atan_series,
                     &gamma_lower_each, &gamma_upper_each, &tan};
    }
};

}  // namespace pradix::num::lanes
