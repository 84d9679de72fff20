#include <cstdint>
#include <iterator>
#include <vector>

#include <pybind11/stl.h>

#include "num/erf.hpp"
#include "num/erfinv.hpp"
#include "num/gauss_legendre.hpp"
#include "num/incomplete_beta.hpp"
#include "num/incomplete_gamma.hpp"
#include "testkit.hpp"

namespace testkit {

void expose_incomplete(pybind11::module_& m) {
    def_kernel(m, "clamp_curvature",
               [](double q, double if_nan) { return pradix::num::clamp_curvature(q, if_nan); });
    def_kernel(m, "erf", [](double x) { return pradix::num::erf(x); });
    def_kernel(m, "erfinv", [](double y) { return pradix::num::erfinv(y); });
    def_kernel(m, "gamma_p", [](double a, double x) { return pradix::num::gamma_p(a, x); });
    def_kernel(m, "gamma_p_inv", [](double a, double p) { return pradix::num::gamma_p_inv(a, p); });
    def_kernel(m, "poisson_partial_sum",
               [](std::int64_t k, double x) { return pradix::num::poisson_partial_sum(k, x); });
    def_kernel(m, "beta_inc", [](double a, double b, double x) { return pradix::num::beta_inc(a, b, x); });
    def_kernel(m, "beta_inc_inv",
               [](double a, double b, double p) { return pradix::num::beta_inc_inv(a, b, p); });
    // Which method gamma_p uses (0 lower fraction, 1 upper fraction, 2
    // quadrature), whether beta_inc takes its direct side and whether erf
    // takes the complementary function's fraction: the one predicate each
    // kernel asks on every path, so tests can pin each boundary.
    def_kernel(m, "gamma_p_region", [](double a, double x) {
        return static_cast<int>(pradix::num::detail::gamma_p_region(a, x));
    });
    def_kernel(m, "beta_inc_direct",
               [](double a, double b, double x) { return pradix::num::BetaInc::prepare(a, b).direct(x); });
    def_kernel(m, "erf_takes_complement", [](double x) { return pradix::num::detail::erf_takes_complement(x); });
    // The inverses with every correction step run, for checking that ending
    // early on a repeated state changes no result.
    def_kernel(m, "erfinv_all_steps", [](double y) { return pradix::num::detail::erfinv_steps(y, true); });
    def_kernel(m, "gamma_p_inv_all_steps",
               [](double a, double p) { return pradix::num::detail::gamma_p_inv_steps(a, p, true); });
    def_kernel(m, "beta_inc_inv_all_steps", [](double a, double b, double p) {
        return pradix::num::detail::beta_inc_inv_steps(a, b, p, true);
    });
    // The quadrature table, as two lists in storage order.
    m.def("gl50_nodes", [] {
        return std::vector<double>(std::begin(pradix::num::detail::GL50_NODE), std::end(pradix::num::detail::GL50_NODE));
    });
    m.def("gl50_weights", [] {
        return std::vector<double>(std::begin(pradix::num::detail::GL50_WEIGHT),
                                   std::end(pradix::num::detail::GL50_WEIGHT));
    });
}

}  // namespace testkit
