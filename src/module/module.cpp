// Entry point of the extension module.
//
// Single-phase initialisation: a 3.10 interpreter is required, the module is
// created from a static definition, its docstring set, the lane target
// chosen for this processor (lane_choice.hpp), the binding library's common
// base class made safe to call (object_base.hpp), and the four registration
// groups run in catalogue order; every function then gets its vectorcall
// entry (fast_call.hpp).  Any failure after creation
// releases the module and turns into ImportError (a pending Python error
// becomes the cause of "initialization failed").
#include <Python.h>

#include <cstdlib>

#include <pybind11/pybind11.h>

#include "../num/blocks.hpp"
#include "groups.hpp"
#include "fast_call.hpp"
#include "lane_choice.hpp"
#include "object_base.hpp"
#include "stop_scope.hpp"

namespace py = pybind11;

static py::module_::module_def pradix_module_def;

extern "C" PYBIND11_EXPORT PyObject* PyInit_pradix() {
    PYBIND11_CHECK_PYTHON_VERSION
    PYBIND11_ENSURE_INTERNALS_READY
    PyObject* created = nullptr;
    try {
        // create_extension_module returns a borrowed handle to the new
        // reference that the interpreter takes over from this function.
        auto m = py::module_::create_extension_module("pradix", nullptr, &pradix_module_def);
        created = m.ptr();
        m.attr("__doc__") = py::str("pybind11 wrapper for dorvek/pradix");
        pradix::guard_object_base();
        pradix::num::interrupt::query = &pradix::python_signal_raised;
        pradix::num::lanes::active = &pradix::lanes_choice::choose(std::getenv("PRADIX_ISA"));
        pradix::register_densities(m);
        pradix::register_sampling(m);
        pradix::register_distribution_functions(m);
        pradix::register_quantiles(m);
        pradix::install_fast_calls(m);
        return created;
    } catch (py::error_already_set& e) {
        py::raise_from(e, PyExc_ImportError, "initialization failed");
    } catch (const std::exception& e) {
        py::set_error(PyExc_ImportError, e.what());
    }
    Py_XDECREF(created);
    return nullptr;
}
