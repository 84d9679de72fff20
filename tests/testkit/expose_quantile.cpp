#include "cdf_quantile/quantile_discrete.hpp"
#include "testkit.hpp"

namespace testkit {

void expose_quantile(pybind11::module_& m) {
    // The binomial quantile with a window of 16 masses, so that its sums
    // reach past the window even for small numbers of trials.
    def_kernel(m, "qbinom_window16", [](double p, std::int64_t n, double prob) {
        return pradix::cdf_quantile::detail::binomial_quantile<16>(p, n, prob);
    });
}

}  // namespace testkit
