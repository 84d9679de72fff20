// Probe kernels for the element loop's per-point driver: their preparations
// offer at_points (and prepare_n) as the real kernels do, and count how the
// loop calls them.
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

// The same with a flag, preparations made many at once (prepare_n) as the
// kernels with batch preparations make them, and counts of the points
// prepared that way and of those evaluated through at_points: which path
// the loop takes for given arrays.
struct FlagCounts {
    std::size_t prepared_n = 0;
    std::size_t batched = 0;
};

FlagCounts flag_counts;

struct FlagProbe {
    double a;
    double b;
    bool flag;

    static FlagProbe prepare(double a, double b, bool flag) { return {a, b, flag}; }
    static void prepare_n(FlagProbe* out, std::size_t n, const double* a, const double* b, const bool* flag) {
        flag_counts.prepared_n += n;
        for (std::size_t i = 0; i < n; ++i) out[i] = prepare(a[i], b[i], flag[i]);
    }
    double at(double x) const { return flag ? (x - a) * b : (x - b) * a; }

    template <class Preps>
    static void at_points(const Preps& prep, const double* x, double* out, std::size_t n) {
        flag_counts.batched += n;
        for (std::size_t i = 0; i < n; ++i) out[i] = prep(i).at(x[i]);
    }
};

double flag_probe(double x, double a, double b, bool flag) { return FlagProbe::prepare(a, b, flag).at(x); }

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
    pradix::def_vectorized<&flag_probe, FlagProbe>(m, "loop_flag_probe", arg("x"), arg("a"), arg("b"), arg("flag"));
    m.def("loop_flag_probe_counts", [] {
        pybind11::dict d;
        d["prepared_n"] = flag_counts.prepared_n;
        d["batched"] = flag_counts.batched;
        flag_counts = FlagCounts{};
        return d;
    });
}

}  // namespace testkit
