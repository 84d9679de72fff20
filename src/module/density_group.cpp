// Density family, registered first, in catalogue order.
#include "../density/discrete.hpp"
#include "../density/gamma_family.hpp"
#include "../density/location_scale.hpp"
#include "../density/beta_family.hpp"
#include "groups.hpp"
#include "vectorized.hpp"

namespace py = pybind11;

namespace pradix {

void register_densities(py::module_& m) {
    using py::arg;
    def_vectorized<&density::dnorm, density::NormalDensity>(m, "dnorm", arg("x"), arg("mu") = 0, arg("sigma") = 1, arg("log") = false);
    def_vectorized<&density::dbern>(m, "dbern", arg("x"), arg("prob"), arg("log") = false);
    def_vectorized<&density::dbeta, density::BetaDensity>(m, "dbeta", arg("x"), arg("a"), arg("b"), arg("log") = false);
    def_vectorized<&density::dbinom, density::BinomialMass>(m, "dbinom", arg("x"), arg("n_trials"), arg("prob"), arg("log") = false);
    def_vectorized<&density::dcauchy>(m, "dcauchy", arg("x"), arg("mu"), arg("sigma"), arg("log") = false);
    def_vectorized<&density::dchisq, density::ChisqDensity>(m, "dchisq", arg("x"), arg("dof"), arg("log") = false);
    def_vectorized<&density::dexp, density::ExpDensity>(m, "dexp", arg("x"), arg("rate"), arg("log") = false);
    def_vectorized<&density::df, density::FDensity>(m, "df", arg("x"), arg("df1"), arg("df2"), arg("log") = false);
    def_vectorized<&density::dgamma, density::GammaDensity>(m, "dgamma", arg("x"), arg("shape"), arg("scale"), arg("log") = false);
    def_vectorized<&density::dinvgamma, density::InvGammaDensity>(m, "dinvgamma", arg("x"), arg("shape"), arg("scale"), arg("log") = false);
    def_vectorized<&density::dlaplace, density::LaplaceDensity>(m, "dlaplace", arg("x"), arg("mu"), arg("sigma"), arg("log") = false);
    def_vectorized<&density::dlnorm, density::LogNormalDensity>(m, "dlnorm", arg("x"), arg("mu"), arg("sigma"), arg("log") = false);
    def_vectorized<&density::dlogis, density::LogisticDensity>(m, "dlogis", arg("x"), arg("mu"), arg("sigma"), arg("log") = false);
    def_vectorized<&density::dpois, density::PoissonMass>(m, "dpois", arg("x"), arg("rate"), arg("log") = false);
    def_vectorized<&density::dt, density::TDensity>(m, "dt", arg("x"), arg("dof"), arg("log") = false);
    def_vectorized<&density::dunif>(m, "dunif", arg("x"), arg("a"), arg("b"), arg("log") = false);
    def_vectorized<&density::dweibull, density::WeibullDensity>(m, "dweibull", arg("x"), arg("shape"), arg("scale"), arg("log") = false);
}

}  // namespace pradix
