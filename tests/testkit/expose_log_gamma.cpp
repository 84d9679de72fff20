#include "num/gamma.hpp"
#include "testkit.hpp"

namespace testkit {

void expose_log_gamma(pybind11::module_& m) {
    def_kernel(m, "lgamma", [](double x) { return num::lgamma(x); });
    def_kernel(m, "lbeta", [](double a, double b) { return num::lbeta(a, b); });
    def_kernel(m, "lchoose", [](std::int64_t n, std::int64_t k) { return num::lchoose(n, k); });
}

}  // namespace testkit
