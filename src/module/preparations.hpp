// The preparations a call keeps while its parameters vary from element to
// element.
//
// Parameters often repeat: a column of constants, a grid broadcast along one
// axis, grouped data.  A call keeps each preparation it makes, keyed by the
// bits of the parameters as the kernel takes them, and an element whose
// parameters have those bits takes the kept preparation instead of a new
// one: the previous element's when they are equal (a run), any earlier one
// through a hash index otherwise.  Preparations depend on their parameters
// alone, so a kept one gives the bits a new one would.
//
// The table is sized to the call and holds at most KeptPreparations<Prep>
// preparations; when it is full, or when the memory its preparations own
// (as far as the caller has told it, account()) passes KEPT_BYTES, it is
// emptied as the next preparation is made, after the caller has evaluated
// every point that refers to it.  Tables of a few preparations are searched
// without an index.
//
// What a preparation may offer the loop besides prepare and at:
//   - the points of many preparations at once:
//         template <class Preps>
//         static void at_points(const Preps& prep, const X* x, double* out, std::size_t n);
//     with prep(i) the preparation of point i (n up to num::BLOCK) and
//     prep.slot(i) equal only for points that share one; out[i] must be
//     prep(i).at(x[i]) bit for bit.  The element loop then hands it every
//     batch of points whose parameters vary (element_loop.hpp);
//   - many preparations at once, their logarithms taken together:
//         static void prepare_n(Prep* out, std::size_t n, const P1* p1, const P2* p2, ...);
//     out[i] = prepare(p1[i], p2[i], ...) bit for bit;
//   - state shared by the preparations of a call (a table of log-gammas):
//     a type Shared, default-constructible, and at(x, Shared&) giving at(x)'s
//     bits; at_points may take a Shared* after n as well;
//   - kept_bytes(): the memory the preparation owns now (tables it grows as
//     points are evaluated), which bounds what the call keeps.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <tuple>
#include <type_traits>
#include <utility>
#include <vector>

namespace pradix::vec {

// The memory the kept preparations of a call may own before the next new
// one empties the table.  (One preparation may own more; it is kept while
// its points come, and emptied with the others when a new one is made.)
inline constexpr std::size_t KEPT_BYTES = std::size_t{128} << 20;

template <class Prep, class = void>
struct HasKeptBytes : std::false_type {};
template <class Prep>
struct HasKeptBytes<Prep, std::void_t<decltype(std::declval<const Prep&>().kept_bytes())>> : std::true_type {};

// How many preparations a call keeps at once: 64 of those that own memory
// and say how much (KEPT_BYTES bounds them together), 4 of those that own
// memory and do not (each may hold megabytes), the others within 64 KiB.
template <class Prep>
struct KeptPreparations
    : std::integral_constant<std::size_t, HasKeptBytes<Prep>::value ? 64
                                          : !std::is_trivially_destructible_v<Prep>
                                              ? 4
                                              : std::clamp<std::size_t>((std::size_t{1} << 16) / sizeof(Prep), 64,
                                                                        1024)> {};

template <class Prep, class = void>
struct HasShared : std::false_type {};
template <class Prep>
struct HasShared<Prep, std::void_t<typename Prep::Shared>> : std::true_type {};

// The shared state of a call: Prep::Shared, or nothing.
struct NoShared {};
template <class Prep, bool = HasShared<Prep>::value>
struct SharedOf {
    using type = NoShared;
};
template <class Prep>
struct SharedOf<Prep, true> {
    using type = typename Prep::Shared;
};

template <class Prep, class Params, class = void>
struct HasPrepareN : std::false_type {};
template <class Prep, class... P>
struct HasPrepareN<Prep, std::tuple<P...>,
                   std::void_t<decltype(Prep::prepare_n(std::declval<Prep*>(), std::size_t{},
                                                        std::declval<const P*>()...))>> : std::true_type {};

// The preparation of each point of a batch, for at_points.
template <class Prep>
class PointPreparations {
public:
    PointPreparations(const Prep* table, const std::uint32_t* slots) : table_(table), slots_(slots) {}
    const Prep& operator()(std::size_t i) const { return table_[slots_[i]]; }
    std::uint32_t slot(std::size_t i) const { return slots_[i]; }

private:
    const Prep* table_;
    const std::uint32_t* slots_;
};

template <class Prep, class X, class = void>
struct HasAtPoints : std::false_type {};

template <class Prep, class X>
struct HasAtPoints<Prep, X,
                   std::void_t<decltype(Prep::at_points(std::declval<const PointPreparations<Prep>&>(),
                                                        std::declval<const X*>(), std::declval<double*>(),
                                                        std::size_t{}))>> : std::true_type {};

// at_points taking the call's shared state too (a pointer to Prep::Shared).
template <class Prep, class X, class = void>
struct HasSharedAtPoints : std::false_type {};
template <class Prep, class X>
struct HasSharedAtPoints<
    Prep, X,
    std::void_t<decltype(Prep::at_points(std::declval<const PointPreparations<Prep>&>(), std::declval<const X*>(),
                                         std::declval<double*>(), std::size_t{},
                                         std::declval<typename Prep::Shared*>()))>> : std::true_type {};

// The bits of a parameter, as a key word.
template <typename T>
std::uint64_t key_bits(T v) {
    static_assert(std::is_arithmetic_v<T> && sizeof(T) <= 8, "parameters are numbers");
    if constexpr (std::is_same_v<T, bool>) {
        return v ? 1u : 0u;
    } else {
        std::uint64_t bits = 0;
        std::memcpy(&bits, &v, sizeof v);
        return bits;
    }
}

template <class Prep, std::size_t P>
class Preparations {
public:
    using Key = std::array<std::uint64_t, P>;
    static constexpr std::uint32_t NONE = ~std::uint32_t{0};

