// Arguments of the vectorized functions.
//
// Every parameter of a density, distribution function or quantile takes a
// number, a nested sequence or a NumPy array, converted to the parameter's
// element type (float64, int64 or bool) the way NumPy converts with forced
// casting: an array of exactly that dtype is used in place, whatever its
// strides; anything else is converted by NumPy to an array of its natural
// dtype and then cast to the element type.  An argument that cannot be
// converted makes the call fail with the binding library's TypeError for
// incompatible arguments.  Shown in signatures as numpy.ndarray[<dtype>].
//
// Refused (TypeError), whatever the parameter, flags included, because a
// cast would silently give them a meaning: strings and bytes (NumPy would
// parse "1.5", and any non-empty text is a true flag), complex numbers
// (NumPy would keep the real part), and arrays, sequences or object arrays
// holding either.  Integer parameters also refuse Python integers beyond
// the int64 range, alone or inside sequences (inside a list NumPy would
// otherwise go through float64 and round its neighbours).
//
// Two shortcuts give the same values as that conversion:
// - a Python float, int or bool is read directly (no array is made) when
//   its value needs none of NumPy's own handling: an int beyond the target
//   range, or a float for a flag, take the general route;
// - an array of exactly the element type is used as it is.
//
// Integer parameters (discrete points, n_trials) given as floating-point
// numbers are not cast by the C conversion, whose result is undefined for
// NaN, infinities and values beyond the int64 range (x86 gives INT64_MIN,
// other processors saturate).  They are kept as float64 and converted per
// element by int64_from_float: NaN makes that result element NaN, +inf and
// values at or above 2^63 act as INT64_MAX, -inf and values below -2^63 as
// INT64_MIN, and finite values in range are truncated toward zero, exactly
// as the cast does there.  This applies alike to Python floats, NumPy float
// scalars, float arrays and sequences of floats.  Unsigned 64-bit values of
// 2^63 and more (NumPy uint64 scalars and arrays), which the cast would wrap
// to negative numbers, act as INT64_MAX in the same way.
#pragma once

#include <Python.h>

#include <cstdint>
#include <limits>
#include <type_traits>

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include "../num/integer.hpp"

