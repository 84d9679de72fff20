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

namespace {

void refuse_pickling(const py::object&, const py::args&) {
    throw py::type_error("cannot pickle 'pradix.Engine' object");
}

}  // namespace

void register_sampling(py::module_& m) {
    using py::arg;
    // The seed is a signed 32-bit integer (EngineObject).  Unnamed:
    // positional only.
    // An engine cannot be pickled or copied: every protocol, copy.copy and
    // copy.deepcopy reduce it first, and so raise TypeError.
    py::class_<EngineObject>(m, "Engine")
        .def(py::init<std::int32_t>())
        .def("__reduce_ex__", &refuse_pickling)
        .def("__reduce__", &refuse_pickling);
    refuse_second_init(m.attr("Engine"));
    // Default of every engine argument; reachable only by omitting it.
    const py::object engine = m.attr("Engine")(1);
    engine.cast<EngineObject&>().shared_default = true;

    def_sampler<&random::rnorm, random::NormalDraws>(m, "rnorm", engine, arg("mu") = 0, arg("sigma") = 1);
    def_sampler<&random::rbern, random::BernoulliDraws>(m, "rbern", engine, arg("prob"));
    def_sampler<&random::rbeta, random::BetaDraws>(m, "rbeta", engine, arg("a"), arg("b"));
    def_sampler<&random::rbinom, random::BinomialDraws>(m, "rbinom", engine, arg("n_trials"), arg("prob"));
    def_sampler<&random::rcauchy, random::CauchyDraws>(m, "rcauchy", engine, arg("mu"), arg("sigma"));
    def_sampler<&random::rchisq, random::ChisqDraws>(m, "rchisq", engine, arg("dof"));
    def_sampler<&random::rexp, random::ExpDraws>(m, "rexp", engine, arg("rate"));
    def_sampler<&random::rf, random::FDraws>(m, "rf", engine, arg("df1"), arg("df2"));
    def_sampler<&random::rgamma, random::GammaDraws>(m, "rgamma", engine, arg("shape"), arg("scale"));
    def_sampler<&random::rinvgamma, random::InvGammaDraws>(m, "rinvgamma", engine, arg("shape"), arg("scale"));
    def_sampler<&random::rlaplace, random::LaplaceDraws>(m, "rlaplace", engine, arg("mu"), arg("sigma"));
    def_sampler<&random::rlnorm, random::LogNormalDraws>(m, "rlnorm", engine, arg("mu"), arg("sigma"));
    def_sampler<&random::rlogis, random::LogisticDraws>(m, "rlogis", engine, arg("mu"), arg("sigma"));
    def_sampler<&random::rpois, random::PoissonDraws>(m, "rpois", engine, arg("rate"));
    def_sampler<&random::rt, random::TDraws>(m, "rt", engine, arg("dof"));
    def_sampler<&random::runif, random::UniformDraws>(m, "runif", engine, arg("a"), arg("b"));
    def_sampler<&random::rweibull, random::WeibullDraws>(m, "rweibull", engine, arg("shape"), arg("scale"));
}

}  // namespace pradix
