// Distribution-function family, registered third, in catalogue order.
#include "../cdf_quantile/cdf_beta_family.hpp"
#include "../cdf_quantile/cdf_discrete.hpp"
#include "../cdf_quantile/cdf_gamma_family.hpp"
#include "../cdf_quantile/cdf_location_scale.hpp"
#include "groups.hpp"
#include "vectorized.hpp"

namespace py = pybind11;

namespace pradix {

void register_distribution_functions(py::module_& m) {
    using py::arg;
    const auto log_p = arg("log_p") = false;
    def_vectorized<&cdf_quantile::pnorm, cdf_quantile::NormalProbability>(m, "pnorm", arg("x"), arg("mu") = 0, arg("sigma") = 1, log_p);
    def_vectorized<&cdf_quantile::pbern>(m, "pbern", arg("x"), arg("prob"), log_p);
    def_vectorized<&cdf_quantile::pbeta, cdf_quantile::BetaProbability>(m, "pbeta", arg("x"), arg("a"), arg("b"), log_p);
    def_vectorized<&cdf_quantile::pbinom, cdf_quantile::BinomialCdf>(m, "pbinom", arg("x"), arg("n_trials"), arg("prob"), log_p);
    def_vectorized<&cdf_quantile::pcauchy, cdf_quantile::CauchyProbability>(m, "pcauchy", arg("x"), arg("mu"), arg("sigma"), log_p);
    def_vectorized<&cdf_quantile::pchisq, cdf_quantile::ChisqProbability>(m, "pchisq", arg("x"), arg("dof"), log_p);
    def_vectorized<&cdf_quantile::pexp, cdf_quantile::ExpProbability>(m, "pexp", arg("x"), arg("rate"), log_p);
    def_vectorized<&cdf_quantile::pf, cdf_quantile::FProbability>(m, "pf", arg("x"), arg("df1"), arg("df2"), log_p);
    def_vectorized<&cdf_quantile::pgamma, cdf_quantile::GammaProbability>(m, "pgamma", arg("x"), arg("shape"), arg("scale"), log_p);
    def_vectorized<&cdf_quantile::pinvgamma, cdf_quantile::InvGammaProbability>(m, "pinvgamma", arg("x"), arg("shape"), arg("scale"), log_p);
    def_vectorized<&cdf_quantile::plaplace, cdf_quantile::LaplaceProbability>(m, "plaplace", arg("x"), arg("mu"), arg("sigma"), log_p);
    def_vectorized<&cdf_quantile::plnorm, cdf_quantile::LogNormalProbability>(m, "plnorm", arg("x"), arg("mu"), arg("sigma"), log_p);
    def_vectorized<&cdf_quantile::plogis, cdf_quantile::LogisticProbability>(m, "plogis", arg("x"), arg("mu"), arg("sigma"), log_p);
    def_vectorized<&cdf_quantile::ppois, cdf_quantile::PoissonCdf>(m, "ppois", arg("x"), arg("rate"), log_p);
    def_vectorized<&cdf_quantile::pt, cdf_quantile::TProbability>(m, "pt", arg("x"), arg("dof"), log_p);
    def_vectorized<&cdf_quantile::punif>(m, "punif", arg("x"), arg("a"), arg("b"), log_p);
    def_vectorized<&cdf_quantile::pweibull, cdf_quantile::WeibullProbability>(m, "pweibull", arg("x"), arg("shape"), arg("scale"), log_p);
}

}  // namespace pradix
