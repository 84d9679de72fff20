// Binding of scalar kernels as NumPy-vectorized functions.
//
// Each density, distribution-function and quantile kernel is a plain
// `double kernel(args...)`.  pybind11::vectorize turns it into a function
// over arrays (forced casting to each parameter's element type, broadcasting,
// a float for all-scalar calls).  The kernel is wrapped in a stateless functor
// so that the element loop calls it directly and can inline it; a NaN result
// is stored as the canonical quiet NaN.
#pragma once

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include "../num/common.hpp"

namespace pradix {

template <auto Kernel>
struct KernelCall;

template <typename R, typename... Args, R (*Kernel)(Args...)>
struct KernelCall<Kernel> {
    R operator()(Args... args) const { return num::canonical(Kernel(args...)); }
};

template <auto Kernel, typename... Extra>
void def_vectorized(pybind11::module_& m, const char* name, const Extra&... extra) {
    m.def(name, pybind11::vectorize(KernelCall<Kernel>{}), extra...);
}

}  // namespace pradix