namespace pradix {
namespace vec {

namespace py = pybind11;

// How an argument's elements are stored; an int64 parameter may hold
// float64 elements (see above).
enum class Storage : unsigned char { float64, int64, boolean };

// One converted argument: a borrowed view of its elements.
struct Input {
    py::object owner;  // the converted array, or null for a plain scalar
    const char* data = nullptr;
    int ndim = 0;
    const Py_intptr_t* shape = nullptr;
    const Py_intptr_t* strides = nullptr;
    Py_intptr_t size = 1;
    Storage storage = Storage::float64;
    union {
        double f;
        std::int64_t i;
        bool b;
    } scalar{0.0};  // the value of a plain scalar; data points here
};

// NaN -> no value; otherwise num::clamp_to_int64.
inline bool int64_from_float(double v, std::int64_t& out) {
    if (v != v) return false;
    out = num::clamp_to_int64(v);
    return true;
}

template <typename T>
constexpr Storage storage_of() {
    if constexpr (std::is_same_v<T, double>) return Storage::float64;
    if constexpr (std::is_same_v<T, std::int64_t>) return Storage::int64;
    return Storage::boolean;
}

inline py::detail::npy_api& npy() { return py::detail::npy_api::get(); }

inline PyObject* descr_of(Storage s) {
    switch (s) {
        case Storage::float64: return py::dtype::of<double>().release().ptr();
        case Storage::int64: return py::dtype::of<std::int64_t>().release().ptr();
        default: return py::dtype::of<bool>().release().ptr();
    }
}

// A view of a converted array (owner keeps it alive).
inline void view_array(Input& in, py::object arr, Storage storage) {
    auto* proxy = py::detail::array_proxy(arr.ptr());
    in.data = proxy->data;
    in.ndim = proxy->nd;
    in.shape = proxy->dimensions;
    in.strides = proxy->strides;
    Py_intptr_t size = 1;
    for (int d = 0; d < in.ndim; ++d) size *= in.shape[d];
    in.size = size;
    in.storage = storage;
    in.owner = std::move(arr);
}

using npy_flags = py::detail::npy_api;

// NumPy's array of `src`: of dtype `descr` (a new reference, taken over), or
// of the natural dtype when `descr` is null, as a base-class array with
// `flags`.  Null (the error cleared) when NumPy cannot make it.
inline py::object numpy_array(PyObject* src, PyObject* descr, int flags = 0) {
    PyObject* arr = npy().PyArray_FromAny_(src, descr, 0, 0, flags | npy_flags::NPY_ARRAY_ENSUREARRAY_, nullptr);
    if (arr == nullptr) PyErr_Clear();
    return py::reinterpret_steal<py::object>(arr);
}

// NumPy's conversion with forced casting; false when NumPy cannot convert.
inline bool force_cast(Input& in, PyObject* src, Storage storage) {
    py::object arr = numpy_array(src, descr_of(storage), npy_flags::NPY_ARRAY_FORCECAST_);
    if (!arr) return false;
    view_array(in, std::move(arr), storage);
    return true;
}

inline bool is_array_of(PyObject* src, Storage storage) {
    auto& api = npy();
    if (!api.PyArray_Check_(src)) return false;
    py::object want = py::reinterpret_steal<py::object>(descr_of(storage));
    return api.PyArray_EquivTypes_(py::detail::array_proxy(src)->descr, want.ptr());
}

inline char kind_of_array(PyObject* arr) {
    return py::reinterpret_borrow<py::array>(arr).dtype().kind();
}

// Plain Python scalars read directly; false where NumPy's own conversion
// must decide.
template <typename T>
bool read_scalar(Input& in, PyObject* src) {
    if constexpr (std::is_same_v<T, double>) {
        if (PyFloat_Check(src)) {
            in.scalar.f = PyFloat_AS_DOUBLE(src);
        } else if (PyLong_CheckExact(src) || PyBool_Check(src)) {
            const double v = PyLong_AsDouble(src);  // correctly rounded, as NumPy
            if (v == -1.0 && PyErr_Occurred()) {
                PyErr_Clear();
                return false;
            }
            in.scalar.f = v;
        } else {
            return false;
        }
        in.storage = Storage::float64;
    } else if constexpr (std::is_same_v<T, std::int64_t>) {
        if (PyFloat_Check(src)) {
            in.scalar.f = PyFloat_AS_DOUBLE(src);
            in.storage = Storage::float64;
        } else if (PyLong_CheckExact(src) || PyBool_Check(src)) {
            int overflow = 0;
            const long long v = PyLong_AsLongLongAndOverflow(src, &overflow);
            if (overflow != 0 || (v == -1 && PyErr_Occurred())) {
                PyErr_Clear();
                return false;
            }
            in.scalar.i = static_cast<std::int64_t>(v);
            in.storage = Storage::int64;
        } else {
            return false;
        }
    } else {
        if (PyBool_Check(src)) {
            in.scalar.b = src == Py_True;
        } else if (PyLong_CheckExact(src)) {
            in.scalar.b = Py_SIZE(src) != 0;  // nonzero
        } else {
            return false;
        }
        in.storage = Storage::boolean;
    }
    in.owner = py::object();
    in.data = reinterpret_cast<const char*>(&in.scalar);
    in.ndim = 0;
    in.shape = nullptr;
    in.strides = nullptr;
    in.size = 1;
    return true;
}

// What no parameter accepts (see above).  Nesting deeper than this is left
// to NumPy's own conversion.
inline constexpr int REFUSAL_DEPTH = 64;

inline bool is_text(PyObject* o) { return PyUnicode_Check(o) || PyBytes_Check(o); }

inline bool int_beyond_int64(PyObject* o) {
    if (!PyLong_Check(o)) return false;
    int overflow = 0;
    PyLong_AsLongLongAndOverflow(o, &overflow);  // an int: cannot fail otherwise
    return overflow != 0;
}

// Python ints beyond int64 in (nested) lists and tuples.
inline bool holds_int_beyond_int64(PyObject* o, int depth = 0) {
    if (int_beyond_int64(o)) return true;
    if (depth == REFUSAL_DEPTH || !(PyList_Check(o) || PyTuple_Check(o))) return false;
    for (Py_ssize_t i = 0; i < PySequence_Fast_GET_SIZE(o); ++i) {
        if (holds_int_beyond_int64(PySequence_Fast_GET_ITEM(o, i), depth + 1)) return true;
    }
    return false;
}

inline bool holds_refused(PyObject* arr, bool integer, int depth);

// One element of an object array.
inline bool refused_item(PyObject* item, bool integer, int depth) {
    if (PyFloat_Check(item)) return false;
    if (PyLong_Check(item)) return integer && int_beyond_int64(item);
    if (is_text(item) || PyComplex_Check(item)) return true;
    // NumPy scalars, nested sequences and arrays: as NumPy sees them.
    const py::object natural = numpy_array(item, nullptr);
    if (!natural) return false;  // the conversion itself will fail
    // A 0-d object array holds the item itself: nothing more to look into.
    if (py::detail::array_proxy(natural.ptr())->nd == 0 && kind_of_array(natural.ptr()) == 'O') return false;
    return holds_refused(natural.ptr(), integer, depth + 1);
}

// An array whose elements are text or complex, or an object array holding
// any refused item.
inline bool holds_refused(PyObject* arr, bool integer, int depth = 0) {
    const char kind = kind_of_array(arr);
    if (kind == 'c' || kind == 'U' || kind == 'S') return true;
    if (kind != 'O' || depth == REFUSAL_DEPTH) return false;
    const auto flat = py::reinterpret_steal<py::array>(
        numpy_array(arr, py::dtype(npy_flags::NPY_OBJECT_).release().ptr(), npy_flags::NPY_ARRAY_C_CONTIGUOUS_)
            .release());
    if (!flat) return false;
    auto* const* items = static_cast<PyObject* const*>(flat.data());
    for (Py_intptr_t i = 0; i < flat.size(); ++i) {
        if (items[i] != nullptr && refused_item(items[i], integer, depth)) return true;
    }
    return false;
}

// A uint64 array as int64, values of 2^63 and more saturated to INT64_MAX.
inline bool saturate_uint64(Input& in, PyObject* arr) {
    const auto source = py::reinterpret_steal<py::array>(
        numpy_array(arr, py::dtype::of<std::uint64_t>().release().ptr(),
                    npy_flags::NPY_ARRAY_C_CONTIGUOUS_ | npy_flags::NPY_ARRAY_ALIGNED_)
            .release());
    if (!source) return false;
    py::array_t<std::int64_t> out(std::vector<Py_intptr_t>(source.shape(), source.shape() + source.ndim()));
    const auto* from = static_cast<const std::uint64_t*>(source.data());
    std::int64_t* to = out.mutable_data();
    constexpr auto largest = static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max());
    for (Py_intptr_t i = 0; i < source.size(); ++i) {
        to[i] = static_cast<std::int64_t>(from[i] > largest ? largest : from[i]);
    }
    view_array(in, std::move(out), Storage::int64);
    return true;
}

// The general conversion: NumPy's natural array of the argument, checked
// for what is refused, then cast.  An int64 parameter keeps floating-point
// elements as float64 (converted per element) and saturates uint64 ones.
inline bool convert_general(Input& in, PyObject* src, Storage storage) {
    const bool integer = storage == Storage::int64;
    auto& api = npy();
    py::object arr;
    if (api.PyArray_Check_(src)) {
        arr = py::reinterpret_borrow<py::object>(src);
    } else {
        if (is_text(src) || (integer && holds_int_beyond_int64(src))) return false;
        arr = numpy_array(src, nullptr);
        if (!arr) return force_cast(in, src, storage);  // NumPy's own cast decides (and fails)
    }
    if (holds_refused(arr.ptr(), integer)) return false;
    if (integer) {
        const auto dtype = py::reinterpret_borrow<py::array>(arr).dtype();
        if (dtype.kind() == 'f') return force_cast(in, arr.ptr(), Storage::float64);
        if (dtype.kind() == 'u' && dtype.itemsize() == 8) return saturate_uint64(in, arr.ptr());
    }
    return force_cast(in, arr.ptr(), storage);
}

// Loads one argument.  `convert` is false on the binding library's first
// pass, which accepts only what needs no conversion.
template <typename T>
bool load_argument(Input& in, PyObject* src, bool convert) {
    if (read_scalar<T>(in, src)) return true;
    constexpr Storage storage = storage_of<T>();
    if (is_array_of(src, storage)) {
        view_array(in, py::reinterpret_borrow<py::object>(src), storage);
        return true;
    }
    if (!convert) return false;
    return convert_general(in, src, storage);
}

// The parameter type seen by the binding library.
template <typename T>
struct Arg {
    Input in;
};

}  // namespace vec
}  // namespace pradix

namespace pybind11 {
namespace detail {

template <typename T>
struct type_caster<pradix::vec::Arg<T>> {
    PYBIND11_TYPE_CASTER(pradix::vec::Arg<T>, const_name("numpy.ndarray[") + npy_format_descriptor<T>::name +
                                                  const_name("]"));

    bool load(handle src, bool convert) { return pradix::vec::load_argument<T>(value.in, src.ptr(), convert); }
};

}  // namespace detail
}  // namespace pybind11
