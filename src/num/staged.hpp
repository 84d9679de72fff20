// Staged kernels: one copy of a kernel's arithmetic for one point and for
// blocks of points, whether the parameters are the same for every point or
// not.  This header states the contract every preparation keeps.
//
// A kernel's work at a point is its rows, then per-point arithmetic broken
// only where it needs a logarithm, an exponential, an error function, an
// arctangent or a continued fraction (the lane functions, whose block forms
// run many arguments side by side: blocks.hpp).  The kernel writes that work once, as
// a step function that advances one point from one lane function to the
// next:
//
//     Op step(X x, Point& pt, int k, double& v) const;
//
// k counts the lane functions this point has been given so far (0 on the
// first call); on a call with k > 0, v holds the value of the one it asked
// for last.  It returns the next one it needs with its argument in v (the
// *_last ones: whose value is the point's result), or Op::done with the
// point's result in v.  Point is the kernel's scratch for one point, which
// carries values from one step to the next; it starts uninitialized, so
// step 0 sets every field a later step reads.  A kernel on another kernel
// calls the other's step inside its own (with the same k when both start
// together, or through Nested), so the other's requests join the same
// batches.
//
// staged::at runs one point, calling num::log, num::exp and so on directly;
// it is the kernel's `at`.  staged::block runs a block of points: each round
// evaluates together the arguments of every point that asks for the same
// lane function (log_n, exp_n, erf_n, atan_n, the lane table's fractions)
// and gives each point its value back.  Every lane function gives its scalar bits in a
// block, so both runs feed each point the same values through the same
// steps: a block gives at's bits for every point, on every lane target, and
// a change to the arithmetic reaches both or neither.
//
// A composed kernel (below: its rows, an inner kernel at an argument, a
// finish) runs the inner kernel's whole block for the points its
// rows leave, which costs less than a step per round when the inner kernel
// is itself staged.
//
// The contract of a preparation Prep, the kernel with its parameter-only
// work done:
//   - static Prep prepare(parameters...): everything that depends on the
//     parameters alone (validity, the rows on parameters, constants,
//     log-gammas and logarithms of parameters).  It is a pure function of its
//     arguments, so it can be made once per call, once per distinct
//     parameter set or once per point, with the same results.  Where its
//     transcendental work is costly, prepare_from(parameters..., values)
//     takes those values (lgamma of a shape, log of a scale) from the caller,
//     and prepare(...) is prepare_from(..., lgamma(...), log(...)): a caller
//     with many parameter sets takes them together (lgamma_n, log_n) first.
//   - either Point and step (a staged kernel) or settle, argument, inner and
//     finish (a composed one); fraction_shape() where the steps ask for an
//     incomplete gamma fraction (the shape a they are taken at);
//   - at(x) and at_block(x, out, n) (any n), and where batches of points
//     under many preparations pay, at_points: from the base Entries<Prep>
//     or PointEntries<Prep> (below), through staged::at, staged::block and
//     staged::block_of.
// Parameters that vary from point to point use the same steps:
// staged::block_of<Prep>(prep_of, x, out, n) takes point i's preparation
// from prep_of(i) (a reference or a value, asked for several times per
// point, so it should be a look-up, not a preparation).  Points whose
// preparations differ still share a batch for log, exp, erf and the
// fractions (which take a shape per lane when the points' shapes differ: the
// same operations on each lane's own shape).  Nothing may depend on which
// points share a chunk or a batch, or on which preparation a neighbouring
// point has.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>
#include <utility>

#include "blocks.hpp"
#include "erf.hpp"
#include "exp_log.hpp"
#include "lanes/fractions.hpp"
#include "tally.hpp"
#include "trig.hpp"

