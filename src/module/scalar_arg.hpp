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

#include <pybind11/pybind11.h>

#include "arguments.hpp"

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
    const pybind11::object natural = vec::numpy_array(o, nullptr);
    return natural && vec::kind_of_array(natural.ptr()) == 'c';
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
