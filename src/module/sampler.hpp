// Sampling front-end: the three overloads of every sampling function.
//
// A sampler kernel is a plain double(P..., Engine&).  def_sampler registers,
// under one name and in this order,
//   scalar: (P..., engine) -> float, the kernel itself;
//   shape:  (P..., size: List[int], engine) -> ndarray of that shape;
//   count:  (P..., size: int, engine) -> one-dimensional ndarray;
// all with engine defaulting to the shared default engine.  The order
// matters: the binding library tries overloads in registration order.
//
// Arrays are created by NumPy itself (C order, null strides) from the raw
// extents, so NumPy does every size check: extents of 2^63 and above are
// passed on as negative and refused, and so are element counts too large to
// allocate.  Its exception propagates before any draw is made.  The array is
// then filled in memory order with n successive draws: the kernel's, or,
// for a sampler registered with its preparation (random/draws.hpp), the
// preparation's, made once per call and drawn per element or a block at a
// time.  Either way the values, and the outputs consumed, are those of n
// successive scalar calls.
//
// Every call runs in its own StopScope and asks every DRAWS_PER_POLL draws
// whether to stop (Ctrl-C): told so, it raises the signal handler's
// exception and returns no array; the engine keeps the outputs consumed.  An
// engine that was never initialised is refused before any draw (EngineArg).
//
// Threads: the draws run inside a ReleaseWindow holding the engine's own
// lock (engine_arg.hpp), so a long call lets other threads run from its
// first poll on, and its draws stay one contiguous piece of the engine's
// stream; calls on other engines run in parallel.
#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <tuple>
#include <type_traits>
#include <utility>
#include <vector>

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include "../num/blocks.hpp"
#include "../num/interrupt.hpp"
#include "../random/draws.hpp"
#include "engine_arg.hpp"
#include "extents.hpp"
#include "scalar_arg.hpp"
#include "stop_scope.hpp"

namespace pradix {

using random::Engine;

namespace detail {

// Draws between two questions whether to stop: some microseconds for the
// cheapest samplers, a fraction of a millisecond for the costliest ones of
// bounded cost (the binomial and Poisson kernels also ask on their own).
inline constexpr std::size_t DRAWS_PER_POLL = 4096;

// An extent as NumPy's signed size; values beyond its range become -1,
// which NumPy refuses as a negative dimension.
inline Py_intptr_t to_npy_extent(std::size_t extent) {
    constexpr auto max = static_cast<std::size_t>(std::numeric_limits<Py_intptr_t>::max());
    return extent > max ? Py_intptr_t{-1} : static_cast<Py_intptr_t>(extent);
}

// New uninitialised C-ordered float64 array; throws with NumPy's error set
// when NumPy cannot create it.
inline pybind11::array_t<double> new_float64_array(const std::vector<Py_intptr_t>& dims) {
    constexpr auto max_ndim = static_cast<std::size_t>(std::numeric_limits<int>::max());
    const int ndim = static_cast<int>(dims.size() < max_ndim ? dims.size() : max_ndim);
    auto& api = pybind11::detail::npy_api::get();
    PyObject* created = api.PyArray_NewFromDescr_(api.PyArray_Type_,
                                                  pybind11::dtype::of<double>().release().ptr(),
                                                  ndim, dims.data(), nullptr, nullptr, 0, nullptr);
    if (created == nullptr) throw pybind11::error_already_set();
    return pybind11::reinterpret_steal<pybind11::array_t<double>>(created);
}

// The parameter types of a kernel: all but its trailing Engine&.
template <typename Tuple, std::size_t... I>
std::tuple<std::tuple_element_t<I, Tuple>...> leading_types(std::index_sequence<I...>);

template <typename Kernel>
struct KernelParams;

template <typename... A>
struct KernelParams<double (*)(A...)> {
    using All = std::tuple<A...>;
    static_assert(std::is_same_v<std::tuple_element_t<sizeof...(A) - 1, All>, Engine&>,
                  "a sampler kernel takes the engine last");
    using type = decltype(leading_types<All>(std::make_index_sequence<sizeof...(A) - 1>{}));
};

// Preparations with a block form (random/draws.hpp).
template <typename Prep, typename = void>
struct HasDrawBlock : std::false_type {};

template <typename Prep>
struct HasDrawBlock<Prep, std::void_t<decltype(std::declval<const Prep&>().draw_block(
                              std::declval<Engine&>(), std::declval<double*>(), std::size_t{}))>>
    : std::true_type {};

template <auto Kernel, typename Prep, typename Params = typename KernelParams<decltype(Kernel)>::type>
struct SizedDraws;

template <auto Kernel, typename Prep, typename... P>
struct SizedDraws<Kernel, Prep, std::tuple<P...>> {
    // One draw; a NaN is returned as the canonical quiet NaN.
    static double one(P... params, Engine& engine) { return num::canonical(Kernel(params..., engine)); }

