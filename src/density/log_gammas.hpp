// lgamma(j) of small integers j, kept by a call for all its discrete masses.
//
// The binomial log-mass takes lgamma((n - k) + 1) and lgamma(k + 1); below
// 2^53 both arguments are integers, exactly, so the masses of every (n, p)
// of a call draw on one table of lgamma(j).  The table is filled in pages of
// consecutive j, each page by one call of lgamma_n (its logarithms in
// lanes), when a run of masses first needs it: the values are num::lgamma's
// bits.  Pages live on the heap, for the call.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "../num/log_gamma.hpp"

namespace pradix::density {

class LogGammas {
public:
    static constexpr std::int64_t PAGE = 64;
    // Arguments kept: j < LIMIT (8 MiB of pages at most).
    static constexpr std::int64_t LIMIT = std::int64_t{1} << 20;

    // True when lgamma(j) for first <= j < first + count comes from the table.
    static bool covers(std::int64_t first, std::int64_t count) { return first >= 0 && first + count <= LIMIT; }

    // out[i] = lgamma((double)(first + i)) for i < count, within covers().
    void get(std::int64_t first, std::int64_t count, double* out) {
        for (std::int64_t i = 0; i < count;) {
            const std::int64_t j = first + i;
            const double* page = page_of(j / PAGE);
            const std::int64_t from = j % PAGE;
            const std::int64_t take = std::min(PAGE - from, count - i);
            for (std::int64_t t = 0; t < take; ++t) out[i + t] = page[from + t];
            i += take;
        }
    }

private:
    const double* page_of(std::int64_t index) {
        const auto at = static_cast<std::size_t>(index);
        if (at >= pages_.size()) pages_.resize(at + 1);
        if (!pages_[at]) {
            double x[PAGE];
            for (std::int64_t t = 0; t < PAGE; ++t) x[t] = static_cast<double>(index * PAGE + t);
            pages_[at] = std::make_unique<double[]>(PAGE);
            num::lgamma_n(x, pages_[at].get(), PAGE);
        }
        return pages_[at].get();
    }

    std::vector<std::unique_ptr<double[]>> pages_;
};

}  // namespace pradix::density
