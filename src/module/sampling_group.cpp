// Sampling family, registered second: the Engine class, the shared default
// engine, then the samplers in catalogue order.
#include <cstdint>

#include "../random/beta_family.hpp"
#include "../random/discrete.hpp"
#include "../random/gamma_family.hpp"
#include "../random/location_scale.hpp"
#include "groups.hpp"
#include "sampler.hpp"

namespace py = pybind11;

namespace pradix {

void register_sampling(py::module_& m) {
    using py::arg;
    // The seed is a signed 32-bit integer, sign-extended to the engine's
    // 64-bit seed (-1 seeds with 2^64 - 1).  Unnamed: positional only.
    py::class_<Engine>(m, "Engine").def(py::init<std::int32_t>());
    // Default of every engine argument; reachable only by omitting it.
    const py::object engine = m.attr("Engine")(1);

    def_sampler<&random::rnorm>(m, "rnorm", engine, arg("mu") = 0, arg("sigma") = 1);
    def_sampler<&random::rbern>(m, "rbern", engine, arg("prob"));
    def_sampler<&random::rbeta>(m, "rbeta", engine, arg("a"), arg("b"));
    def_sampler<&random::rbinom>(m, "rbinom", engine, arg("n_trials"), arg("prob"));
    def_sampler<&random::rcauchy>(m, "rcauchy", engine, arg("mu"), arg("sigma"));
    def_sampler<&random::rchisq>(m, "rchisq", engine, arg("dof"));
    def_sampler<&random::rexp>(m, "rexp", engine, arg("rate"));
    def_sampler<&random::rf>(m, "rf", engine, arg("df1"), arg("df2"));
    def_sampler<&random::rgamma>(m, "rgamma", engine, arg("shape"), arg("scale"));
    def_sampler<&random::rinvgamma>(m, "rinvgamma", engine, arg("shape"), arg("scale"));
    def_sampler<&random::rlaplace>(m, "rlaplace", engine, arg("mu"), arg("sigma"));
    def_sampler<&random::rlnorm>(m, "rlnorm", engine, arg("mu"), arg("sigma"));
    def_sampler<&random::rlogis>(m, "rlogis", engine, arg("mu"), arg("sigma"));
    def_sampler<&random::rpois>(m, "rpois", engine, arg("rate"));
    def_sampler<&random::rt>(m, "rt", engine, arg("dof"));
    def_sampler<&random::runif>(m, "runif", engine, arg("a"), arg("b"));
    def_sampler<&random::rweibull>(m, "rweibull", engine, arg("shape"), arg("scale"));
}

}  // namespace pradix
