// A probe kernel for the element loop's per-point driver: its preparation
// offers at_points, which the real kernels will offer later, and counts how
// the loop calls it.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "module/vectorized.hpp"
#include "testkit.hpp"

namespace testkit {

namespace {

struct ProbeCounts {
    std::size_t calls = 0;      // at_points calls
    std::size_t points = 0;     // points they evaluated
    std::size_t largest = 0;    // the most points in one call
    std::size_t mismatches = 0;  // slots equal but parameters not, or the other way round
};

ProbeCounts counts;

bool same_bits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// (x - a) / (a b + 1) + b, with a b + 1 prepared.
struct Probe {
    double a;
    double b;
    double c;

    static Probe prepare(double a, double b) { return {a, b, a * b + 1.0}; }
    double at(double x) const { return (x - a) / c + b; }

    template <class Preps>
    static void at_points(const Preps& prep, const double* x, double* out, std::size_t n) {
        ++counts.calls;
        counts.points += n;
        if (n > counts.largest) counts.largest = n;
        for (std::size_t i = 1; i < n; ++i) {
            const bool same = same_bits(prep(i).a, prep(i - 1).a) && same_bits(prep(i).b, prep(i - 1).b);
            if (same != (prep.slot(i) == prep.slot(i - 1))) ++counts.mismatches;
        }
        for (std::size_t i = 0; i < n; ++i) out[i] = prep(i).at(x[i]);
    }
};

double probe(double x, double a, double b) { return Probe::prepare(a, b).at(x); }

}  // namespace

void expose_loop(pybind11::module_& m) {
    using pybind11::arg;
    pradix::def_vectorized<&probe, Probe>(m, "loop_probe", arg("x"), arg("a"), arg("b"));
    m.def("loop_probe_counts", [] {
        pybind11::dict d;
        d["calls"] = counts.calls;
        d["points"] = counts.points;
        d["largest"] = counts.largest;
        d["mismatches"] = counts.mismatches;
        counts = ProbeCounts{};
        return d;
    });
}

}  // namespace testkit
