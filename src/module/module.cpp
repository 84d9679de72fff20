// Entry point of the extension module.
//
// Single-phase initialisation: a 3.10 interpreter is required, the module is
// created from a static definition, its docstring set, and the module set up
// (set_up.hpp: the lane target, the registration groups in catalogue order,
// the vectorcall entries).  Any failure after creation
// releases the module and turns into ImportError (a pending Python error
// becomes the cause of "initialization failed").
#include <Python.h>

#include <pybind11/pybind11.h>

#include "set_up.hpp"

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
        pradix::set_up_module(m);
        return created;
    } catch (py::error_already_set& e) {
        py::raise_from(e, PyExc_ImportError, "initialization failed");
    } catch (const std::exception& e) {
        py::set_error(PyExc_ImportError, e.what());
    }
    Py_XDECREF(created);
    return nullptr;
}
