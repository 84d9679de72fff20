// Values for consecutive k (binomial masses, Poisson distribution function
// values) kept by a call: in ascending k, on the heap, with room to grow on
// both sides.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace pradix::cdf_quantile {

// The values of k = lo() .. hi() - 1.
class KeptRange {
public:
    std::int64_t lo() const { return base_ + static_cast<std::int64_t>(begin_); }
    std::int64_t hi() const { return base_ + static_cast<std::int64_t>(end_); }
    std::int64_t size() const { return static_cast<std::int64_t>(end_ - begin_); }
    bool holds(std::int64_t k) const { return k >= lo() && k < hi(); }
    const double* at(std::int64_t k) const { return data_.data() + (k - base_); }
    // The memory held, in bytes.
    std::size_t bytes() const { return data_.capacity() * sizeof(double); }

    // Empty, placed at k.
    void reset(std::int64_t k) {
        data_.clear();
        base_ = k;
        begin_ = 0;
        end_ = 0;
    }

    // Room for the values of lo() - count .. lo() - 1, which the caller fills.
    double* grow_down(std::size_t count) {
        if (begin_ < count) make_room(count + end_ - begin_, 0);
        begin_ -= count;
        return data_.data() + begin_;
    }

    // Room for the values of hi() .. hi() + count - 1, which the caller fills.
    double* grow_up(std::size_t count) {
        if (data_.size() - end_ < count) make_room(0, count + end_ - begin_);
        end_ += count;
        return data_.data() + (end_ - count);
    }

private:
    void make_room(std::size_t below, std::size_t above) {
        std::vector<double> next(below + data_.size() + above);
        std::copy(data_.begin() + static_cast<std::ptrdiff_t>(begin_), data_.begin() + static_cast<std::ptrdiff_t>(end_),
                  next.begin() + static_cast<std::ptrdiff_t>(below + begin_));
        base_ -= static_cast<std::int64_t>(below);
        begin_ += below;
        end_ += below;
        data_.swap(next);
    }

    std::vector<double> data_;
    std::int64_t base_ = 0;  // k of data_[0]
    std::size_t begin_ = 0;
    std::size_t end_ = 0;
};

}  // namespace pradix::cdf_quantile
