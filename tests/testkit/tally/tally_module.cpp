// The module's 68 functions and Engine built once more with every lane
// function, scalar-only kernel, C library call of the samplers and engine
// output tallied where it runs (num/tally.hpp), for bench/floor.py, which
// imports it in place of pradix to count what a call's points ask for.  It
// is set up as pradix is (module/set_up.hpp); only the name, the
// docstring and the three tally functions differ.  Never installed.
#include <Python.h>

#include <cstring>
#include <string>

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include "module/set_up.hpp"
#include "num/tally.hpp"

namespace py = pybind11;
namespace tally = pradix::num::tally;

namespace {

std::size_t kind_of(const std::string& name) {
    for (std::size_t k = 0; k < tally::KINDS; ++k) {
        if (name == tally::NAMES[k]) return k;
    }
    throw py::value_error("nothing tallied as " + name);
}

}  // namespace

PYBIND11_MODULE(_tallykit, m) {
    m.doc() = "pradix's functions with their lane-function requests tallied, for bench/floor.py only";
    pradix::set_up_module(m);
    // {kind: (requests run one by one, requests run in batches, batches)}
    // since the last reset, kinds with any.
    m.def("tally", [] {
        py::dict d;
        for (std::size_t k = 0; k < tally::KINDS; ++k) {
            const auto& c = tally::counts;
            if (c.single[k] + c.batched[k] == 0) continue;
            d[tally::NAMES[k]] = py::make_tuple(c.single[k], c.batched[k], c.batches[k]);
        }
        return d;
    });
    // The arguments kept for a kind: one row per request (the first ones,
    // up to a limit), as many columns as the kind has arguments.
    m.def("tally_sample", [](const std::string& name) {
        const std::size_t k = kind_of(name);
        const std::vector<double>& s = tally::counts.sample[k];
        const std::size_t arity = static_cast<std::size_t>(tally::ARITY[k]);
        const std::size_t rows = arity == 0 ? 0 : s.size() / arity;
        py::array_t<double> out({rows, arity});
        if (rows > 0) std::memcpy(out.mutable_data(), s.data(), rows * arity * sizeof(double));
        return out;
    });
    m.def("tally_reset", [] { tally::reset(); });
}
