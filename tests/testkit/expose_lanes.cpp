#include <string>

#include "module/lane_choice.hpp"
#include "num/blocks.hpp"
#include "testkit.hpp"

namespace py = pybind11;

namespace testkit {

namespace {

using pradix::num::lanes::Table;

using pradix::lanes_choice::Features;

// A processor's feature answers from a dict {"avx2": bool, "avx512f": bool,
// "amd": bool} (missing keys: false); None: this processor's.
Features features_of(const py::object& given) {
    if (given.is_none()) return pradix::lanes_choice::processor();
    const py::dict d = given.cast<py::dict>();
    for (const auto& item : d) {
        const std::string key = item.first.cast<std::string>();
        if (key != "avx2" && key != "avx512f" && key != "amd") throw py::value_error("no processor feature " + key);
    }
    auto has = [&](const char* key) { return d.contains(key) && d[key].cast<bool>(); };
    return {has("avx2"), has("avx512f"), has("amd")};
}

const Table& by_name(const std::string& name) {
    for (std::size_t i = 0; i < pradix::lanes_choice::count(); ++i) {
        if (name == pradix::lanes_choice::target(i).name) return pradix::lanes_choice::target(i);
    }
    throw py::value_error("no lane target " + name);
}

template <void (*Block)(const double*, double*, std::size_t, const Table&)>
py::array_t<double> run(const std::string& name, py::array_t<double, py::array::c_style | py::array::forcecast> x) {
    const Table& t = by_name(name);
    py::array_t<double> out(x.size());
    Block(x.data(), out.mutable_data(), static_cast<std::size_t>(x.size()), t);
    return out;
}

}  // namespace

void expose_lanes(py::module_& m) {
    // (name, whether this processor runs it) for every target of the build.
    m.def("lane_targets", [] {
        py::list all;
        for (std::size_t i = 0; i < pradix::lanes_choice::count(); ++i) {
            all.append(py::make_tuple(pradix::lanes_choice::target(i).name, pradix::lanes_choice::runs(i)));
        }
        return all;
    });
    // This processor's feature answers, as features_of takes them.
    m.def("processor_features", [] {
        const Features has = pradix::lanes_choice::processor();
        py::dict d;
        d["avx2"] = has.avx2;
        d["avx512f"] = has.avx512f;
        d["amd"] = has.amd;
        return d;
    });
    // The target the module picks for a PRADIX_ISA value (None: unset) on
    // this processor, or on one with the given feature answers.
    m.def("lane_choice",
          [](const char* request, const py::object& features) {
              return std::string(pradix::lanes_choice::choose(request, features_of(features)).name);
          },
          py::arg("request").none(true), py::arg("features") = py::none());
    // The target the test kit's own kernels (staged blocks, lgamma_n, the
    // per-point hooks) run on, as the module's choice sets the module's.
    m.def("use_lanes", [](const std::string& name) { pradix::num::lanes::active = &by_name(name); });
    // Block forms through a named target (which must run on this processor).
    m.def("exp_n", &run<&pradix::num::exp_n>);
    m.def("log_n", &run<&pradix::num::log_n>);
    m.def("erf_n", &run<&pradix::num::erf_n>);
    m.def("atan_n", &run<&pradix::num::atan_n>);
    // erf's fraction without its weight, each side as erf chooses it.
    m.def("erf_fraction_n", &run<&pradix::num::erf_fraction_n>);
    // The logistic's tanh fraction at r > 0, through a named target.
    m.def("tanh_fraction_n", [](const std::string& name, py::array_t<double, py::array::c_style | py::array::forcecast> r) {
        const Table& t = by_name(name);
        py::array_t<double> out(r.size());
        t.tanh_fraction(r.data(), out.mutable_data(), static_cast<std::size_t>(r.size()));
        return out;
    });
    m.def("tan_n", &run<&pradix::num::tan_n>);
    // The incomplete gamma function's lower or upper fraction at shape a,
    // through a named target.
    m.def("gamma_fraction_n", [](const std::string& name, bool upper, double a,
                                 py::array_t<double, py::array::c_style | py::array::forcecast> x) {
        const Table& t = by_name(name);
        py::array_t<double> out(x.size());
        (upper ? t.gamma_upper : t.gamma_lower)(a, x.data(), out.mutable_data(), static_cast<std::size_t>(x.size()));
        return out;
    });
    // The same with a shape per element.
    m.def("gamma_fraction_each_n", [](const std::string& name, bool upper,
                                      py::array_t<double, py::array::c_style | py::array::forcecast> a,
                                      py::array_t<double, py::array::c_style | py::array::forcecast> x) {
        if (a.size() != x.size()) throw py::value_error("shapes and points of different lengths");
        const Table& t = by_name(name);
        py::array_t<double> out(x.size());
        (upper ? t.gamma_upper_each : t.gamma_lower_each)(a.data(), x.data(), out.mutable_data(),
                                                          static_cast<std::size_t>(x.size()));
        return out;
    });
}

}  // namespace testkit
