// Scalar arguments of the samplers: their parameters, the count `size` and
// the items of an extent list.
//
// Each is the binding library's own conversion of its type (float or int,
// shown as such in signatures), except that complex numbers are refused:
// NumPy's complex scalars would otherwise convert to float or int by
// dropping their imaginary part, with only a warning.  Python's complex is
// refused by that conversion already.
#pragma once

#include <Python.h>

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

namespace pradix {

template <typename T>
struct Scalar {
    T value;
};

// Python's complex (NumPy's complex128 derives from it), NumPy's other
// complex scalars and 0-d complex arrays.
inline bool is_complex(PyObject* o) {
    if (PyFloat_Check(o) || PyLong_Check(o)) return false;
    if (PyComplex_Check(o)) return true;
    PyObject* natural = pybind11::detail::npy_api::get().PyArray_FromAny_(o, nullptr, 0, 0, 0, nullptr);
    if (natural == nullptr) {
        PyErr_Clear();
        return false;
    }
    const auto held = pybind11::reinterpret_steal<pybind11::object>(natural);
    return pybind11::detail::npy_api::get().PyArray_Check_(natural) &&
           pybind11::reinterpret_borrow<pybind11::array>(natural).dtype().kind() == 'c';
}

}  // namespace pradix

namespace pybind11 {
namespace detail {

template <typename T>
struct type_caster<pradix::Scalar<T>> {
    PYBIND11_TYPE_CASTER(pradix::Scalar<T>, make_caster<T>::name);

    bool load(handle src, bool convert) {
        if (pradix::is_complex(src.ptr())) return false;
        make_caster<T> inner;
        if (!inner.load(src, convert)) return false;
        value.value = cast_op<T>(inner);
        return true;
    }
};

}  // namespace detail
}  // namespace pybind11