namespace pradix::num {

// What a point asks for next: a lane function of v (then step again, or, for
// the *_last ones, its value is the result), or nothing (done: v is the
// result).
enum class Op : std::uint8_t {
    done,
    log,
    exp,
    erf,
    gamma_lower,  // the lower incomplete gamma fraction at fraction_shape()
    gamma_upper,  // the upper one
    erf_fraction,   // erf's fraction at v > 0 without its weight (detail::erf_fraction)
    tanh_fraction,  // the logistic's tanh fraction at v > 0 (lanes::tanh_fraction)
    atan,
    log_last,
    exp_last,
};

namespace staged {

inline constexpr int OP_KINDS = 9;  // done .. atan

// The lane function an op applies (log_last as log, exp_last as exp).
inline constexpr Op function_of(Op op) {
    return op == Op::log_last ? Op::log : (op == Op::exp_last ? Op::exp : op);
}
inline constexpr bool is_last(Op op) { return op == Op::log_last || op == Op::exp_last; }

// Step results for the conventions every family shares.
// The result r.
inline Op result(double r, double& v) {
    v = r;
    return Op::done;
}
// From a log-density s: s itself in log mode, otherwise exp(s).
inline Op exp_unless(bool log, double s, double& v) {
    v = s;
    return log ? Op::done : Op::exp_last;
}
// A probability t, or its logarithm in log mode.
inline Op log_if(bool log, double t, double& v) {
    v = t;
    return log ? Op::log_last : Op::done;
}

template <class Prep, class = void>
struct HasFractions : std::false_type {};
template <class Prep>
struct HasFractions<Prep, std::void_t<decltype(std::declval<const Prep&>().fraction_shape())>> : std::true_type {};

template <class Prep>
double fraction_shape(const Prep& p) {
    if constexpr (HasFractions<Prep>::value) {
        return p.fraction_shape();
    } else {
        return NaN;  // never asked: such a kernel asks for no fraction
    }
}

// The lane function `op` at v, for one point.
template <class Prep>
double apply(const Prep& p, Op op, double v) {
    switch (function_of(op)) {
        case Op::log: return log(v);
        case Op::exp: return exp(v);
        case Op::erf: return erf(v);
        case Op::gamma_lower:
            tally::one(tally::Kind::gamma_lower, fraction_shape(p), v);
            return lanes::gamma_lower(fraction_shape(p), v);
        case Op::gamma_upper:
            tally::one(tally::Kind::gamma_upper, fraction_shape(p), v);
            return lanes::gamma_upper(fraction_shape(p), v);
        case Op::erf_fraction: return detail::erf_fraction(v);
        case Op::tanh_fraction:
            tally::one(tally::Kind::tanh_fraction, v);
            return lanes::tanh_fraction(v);
        case Op::atan: return atan(v);
        default: return v;
    }
}

// Runs the steps of one point from step k, with op the request step k - 1
// made (its argument in v), to the result.
template <class Prep, class X>
double finish(const Prep& p, X x, typename Prep::Point& pt, int k, Op op, double v) {
    for (; op != Op::done; ++k) {
        v = apply(p, op, v);
        if (is_last(op)) return v;
        op = p.step(x, pt, k, v);
    }
    return v;
}

template <class Prep, class = void>
struct IsStaged : std::false_type {};
template <class Prep>
struct IsStaged<Prep, std::void_t<typename Prep::Point>> : std::true_type {};

// The kernel at one point: its `at`.  A staged kernel runs its steps; a
// composed one (below) its rows, the inner kernel's `at` and its finish.
template <class Prep, class X>
double at(const Prep& p, X x) {
    if constexpr (IsStaged<Prep>::value) {
        typename Prep::Point pt{};
        double v = 0.0;
        const Op op = p.step(x, pt, 0, v);
        return finish(p, x, pt, 1, op, v);
    } else {
        double r;
        const bool row = p.settle(x, r);
        if (!row) r = p.inner().at(p.argument(x));
        double v;
        const Op op = p.finish(row, r, v);
        return op == Op::done ? v : apply(p, op, v);
    }
}

namespace detail {

inline bool same_bits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

inline constexpr unsigned bit_of(Op op) { return 1u << static_cast<unsigned>(function_of(op)); }
inline constexpr bool is_fraction(Op f) { return f == Op::gamma_lower || f == Op::gamma_upper; }

// out[0 .. c) = f(v[0 .. c)) for one lane function, the fractions at shape
// a; out may be v.
inline void run_function(Op f, double a, const double* v, double* out, std::size_t c) {
    switch (f) {
        case Op::log: log_n(v, out, c); break;
        case Op::exp: exp_n(v, out, c); break;
        case Op::erf: erf_n(v, out, c); break;
        case Op::gamma_lower:
            tally::batch(tally::Kind::gamma_lower, v, c, nullptr, a);
            lanes::active->gamma_lower(a, v, out, c);
            break;
        case Op::gamma_upper:
            tally::batch(tally::Kind::gamma_upper, v, c, nullptr, a);
            lanes::active->gamma_upper(a, v, out, c);
            break;
        case Op::erf_fraction: erf_fraction_n(v, out, c); break;
        case Op::tanh_fraction:
            tally::batch(tally::Kind::tanh_fraction, v, c);
            lanes::active->tanh_fraction(v, out, c);
            break;
        default: atan_n(v, out, c); break;
    }
}

// out[0 .. c) = the fraction f at (a[i], v[i]), each at its own shape; out
// may be v.
inline void run_fraction_each(Op f, const double* a, const double* v, double* out, std::size_t c) {
    if (f == Op::gamma_lower) {
        tally::batch(tally::Kind::gamma_lower_each, v, c, a);
        lanes::active->gamma_lower_each(a, v, out, c);
    } else {
        tally::batch(tally::Kind::gamma_upper_each, v, c, a);
        lanes::active->gamma_upper_each(a, v, out, c);
    }
}

// g[j] = the fraction f at g[j] for the c points point_of(index[j]), each
// at its preparation's shape: one shape for all the lanes when the shapes
// are the same bits, a shape per lane otherwise.  Out of line, so that its
// buffer is on the stack only while it runs.
template <std::size_t C, class PrepOf, class PointOf>
[[gnu::noinline]] void run_fraction(Op f, PrepOf& prep_of, PointOf point_of, const std::uint16_t* index, double* g,
                                    std::size_t c) {
    if (c == 0) return;
    double a[C];
    bool one_shape = true;
    for (std::size_t j = 0; j < c; ++j) {
        a[j] = fraction_shape(prep_of(point_of(index[j])));
        one_shape = one_shape && same_bits(a[j], a[0]);
    }
    if (one_shape) {
        run_function(f, a[0], g, g, c);
    } else {
        run_fraction_each(f, a, g, g, c);
    }
}

// Gives every live point (slots live[0 .. m) of the `slots` in use, the
// slot i holding the point point_of(i)) that asks for one of the lane
// functions in `run` the value of it, v[i] = f(v[i]), one batch per
// function; `present` has a bit for each function the live points ask for.
// The fractions take the shape of each point's preparation: one shape for
// all their lanes when every point has the one preparation (OnePrep) or the
// batch's shapes are the same bits, a shape per lane otherwise.
// Kept out of line: the rounds that call it have their steps inlined.
template <bool OnePrep, std::size_t C, class PrepOf, class PointOf>
[[gnu::noinline]] void run_requests(PrepOf& prep_of, PointOf point_of, const std::uint16_t* live, std::size_t m,
                                    std::size_t slots, const Op* op, double* v, unsigned present, unsigned run) {
    const Op first = function_of(op[live[0]]);
    const bool one = present == bit_of(first);
    if (one && run == present && m == slots && (OnePrep || !is_fraction(first))) {
        // Every slot in use asks for the same function: in place.
        run_function(first, fraction_shape(prep_of(point_of(0))), v, v, m);
        return;
    }
    std::uint16_t index[C];
    double g[C];
    for (int kind = 1; kind < OP_KINDS; ++kind) {
        if ((run & (1u << kind)) == 0) continue;
        const Op f = static_cast<Op>(kind);
        std::size_t c = 0;
        for (std::size_t j = 0; j < m; ++j) {
            const std::size_t i = live[j];
            if (one || function_of(op[i]) == f) {
                index[c] = static_cast<std::uint16_t>(i);
                g[c++] = v[i];
            }
        }
        if (c == 0) continue;
        if (OnePrep || !is_fraction(f)) {
            run_function(f, fraction_shape(prep_of(point_of(index[0]))), g, g, c);
        } else {
            run_fraction<C>(f, prep_of, point_of, index, g, c);
        }
        for (std::size_t j = 0; j < c; ++j) v[index[j]] = g[j];
    }
}

// A batch of at least this many requests fills the widest packs of lanes
// (blocks.hpp): a smaller one costs several times as much per request.
inline constexpr std::size_t FULL_BATCH = 16;

// The points under way in a piece of points: C slots, each holding one
// point (counted from the piece's start) and its scratch.  A chunk of
// points starts together, slot s taking point first + s (`fresh`), and
// runs in rounds.  Once a quarter of the slots have fallen free while points
// of the piece are still waiting, those are started in the free slots
// between rounds (`fresh` no more); the lock-step inverses, whose points
// take from a handful to all of their steps, then keep their batches full
// instead of running their last stragglers alone.  Slots then hold points
// at different steps (k, per slot).
template <class Prep, std::size_t C>
struct Chunk {
    typename Prep::Point pt[C];
    double v[C];
    Op op[C];               // the slot's request (done: the slot is free)
    int k[C];               // the requests its point has been given (not fresh)
    std::uint16_t point[C];  // its point (not fresh)
    std::uint16_t live[C];  // the slots with a request, in order
    std::size_t m;          // how many
    std::size_t slots;      // slots in use: [0, slots) (fresh: the chunk's count)
    std::size_t first;      // fresh: the point in slot 0
    unsigned present;       // the lane functions they ask for
    bool all_last;          // every one of them for its result
    bool uniform;           // fresh, every point of the chunk running, all asking for op[0]
    bool fresh;
};

// Steps every point of a fresh chunk (k > 0: none of them asked for its
// result), noting whether they all ask for the same.
template <class Prep, std::size_t C, class PrepOf, class X>
inline bool step_every_point(Chunk<Prep, C>& c, PrepOf& prep_of, std::size_t base, const X* x, int k) {
    c.op[0] = prep_of(base).step(x[0], c.pt[0], k, c.v[0]);
    const unsigned first = static_cast<unsigned>(c.op[0]);
    unsigned differ = 0;
    for (std::size_t i = 1; i < c.slots; ++i) {
        c.op[i] = prep_of(base + i).step(x[i], c.pt[i], k, c.v[i]);
        differ |= static_cast<unsigned>(c.op[i]) ^ first;
    }
    return differ == 0;
}

// Takes stock of a fresh chunk after a step of the points listed in
// live[0 .. m) (every point of the chunk, in order, when `every_point`):
// results out (out at the chunk's first point), the running points in
// live[0 .. m) again.  The common cases, every point of the chunk asking for
// the same function or every one of them done, keep the list or end the
// chunk at once.
template <class Prep, std::size_t C>
inline void take_stock(Chunk<Prep, C>& c, double* out, bool every_point, bool same) {
    const std::size_t m = c.m;
    if (every_point && same) {
        const Op first = c.op[0];
        if (first == Op::done) {
            for (std::size_t i = 0; i < m; ++i) out[i] = c.v[i];
            c.m = 0;
            return;
        }
        c.uniform = true;
        c.present = bit_of(first);
        c.all_last = is_last(first);
        return;
    }
    c.uniform = false;
    c.m = 0;
    c.present = 0;
    c.all_last = true;
    for (std::size_t j = 0; j < m; ++j) {
        const std::size_t i = c.live[j];
        if (c.op[i] == Op::done) {
            out[i] = c.v[i];
            continue;
        }
        c.live[c.m++] = static_cast<std::uint16_t>(i);
        c.present |= bit_of(c.op[i]);
        c.all_last = c.all_last && is_last(c.op[i]);
    }
}

// Starts a fresh chunk of count points from the piece's point `first`, in
// slots 0 .. count - 1: step 0 of every point.  (The rounds are flattened:
// each kernel's steps are inlined into their loops.)
template <class Prep, std::size_t C, class PrepOf, class X>
[[gnu::flatten]] void start(Chunk<Prep, C>& c, PrepOf& prep_of, std::size_t base, std::size_t first,
                            std::size_t count, const X* x, double* out) {
    c.fresh = true;
    c.first = first;
    c.slots = count;
    c.m = count;
    for (std::size_t i = 0; i < count; ++i) c.live[i] = static_cast<std::uint16_t>(i);
    take_stock(c, out + first, true, step_every_point(c, prep_of, base + first, x + first, 0));
}

// Round k > 0 of a fresh chunk: the requests answered, then every running
// point's next step.
template <bool OnePrep, class Prep, std::size_t C, class PrepOf, class X>
[[gnu::flatten]] void round(Chunk<Prep, C>& c, PrepOf& prep_of, std::size_t base, const X* x, double* out, int k) {
    const std::size_t at = base + c.first;
    x += c.first;
    out += c.first;
    const Op first = function_of(c.op[c.live[0]]);
    if (c.uniform && c.all_last && (OnePrep || !is_fraction(first))) {
        // Every point of the chunk asks for the same function for its
        // result: straight into out.
        run_function(first, fraction_shape(prep_of(at)), c.v, out, c.slots);
        c.m = 0;
        return;
    }
    run_requests<OnePrep, C>(prep_of, [at](std::size_t i) { return at + i; }, c.live, c.m, c.slots, c.op, c.v,
                             c.present, c.present);
    if (c.all_last) {
        for (std::size_t j = 0; j < c.m; ++j) out[c.live[j]] = c.v[c.live[j]];
        c.m = 0;
        return;
    }
    if (c.uniform) {
        take_stock(c, out, true, step_every_point(c, prep_of, at, x, k));
        return;
    }
    for (std::size_t j = 0; j < c.m; ++j) {
        const std::size_t i = c.live[j];
        c.op[i] = is_last(c.op[i]) ? Op::done : prep_of(at + i).step(x[i], c.pt[i], k, c.v[i]);
    }
    take_stock(c, out, false, false);
}

// The slots of a fresh chunk after round k, its points numbered from the
// piece's start and every running one given k requests: the chunk is fresh
// no more.  Counts the requests for each lane function.
template <class Prep, std::size_t C>
void unfreeze(Chunk<Prep, C>& c, int k, std::size_t* asks) {
    for (int f = 0; f < OP_KINDS; ++f) asks[f] = 0;
    for (std::size_t j = 0; j < c.m; ++j) {
        const std::size_t i = c.live[j];
        c.point[i] = static_cast<std::uint16_t>(c.first + i);
        c.k[i] = k;
        ++asks[static_cast<int>(function_of(c.op[i]))];
    }
    // Every other slot is free: its point is done (or the slot was never
    // used).
    for (std::size_t i = 0; i < C; ++i) {
        if (i >= c.slots) c.op[i] = Op::done;
    }
    c.slots = C;
    c.fresh = false;
    c.uniform = false;
}

// Starts the piece's points from `next` on in the free slots until the
// slots or the points run out: step 0 of each (a point done at once leaves
// its slot to the next), the running ones added to the live list.  Returns
// the next point to start.
template <class Prep, std::size_t C, class PrepOf, class X>
std::size_t refill(Chunk<Prep, C>& c, PrepOf& prep_of, std::size_t base, const X* x, double* out, std::size_t next,
                   std::size_t count, std::size_t* asks) {
    for (std::size_t i = 0; i < C && next < count; ++i) {
        if (c.op[i] != Op::done) continue;
        while (next < count) {
            const std::size_t p = next++;
            c.op[i] = prep_of(base + p).step(x[p], c.pt[i], 0, c.v[i]);
            if (c.op[i] == Op::done) {
                out[p] = c.v[i];
                continue;
            }
            c.point[i] = static_cast<std::uint16_t>(p);
            c.k[i] = 0;
            c.live[c.m++] = static_cast<std::uint16_t>(i);
            ++asks[static_cast<int>(function_of(c.op[i]))];
            break;
        }
    }
    return next;
}

// A round of a chunk that is not fresh.  Batches are kept full: while some
// lane function has a full batch of requests, only those run and the points
// asking for others wait (they join the others' batches when those come
// round to their function, which the inverses' steps do within a few
// rounds); with none full, every request runs.  Each batch's points take
// their next step right after it, together: points at one step of a kernel
// take the same branches.
template <bool OnePrep, class Prep, std::size_t C, class PrepOf, class X>
[[gnu::flatten]] void mixed_round(Chunk<Prep, C>& c, PrepOf& prep_of, std::size_t base, const X* x, double* out,
                                  std::size_t* asks) {
    unsigned run = 0;
    unsigned present = 0;
    for (int f = 1; f < OP_KINDS; ++f) {
        if (asks[f] >= FULL_BATCH) run |= 1u << f;
        if (asks[f] > 0) present |= 1u << f;
    }
    if (run == 0) run = present;
    std::uint16_t index[C];
    double g[C];
    for (int kind = 1; kind < OP_KINDS; ++kind) {
        if ((run & (1u << kind)) == 0) continue;
        const Op f = static_cast<Op>(kind);
        std::size_t n = 0;
        for (std::size_t j = 0; j < c.m; ++j) {
            const std::size_t i = c.live[j];
            if (function_of(c.op[i]) == f) {
                index[n] = static_cast<std::uint16_t>(i);
                g[n++] = c.v[i];
            }
        }
        if (n == 0) continue;
        auto point_of = [&c, base](std::size_t i) { return base + c.point[i]; };
        if (OnePrep || !is_fraction(f)) {
            run_function(f, fraction_shape(prep_of(point_of(index[0]))), g, g, n);
        } else {
            run_fraction<C>(f, prep_of, point_of, index, g, n);
        }
        asks[kind] -= n;
        for (std::size_t j = 0; j < n; ++j) {
            const std::size_t i = index[j];
            const std::size_t p = c.point[i];
            c.v[i] = g[j];
            c.op[i] = is_last(c.op[i]) ? Op::done : prep_of(base + p).step(x[p], c.pt[i], ++c.k[i], c.v[i]);
            if (c.op[i] == Op::done) {
                out[p] = c.v[i];
            } else {
                ++asks[static_cast<int>(function_of(c.op[i]))];
            }
        }
    }
    // The live list without the points done.
    std::size_t m = 0;
    for (std::size_t j = 0; j < c.m; ++j) {
        if (c.op[c.live[j]] != Op::done) c.live[m++] = c.live[j];
    }
    c.m = m;
}

// Points a kernel's block runs at once: BLOCK, or as many as SCRATCH holds.
template <class Prep>
inline constexpr std::size_t CHUNK_OF = sizeof(typename Prep::Point) * BLOCK <= SCRATCH
                                            ? BLOCK
                                            : SCRATCH / sizeof(typename Prep::Point) / 16 * 16;

// Points a piece holds at most (slots name their points with 16 bits).
inline constexpr std::size_t PIECE = 0xFFFF;

template <bool OnePrep, class Prep, class PrepOf, class X>
void run_staged(PrepOf& prep_of, const X* x, double* out, std::size_t n) {
    constexpr std::size_t C = CHUNK_OF<Prep>;
    static_assert(C >= 16 && C <= 0xFFFF, "a point's scratch is too large; chunk positions are 16-bit");
    by_pieces<PIECE>(n, [&](std::size_t base, std::size_t count) {
        Chunk<Prep, C> c;
        std::size_t next = 0;
        while (next < count) {
            const std::size_t fresh = count - next < C ? count - next : C;
            start(c, prep_of, base, next, fresh, x + base, out + base);
            next += fresh;
            int k = 1;
            for (; c.m > 0 && (next == count || C - c.m < C / 4); ++k) {
                round<OnePrep>(c, prep_of, base, x + base, out + base, k);
            }
            if (c.m == 0) continue;
            // A quarter of the slots free and points waiting: the rest of
            // the piece runs in mixed rounds.
            std::size_t asks[OP_KINDS];
            unfreeze(c, k - 1, asks);
            for (;;) {
                if (next < count && C - c.m >= C / 4) {
                    next = refill(c, prep_of, base, x + base, out + base, next, count, asks);
                }
                if (c.m == 0) break;
                mixed_round<OnePrep>(c, prep_of, base, x + base, out + base, asks);
            }
        }
    });
}

template <bool OnePrep, class Prep, class PrepOf, class X>
void run(PrepOf& prep_of, const X* x, double* out, std::size_t n);

}  // namespace detail

// out[i] = the kernel at x[i] under preparation prep_of(i), for i < n.
template <class Prep, class PrepOf, class X>
void block_of(PrepOf&& prep_of, const X* x, double* out, std::size_t n) {
    detail::run<false, Prep>(prep_of, x, out, n);
}

// out[i] = the kernel at x[i], for i < n, under one preparation: its at_block.
template <class Prep, class X>
void block(const Prep& p, const X* x, double* out, std::size_t n) {
    auto prep_of = [&p](std::size_t) -> const Prep& { return p; };
    detail::run<true, Prep>(prep_of, x, out, n);
}

// A composed kernel: its rows, then an inner kernel (staged or composed) at
// an argument of its own, then a finish.  C provides
//     bool settle(X x, double& r) const;   // its rows: true with r
//     double argument(X x) const;          // the inner kernel's argument
//     const Inner& inner() const;          // the prepared inner kernel
//     Op finish(bool row, double r, double& v) const;
// finish makes the result from a row's r or the inner kernel's result r:
// done with the result in v, or log_last / exp_last with its argument.  The
// block runs the rows of a chunk, the inner kernel's block (its own steps,
// all points together) and the finishes, their logarithms or exponentials
// together.

namespace detail {

template <class P, class = void>
struct InnerOf {};
template <class P>
struct InnerOf<P, std::void_t<decltype(std::declval<const P&>().inner())>> {
    using type = std::decay_t<decltype(std::declval<const P&>().inner())>;
};

template <bool OnePrep, class Prep, class PrepOf, class X>
void run_composed(PrepOf& prep_of, const X* x, double* out, std::size_t n) {
    using Inner = typename InnerOf<Prep>::type;
    by_pieces<BLOCK>(n, [&](std::size_t base, std::size_t count) {
        bool row[BLOCK];
        double r[BLOCK];
        std::uint16_t index[BLOCK];
        double y[BLOCK];
        std::size_t m = 0;
        for (std::size_t i = 0; i < count; ++i) {
            const auto& c = prep_of(base + i);
            row[i] = c.settle(x[base + i], r[i]);
            if (!row[i]) {
                index[m] = static_cast<std::uint16_t>(i);
                y[m++] = c.argument(x[base + i]);
            }
        }
        auto inner_of = [&](std::size_t j) -> const Inner& { return prep_of(base + index[j]).inner(); };
        run<OnePrep, Inner>(inner_of, y, y, m);
        for (std::size_t j = 0; j < m; ++j) r[index[j]] = y[j];
        // The finishes; those that ask for a logarithm or an exponential get
        // them together.
        Op op[BLOCK];
        m = 0;
        unsigned present = 0;
        for (std::size_t i = 0; i < count; ++i) {
            op[i] = prep_of(base + i).finish(row[i], r[i], out[base + i]);
            if (op[i] != Op::done) {
                index[m++] = static_cast<std::uint16_t>(i);
                present |= bit_of(op[i]);
            }
        }
        if (m > 0) {
            run_requests<OnePrep, BLOCK>(prep_of, [base](std::size_t i) { return base + i; }, index, m, count, op,
                                         out + base, present, present);
        }
    });
}

template <bool OnePrep, class Prep, class PrepOf, class X>
void run(PrepOf& prep_of, const X* x, double* out, std::size_t n) {
    if constexpr (IsStaged<Prep>::value) {
        run_staged<OnePrep, Prep>(prep_of, x, out, n);
    } else {
        run_composed<OnePrep, Prep>(prep_of, x, out, n);
    }
}

}  // namespace detail

// The entries every kernel K, staged or composed, offers the element loop,
// written once: K derives from Entries<K> for at and at_block, or from
// PointEntries<K> for at_points too (a batch of points, each under its own
// preparation).  The bases are empty: a kernel keeps its size, and a struct
// stays an aggregate (initialized as {{}, fields...}).
template <class K>
struct Entries {
    double at(double x) const { return staged::at(static_cast<const K&>(*this), x); }
    void at_block(const double* x, double* out, std::size_t n) const {
        block(static_cast<const K&>(*this), x, out, n);
    }
};

template <class K>
struct PointEntries : Entries<K> {
    template <class Preps>
    static void at_points(const Preps& prep, const double* x, double* out, std::size_t n) {
        block_of<K>(prep, x, out, n);
    }
};

// log(arg) = log, known to an outer kernel.
struct KnownLog {
    double arg;
    double log;
};

// An inner kernel run inside an outer kernel's steps: the outer step starts
// it at an argument, passes on each of its requests (its *_last ones as
// plain ones, so that the result comes back to the outer kernel) and resumes
// it with their values, until it is done.
template <class Inner>
struct Nested {
    typename Inner::Point point;
    double arg;
    int k;
    bool last;  // its last request is out: the value is its result

    // Starts the inner kernel at a: its first request, or done with its
    // result in v.  (Nothing else needs setting first: a Point of its own.)
    Op start(const Inner& inner, double a, double& v) {
        arg = a;
        k = 0;
        last = false;
        return resume(inner, v);
    }
    // Continues with the value of its last request in v.
    Op resume(const Inner& inner, double& v) {
        if (last) return Op::done;
        const Op op = inner.step(arg, point, k++, v);
        last = is_last(op);
        return function_of(op);
    }
    // Answers the inner kernel's requests for a logarithm the outer kernel
    // already has, log(known.arg) = known.log (the same bits, one logarithm
    // fewer): takes the request `op` (argument in v) and returns the first one
    // it cannot answer, or done.
    template <class... Known>
    Op known_log(const Inner& inner, Op op, double& v, const Known&... known) {
        while (op == Op::log) {
            bool found = false;
            ((found = found || answer_from(known, v)), ...);
            if (!found) break;
            op = resume(inner, v);
        }
        return op;
    }

private:
    template <class Known>
    static bool answer_from(const Known& known, double& v) {
        if (!detail::same_bits(v, known.arg)) return false;
        v = known.log;
        return true;
    }
};

}  // namespace staged

}  // namespace pradix::num
