#include "num/log_gamma.hpp"
#include "testkit.hpp"

namespace testkit {

void expose_log_gamma(pybind11::module_& m) {
    def_kernel(m, "lgamma", [](double x) { return pradix::num::lgamma(x); });
    def_kernel(m, "lbeta", [](double a, double b) { return pradix::num::lbeta(a, b); });
    def_kernel(m, "lchoose", [](std::int64_t n, std::int64_t k) { return pradix::num::lchoose(n, k); });
}

}  // namespace testkit
