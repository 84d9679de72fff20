// The element loop of the vectorized functions: the only code that knows
// memory layouts.
//
// A call broadcasts its converted arguments (trailing dimensions aligned; an
// extent of 1 stretches), calls the scalar kernel once per element of the
// broadcast shape and returns a float64 array, or a Python float when every
// argument is zero-dimensional.  The result is Fortran-ordered when every
// argument with more than one element has the full broadcast shape and is
// Fortran-contiguous (but not all C-contiguous); otherwise C-ordered.
// Shapes that do not broadcast raise RuntimeError
// "pybind11::vectorize: incompatible size/dimension of inputs!".
//
// Layouts and parameters, from the cheapest:
// - every argument a plain Python scalar: one kernel call, no array at all;
// - every argument but the first has one element: the kernel is prepared
//   once for those parameters (`Prep::prepare`) and evaluated at each point
//   (`Prep::at`); the scalar kernel is defined as at(prepare(...)), so the
//   values are the same bits.  A preparation with `at_block` gets the
//   points in blocks of at most num::BLOCK, gathered into a buffer on the
//   stack (out[i] = at(x[i]), bit for bit, evaluated together);
// - parameters that vary: the call keeps the preparations it makes, keyed
//   by the parameters' bits (preparations.hpp), so repeated parameters (a
//   column of constants, a grid broadcast along one axis, grouped data) are
//   prepared once.  A broadcast grid is walked with an axis along which no
//   parameter moves innermost, and each such row is evaluated under one
//   preparation like the case above.  Other points are collected in batches
//   and handed to the kernel's `at_points` when it has one, or evaluated per
//   preparation, in blocks where several share one.  Preparations with a
//   Shared state (a table of log-gammas) get one for the whole call, and
//   those that own memory are kept within a budget (preparations.hpp).
//   Calls whose parameters hardly repeat (judged on their first elements)
//   keep nothing: kernels with at_points get their points in batches whose
//   preparations are made together (prepare_n: their logarithms in lanes);
//   other kernels are called at every element, as are small calls and
//   kernels without preparation.
// The walk visits the result in C order (trivial layouts, whose arguments
// are full-shape and contiguous in the same order or of one element: one
// pass over memory), except for the axis moved innermost; each argument is
// read at its broadcast position (stride 0 along stretched dimensions).
// Every element is independent, so neither the order of the walk nor the
// grouping of points changes a value: each result element is the kernel
// at the arguments at its position, NaN stored as the canonical quiet NaN.
// The loops poll for a stop request every POLL_ELEMENTS elements, and a
// stopped call raises instead of returning.
// The kernel loop runs in a ReleaseWindow (stop_scope.hpp): from its first
// poll on, other threads run while it computes.  Nothing in it touches a
// Python object.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <tuple>
#include <type_traits>
#include <utility>
#include <vector>

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include "../num/blocks.hpp"
#include "../num/common.hpp"
#include "../num/interrupt.hpp"
#include "arguments.hpp"
#include "point_memo.hpp"
#include "preparations.hpp"
#include "stop_scope.hpp"

