// The extent list taken by the shape overloads of the samplers.
//
// Accepted: any Python sequence except str and bytes whose items all convert
// to unsigned 64-bit integers (lists, tuples, ranges, one-dimensional NumPy
// integer arrays; complex items are refused, scalar_arg.hpp).  Anything else, including an object that claims to be a
// sequence but has no length, simply does not match, so overload resolution
// moves on (a 0-d NumPy integer array then reaches the count overload).
// Shown in signatures as List[int].
//
// A sequence longer than NumPy's largest number of dimensions is refused with
// ValueError, as NumPy would refuse the array, before any item is converted:
// range(10**9) costs nothing.
#pragma once

#include <cstddef>
#include <vector>

#include <string>

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include "scalar_arg.hpp"

namespace pradix {

struct Extents : std::vector<std::size_t> {};

// NumPy's largest number of dimensions: 64 from NumPy 2 on, 32 before.
inline Py_ssize_t numpy_max_dims() {
    return pybind11::detail::npy_api::get().PyArray_RUNTIME_VERSION_ >= 0x12 ? 64 : 32;
}

}  // namespace pradix

namespace pybind11 {
namespace detail {

template <>
struct type_caster<pradix::Extents> {
    PYBIND11_TYPE_CASTER(pradix::Extents, const_name("List[int]"));

    bool load(handle src, bool convert) {
        if (!isinstance<sequence>(src) || isinstance<bytes>(src) || isinstance<str>(src)) return false;
        const Py_ssize_t n = PySequence_Size(src.ptr());
        if (n < 0) {
            PyErr_Clear();
            return false;
        }
        const Py_ssize_t max_dims = pradix::numpy_max_dims();
        if (n > max_dims) {
            throw value_error("maximum supported dimension for an ndarray is " + std::to_string(max_dims) +
                              ", found " + std::to_string(n));
        }
        value.clear();
        for (Py_ssize_t i = 0; i < n; ++i) {
            const auto item = reinterpret_steal<object>(PySequence_GetItem(src.ptr(), i));
            if (!item) {
                PyErr_Clear();
                return false;
            }
            make_caster<pradix::Scalar<std::size_t>> extent;
            if (!extent.load(item, convert)) return false;
            value.push_back(cast_op<pradix::Scalar<std::size_t>>(extent).value);
        }
        return true;
    }
};

}  // namespace detail
}  // namespace pybind11
