// Loops over arrays for the kernels and calls that have no block form of
// their own, so that bench/floor.py can time one request of each in a loop
// as it times the lane functions through their block forms: the square
// root, the incomplete beta function's continued fraction, the C library's
// log, sqrt and pow as the samplers call them, and engine outputs taken in
// blocks as the samplers take them.
#include <cstddef>
#include <cstdint>

#include "num/incomplete_beta.hpp"
#include "num/sqrt.hpp"
#include "random/draws.hpp"
#include "testkit.hpp"

namespace py = pybind11;

namespace testkit {

namespace {

using Array = py::array_t<double, py::array::c_style | py::array::forcecast>;

// out[i] = f(in[0][i], in[1][i], ...) for arrays of one length.
template <class F, class... In>
py::array_t<double> each(F f, const In&... in) {
    const py::ssize_t n = std::get<0>(std::forward_as_tuple(in...)).size();
    if (((in.size() != n) || ...)) throw py::value_error("arrays of different lengths");
    py::array_t<double> out(n);
    double* o = out.mutable_data();
    for (py::ssize_t i = 0; i < n; ++i) o[i] = f(in.data()[i]...);
    return out;
}

}  // namespace

void expose_costs(py::module_& m) {
    m.def("sqrt_each", [](const Array& x) { return each([](double v) { return pradix::num::sqrt(v); }, x); });
    m.def("beta_fraction_each", [](const Array& a, const Array& b, const Array& x) {
        return each([](double p, double q, double v) { return pradix::num::detail::beta_cf(p, q, v); }, a, b, x);
    });
    m.def("c_log_each", [](const Array& x) { return each([](double v) { return pradix::random::c_log(v); }, x); });
    m.def("c_sqrt_each", [](const Array& x) { return each([](double v) { return pradix::random::c_sqrt(v); }, x); });
    m.def("c_pow_each", [](const Array& x, const Array& y) {
        return each([](double v, double e) { return pradix::random::c_pow(v, e); }, x, y);
    });
    // n outputs of an engine seeded with `seed`, taken num::BLOCK at a time;
    // returns their sum modulo 2^64, so that nothing is optimised away.
    m.def("engine_outputs", [](std::uint64_t seed, std::size_t n) {
        pradix::random::Engine engine(seed);
        std::uint64_t x[pradix::num::BLOCK];
        std::uint64_t sum = 0;
        for (std::size_t done = 0; done < n; done += pradix::num::BLOCK) {
            const std::size_t m = n - done < pradix::num::BLOCK ? n - done : pradix::num::BLOCK;
            pradix::random::engine_outputs(engine, x, m);
            for (std::size_t i = 0; i < m; ++i) sum += x[i];
        }
        return sum;
    });
}

}  // namespace testkit
