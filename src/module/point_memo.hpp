// A per-call cache of results keyed by the bits of the point, for
// preparations that are costly per point and whose points often repeat (the
// discrete distributions).  A preparation asks for it with
//     static constexpr bool memoize_points = true;
// The cache holds at most one result per slot (a newer point takes the slot
// of an older one that hashes to it) and is sized to the call: twice its
// points, rounded up to a power of two, at most SLOTS, allocated at the
// first lookup.  It gives up, and stays out of the way, once hits prove rare.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>
#include <vector>

namespace pradix::vec {

template <typename Prep, typename = void>
struct MemoizesPoints : std::false_type {};

template <typename Prep>
struct MemoizesPoints<Prep, std::void_t<decltype(Prep::memoize_points)>>
    : std::bool_constant<Prep::memoize_points> {};

class PointMemo {
public:
    // For a call of `points` points.
    explicit PointMemo(std::size_t points) {
        while (bits_ < MAX_BITS && (std::size_t{1} << bits_) < 2 * points) ++bits_;
    }

    // Always inlined: a lookup that finds its point is a few instructions,
    // but with the evaluation written into it (twice), clang judged it too
    // big to inline and called it for every point (gcc inlines it anyway).
    template <typename X, typename Eval>
    [[gnu::always_inline]] double get(X x, Eval&& eval) {
        static_assert(sizeof(X) == sizeof(std::uint64_t), "64-bit points");
        if (off_) return eval();
        std::uint64_t key = 0;
        std::memcpy(&key, &x, sizeof x);
        if (entries_.empty()) entries_.resize(std::size_t{1} << bits_);
        Entry& e = entries_[(key * 0x9E3779B97F4A7C15ull) >> (64 - bits_)];
        ++lookups_;
        if (e.used && e.key == key) {
            ++hits_;
            return e.value;
        }
        const double v = eval();
        e = {key, v, true};
        if (lookups_ == TRIAL) {
            off_ = hits_ * 16 < lookups_;
            lookups_ = 0;
            hits_ = 0;
        }
        return v;
    }

private:
    static constexpr int MIN_BITS = 3;
    static constexpr int MAX_BITS = 12;  // SLOTS = 4096
    static constexpr std::uint32_t TRIAL = 4096;
    struct Entry {
        std::uint64_t key;
        double value;
        bool used;
    };
    std::vector<Entry> entries_;
    int bits_ = MIN_BITS;
    std::uint32_t lookups_ = 0;
    std::uint32_t hits_ = 0;
    bool off_ = false;
};

}  // namespace pradix::vec
