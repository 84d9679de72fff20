#include <cstdint>
#include <random>
#include <stdexcept>
#include <vector>

#include <pybind11/stl.h>

#include "random/discrete.hpp"
#include "random/draws.hpp"
#include "testkit.hpp"

namespace py = pybind11;

namespace testkit {

namespace {

// An engine of its own, seeded like pradix.Engine (or directly with a 64-bit
// seed), whose raw outputs tests compare with what the samplers consumed.
struct Twister {
    explicit Twister(std::uint64_t seed64) : bits(seed64) {}
    pradix::random::Engine bits;
};

// A bit source that replays chosen outputs and counts how many were taken.
struct Script {
    const std::vector<std::uint64_t>& outputs;
    std::size_t used = 0;

    std::uint64_t operator()() {
        if (used == outputs.size()) throw std::out_of_range("scripted outputs exhausted");
        return outputs[used++];
    }
};

// (value, outputs consumed) of one draw fed with the given outputs.
template <double (*Draw)(Script&)>
py::tuple scripted(const std::vector<std::uint64_t>& outputs) {
    Script script{outputs};
    const double value = Draw(script);
    return py::make_tuple(value, script.used);
}

}  // namespace

void expose_random(py::module_& m) {
    py::class_<Twister>(m, "Twister")
        .def(py::init([](std::int32_t seed) { return Twister(static_cast<std::uint64_t>(seed)); }))
        .def_static("from_seed64", [](std::uint64_t seed64) { return Twister(seed64); })
        .def("next", [](Twister& t) { return t.bits(); })
        .def("outputs", [](Twister& t, std::size_t n) {
            std::vector<std::uint64_t> out(n);
            t.bits.outputs(out.data(), n);
            return out;
        })
        .def("canonical_uniform", [](Twister& t) { return pradix::random::canonical_uniform(t.bits); })
        .def("positive_uniform", [](Twister& t) { return pradix::random::positive_uniform(t.bits); })
        .def("polar_normal", [](Twister& t) { return pradix::random::polar_normal(t.bits); });
    // The standard library's engine of the same parameters, which the
    // module's own must match output for output.
    m.def("library_twister_outputs", [](std::uint64_t seed64, std::size_t n) {
        std::mt19937_64 library(seed64);
        std::vector<std::uint64_t> out(n);
        for (auto& x : out) x = library();
        return out;
    });
    // (no output succeeds, the largest output that does) of a trial at prob.
    m.def("trial_threshold", [](double prob) {
        const pradix::random::TrialThreshold trial(prob);
        return py::make_tuple(!trial.succeeds(0), trial.last());
    });
    // (whether each output succeeds, how many of them do) for a trial at prob:
    // the comparisons rbern's block form and rbinom's counts make.
    m.def("trial_outcomes", [](double prob, const std::vector<std::uint64_t>& outputs) {
        const pradix::random::TrialThreshold trial(prob);
        std::vector<bool> each;
        for (const std::uint64_t x : outputs) each.push_back(trial.succeeds(x));
        return py::make_tuple(each, trial.count(outputs.data(), outputs.size()));
    });
    m.def("canonical_uniform_of", &scripted<&pradix::random::canonical_uniform<Script>>);
    m.def("positive_uniform_of", &scripted<&pradix::random::positive_uniform<Script>>);
    m.def("polar_normal_of", &scripted<&pradix::random::polar_normal<Script>>);
}

}  // namespace testkit
