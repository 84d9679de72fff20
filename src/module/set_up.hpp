// The module's set-up once it exists: the binding library's common base
// class made safe to call (object_base.hpp), interrupts polled through
// Python's signals, the lane target chosen for this processor
// (lane_choice.hpp, PRADIX_ISA), the four registration groups in catalogue
// order, and every function's vectorcall entry (fast_call.hpp).  Shared by
// pradix's entry point and by the instrumented build of the test kit.
#pragma once

#include <cstdlib>

#include <pybind11/pybind11.h>

#include "../num/blocks.hpp"
#include "fast_call.hpp"
#include "groups.hpp"
#include "lane_choice.hpp"
#include "object_base.hpp"
#include "stop_scope.hpp"

namespace pradix {

inline void set_up_module(pybind11::module_& m) {
    guard_object_base();
    num::interrupt::query = &python_signal_raised;
    num::lanes::active = &lanes_choice::choose(std::getenv("PRADIX_ISA"));
    register_densities(m);
    register_sampling(m);
    register_distribution_functions(m);
    register_quantiles(m);
    install_fast_calls(m);
}

}  // namespace pradix
