// A tally of the lane functions a call runs, for an instrumented build only.
//
// Built with PRADIX_TALLY defined (the test kit's _tallykit, which bench/
// floor.py uses to find the least time a call's points can take), every
// request of a lane function is counted where it runs: one by one (num::exp
// and the other scalar kernels) or in a batch (exp_n and the other block
// functions, with the batch's size), and a sample of its arguments is kept,
// on which the bench times the lane function in full blocks.  The samplers'
// C library calls and engine outputs are counted the same way.  A lane
// function that runs another inside (erf its exponential) counts as itself
// alone: the inner one runs quiet.
//
// Without PRADIX_TALLY (the module, the test kit) every hook is an empty
// inline function and Quiet an empty struct: nothing is left of them.
#pragma once

#include <cstddef>
#include <cstdint>

#ifdef PRADIX_TALLY
#include <vector>
#endif

namespace pradix::num::tally {

// What is counted: the lane functions (arguments kept: the shape and point
// for the incomplete gamma fractions, a, b and x for the incomplete beta
// fraction, base and exponent for pow), the scalar-only kernels of the same
// standing, and the samplers' C library calls and engine outputs.
enum class Kind : std::uint8_t {
    log,
    exp,
    erf,
    erf_fraction,
    atan,
    tan,
    tanh_fraction,
    gamma_lower,       // one shape for the batch
    gamma_upper,
    gamma_lower_each,  // a shape per lane
    gamma_upper_each,
    sqrt,
    beta_fraction,
    c_log,
    c_sqrt,
    c_pow,
    engine_output,
    count_
};

inline constexpr std::size_t KINDS = static_cast<std::size_t>(Kind::count_);

inline constexpr const char* NAMES[KINDS] = {
    "log",         "exp",         "erf",         "erf_fraction",     "atan",
    "tan",         "tanh_fraction", "gamma_lower", "gamma_upper",    "gamma_lower_each",
    "gamma_upper_each", "sqrt",   "beta_fraction", "c_log",          "c_sqrt",
    "c_pow",       "engine_output"};

// Arguments kept per request of each kind.
inline constexpr int ARITY[KINDS] = {1, 1, 1, 1, 1, 1, 1, 2, 2, 2, 2, 1, 3, 1, 1, 2, 0};

#ifdef PRADIX_TALLY

inline constexpr bool ON = true;

// Arguments kept per kind, at most this many doubles.
inline constexpr std::size_t SAMPLE_LIMIT = 1u << 22;

struct Counts {
    std::uint64_t single[KINDS] = {};   // requests run one by one
    std::uint64_t batched[KINDS] = {};  // requests run in batches
    std::uint64_t batches[KINDS] = {};  // the batches
    std::vector<double> sample[KINDS];  // arguments, ARITY[kind] per request
};

inline Counts counts;
inline int quiet = 0;

inline void keep(Kind k, double a, double b = 0.0, double c = 0.0) {
    const std::size_t i = static_cast<std::size_t>(k);
    std::vector<double>& s = counts.sample[i];
    if (s.size() >= SAMPLE_LIMIT) return;
    const double args[3] = {a, b, c};
    for (int j = 0; j < ARITY[i]; ++j) s.push_back(args[j]);
}

// One request run by itself.
inline void one(Kind k, double a = 0.0, double b = 0.0, double c = 0.0) {
    if (quiet > 0) return;
    ++counts.single[static_cast<std::size_t>(k)];
    keep(k, a, b, c);
}

// A batch of n requests at x[0 .. n) (shapes a[0 .. n), or one shape a0).
inline void batch(Kind k, const double* x, std::size_t n, const double* a = nullptr, double a0 = 0.0) {
    if (quiet > 0 || n == 0) return;
    const std::size_t i = static_cast<std::size_t>(k);
    counts.batched[i] += n;
    ++counts.batches[i];
    for (std::size_t j = 0; j < n; ++j) {
        if (ARITY[i] == 2) {
            keep(k, a != nullptr ? a[j] : a0, x[j]);
        } else {
            keep(k, x[j]);
        }
    }
}

// Engine outputs and other requests without arguments.
inline void outputs(Kind k, std::size_t n, bool in_batch) {
    if (quiet > 0 || n == 0) return;
    const std::size_t i = static_cast<std::size_t>(k);
    if (in_batch) {
        counts.batched[i] += n;
        ++counts.batches[i];
    } else {
        counts.single[i] += n;
    }
}

inline void reset() { counts = Counts{}; }

// While one is alive, nothing is counted (a lane function's inner ones).
struct Quiet {
    Quiet() { ++quiet; }
    ~Quiet() { --quiet; }
    Quiet(const Quiet&) = delete;
    Quiet& operator=(const Quiet&) = delete;
};

#else

inline constexpr bool ON = false;

inline void one(Kind, double = 0.0, double = 0.0, double = 0.0) {}
inline void batch(Kind, const double*, std::size_t, const double* = nullptr, double = 0.0) {}
inline void outputs(Kind, std::size_t, bool) {}

struct Quiet {};

#endif

}  // namespace pradix::num::tally
