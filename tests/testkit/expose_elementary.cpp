#include "num/elementary.hpp"
#include "testkit.hpp"

namespace testkit {

void expose_elementary(pybind11::module_& m) {
    def_kernel(m, "exp", [](double x) { return num::exp(x); });
    def_kernel(m, "log", [](double x) { return num::log(x); });
    def_kernel(m, "expm1", [](double x) { return num::expm1(x); });
    def_kernel(m, "log1p", [](double x) { return num::log1p(x); });
    def_kernel(m, "sqrt", [](double x) { return num::sqrt(x); });
    def_kernel(m, "tan", [](double x) { return num::tan(x); });
    def_kernel(m, "atan", [](double x) { return num::atan(x); });
    def_kernel(m, "floor", [](double x) { return num::floor(x); });
    def_kernel(m, "ipow", [](double x, std::int64_t n) { return num::ipow(x, n); });
    // Scalar only: the result is an integer.
    m.def("factorial", [](std::int64_t n) { return num::factorial(n); });
}

}  // namespace testkit
