// Quantile family, registered last, in catalogue order.
#include "../cdf_quantile/quantile_beta_family.hpp"
#include "../cdf_quantile/quantile_discrete.hpp"
#include "../cdf_quantile/quantile_gamma_family.hpp"
#include "../cdf_quantile/quantile_location_scale.hpp"
#include "groups.hpp"
#include "vectorized.hpp"

namespace py = pybind11;

namespace pradix {

void register_quantiles(py::module_& m) {
    using py::arg;
    def_vectorized<&cdf_quantile::qnorm, cdf_quantile::NormalQuantile>(m, "qnorm", arg("p"), arg("mu") = 0, arg("sigma") = 1);
    def_vectorized<&cdf_quantile::qbern>(m, "qbern", arg("p"), arg("prob"));
    def_vectorized<&cdf_quantile::qbeta, cdf_quantile::BetaQuantile>(m, "qbeta", arg("p"), arg("a"), arg("b"));
    def_vectorized<&cdf_quantile::qbinom, cdf_quantile::BinomialQuantile>(m, "qbinom", arg("p"), arg("n_trials"), arg("prob"));
    def_vectorized<&cdf_quantile::qcauchy, cdf_quantile::CauchyQuantile>(m, "qcauchy", arg("p"), arg("mu"), arg("sigma"));
    def_vectorized<&cdf_quantile::qchisq, cdf_quantile::ChisqQuantile>(m, "qchisq", arg("p"), arg("dof"));
    def_vectorized<&cdf_quantile::qexp, cdf_quantile::ExpQuantile>(m, "qexp", arg("p"), arg("rate"));
    def_vectorized<&cdf_quantile::qf, cdf_quantile::FQuantile>(m, "qf", arg("p"), arg("df1"), arg("df2"));
    def_vectorized<&cdf_quantile::qgamma, cdf_quantile::GammaQuantile>(m, "qgamma", arg("p"), arg("shape"), arg("scale"));
    def_vectorized<&cdf_quantile::qinvgamma, cdf_quantile::InvGammaQuantile>(m, "qinvgamma", arg("p"), arg("shape"), arg("scale"));
    def_vectorized<&cdf_quantile::qlaplace, cdf_quantile::LaplaceQuantile>(m, "qlaplace", arg("p"), arg("mu"), arg("sigma"));
    def_vectorized<&cdf_quantile::qlnorm, cdf_quantile::LogNormalQuantile>(m, "qlnorm", arg("p"), arg("mu"), arg("sigma"));
    def_vectorized<&cdf_quantile::qlogis, cdf_quantile::LogisticQuantile>(m, "qlogis", arg("p"), arg("mu"), arg("sigma"));
    def_vectorized<&cdf_quantile::qpois, cdf_quantile::PoissonQuantile>(m, "qpois", arg("p"), arg("rate"));
    def_vectorized<&cdf_quantile::qt, cdf_quantile::TQuantile>(m, "qt", arg("p"), arg("dof"));
    def_vectorized<&cdf_quantile::qunif>(m, "qunif", arg("p"), arg("a"), arg("b"));
    def_vectorized<&cdf_quantile::qweibull, cdf_quantile::WeibullQuantile>(m, "qweibull", arg("p"), arg("shape"), arg("scale"));
}

}  // namespace pradix
