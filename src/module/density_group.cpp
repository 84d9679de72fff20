// Density family, registered first, in catalogue order.
#include "../density/location_scale.hpp"
#include "groups.hpp"
#include "vectorized.hpp"

namespace py = pybind11;

namespace pradix {

void register_densities(py::module_& m) {
    using py::arg;
    def_vectorized<&density::dnorm>(m, "dnorm", arg("x"), arg("mu") = 0, arg("sigma") = 1, arg("log") = false);
    def_vectorized<&density::dcauchy>(m, "dcauchy", arg("x"), arg("mu"), arg("sigma"), arg("log") = false);
    def_vectorized<&density::dlaplace>(m, "dlaplace", arg("x"), arg("mu"), arg("sigma"), arg("log") = false);
    def_vectorized<&density::dlnorm>(m, "dlnorm", arg("x"), arg("mu"), arg("sigma"), arg("log") = false);
    def_vectorized<&density::dlogis>(m, "dlogis", arg("x"), arg("mu"), arg("sigma"), arg("log") = false);
    def_vectorized<&density::dunif>(m, "dunif", arg("x"), arg("a"), arg("b"), arg("log") = false);
}

}  // namespace pradix
