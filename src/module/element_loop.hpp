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
// Layouts, from the cheapest:
// - every argument a plain Python scalar: one kernel call, no array at all;
// - every argument but the first has one element: the kernel is prepared
//   once for those parameters (`Prep::prepare`) and evaluated at each point
//   (`Prep::at`); the scalar kernel is defined as at(prepare(...)), so the
//   values are the same bits.  A preparation with `at_block` gets the
//   points in blocks of at most num::BLOCK, gathered into a buffer on the
//   stack (out[i] = at(x[i]), bit for bit, evaluated together);
// - trivial layouts (arguments either full-shape and contiguous in the same
//   order, or one element): one pass over memory with a pointer per
//   argument;
// - anything else: a walk over the result in C order, each argument read at
//   its broadcast position (stride 0 along stretched dimensions).
// Every result element is one kernel call with the arguments at its
// position, so the layout never changes a value; NaN results are stored as
// the canonical quiet NaN.  The loops poll for a stop request every
// POLL_ELEMENTS elements, and a stopped call raises instead of returning.
#pragma once

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

    // Kernel value at one position: NaN where an integer argument is NaN.
    template <std::size_t... I>
    static double value(const std::array<const char*, N>& at, std::index_sequence<I...>) {
        const std::tuple<S...> s{read<S>(at[I])...};
        if constexpr ((load_t<I>::can_fail || ...)) {
            if (!(load_t<I>::ok(std::get<I>(s)) && ...)) return num::NaN;
        }
        return num::canonical(Kernel(load_t<I>::get(std::get<I>(s))...));
    }

    // Every argument but the first has one element: prepare once.
    template <std::size_t... I>
    static void prepared(double* out, Py_intptr_t count, const std::array<const char*, N>& base,
                         const std::array<std::vector<Py_intptr_t>, N>& strides,
                         const std::vector<Py_intptr_t>& shape, std::index_sequence<0, I...>) {
        using X = stored_t<0>;
        if constexpr (((load_t<I>::can_fail) || ...)) {
            if (!(load_t<I>::ok(read<stored_t<I>>(base[I])) && ...)) {
                for (Py_intptr_t i = 0; i < count; ++i) out[i] = num::NaN;
                return;
            }
        }
        const Prep prep = Prep::prepare(load_t<I>::get(read<stored_t<I>>(base[I]))...);
        if constexpr (num::HasAtBlock<Prep>::value && std::is_same_v<X, double> && !MemoizesPoints<Prep>::value) {
            walk_rows<1>(out, count, {base[0]}, {strides[0]}, shape,
                         [&](std::array<const char*, 1> at, const std::array<Py_intptr_t, 1>& step, double* o,
                             Py_intptr_t n) {
                             double x[num::BLOCK];
                             for (Py_intptr_t done = 0; done < n;) {
                                 const Py_intptr_t room = static_cast<Py_intptr_t>(num::BLOCK);
                                 const Py_intptr_t m = n - done < room ? n - done : room;
                                 for (Py_intptr_t i = 0; i < m; ++i) {
                                     x[i] = read<double>(at[0]);
                                     at[0] += step[0];
                                 }
                                 prep.at_block(x, o + done, static_cast<std::size_t>(m));
                                 for (Py_intptr_t i = 0; i < m; ++i) o[done + i] = num::canonical(o[done + i]);
                                 done += m;
                             }
                         });
            return;
        }
        PointMemo memo(static_cast<std::size_t>(count));
        auto eval = [&](X xs) -> double {
            if constexpr (load_t<0>::can_fail) {
                if (!load_t<0>::ok(xs)) return num::NaN;
            }
            const auto x = load_t<0>::get(xs);
            if constexpr (MemoizesPoints<Prep>::value) {
                return memo.get(x, [&] { return num::canonical(prep.at(x)); });
            } else {
                return num::canonical(prep.at(x));
            }
        };
        walk<1>(out, count, {base[0]}, {strides[0]}, shape, [&](const std::array<const char*, 1>& at) {
            return eval(read<X>(at[0]));
        });
    }

    // Visits the result in memory order; `strides[k]` are the byte strides of
    // argument k along the broadcast shape (an empty list: contiguous, with
    // `shape` holding the one extent).  Each piece of an innermost row, cut
    // where a poll is due, goes to row(at, step, out, n): n results from the
    // arguments at `at`, advancing by `step`.
    template <std::size_t K, typename Row>
    static void walk_rows(double* out, Py_intptr_t count, std::array<const char*, K> ptr,
                          const std::array<std::vector<Py_intptr_t>, K>& strides,
                          const std::vector<Py_intptr_t>& shape, Row&& row) {
        const std::size_t ndim = shape.size();
        if (ndim == 0) return;
        const Py_intptr_t inner = shape[ndim - 1];
        std::array<Py_intptr_t, K> step{};
        for (std::size_t k = 0; k < K; ++k) step[k] = strides[k][ndim - 1];
        std::vector<Py_intptr_t> index(ndim, 0);
        std::array<const char*, K> row_at = ptr;
        Py_intptr_t done = 0;
        Py_intptr_t unpolled = 0;
        while (done < count) {
            Py_intptr_t j = 0;
            while (j < inner) {
                const Py_intptr_t room = static_cast<Py_intptr_t>(POLL_ELEMENTS) - unpolled;
                const Py_intptr_t end = inner - j > room ? j + room : inner;
                std::array<const char*, K> at;
                for (std::size_t k = 0; k < K; ++k) at[k] = row_at[k] + j * step[k];
                row(at, step, out + done + j, end - j);
                unpolled += end - j;
                j = end;
                if (unpolled == static_cast<Py_intptr_t>(POLL_ELEMENTS)) {
                    unpolled = 0;
                    if (num::interrupt::check()) StopScope::raise_if_stopped();
                }
            }
            done += inner;
            // Next row: carry through the outer indices.
            for (std::size_t d = ndim - 1; d-- > 0;) {
                for (std::size_t k = 0; k < K; ++k) row_at[k] += strides[k][d];
                if (++index[d] != shape[d]) break;
                for (std::size_t k = 0; k < K; ++k) row_at[k] -= strides[k][d] * shape[d];
                index[d] = 0;
            }
        }
        if (num::interrupt::requested) StopScope::raise_if_stopped();
    }

    // walk_rows with one result per eval(at).
    template <std::size_t K, typename Eval>
    static void walk(double* out, Py_intptr_t count, std::array<const char*, K> ptr,
                     const std::array<std::vector<Py_intptr_t>, K>& strides, const std::vector<Py_intptr_t>& shape,
                     Eval&& eval) {
        walk_rows<K>(out, count, ptr, strides, shape,
                     [&](std::array<const char*, K> at, const std::array<Py_intptr_t, K>& step, double* o,
                         Py_intptr_t n) {
                         for (Py_intptr_t i = 0; i < n; ++i) {
                             o[i] = eval(at);
                             for (std::size_t k = 0; k < K; ++k) at[k] += step[k];
                         }
                     });
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
            const double v = value(base, Index{});
            StopScope::raise_if_stopped();
            return py::float_(v);
        }

        const Layout layout = classify(in, shape, itemsize);
        py::array result = layout == Layout::f_trivial ? py::array(py::array_t<double, py::array::f_style>(shape))
                                                       : py::array(py::array_t<double>(shape));
        if (size == 0) return std::move(result);
        double* out = static_cast<double*>(result.mutable_data());

        // Byte strides of each argument along the walk.  Trivial layouts are
        // walked as one row over memory.
        std::array<std::vector<Py_intptr_t>, N> strides;
        std::vector<Py_intptr_t> walk_shape;
        if (layout != Layout::strided) {
            walk_shape = {size};
            for (std::size_t k = 0; k < N; ++k) strides[k] = {in[k]->size == 1 ? 0 : itemsize[k]};
        } else {
            walk_shape = shape;
            const std::size_t ndim = shape.size();
            for (std::size_t k = 0; k < N; ++k) {
                const Input& a = *in[k];
                strides[k].assign(ndim, 0);
                for (int m = 1; m <= a.ndim; ++m) {
                    const std::size_t d = ndim - static_cast<std::size_t>(m);
                    if (a.shape[a.ndim - m] == shape[d]) strides[k][d] = a.strides[a.ndim - m];
                }
            }
        }

        bool parameters_fixed = true;
        for (std::size_t k = 1; k < N; ++k) parameters_fixed = parameters_fixed && in[k]->size == 1;
        if (parameters_fixed) {
            prepared(out, size, base, strides, walk_shape, Index{});
        } else {
            walk<N>(out, size, base, strides, walk_shape,
                    [](const std::array<const char*, N>& at) { return value(at, Index{}); });
        }
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
