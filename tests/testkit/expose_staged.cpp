#include <cstddef>
#include <cstdint>
#include <type_traits>
#include <vector>

#include "cdf_quantile/cdf_gamma_family.hpp"
#include "cdf_quantile/cdf_location_scale.hpp"
#include "cdf_quantile/quantile_gamma_family.hpp"
#include "density/beta_family.hpp"
#include "density/discrete.hpp"
#include "density/gamma_family.hpp"
#include "density/location_scale.hpp"
#include "module/preparations.hpp"
#include "num/blocks.hpp"
#include "num/erfinv.hpp"
#include "num/log_gamma.hpp"
#include "num/staged.hpp"
#include "testkit.hpp"

namespace py = pybind11;

namespace testkit {

namespace {

using Array = py::array_t<double, py::array::c_style | py::array::forcecast>;

// Points and parameters of equal length, as the element loop would see them
// after broadcasting.
std::size_t common_length(std::initializer_list<const Array*> arrays) {
    const std::size_t n = static_cast<std::size_t>((*arrays.begin())->size());
    for (const Array* a : arrays) {
        if (static_cast<std::size_t>(a->size()) != n) throw py::value_error("arrays of different lengths");
    }
    return n;
}

// out[i] = the kernel at x[i] under preps[i], by the staged block with one
// preparation per point.
template <class Prep>
py::array_t<double> per_point(const std::vector<Prep>& preps, const Array& x) {
    py::array_t<double> out(x.size());
    pradix::num::staged::block_of<Prep>([&preps](std::size_t i) -> const Prep& { return preps[i]; }, x.data(),
                                        out.mutable_data(), preps.size());
    return out;
}

std::vector<double> lgammas(const Array& a) {
    std::vector<double> out(static_cast<std::size_t>(a.size()));
    pradix::num::lgamma_n(a.data(), out.data(), out.size());
    return out;
}

// What decides the element loop's path besides the arrays: a preparation
// it may drop at will (trivially destructible) and at_points.  The kernels
// whose batches tests/test_vectorize.py checks with loop_flag_probe's counts
// (expose_loop.cpp) have both, as the probe has, so the same arrays take
// them the same way.
template <class Point, class... Prep>
constexpr bool batch_like_the_probe =
    ((std::is_trivially_destructible_v<Prep> && pradix::vec::HasAtPoints<Prep, Point>::value) && ...);
static_assert(batch_like_the_probe<double, pradix::density::NormalDensity, pradix::density::LaplaceDensity,
                                   pradix::density::LogisticDensity, pradix::density::LogNormalDensity,
                                   pradix::density::BetaDensity, pradix::density::TDensity,
                                   pradix::density::ChisqDensity, pradix::density::ExpDensity,
                                   pradix::density::GammaDensity, pradix::density::InvGammaDensity,
                                   pradix::cdf_quantile::NormalProbability,
                                   pradix::cdf_quantile::LogNormalProbability,
                                   pradix::cdf_quantile::GammaProbability>);
static_assert(batch_like_the_probe<std::int64_t, pradix::density::BinomialMass, pradix::density::PoissonMass>);

}  // namespace

void expose_staged(py::module_& m) {
    // erfinv's block: the points' corrections in lock-step, on the target
    // use_lanes set.
    m.def("erfinv_n", [](const Array& y) {
        py::array_t<double> out(y.size());
        pradix::num::ErfInv::prepare().at_block(y.data(), out.mutable_data(), static_cast<std::size_t>(y.size()));
        return out;
    });
    m.def("lgamma_n", [](const Array& x) {
        py::array_t<double> out(x.size());
        pradix::num::lgamma_n(x.data(), out.mutable_data(), static_cast<std::size_t>(x.size()));
        return out;
    });
    // Parameters that vary from point to point: each point's preparation
    // made from log-gammas and logarithms taken for all points together,
    // then the staged block over those preparations.
    m.def("dgamma_per_point", [](const Array& x, const Array& shape, const Array& scale, bool log) {
        const std::size_t n = common_length({&x, &shape, &scale});
        const std::vector<double> lg = lgammas(shape);
        std::vector<double> ls(n);
        pradix::num::log_n(scale.data(), ls.data(), n);
        std::vector<pradix::density::GammaDensity> preps;
        for (std::size_t i = 0; i < n; ++i) {
            preps.push_back(
                pradix::density::GammaDensity::prepare_from(shape.data()[i], scale.data()[i], log, lg[i], ls[i]));
        }
        return per_point(preps, x);
    });
    m.def("dbeta_per_point", [](const Array& x, const Array& a, const Array& b, bool log) {
        const std::size_t n = common_length({&x, &a, &b});
        std::vector<double> sum(n);
        for (std::size_t i = 0; i < n; ++i) sum[i] = a.data()[i] + b.data()[i];
        const std::vector<double> lga = lgammas(a);
        const std::vector<double> lgb = lgammas(b);
        std::vector<double> lgab(n);
        pradix::num::lgamma_n(sum.data(), lgab.data(), n);
        std::vector<pradix::density::BetaDensity> preps;
        for (std::size_t i = 0; i < n; ++i) {
            preps.push_back(
                pradix::density::BetaDensity::prepare_from(a.data()[i], b.data()[i], log, lga[i], lgb[i], lgab[i]));
        }
        return per_point(preps, x);
    });
    m.def("pgamma_per_point", [](const Array& x, const Array& shape, const Array& scale, bool log_p) {
        const std::size_t n = common_length({&x, &shape, &scale});
        const std::vector<double> lg = lgammas(shape);
        std::vector<pradix::cdf_quantile::GammaProbability> preps;
        for (std::size_t i = 0; i < n; ++i) {
            preps.push_back(
                pradix::cdf_quantile::GammaProbability::prepare_from(shape.data()[i], scale.data()[i], log_p, lg[i]));
        }
        return per_point(preps, x);
    });
    m.def("qgamma_per_point", [](const Array& p, const Array& shape, const Array& scale) {
        const std::size_t n = common_length({&p, &shape, &scale});
        std::vector<pradix::cdf_quantile::GammaQuantile> preps;
        for (std::size_t i = 0; i < n; ++i) {
            preps.push_back(pradix::cdf_quantile::GammaQuantile::prepare(shape.data()[i], scale.data()[i]));
        }
        return per_point(preps, p);
    });
}

}  // namespace testkit
