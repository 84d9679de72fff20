// Calls without the binding library's general argument machinery.
//
// The binding library's dispatcher takes a call as a tuple and a dict of
// keywords (which the interpreter must build first), looks every parameter
// up in that dict by making a string of its name, copies the dict to strike
// out what it used, and does so again for each overload it tries.  With a
// keyword such as engine= or x= that costs more than the computation of a
// one-point call.
//
// The module's functions are therefore given a vectorcall entry: it takes
// the arguments as they lie on the interpreter's stack, matches keyword
// names against the parameter records in place, and runs each overload's own
// entry (the record's impl, which converts the arguments, calls and converts
// the result) exactly as the dispatcher would: the overloads in order, a
// first pass without conversions when there are several, then a pass with
// them; an overload whose call throws reference_cast_error passes on to the
// next; exceptions are translated by the binding library's translators.
// When no overload takes the arguments, the call goes to the dispatcher
// itself, which fails with its own TypeError and message.  So signatures,
// docstrings, the overload chosen, results and errors are the dispatcher's.
#pragma once

#include <Python.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <string>

#include <pybind11/pybind11.h>

namespace pradix {

namespace fast_call_detail {

namespace py = pybind11;
using py::detail::argument_record;
using py::detail::function_call;
using py::detail::function_record;

// The most parameters an overload may have here.
inline constexpr std::size_t MAX_PARAMETERS = 16;

// The overloads this entry handles: plain named parameters, as every
// function of the module has (no *args, **kwargs, methods, constructors or
// positional-only parameters), at most MAX_PARAMETERS of them, at most 32
// overloads.
inline bool handled(const function_record* overloads) {
    int count = 0;
    for (const function_record* f = overloads; f != nullptr; f = f->next) {
        if (f->has_args || f->has_kwargs || f->is_method || f->is_constructor || f->is_new_style_constructor ||
            f->nargs_pos_only != 0 || f->args.size() != f->nargs || f->nargs > MAX_PARAMETERS || ++count > 32) {
            return false;
        }
    }
    return true;
}

// Whether the keyword `kw` (a str) is `name` (ASCII).
inline bool same_name(PyObject* kw, const char* name) {
    if (PyUnicode_IS_READY(kw) && PyUnicode_IS_COMPACT_ASCII(kw)) {
        const auto n = static_cast<std::size_t>(PyUnicode_GET_LENGTH(kw));
        return std::strncmp(static_cast<const char*>(PyUnicode_DATA(kw)), name, n) == 0 && name[n] == '\0';
    }
    return PyUnicode_CompareWithASCIIString(kw, name) == 0;
}

// Position of the keyword `name`, or -1.
inline Py_ssize_t keyword_at(PyObject* kwnames, const char* name) {
    const Py_ssize_t n = PyTuple_GET_SIZE(kwnames);
    for (Py_ssize_t k = 0; k < n; ++k) {
        if (same_name(PyTuple_GET_ITEM(kwnames, k), name)) return k;
    }
    return -1;
}

// The arguments of one overload, in parameter order, with the dispatcher's
// conversion flags.
struct Layout {
    PyObject* value[MAX_PARAMETERS];
    bool convert[MAX_PARAMETERS];
};

// Lays out the arguments of one overload as the dispatcher does: positional
// ones first (refused when also given by keyword), then keywords, then
// defaults.  False when the overload cannot take them: too many positional
// arguments, one missing, None where refused, or a keyword it lacks.
inline bool lay_out(const function_record& f, PyObject* const* args, std::size_t npos, PyObject* kwnames,
                    Layout& out) {
    const std::size_t nkw = kwnames != nullptr ? static_cast<std::size_t>(PyTuple_GET_SIZE(kwnames)) : 0;
    if (npos > f.nargs_pos || (npos < f.nargs_pos && f.args.size() < f.nargs_pos)) return false;
    for (std::size_t i = 0; i < npos; ++i) {
        const argument_record& rec = f.args[i];
        if (nkw != 0 && rec.name != nullptr && keyword_at(kwnames, rec.name) >= 0) return false;
        if (!rec.none && args[i] == Py_None) return false;
        out.value[i] = args[i];
        out.convert[i] = rec.convert;
    }
    std::size_t used = 0;
    for (std::size_t i = npos; i < f.nargs; ++i) {
        const argument_record& rec = f.args[i];
        PyObject* value = nullptr;
        if (nkw != 0 && rec.name != nullptr) {
            const Py_ssize_t k = keyword_at(kwnames, rec.name);
            if (k >= 0) {
                value = args[npos + static_cast<std::size_t>(k)];
                ++used;
            }
        }
        if (value == nullptr) value = rec.value.ptr();
        if (value == nullptr || (!rec.none && value == Py_None)) return false;
        out.value[i] = value;
        out.convert[i] = rec.convert;
    }
    return used == nkw;
}

// One overload's entry, with the arguments laid out and every conversion
// flag as given or all off; PYBIND11_TRY_NEXT_OVERLOAD when it does not take
// them.
inline py::handle attempt(const function_record& f, const Layout& layout, bool convert, py::handle parent) {
    function_call call(f, parent);
    for (std::size_t i = 0; i < f.nargs; ++i) {
        call.args.emplace_back(layout.value[i]);
        call.args_convert.push_back(convert && layout.convert[i]);
    }
    try {
        py::detail::loader_life_support guard{};
        return f.impl(call);
    } catch (py::reference_cast_error&) {
        return PYBIND11_TRY_NEXT_OVERLOAD;
    }
}

// The dispatcher's handling of a result that could not be converted.
inline PyObject* finish(py::handle result, const function_record& f) {
    if (result) return result.ptr();
    const std::string msg = std::string("Unable to convert function return value to a Python type! The signature "
                                        "was\n\t") + f.signature;
    if (PyErr_Occurred()) {
        py::raise_from(PyExc_TypeError, msg.c_str());
    } else {
        py::set_error(PyExc_TypeError, msg.c_str());
    }
    return nullptr;
}

// The call handed to the dispatcher, as the interpreter would hand it.
inline PyObject* dispatch(PyObject* callable, PyObject* const* args, Py_ssize_t npos, PyObject* kwnames) {
    PyObject* tuple = PyTuple_New(npos);
    if (tuple == nullptr) return nullptr;
    for (Py_ssize_t i = 0; i < npos; ++i) {
        Py_INCREF(args[i]);
        PyTuple_SET_ITEM(tuple, i, args[i]);
    }
    PyObject* dict = nullptr;
    const Py_ssize_t nkw = kwnames != nullptr ? PyTuple_GET_SIZE(kwnames) : 0;
    if (nkw != 0) {
        dict = PyDict_New();
        for (Py_ssize_t k = 0; dict != nullptr && k < nkw; ++k) {
            if (PyDict_SetItem(dict, PyTuple_GET_ITEM(kwnames, k), args[npos + k]) != 0) Py_CLEAR(dict);
        }
        if (dict == nullptr) {
            Py_DECREF(tuple);
            return nullptr;
        }
    }
    PyObject* result = Py_TYPE(callable)->tp_call(callable, tuple, dict);
    Py_DECREF(tuple);
    Py_XDECREF(dict);
    return result;
}

// Both passes; null with `chosen` unset when no overload took the arguments.
inline PyObject* resolve(const function_record* overloads, PyObject* const* args, std::size_t npos,
                         PyObject* kwnames, bool& chosen) {
    const bool overloaded = overloads->next != nullptr;
    const py::handle parent = npos > 0 ? args[0] : nullptr;
    unsigned long again = 0;  // overloads for the pass with conversions
    Layout layout;
    int i = 0;
    for (const function_record* f = overloads; f != nullptr; f = f->next, ++i) {
        if (!lay_out(*f, args, npos, kwnames, layout)) continue;
        const py::handle result = attempt(*f, layout, !overloaded, parent);
        if (result.ptr() != PYBIND11_TRY_NEXT_OVERLOAD) {
            chosen = true;
            return finish(result, *f);
        }
        if (overloaded && std::find(layout.convert, layout.convert + f->nargs_pos, true) != layout.convert + f->nargs_pos) {
            again |= 1ul << i;
        }
    }
    i = 0;
    for (const function_record* f = overloads; again != 0 && f != nullptr; f = f->next, ++i) {
        if ((again & (1ul << i)) == 0) continue;
        lay_out(*f, args, npos, kwnames, layout);
        const py::handle result = attempt(*f, layout, true, parent);
        if (result.ptr() != PYBIND11_TRY_NEXT_OVERLOAD) {
            chosen = true;
            return finish(result, *f);
        }
    }
    return nullptr;
}

extern "C" inline PyObject* fast_call(PyObject* callable, PyObject* const* args, std::size_t nargsf,
                                      PyObject* kwnames) {
    const Py_ssize_t npos = PyVectorcall_NARGS(nargsf);
    if (kwnames != nullptr) {
        for (Py_ssize_t k = 0; k < PyTuple_GET_SIZE(kwnames); ++k) {
            // keywords of a str subclass compare by its own rules
            if (!PyUnicode_CheckExact(PyTuple_GET_ITEM(kwnames, k))) return dispatch(callable, args, npos, kwnames);
        }
    }
    const auto* overloads = static_cast<const function_record*>(
        PyCapsule_GetPointer(PyCFunction_GET_SELF(callable), py::detail::get_function_record_capsule_name()));
    if (overloads == nullptr) return nullptr;
    if (Py_EnterRecursiveCall(" while calling a Python object")) return nullptr;
    bool chosen = false;
    PyObject* result = nullptr;
    try {
        result = resolve(overloads, args, static_cast<std::size_t>(npos), kwnames, chosen);
    } catch (py::error_already_set& e) {
        e.restore();
        chosen = true;
#ifdef __GLIBCXX__
    } catch (abi::__forced_unwind&) {
        Py_LeaveRecursiveCall();
        throw;
#endif
    } catch (...) {
        py::detail::try_translate_exceptions();
        chosen = true;
    }
    Py_LeaveRecursiveCall();
    return chosen ? result : dispatch(callable, args, npos, kwnames);
}

}  // namespace fast_call_detail

// Gives every function of the module the entry above.
inline void install_fast_calls(pybind11::module_& m) {
    for (const auto item : pybind11::reinterpret_borrow<pybind11::dict>(m.attr("__dict__"))) {
        PyObject* fn = item.second.ptr();
        if (!PyCFunction_Check(fn) || PyCFunction_GET_SELF(fn) == nullptr || !PyCapsule_CheckExact(PyCFunction_GET_SELF(fn))) {
            continue;
        }
        const auto capsule = pybind11::reinterpret_borrow<pybind11::capsule>(PyCFunction_GET_SELF(fn));
        if (!pybind11::detail::is_function_record_capsule(capsule)) continue;
        if (!fast_call_detail::handled(capsule.get_pointer<pybind11::detail::function_record>())) continue;
        reinterpret_cast<PyCFunctionObject*>(fn)->vectorcall = &fast_call_detail::fast_call;
    }
}

}  // namespace pradix
