// A per-call cache of results keyed by the bits of the point, for
// preparations that are costly per point and whose points often repeat (the
// discrete distributions).  A preparation asks for it with
//     static constexpr bool memoize_points = true;
// The cache holds at most one result per slot (a newer point takes the slot
// of an older one that hashes to it) and is sized to the call: twice its
// points, rounded up to a power of two, at most 4096 slots, allocated
// when a row of points first runs through it.  It gives up, and stays out
// of the way, once hits prove rare.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>
#include <vector>

namespace pradix::vec {

// A slot of the memo: the point's bits and its result.  A slot never
// written holds a key that hashes to another slot, so that no lookup finds
// it: key 0 (which hashes to slot 0) everywhere but in slot 0, and key 1
// (which hashes to a slot above 0 at every size) there.  A slot is then 16
// bytes and a lookup one comparison.
struct MemoEntry {
    std::uint64_t key;
    double value;
};

template <typename Prep, typename = void>
struct MemoizesPoints : std::false_type {};

template <typename Prep>
struct MemoizesPoints<Prep, std::void_t<decltype(Prep::memoize_points)>>
    : std::bool_constant<Prep::memoize_points> {};

class PointMemo {
    // Fibonacci hashing: the top bits of the key times 2^64 / golden ratio.
    static constexpr std::uint64_t HASH = 0x9E3779B97F4A7C15ull;

public:
    // For a call of `points` points.
    explicit PointMemo(std::size_t points) {
        while (bits_ < MAX_BITS && (std::size_t{1} << bits_) < 2 * points) ++bits_;
    }

    // The memo's state for one run of lookups (a row of points), kept by the
    // caller as a local so that the counters and the table's address stay in
    // registers: through a pointer to the memo, every lookup loaded them and
    // stored its counts back, a chain through memory from point to point.
    // Given back to the memo with keep() at the end of the run.
    class Run {
    public:
        // Always inlined: a lookup that finds its point is a few
        // instructions, but with the evaluation written into it (twice),
        // clang judged it too big to inline and called it for every point
        // (gcc inlines it anyway).
        template <typename X, typename Eval>
        [[gnu::always_inline]] double get(X x, Eval&& eval) {
            static_assert(sizeof(X) == sizeof(std::uint64_t), "64-bit points");
            if (off_) return eval();
            std::uint64_t key = 0;
            std::memcpy(&key, &x, sizeof x);
            MemoEntry& e = entries_[(key * HASH) >> shift_];
            ++lookups_;
            if (e.key == key) return e.value;
            // Only a miss counts itself and weighs the hits, so that a hit
            // costs one count.
            ++misses_;
            const double v = fill(e, key, eval);
            if (lookups_ >= TRIAL) {
                off_ = (lookups_ - misses_) * 16 < lookups_;
                lookups_ = 0;
                misses_ = 0;
            }
            return v;
        }

    private:
        friend class PointMemo;

        // A miss: the evaluation, out of line, so that the loop of lookups
        // keeps its registers for the hits rather than for the evaluation.
        template <typename Eval>
        [[gnu::noinline]] static double fill(MemoEntry& e, std::uint64_t key, Eval& eval) {
            const double v = eval();
            e = {key, v};
            return v;
        }

        MemoEntry* entries_;
        int shift_;
        std::uint64_t lookups_;
        std::uint64_t misses_;
        bool off_;
    };

    // A run of lookups; the table is allocated at the first run that may
    // use it.
    Run run() {
        if (!off_ && entries_.empty()) {
            entries_.assign(std::size_t{1} << bits_, MemoEntry{0, 0.0});
            entries_[0].key = 1;
        }
        Run r;
        r.entries_ = entries_.data();
        r.shift_ = 64 - bits_;
        r.lookups_ = lookups_;
        r.misses_ = misses_;
        r.off_ = off_;
        return r;
    }

    void keep(const Run& r) {
        lookups_ = r.lookups_;
        misses_ = r.misses_;
        off_ = r.off_;
    }

private:
    static constexpr int MIN_BITS = 3;
    static constexpr int MAX_BITS = 12;  // SLOTS = 4096
    static constexpr std::uint64_t TRIAL = 4096;
    // Key 1 hashes to a slot above 0 at every size (see MemoEntry).
    static_assert((HASH >> (64 - MIN_BITS)) != 0, "key 1 must not hash to slot 0");
    std::vector<MemoEntry> entries_;
    int bits_ = MIN_BITS;
    std::uint64_t lookups_ = 0;
    std::uint64_t misses_ = 0;
    bool off_ = false;
};

}  // namespace pradix::vec
