// Registration of scalar kernels as vectorized functions.
//
// def_vectorized<&kernel>(m, name, args...) adds a function whose every
// parameter takes numbers, sequences or arrays (arguments.hpp), broadcast and
// evaluated element by element (element_loop.hpp).  Its documentation
// signature shows each parameter as numpy.ndarray[<dtype>] and the result as
// object: a Python float for all-scalar calls, a float64 array otherwise.
//
// An optional preparation type splits the kernel into parameter-only work,
// done once per distinct set of parameters in a call, and the work at each
// point:
//     static Prep prepare(parameters...);   // every argument but the first
//     double at(point) const;
//     void at_block(const double* x, double* out, std::size_t n) const;  // optional
//     template <class Preps>                                              // optional
//     static void at_points(const Preps& prep, const Point* x, double* out, std::size_t n);
// The kernel itself must be at(prepare(...)) so that both give the same bits,
// at_block must give out[i] == at(x[i]) and at_points out[i] ==
// prep(i).at(x[i]) bit for bit (n up to num::BLOCK; prep.slot(i) is equal
// for points that share a preparation).  A call keeps the preparations it
// makes while parameters vary, so prepare should be cheap for parameters
// that do not repeat, and a preparation should own memory only where it
// must (KeptPreparations, preparations.hpp, bounds how many a call keeps).
#pragma once

#include <array>
#include <cstdint>
#include <tuple>
#include <utility>

#include <pybind11/pybind11.h>

#include "arguments.hpp"
#include "element_loop.hpp"

namespace pradix {

namespace vec {

template <auto Kernel, typename Prep, typename Args = typename KernelArgs<Kernel>::type>
struct Vectorized;

template <auto Kernel, typename Prep, typename... A>
struct Vectorized<Kernel, Prep, std::tuple<A...>> {
    using Chosen = std::conditional_t<std::is_void_v<Prep>, Unprepared<Kernel>, Prep>;

    static py::object call(Arg<A>... args) {
        const std::array<const Input*, sizeof...(A)> in{&args.in...};
        return dispatch<Kernel, Chosen, 0>(in);
    }
};

}  // namespace vec

template <auto Kernel, typename Prep = void, typename... Extra>
void def_vectorized(pybind11::module_& m, const char* name, const Extra&... extra) {
    m.def(name, &vec::Vectorized<Kernel, Prep>::call, extra...);
}

}  // namespace pradix
