// Pieces of the test kit, one per kernel family.
#pragma once

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

namespace testkit {

void expose_elementary(pybind11::module_& m);
void expose_log_gamma(pybind11::module_& m);
void expose_random(pybind11::module_& m);
void expose_incomplete(pybind11::module_& m);
void expose_discrete(pybind11::module_& m);
void expose_lanes(pybind11::module_& m);
void expose_loop(pybind11::module_& m);
void expose_staged(pybind11::module_& m);
void expose_costs(pybind11::module_& m);

// Exposes a scalar kernel vectorized, so tests can evaluate whole grids.
template <typename F>
void def_kernel(pybind11::module_& m, const char* name, F f) {
    m.def(name, pybind11::vectorize(f));
}

}  // namespace testkit
