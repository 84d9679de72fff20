// The four registration groups, run in this order by the module's entry point.
#pragma once

#include <pybind11/pybind11.h>

namespace pradix {

void register_densities(pybind11::module_& m);
void register_sampling(pybind11::module_& m);
void register_distribution_functions(pybind11::module_& m);
void register_quantiles(pybind11::module_& m);

}  // namespace pradix
