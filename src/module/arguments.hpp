// Arguments of the vectorized functions.
//
// Every parameter of a density, distribution function or quantile takes a
// number, a nested sequence or a NumPy array, converted to the parameter's
// element type (float64, int64 or bool) the way NumPy converts with forced
// casting: an array of exactly that dtype is used in place, whatever its
// strides; anything else goes through NumPy's array-from-object conversion
// with the ensure-array and force-cast flags.  An argument NumPy cannot
// convert makes the call fail with the binding library's TypeError for
// incompatible arguments.  Shown in signatures as numpy.ndarray[<dtype>].
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
// scalars, float arrays and sequences of floats.
#pragma once

#include <Python.h>

#include <cstdint>
#include <limits>
#include <type_traits>

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

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

// NaN -> no value; +inf and >= 2^63 -> INT64_MAX; -inf and < -2^63 ->
// INT64_MIN; otherwise truncation toward zero.
inline bool int64_from_float(double v, std::int64_t& out) {
    if (v != v) return false;
    if (v >= 0x1p63) {
        out = std::numeric_limits<std::int64_t>::max();
    } else if (v < -0x1p63) {
        out = std::numeric_limits<std::int64_t>::min();
    } else {
        out = static_cast<std::int64_t>(v);
    }
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

// NumPy's conversion with forced casting; false (error cleared) when NumPy
// cannot convert.
inline bool force_cast(Input& in, PyObject* src, Storage storage) {
    auto& api = npy();
    PyObject* arr = api.PyArray_FromAny_(src, descr_of(storage), 0, 0,
                                         py::detail::npy_api::NPY_ARRAY_ENSUREARRAY_ |
                                             py::detail::npy_api::NPY_ARRAY_FORCECAST_,
                                         nullptr);
    if (arr == nullptr) {
        PyErr_Clear();
        return false;
    }
    view_array(in, py::reinterpret_steal<py::object>(arr), storage);
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

// General conversion of an int64 parameter: floating-point sources stay
// float64 (converted per element), everything else is cast to int64.
inline bool convert_int64(Input& in, PyObject* src) {
    auto& api = npy();
    if (api.PyArray_Check_(src)) {
        return force_cast(in, src, kind_of_array(src) == 'f' ? Storage::float64 : Storage::int64);
    }
    // Sequences and NumPy scalars: their natural dtype says whether they hold
    // floats.  Anything else keeps NumPy's integer conversion (and its errors).
    PyObject* natural = api.PyArray_FromAny_(src, nullptr, 0, 0, py::detail::npy_api::NPY_ARRAY_ENSUREARRAY_,
                                             nullptr);
    if (natural == nullptr) {
        PyErr_Clear();
    } else {
        const auto holder = py::reinterpret_steal<py::object>(natural);
        if (kind_of_array(natural) == 'f') return force_cast(in, natural, Storage::float64);
    }
    return force_cast(in, src, Storage::int64);
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
    if constexpr (storage == Storage::int64) {
        return convert_int64(in, src);
    } else {
        return force_cast(in, src, storage);
    }
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