    static double draw(Scalar<P>... params, EngineArg engine) {
        StopScope scope;
        double x;
        {
            ReleaseWindow window;
            EngineLock lock(*engine.object, window);
            x = one(params.value..., lock.generator());
        }
        StopScope::raise_if_stopped();
        return x;
    }

    // out[0 .. n) from successive draws, in pieces of at most `piece`
    // (DRAWS_PER_POLL is a multiple of every piece), asking whether to stop
    // between polls.
    template <typename Piece>
    static void in_polls(double* out, std::size_t n, Piece&& piece, std::size_t most) {
        std::size_t i = 0;
        std::size_t unpolled = 0;
        while (i < n) {
            const std::size_t m = n - i > most ? most : n - i;
            piece(out + i, m);
            i += m;
            unpolled += m;
            if (unpolled >= DRAWS_PER_POLL) {
                unpolled = 0;
                if (i < n && num::interrupt::check()) break;
            }
        }
    }

    static void fill_values(double* out, std::size_t n, P... params, Engine& engine) {
        if constexpr (std::is_void_v<Prep>) {
            in_polls(out, n, [&](double* o, std::size_t m) {
                for (std::size_t j = 0; j < m; ++j) o[j] = one(params..., engine);
            }, DRAWS_PER_POLL);
        } else if constexpr (HasDrawBlock<Prep>::value) {
            const Prep prep = Prep::prepare(params...);
            in_polls(out, n, [&](double* o, std::size_t m) {
                prep.draw_block(engine, o, m);
                for (std::size_t j = 0; j < m; ++j) o[j] = num::canonical(o[j]);
            }, num::BLOCK);
        } else {
            const Prep prep = Prep::prepare(params...);
            in_polls(out, n, [&](double* o, std::size_t m) {
                for (std::size_t j = 0; j < m; ++j) o[j] = num::canonical(prep.draw(engine));
            }, DRAWS_PER_POLL);
        }
    }

    static pybind11::array_t<double> fill(pybind11::array_t<double> result, std::size_t n, P... params,
                                          EngineObject& engine) {
        StopScope scope;
        double* out = result.mutable_data();
        {
            ReleaseWindow window;
            EngineLock lock(engine, window);
            fill_values(out, n, params..., lock.generator());
        }
        StopScope::raise_if_stopped();
        return result;
    }

    static pybind11::array_t<double> shape(Scalar<P>... params, const Extents& size, EngineArg engine) {
        std::vector<Py_intptr_t> dims;
        dims.reserve(size.size());
        std::size_t n = 1;  // NumPy has checked the product when the array exists
        for (const std::size_t extent : size) {
            dims.push_back(to_npy_extent(extent));
            n *= extent;
        }
        return fill(new_float64_array(dims), n, params.value..., *engine.object);
    }

    static pybind11::array_t<double> count(Scalar<P>... params, Scalar<std::size_t> size, EngineArg engine) {
        return fill(new_float64_array({to_npy_extent(size.value)}), size.value, params.value..., *engine.object);
    }
};

}  // namespace detail

template <auto Kernel, typename Prep = void, typename... ParamArgs>
void def_sampler(pybind11::module_& m, const char* name, const pybind11::object& default_engine,
                 const ParamArgs&... params) {
    using Sized = detail::SizedDraws<Kernel, Prep>;
    const auto engine = pybind11::arg("engine") = default_engine;
    m.def(name, &Sized::draw, params..., engine);
    m.def(name, &Sized::shape, params..., pybind11::arg("size"), engine);
    m.def(name, &Sized::count, params..., pybind11::arg("size"), engine);
}

}  // namespace pradix
