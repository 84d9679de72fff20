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
// preparations; when it is full it is emptied, after the caller has
// evaluated every point that refers to it.  Tables of a few preparations
// are searched without an index.
//
// A kernel may take the points of many preparations at once:
//     template <class Preps>
//     static void at_points(const Preps& prep, const X* x, double* out, std::size_t n);
// with prep(i) the preparation of point i (n up to num::BLOCK) and
// prep.slot(i) equal for points that share one; out[i] must be
// prep(i).at(x[i]) bit for bit.  The element loop then hands it every batch
// of points whose parameters vary (element_loop.hpp).
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>
#include <utility>
#include <vector>

namespace pradix::vec {

// How many preparations a call keeps at once: those that own memory a few
// at a time (each may hold megabytes of masses), the others within 64 KiB.
template <class Prep>
struct KeptPreparations
    : std::integral_constant<std::size_t, !std::is_trivially_destructible_v<Prep>
                                              ? 4
                                              : std::clamp<std::size_t>((std::size_t{1} << 16) / sizeof(Prep), 64,
                                                                        1024)> {};

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
        if (table_.size() == capacity_) {
            empty();
            table_.clear();
            keys_.clear();
            std::fill(index_.begin(), index_.end(), NONE);
        }
        last_ = static_cast<std::uint32_t>(table_.size());
        table_.push_back(make());
        keys_.push_back(key);
        if (capacity_ > SCANNED) *cell(key) = last_;
        return last_;
    }

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
    int shift_ = 60;
    std::uint32_t last_ = NONE;
};

}  // namespace pradix::vec
