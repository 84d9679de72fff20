#include "num/elementary.hpp"
#include "testkit.hpp"

namespace testkit {

void expose_elementary(pybind11::module_& m) {
    def_kernel(m, "exp", [](double x) { return pradix::num::exp(x); });
    def_kernel(m, "log", [](double x) { return pradix::num::log(x); });
    def_kernel(m, "expm1", [](double x) { return pradix::num::expm1(x); });
    def_kernel(m, "log1p", [](double x) { return pradix::num::log1p(x); });
    def_kernel(m, "sqrt", [](double x) { return pradix::num::sqrt(x); });
    def_kernel(m, "tan", [](double x) { return pradix::num::tan(x); });
    def_kernel(m, "atan", [](double x) { return pradix::num::atan(x); });
    def_kernel(m, "floor", [](double x) { return pradix::num::floor(x); });
    def_kernel(m, "ipow", [](double x, std::int64_t n) { return pradix::num::ipow(x, n); });
    // Scalar only: the result is an integer.
    m.def("factorial", [](std::int64_t n) { return pradix::num::factorial(n); });
}

}  // namespace testkit