namespace pradix {
namespace vec {

inline constexpr std::uint32_t POLL_ELEMENTS = 1024;

// The element type held for each storage.
template <Storage S>
using element_t = std::conditional_t<S == Storage::float64, double,
                                     std::conditional_t<S == Storage::int64, std::int64_t, bool>>;

// A stored element as the kernel's argument.  Only int64 parameters held as
// float64 can fail (NaN: the result element is NaN).
template <typename T, typename S>
struct Load {
    static_assert(std::is_same_v<T, S>, "no such conversion");
    static constexpr bool can_fail = false;
    static bool ok(S) { return true; }
    static T get(S s) { return s; }
};

template <>
struct Load<std::int64_t, double> {
    static constexpr bool can_fail = true;
    static bool ok(double s) { return s == s; }
    static std::int64_t get(double s) {
        std::int64_t v = 0;
        int64_from_float(s, v);
        return v;
    }
};

template <typename S>
S read(const char* p) {
    S v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

// Parameters of a kernel.
template <auto Kernel>
struct KernelArgs;

template <typename... A, double (*Kernel)(A...)>
struct KernelArgs<Kernel> {
    using type = std::tuple<A...>;
};

// The default preparation: the parameters kept as they are, the kernel called
// at each point.
template <auto Kernel, typename Args = typename KernelArgs<Kernel>::type>
struct Unprepared;

template <auto Kernel, typename X, typename... P>
struct Unprepared<Kernel, std::tuple<X, P...>> {
    std::tuple<P...> params;
    static Unprepared prepare(P... p) { return Unprepared{std::tuple<P...>(p...)}; }
    double at(X x) const {
        return std::apply([x](P... p) { return Kernel(x, p...); }, params);
    }
};

// Layout classification, with the same rules as the original binding layer:
// arguments of one element never break triviality; the others need the full
// broadcast shape and strides that are exactly C (or F) contiguous.
enum class Layout { c_trivial, f_trivial, strided };

template <std::size_t N>
Layout classify(const std::array<const Input*, N>& in, const std::vector<Py_intptr_t>& shape,
                const std::array<Py_intptr_t, N>& itemsize) {
    const int ndim = static_cast<int>(shape.size());
    bool c = true;
    bool f = true;
    for (std::size_t i = 0; i < N && (c || f); ++i) {
        const Input& a = *in[i];
        if (a.size == 1) continue;
        if (a.ndim != ndim) return Layout::strided;
        for (int d = 0; d < ndim; ++d) {
            if (a.shape[d] != shape[static_cast<std::size_t>(d)]) return Layout::strided;
        }
        if (c) {
            Py_intptr_t expect = itemsize[i];
            for (int d = ndim - 1; d >= 0 && c; --d) {
                if (expect == a.strides[d]) {
                    expect *= a.shape[d];
                } else {
                    c = false;
                }
            }
        }
        if (f) {
            Py_intptr_t expect = itemsize[i];
            for (int d = 0; d < ndim && f; ++d) {
                if (expect == a.strides[d]) {
                    expect *= a.shape[d];
                } else {
                    f = false;
                }
            }
        }
    }
    return c ? Layout::c_trivial : (f ? Layout::f_trivial : Layout::strided);
}

template <std::size_t N>
std::vector<Py_intptr_t> broadcast_shape(const std::array<const Input*, N>& in) {
    int ndim = 0;
    for (const Input* a : in) ndim = a->ndim > ndim ? a->ndim : ndim;
    std::vector<Py_intptr_t> shape(static_cast<std::size_t>(ndim), 1);
    for (const Input* a : in) {
        for (int k = 1; k <= a->ndim; ++k) {
            const Py_intptr_t extent = a->shape[a->ndim - k];
            Py_intptr_t& out = shape[static_cast<std::size_t>(ndim - k)];
            if (out == 1) {
                out = extent;
            } else if (extent != 1 && extent != out) {
                throw std::runtime_error("pybind11::vectorize: incompatible size/dimension of inputs!");
            }
        }
    }
    return shape;
}

// NumPy's largest number of dimensions (64 since NumPy 2, 32 before).
inline constexpr std::size_t MAX_DIMS = 64;
using Extents = std::array<Py_intptr_t, MAX_DIMS>;

// The order of a walk over the result: the extents, the last innermost, the
// byte strides of each of K arguments along them and the element strides of
// the result.  Fixed arrays: a call allocates nothing for its walk.
template <std::size_t K>
struct Walk {
    std::size_t ndim = 0;
    Extents shape;
    std::array<Extents, K> strides;
    Extents out_strides;
};

template <std::size_t N>
Walk<N> walk_of(const std::array<const Input*, N>& in, const std::vector<Py_intptr_t>& shape, Layout layout,
                Py_intptr_t size, const std::array<Py_intptr_t, N>& itemsize) {
    Walk<N> w;
    if (layout != Layout::strided) {  // one row over memory
        w.ndim = 1;
        w.shape[0] = size;
        for (std::size_t k = 0; k < N; ++k) w.strides[k][0] = in[k]->size == 1 ? 0 : itemsize[k];
        w.out_strides[0] = 1;
        return w;
    }
    const std::size_t ndim = shape.size();
    if (ndim > MAX_DIMS) throw std::runtime_error("too many dimensions");
    w.ndim = ndim;
    for (std::size_t d = 0; d < ndim; ++d) w.shape[d] = shape[d];
    for (std::size_t k = 0; k < N; ++k) {
        const Input& a = *in[k];
        for (std::size_t d = 0; d < ndim; ++d) w.strides[k][d] = 0;
        for (int m = 1; m <= a.ndim; ++m) {
            const std::size_t d = ndim - static_cast<std::size_t>(m);
            if (a.shape[a.ndim - m] == shape[d]) w.strides[k][d] = a.strides[a.ndim - m];
        }
    }
    w.out_strides[ndim - 1] = 1;
    for (std::size_t d = ndim - 1; d-- > 0;) w.out_strides[d] = w.out_strides[d + 1] * shape[d + 1];
    return w;
}

// Moves innermost the longest axis along which no parameter (argument 1
// on) moves, if there is one: its rows keep one preparation.  Elements are
// independent, so the order of the walk changes no value, and the result
// keeps its layout.
template <std::size_t N>
void parameters_outside(Walk<N>& w) {
    const std::size_t ndim = w.ndim;
    std::size_t best = ndim;
    for (std::size_t d = 0; d < ndim; ++d) {
        bool fixed = w.shape[d] > 1;
        for (std::size_t k = 1; k < N && fixed; ++k) fixed = w.strides[k][d] == 0;
        if (fixed && (best == ndim || w.shape[d] >= w.shape[best])) best = d;
    }
    if (best + 1 >= ndim) return;
    const auto last = [best, ndim](Extents& v) { std::rotate(v.begin() + best, v.begin() + best + 1, v.begin() + ndim); };
    last(w.shape);
    for (auto& s : w.strides) last(s);
    last(w.out_strides);
}

// Visits a walk row by row, up to `limit` elements (all by default).  Each
// piece of a row, cut where a poll is due, goes to
// row(at, step, out, out_step, n): n results from the arguments at `at`,
// advancing by `step` bytes, stored from `out` on, `out_step` elements
// apart.  Positions are kept as offsets, so no pointer ever leaves its array.
template <std::size_t K, typename Row>
void walk_rows(const Walk<K>& w, const std::array<const char*, K>& base, double* out, Row&& row,
               Py_intptr_t limit = -1) {
    const std::size_t ndim = w.ndim;
    Py_intptr_t count = 1;
    for (std::size_t d = 0; d < ndim; ++d) count *= w.shape[d];
    if (limit >= 0 && limit < count) count = limit;
    if (count == 0) return;
    const Py_intptr_t inner = w.shape[ndim - 1];
    const Py_intptr_t out_step = w.out_strides[ndim - 1];
    std::array<Py_intptr_t, K> step{};
    for (std::size_t k = 0; k < K; ++k) step[k] = w.strides[k][ndim - 1];
    Extents index{};
    std::array<Py_intptr_t, K> offset{};  // of the current row, in bytes
    Py_intptr_t out_offset = 0;           // in elements
    Py_intptr_t unpolled = 0;
    for (Py_intptr_t done = 0; done < count; done += inner) {
        const Py_intptr_t row_end = count - done < inner ? count - done : inner;
        for (Py_intptr_t j = 0; j < row_end;) {
            const Py_intptr_t room = static_cast<Py_intptr_t>(POLL_ELEMENTS) - unpolled;
            const Py_intptr_t end = row_end - j > room ? j + room : row_end;
            std::array<const char*, K> at;
            for (std::size_t k = 0; k < K; ++k) at[k] = base[k] + (offset[k] + j * step[k]);
            row(at, step, out + (out_offset + j * out_step), out_step, end - j);
            unpolled += end - j;
            j = end;
            if (unpolled == static_cast<Py_intptr_t>(POLL_ELEMENTS)) {
                unpolled = 0;
                if (num::interrupt::check()) StopScope::raise_if_stopped();
            }
        }
        // Next row: carry through the outer indices.
        for (std::size_t d = ndim - 1; d-- > 0;) {
            if (++index[d] != w.shape[d]) {
                for (std::size_t k = 0; k < K; ++k) offset[k] += w.strides[k][d];
                out_offset += w.out_strides[d];
                break;
            }
            for (std::size_t k = 0; k < K; ++k) offset[k] -= w.strides[k][d] * (w.shape[d] - 1);
            out_offset -= w.out_strides[d] * (w.shape[d] - 1);
            index[d] = 0;
        }
    }
}

template <auto Kernel, typename Prep, typename Stored>
struct Loop;

template <auto Kernel, typename Prep, typename... S>
struct Loop<Kernel, Prep, std::tuple<S...>> {
    using Args = typename KernelArgs<Kernel>::type;
    static constexpr std::size_t N = sizeof...(S);
    using Index = std::make_index_sequence<N>;

    template <std::size_t I>
    using arg_t = std::tuple_element_t<I, Args>;
    template <std::size_t I>
    using stored_t = std::tuple_element_t<I, std::tuple<S...>>;
    template <std::size_t I>
    using load_t = Load<arg_t<I>, stored_t<I>>;
    using X = stored_t<0>;      // a point as stored
    using Point = arg_t<0>;     // a point as the kernel takes it

    // How points under one preparation are evaluated: in blocks (at_block)
    // or one by one (at, through the point memo where the kernel has one);
    // and whether batches of points under many preparations go to the
    // kernel's at_points.
    static constexpr bool BLOCKS =
        num::HasAtBlock<Prep>::value && std::is_same_v<X, double> && std::is_same_v<Point, double> &&
        !MemoizesPoints<Prep>::value;
    static constexpr bool AT_POINTS = HasAtPoints<Prep, Point>::value;
    // Rows under one preparation at least this long are evaluated as rows.
    static constexpr Py_intptr_t LONG_ROW = 8;
    // Calls with fewer elements keep no preparations (unless they own memory
    // or the kernel evaluates many at once): nothing to allocate.
    static constexpr Py_intptr_t SMALL_CALL = 16;
    // Elements looked at to decide whether parameters repeat.
    static constexpr Py_intptr_t TRIAL = 1024;

    // Kernel value at one position: NaN where an integer argument is NaN.
    template <std::size_t... I>
    static double value(const std::array<const char*, N>& at, std::index_sequence<I...>) {
        const std::tuple<S...> s{read<S>(at[I])...};
        if constexpr ((load_t<I>::can_fail || ...)) {
            if (!(load_t<I>::ok(std::get<I>(s)) && ...)) return num::NaN;
        }
        return num::canonical(Kernel(load_t<I>::get(std::get<I>(s))...));
    }

    // The parameters (every argument but the first) as the kernel takes them.
    template <typename Seq>
    struct ParamsOf;
    template <std::size_t... I>
    struct ParamsOf<std::index_sequence<0, I...>> {
        using type = std::tuple<arg_t<I>...>;
    };
    using Params = typename ParamsOf<Index>::type;
    using Cache = Preparations<Prep, N - 1>;

    // The parameters at `at`; false where an integer parameter is NaN.
    template <std::size_t... I>
    static bool parameters(const std::array<const char*, N>& at, Params& p, std::index_sequence<0, I...>) {
        if constexpr (((load_t<I>::can_fail) || ...)) {
            if (!(load_t<I>::ok(read<stored_t<I>>(at[I])) && ...)) return false;
        }
        p = Params{load_t<I>::get(read<stored_t<I>>(at[I]))...};
        return true;
    }

    template <std::size_t... J>
    static typename Cache::Key key_of(const Params& p, std::index_sequence<J...>) {
        return {key_bits(std::get<J>(p))...};
    }

    // The slot of the preparation for the parameters at `at`, or NONE where
    // an integer parameter is NaN.
    template <class Empty>
    static std::uint32_t preparation(Cache& cache, const std::array<const char*, N>& at, Empty&& empty) {
        Params p;
        if (!parameters(at, p, Index{})) return Cache::NONE;
        return cache.find(
            key_of(p, std::make_index_sequence<N - 1>{}),
            [&p] { return std::apply([](auto... a) { return Prep::prepare(a...); }, p); }, empty);
    }

    using Shared = typename SharedOf<Prep>::type;

    // The result at a stored point under `prep`.  Always inlined into the
    // element loops (clang would call it for every point of a memoized
    // kernel, whose evaluation it holds twice over).
    [[gnu::always_inline]] static double at_point(const Prep& prep, X xs, PointMemo::Run* memo) {
        if constexpr (load_t<0>::can_fail) {
            if (!load_t<0>::ok(xs)) return num::NaN;
        }
        const Point x = load_t<0>::get(xs);
        if constexpr (MemoizesPoints<Prep>::value) {
            if (memo != nullptr) return memo->get(x, [&] { return num::canonical(prep.at(x)); });
        }
        return num::canonical(prep.at(x));
    }

    // The same with the call's shared state, for preparations that have one.
    static double at_point(const Prep& prep, X xs, Shared& shared) {
        if constexpr (HasShared<Prep>::value) {
            if constexpr (load_t<0>::can_fail) {
                if (!load_t<0>::ok(xs)) return num::NaN;
            }
            return num::canonical(prep.at(load_t<0>::get(xs), shared));
        } else {
            return at_point(prep, xs, nullptr);
        }
    }

    // A batch through the kernel's at_points, with the call's shared state
    // where it takes it.
    static void points_at(const PointPreparations<Prep>& preps, const Point* x, double* v, std::size_t n,
                          Shared& shared) {
        if constexpr (HasSharedAtPoints<Prep, Point>::value) {
            Prep::at_points(preps, x, v, n, &shared);
        } else {
            Prep::at_points(preps, x, v, n);
        }
    }

    // n results under one preparation, from the points at `x` (`step`
    // bytes apart) to out (`out_step` elements apart).
    static void one_preparation(const Prep& prep, PointMemo* memo, const char* x, Py_intptr_t step, double* out,
                                Py_intptr_t out_step, Py_intptr_t n) {
        if constexpr (BLOCKS) {
            if (step == static_cast<Py_intptr_t>(sizeof(double)) && out_step == 1 &&
                reinterpret_cast<std::uintptr_t>(x) % alignof(double) == 0) {
                // Contiguous points: the whole piece at once, in place (a
                // staged kernel keeps its batches full across more points).
                prep.at_block(reinterpret_cast<const double*>(x), out, static_cast<std::size_t>(n));
                for (Py_intptr_t i = 0; i < n; ++i) out[i] = num::canonical(out[i]);
                return;
            }
            double xs[num::BLOCK];
            double v[num::BLOCK];
            for (Py_intptr_t done = 0; done < n;) {
                const Py_intptr_t room = static_cast<Py_intptr_t>(num::BLOCK);
                const Py_intptr_t m = n - done < room ? n - done : room;
                for (Py_intptr_t i = 0; i < m; ++i) xs[i] = read<double>(x + (done + i) * step);
                double* o = out + done * out_step;
                double* dst = out_step == 1 ? o : v;
                prep.at_block(xs, dst, static_cast<std::size_t>(m));
                for (Py_intptr_t i = 0; i < m; ++i) o[i * out_step] = num::canonical(dst[i]);
                done += m;
            }
        } else {
            if constexpr (MemoizesPoints<Prep>::value) {
                if (memo != nullptr) {
                    PointMemo::Run run = memo->run();
                    for (Py_intptr_t i = 0; i < n; ++i) out[i * out_step] = at_point(prep, read<X>(x + i * step), &run);
                    memo->keep(run);
                    return;
                }
            }
            for (Py_intptr_t i = 0; i < n; ++i) out[i * out_step] = at_point(prep, read<X>(x + i * step), nullptr);
        }
    }

    // The arguments of element i of a row.
    static std::array<const char*, N> element(const std::array<const char*, N>& at,
                                              const std::array<Py_intptr_t, N>& step, Py_intptr_t i) {
        std::array<const char*, N> here;
        for (std::size_t k = 0; k < N; ++k) here[k] = at[k] + i * step[k];
        return here;
    }

    // The kernel called at each element of a row (see walk_rows).
    static constexpr auto each_row = [](std::array<const char*, N> at, const std::array<Py_intptr_t, N>& step,
                                        double* o, Py_intptr_t os, Py_intptr_t n) {
        for (Py_intptr_t i = 0;;) {
            o[i * os] = value(at, Index{});
            if (++i == n) break;  // (no position past the row is ever formed)
            for (std::size_t k = 0; k < N; ++k) at[k] += step[k];
        }
    };

    // Every argument but the first has one element: prepare once.
    template <std::size_t... I>
    static void fixed(double* out, Py_intptr_t count, const std::array<const char*, N>& base, const Walk<N>& w,
                      std::index_sequence<0, I...>) {
        if constexpr (((load_t<I>::can_fail) || ...)) {
            if (!(load_t<I>::ok(read<stored_t<I>>(base[I])) && ...)) {
                for (Py_intptr_t i = 0; i < count; ++i) out[i] = num::NaN;
                return;
            }
        }
        const Prep prep = Prep::prepare(load_t<I>::get(read<stored_t<I>>(base[I]))...);
        PointMemo memo(static_cast<std::size_t>(count));
        // The parameters' positions never move (one element each).
        walk_rows<N>(w, base, out,
                     [&](const std::array<const char*, N>& at, const std::array<Py_intptr_t, N>& step, double* o,
                         Py_intptr_t os, Py_intptr_t n) { one_preparation(prep, &memo, at[0], step[0], o, os, n); });
    }

    // Points whose preparations may differ, waiting to be evaluated
    // together: through the kernel's at_points, or those of one preparation
    // through at_block.
    class Batch {
    public:
        explicit Batch(const Cache& cache) : cache_(cache) {
            if constexpr (!AT_POINTS) group_.assign(cache.capacity(), NO_GROUP);
        }

        bool full() const { return n_ == num::BLOCK; }

        void add(Point x, double* out, std::uint32_t slot) {
            x_[n_] = x;
            out_[n_] = out;
            slot_[n_] = slot;
            if constexpr (!AT_POINTS) {
                std::uint16_t& g = group_[slot];
                if (g == NO_GROUP) {
                    g = static_cast<std::uint16_t>(groups_);
                    size_[groups_++] = 0;
                }
                ++size_[g];
            }
            ++n_;
        }

        void evaluate() {
            if (n_ == 0) return;
            double v[num::BLOCK];
            if constexpr (AT_POINTS) {
                points_at(PointPreparations<Prep>(cache_.table(), slot_), x_, v, n_, shared_);
                for (std::size_t i = 0; i < n_; ++i) *out_[i] = num::canonical(v[i]);
            } else if (groups_ == n_) {
                for (std::size_t i = 0; i < n_; ++i) *out_[i] = num::canonical(cache_[slot_[i]].at(x_[i]));
            } else {
                by_groups(v);
            }
            if constexpr (!AT_POINTS) {
                for (std::size_t i = 0; i < n_; ++i) group_[slot_[i]] = NO_GROUP;
                groups_ = 0;
            }
            n_ = 0;
        }

    private:
        static constexpr std::uint16_t NO_GROUP = 0xFFFF;

        // The points of each preparation contiguous (counting sort), a block
        // per preparation with more than one.
        void by_groups(double* v) {
            std::size_t start[num::BLOCK];
            for (std::size_t g = 0, at = 0; g < groups_; ++g) {
                start[g] = at;
                at += size_[g];
            }
            double xs[num::BLOCK];
            std::uint16_t order[num::BLOCK];
            for (std::size_t i = 0; i < n_; ++i) {
                const std::size_t j = start[group_[slot_[i]]]++;
                xs[j] = x_[i];
                order[j] = static_cast<std::uint16_t>(i);
            }
            for (std::size_t j = 0; j < n_;) {
                const std::size_t m = size_[group_[slot_[order[j]]]];
                const Prep& prep = cache_[slot_[order[j]]];
                if (m == 1) {
                    v[j] = prep.at(xs[j]);
                } else {
                    prep.at_block(xs + j, v + j, m);
                }
                j += m;
            }
            for (std::size_t j = 0; j < n_; ++j) *out_[order[j]] = num::canonical(v[j]);
        }

        const Cache& cache_;
        Shared shared_{};
        std::size_t n_ = 0;
        Point x_[num::BLOCK];
        double* out_[num::BLOCK];
        std::uint32_t slot_[num::BLOCK];
        // Without at_points: the group of each slot in this batch, and the
        // sizes of the groups.
        std::vector<std::uint16_t> group_;
        std::size_t groups_ = 0;
        std::uint16_t size_[num::BLOCK];
    };

    // Whether keeping preparations would not pay: the call is small, or in
    // its first TRIAL elements fewer than one in 16 has the parameters of an
    // earlier one.  Never for preparations that own memory (their reuse
    // saves the most).
    static bool rarely_repeated(double* out, Py_intptr_t count, const std::array<const char*, N>& base,
                                const Walk<N>& w) {
        if (!std::is_trivially_destructible_v<Prep>) return false;
        if (count < SMALL_CALL) return true;
        struct Seen {};
        const Py_intptr_t looked = count < TRIAL ? count : TRIAL;
        Preparations<Seen, N - 1> seen(static_cast<std::size_t>(looked));
        Py_intptr_t repeats = 0;
        walk_rows<N>(
            w, base, out,
            [&](const std::array<const char*, N>& at, const std::array<Py_intptr_t, N>& step, double*, Py_intptr_t,
                Py_intptr_t n) {
                for (Py_intptr_t i = 0; i < n; ++i) {
                    const std::array<const char*, N> here = element(at, step, i);
                    Params p;
                    const std::size_t before = seen.size();
                    if (parameters(here, p, Index{})) {
                        seen.find(key_of(p, std::make_index_sequence<N - 1>{}), [] { return Seen{}; }, [] {});
                    }
                    repeats += seen.size() == before ? 1 : 0;
                }
            },
            looked);
        return repeats * 16 < looked;
    }

    struct NoBatch {
        explicit NoBatch(const Cache&) {}
    };

    // The parameters of up to BLOCK preparations, one array per parameter.
    template <class T>
    struct ColumnsOf;
    template <class... P>
    struct ColumnsOf<std::tuple<P...>> {
        using type = std::tuple<std::array<P, num::BLOCK>...>;
    };

    // Points whose parameters rarely repeat, for kernels with at_points:
    // gathered in batches of up to BLOCK, a point with the parameters
    // (bits) of the point before it sharing its preparation.  The batch's
    // preparations are made together (prepare_n, where the kernel offers
    // it: their logarithms in lanes), then at_points
    // evaluates the batch.
    class FreshBatch {
    public:
        FreshBatch() : prep_(num::BLOCK) {}

        bool full() const { return n_ == num::BLOCK; }

        void add(Point x, double* out, const Params& p) {
            const typename Cache::Key key = key_of(p, std::make_index_sequence<N - 1>{});
            if (preps_ == 0 || key != last_) {
                put(preps_++, p, std::make_index_sequence<N - 1>{});
                last_ = key;
            }
            x_[n_] = x;
            out_[n_] = out;
            slot_[n_] = static_cast<std::uint32_t>(preps_ - 1);
            ++n_;
        }

        void evaluate() {
            if (n_ == 0) return;
            prepare(std::make_index_sequence<N - 1>{});
            double v[num::BLOCK];
            points_at(PointPreparations<Prep>(prep_.data(), slot_), x_, v, n_, shared_);
            for (std::size_t i = 0; i < n_; ++i) *out_[i] = num::canonical(v[i]);
            n_ = 0;
            preps_ = 0;
        }

    private:
        template <std::size_t... J>
        void put(std::size_t j, const Params& p, std::index_sequence<J...>) {
            ((std::get<J>(columns_)[j] = std::get<J>(p)), ...);
        }

        template <std::size_t... J>
        void prepare(std::index_sequence<J...>) {
            if constexpr (HasPrepareN<Prep, Params>::value) {
                Prep::prepare_n(prep_.data(), preps_, std::get<J>(columns_).data()...);
            } else {
                for (std::size_t j = 0; j < preps_; ++j) prep_[j] = Prep::prepare(std::get<J>(columns_)[j]...);
            }
        }

        Shared shared_{};
        std::size_t n_ = 0;
        std::size_t preps_ = 0;
        typename Cache::Key last_{};
        Point x_[num::BLOCK];
        double* out_[num::BLOCK];
        std::uint32_t slot_[num::BLOCK];
        typename ColumnsOf<Params>::type columns_;
        std::vector<Prep> prep_;
    };

    // True for a row of at least LONG_ROW elements along which no parameter
    // moves: it is evaluated under one preparation.
    static bool fixed_row(const std::array<Py_intptr_t, N>& step, Py_intptr_t n) {
        bool fixed = n >= LONG_ROW;
        for (std::size_t k = 1; k < N && fixed; ++k) fixed = step[k] == 0;
        return fixed;
    }

    // Parameters that rarely repeat, for kernels with at_points: the points
    // in fresh batches (FreshBatch), rows with fixed parameters under one
    // preparation.
    static void fresh(double* out, const std::array<const char*, N>& base, const Walk<N>& w) {
        FreshBatch batch;
        walk_rows<N>(w, base, out,
                     [&](std::array<const char*, N> at, const std::array<Py_intptr_t, N>& step, double* o,
                         Py_intptr_t os, Py_intptr_t n) {
                         Params p;
                         if (fixed_row(step, n)) {
                             if (!parameters(at, p, Index{})) {
                                 for (Py_intptr_t i = 0; i < n; ++i) o[i * os] = num::NaN;
                             } else {
                                 const Prep prep = std::apply([](auto... a) { return Prep::prepare(a...); }, p);
                                 one_preparation(prep, nullptr, at[0], step[0], o, os, n);
                             }
                             return;
                         }
                         for (Py_intptr_t i = 0; i < n; ++i) {
                             const std::array<const char*, N> here = element(at, step, i);
                             double* dst = o + i * os;
                             const X xs = read<X>(here[0]);
                             if (!parameters(here, p, Index{}) || (load_t<0>::can_fail && !load_t<0>::ok(xs))) {
                                 *dst = num::NaN;
                             } else {
                                 batch.add(load_t<0>::get(xs), dst, p);
                                 if (batch.full()) batch.evaluate();
                             }
                         }
                     });
        batch.evaluate();
    }

    // Parameters that vary: each element finds its preparation among those
    // the call keeps.  Rows along which no parameter moves are evaluated
    // under one preparation; other points are batched when the kernel
    // evaluates many points at once (at_points, or at_block per
    // preparation), else evaluated at once.
    static void varying(double* out, Py_intptr_t count, const std::array<const char*, N>& base, const Walk<N>& w) {
        constexpr bool BATCHED = AT_POINTS || BLOCKS;
        Cache cache(std::min<std::size_t>(static_cast<std::size_t>(count), KeptPreparations<Prep>::value));
        Shared shared{};
        std::conditional_t<BATCHED, Batch, NoBatch> batch(cache);
        const auto evaluate_batch = [&] {
            if constexpr (BATCHED) batch.evaluate();
        };
        walk_rows<N>(w, base, out,
                     [&](std::array<const char*, N> at, const std::array<Py_intptr_t, N>& step, double* o,
                         Py_intptr_t os, Py_intptr_t n) {
                         if (fixed_row(step, n)) {
                             const std::uint32_t slot = preparation(cache, at, evaluate_batch);
                             if (slot == Cache::NONE) {
                                 for (Py_intptr_t i = 0; i < n; ++i) o[i * os] = num::NaN;
                             } else if constexpr (HasShared<Prep>::value && !BATCHED) {
                                 for (Py_intptr_t i = 0; i < n; ++i) {
                                     o[i * os] = at_point(cache[slot], read<X>(at[0] + i * step[0]), shared);
                                 }
                                 if constexpr (HasKeptBytes<Prep>::value) cache.account(slot);
                             } else {
                                 one_preparation(cache[slot], nullptr, at[0], step[0], o, os, n);
                                 if constexpr (HasKeptBytes<Prep>::value) cache.account(slot);
                             }
                             return;
                         }
                         for (Py_intptr_t i = 0; i < n; ++i) {
                             const std::array<const char*, N> here = element(at, step, i);
                             double* dst = o + i * os;
                             const std::uint32_t slot = preparation(cache, here, evaluate_batch);
                             const X xs = read<X>(here[0]);
                             if (slot == Cache::NONE || (load_t<0>::can_fail && !load_t<0>::ok(xs))) {
                                 *dst = num::NaN;
                             } else if constexpr (BATCHED) {
                                 batch.add(load_t<0>::get(xs), dst, slot);
                                 if (batch.full()) batch.evaluate();
                             } else {
                                 *dst = at_point(cache[slot], xs, shared);
                                 if constexpr (HasKeptBytes<Prep>::value) cache.account(slot);
                             }
                         }
                     });
        evaluate_batch();
    }

    static py::object run(const std::array<const Input*, N>& in) {
        constexpr std::array<Py_intptr_t, N> itemsize{static_cast<Py_intptr_t>(sizeof(S))...};
        const std::vector<Py_intptr_t> shape = broadcast_shape(in);
        Py_intptr_t size = 1;
        for (const Py_intptr_t e : shape) size *= e;

        StopScope scope;
        std::array<const char*, N> base;
        for (std::size_t k = 0; k < N; ++k) base[k] = in[k]->data;
        if (shape.empty()) {
            double v;
            {
                ReleaseWindow window;  // a long single call lets other threads run
                v = value(base, Index{});
            }
            StopScope::raise_if_stopped();
            return py::float_(v);
        }

        const Layout layout = classify(in, shape, itemsize);
        py::array result = layout == Layout::f_trivial ? py::array(py::array_t<double, py::array::f_style>(shape))
                                                       : py::array(py::array_t<double>(shape));
        if (size == 0) return std::move(result);
        double* out = static_cast<double*>(result.mutable_data());

        Walk<N> w = walk_of(in, shape, layout, size, itemsize);
        bool parameters_fixed = true;
        for (std::size_t k = 1; k < N; ++k) parameters_fixed = parameters_fixed && in[k]->size == 1;
        ReleaseWindow window;  // after the result exists, so it is released with the lock held
        if (parameters_fixed) {
            fixed(out, size, base, w, Index{});
        } else if constexpr (std::is_same_v<Prep, Unprepared<Kernel>>) {
            walk_rows<N>(w, base, out, each_row);
        } else {
            parameters_outside(w);
            if (rarely_repeated(out, size, base, w)) {
                if constexpr (AT_POINTS) {
                    if (size >= SMALL_CALL) {
                        fresh(out, base, w);
                    } else {
                        walk_rows<N>(w, base, out, each_row);
                    }
                } else {
                    walk_rows<N>(w, base, out, each_row);
                }
            } else {
                varying(out, size, base, w);
            }
        }
        StopScope::raise_if_stopped();
        return std::move(result);
    }
};

// Chooses the stored element types (int64 parameters may hold float64) and
// runs the loop for them.
template <auto Kernel, typename Prep, std::size_t I, typename... Chosen>
py::object dispatch(const std::array<const Input*, std::tuple_size_v<typename KernelArgs<Kernel>::type>>& in) {
    using Args = typename KernelArgs<Kernel>::type;
    if constexpr (I == std::tuple_size_v<Args>) {
        return Loop<Kernel, Prep, std::tuple<Chosen...>>::run(in);
    } else {
        using T = std::tuple_element_t<I, Args>;
        if constexpr (std::is_same_v<T, std::int64_t>) {
            if (in[I]->storage == Storage::float64) return dispatch<Kernel, Prep, I + 1, Chosen..., double>(in);
            return dispatch<Kernel, Prep, I + 1, Chosen..., std::int64_t>(in);
        } else {
            return dispatch<Kernel, Prep, I + 1, Chosen..., T>(in);
        }
    }
}

}  // namespace vec
}  // namespace pradix
