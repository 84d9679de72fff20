// The binding library's common base of bound classes, made safe to call.
//
// Every bound class (Engine) derives from one base type that the binding
// library shares between its modules.  That base itself can be reached from
// Python (Engine.__mro__[1](), or object.__reduce_ex__(engine, 1), which
// calls it while reducing), and its allocation then throws a C++ exception
// ("no pybind11-registered base types") straight through the interpreter's
// C code: the process ends.  The module therefore wraps the base's tp_new
// once at import: a type with no bound class among its bases is refused
// with TypeError, as the interpreter refuses types that cannot be
// instantiated, and any other C++ exception becomes the usual Python error.
// Bound classes allocate exactly as before.
#pragma once

#include <Python.h>

#include <pybind11/pybind11.h>

namespace pradix {

namespace detail {

// The base's allocation before the module wrapped it.
inline newfunc unguarded_base_new = nullptr;

extern "C" inline PyObject* guarded_base_new(PyTypeObject* type, PyObject* args, PyObject* kwargs) {
    try {
        if (pybind11::detail::all_type_info(type).empty()) {
            PyErr_Format(PyExc_TypeError, "cannot create '%.100s' instances", type->tp_name);
            return nullptr;
        }
        return unguarded_base_new(type, args, kwargs);
#ifdef __GLIBCXX__
    } catch (abi::__forced_unwind&) {
        throw;
#endif
    } catch (...) {
        pybind11::detail::try_translate_exceptions();
        return nullptr;
    }
}

}  // namespace detail

// Wraps the base's tp_new (once per process).
inline void guard_object_base() {
    auto* base = reinterpret_cast<PyTypeObject*>(pybind11::detail::get_internals().instance_base);
    if (base->tp_new == &detail::guarded_base_new) return;
    detail::unguarded_base_new = base->tp_new;
    base->tp_new = &detail::guarded_base_new;
    PyType_Modified(base);
}

}  // namespace pradix
