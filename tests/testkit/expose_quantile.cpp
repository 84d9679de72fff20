#include "cdf_quantile/quantile_discrete.hpp"
#include "testkit.hpp"

namespace testkit {

void expose_quantile(pybind11::module_& m) {
    // The binomial quantile with sums split into chunks of 16 additions (one
    // question whether to stop after each), so that the chunked loop is
    // crossed even for small numbers of trials.
    def_kernel(m, "qbinom_chunk16", [](double p, std::int64_t n, double prob) {
        return pradix::cdf_quantile::detail::BinomialQuantile<16>::prepare(n, prob).at(p);
    });
}

}  // namespace testkit