    explicit Preparations(std::size_t capacity) : capacity_(capacity < 1 ? 1 : capacity) {
        table_.reserve(capacity_);
        keys_.reserve(capacity_);
    }

    std::size_t capacity() const { return capacity_; }
    const Prep& operator[](std::uint32_t slot) const { return table_[slot]; }
    const Prep* table() const { return table_.data(); }
    std::size_t size() const { return table_.size(); }

    // The slot of the preparation for `key`, made by make() unless kept.
    // Before a full table is emptied, empty() is called: the caller
    // evaluates every point it holds, as their slots are reused after.
    template <class Make, class Empty>
    std::uint32_t find(const Key& key, Make&& make, Empty&& empty) {
        if (last_ != NONE && keys_[last_] == key) return last_;
        const std::uint32_t kept = lookup(key);
        if (kept != NONE) return last_ = kept;
        if (table_.size() == capacity_ || bytes_ > KEPT_BYTES) {
            empty();
            table_.clear();
            keys_.clear();
            owned_.clear();
            bytes_ = 0;
            std::fill(index_.begin(), index_.end(), NONE);
        }
        last_ = static_cast<std::uint32_t>(table_.size());
        table_.push_back(make());
        keys_.push_back(key);
        if (capacity_ > SCANNED) *cell(key) = last_;
        return last_;
    }

    // Takes note of the memory the preparation at `slot` owns now (after
    // points were evaluated with it).
    void account(std::uint32_t slot) {
        if constexpr (HasKeptBytes<Prep>::value) {
            if (owned_.size() < table_.size()) owned_.resize(table_.size(), 0);
            const std::size_t now = table_[slot].kept_bytes();
            bytes_ = bytes_ - owned_[slot] + now;
            owned_[slot] = now;
        }
    }

    // The memory of the kept preparations, as accounted.
    std::size_t kept_bytes() const { return bytes_; }

private:
    // Tables of at most this many are searched without an index.
    static constexpr std::size_t SCANNED = 8;

    std::uint32_t lookup(const Key& key) {
        if (capacity_ <= SCANNED) {
            for (std::size_t slot = 0; slot < keys_.size(); ++slot) {
                if (keys_[slot] == key) return static_cast<std::uint32_t>(slot);
            }
            return NONE;
        }
        return *cell(key);
    }

    // The index cell of `key`: its slot, or the empty cell where it goes.
    std::uint32_t* cell(const Key& key) {
        if (index_.empty()) {
            std::size_t cells = 16;
            shift_ = 60;
            while (cells < 2 * capacity_) {
                cells *= 2;
                --shift_;
            }
            index_.assign(cells, NONE);
        }
        std::uint64_t h = 0;
        for (const std::uint64_t w : key) h = (h ^ w) * 0x9E3779B97F4A7C15ull;
        const std::size_t mask = index_.size() - 1;
        for (std::size_t i = static_cast<std::size_t>(h >> shift_);; i = (i + 1) & mask) {
            const std::uint32_t slot = index_[i];
            if (slot == NONE || keys_[slot] == key) return &index_[i];
        }
    }

    std::size_t capacity_;
    std::vector<Prep> table_;
    std::vector<Key> keys_;
    std::vector<std::uint32_t> index_;  // at least 2 cells per slot: probes end at an empty cell
    std::vector<std::size_t> owned_;    // the memory each preparation owns, as accounted
    std::size_t bytes_ = 0;             // their sum
    int shift_ = 60;
    std::uint32_t last_ = NONE;
};

}  // namespace pradix::vec
