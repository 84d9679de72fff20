// Scalar arguments of the samplers: their parameters, the count `size` and
// the items of an extent list.
//
// Each is the binding library's own conversion of its type (float or int,
// shown as such in signatures), except where that conversion would give a
// value a meaning silently:
// - complex numbers are refused: NumPy's complex scalars would otherwise
//   convert to float or int by dropping their imaginary part, with only a
//   warning.  Python's complex is refused by that conversion already.
// - integers (n_trials, sizes) take what operator.index takes, and NumPy
//   integers and booleans, scalars or arrays, as that conversion takes them.
//   Its fallback would truncate anything else with an integer conversion
//   (NumPy float scalars and arrays, Fraction, Decimal, objects with only
//   __int__), where a Python float is refused: they are refused likewise,
//   before that fallback runs.
#pragma once

#include <Python.h>

#include <type_traits>

#include <pybind11/pybind11.h>

#include "arguments.hpp"

namespace pradix {

template <typename T>
struct Scalar {
    T value;
};

// The kind of NumPy's array of `o` ('f' floating, 'i' signed, 'u' unsigned,
// 'b' boolean, 'c' complex, 'O' object, ...), or 0 when NumPy makes none.
// Python's complex is 'c' (NumPy's complex128 derives from it).
inline char numeric_kind(PyObject* o) {
    if (PyFloat_Check(o)) return 'f';
    if (PyLong_Check(o)) return 'i';
    if (PyComplex_Check(o)) return 'c';
    const pybind11::object natural = vec::numpy_array(o, nullptr);
    return natural ? vec::kind_of_array(natural.ptr()) : '\0';
}

inline bool integer_kind(char kind) { return kind == 'i' || kind == 'u' || kind == 'b'; }

}  // namespace pradix

namespace pybind11 {
namespace detail {

template <typename T>
struct type_caster<pradix::Scalar<T>> {
    PYBIND11_TYPE_CASTER(pradix::Scalar<T>, make_caster<T>::name);

    bool load(handle src, bool convert) {
        const char kind = pradix::numeric_kind(src.ptr());
        if (kind == 'c') return false;
        make_caster<T> inner;
        if constexpr (std::is_integral_v<T>) {
            // Without conversions the binding library takes integers and
            // __index__ alone; with them, only integer kinds may reach its
            // fallback.
            if (convert && !pradix::integer_kind(kind)) {
                const auto index = reinterpret_steal<object>(PyNumber_Index(src.ptr()));
                if (!index) {
                    PyErr_Clear();
                    return false;
                }
                if (!inner.load(index, false)) return false;
                value.value = cast_op<T>(inner);
                return true;
            }
        }
        if (!inner.load(src, convert)) return false;
        value.value = cast_op<T>(inner);
        return true;
    }
};

}  // namespace detail
}  // namespace pybind11
