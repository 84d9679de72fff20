// Lane targets of this build and the choice among them.  The per-target
// tables are defined in src/num/lanes/target_*.cpp, each compiled for its
// own instruction set; only this file, compiled for the baseline, asks the
// processor what it has before any of them runs.
#include "lane_choice.hpp"

#include <cstring>

#include "../num/blocks.hpp"

namespace pradix::num::lanes {
extern const Table TARGET_BASELINE;
#if defined(PRADIX_LANES_X86)
extern const Table TARGET_AVX2;
extern const Table TARGET_AVX512;
#endif
}  // namespace pradix::num::lanes

namespace pradix::lanes_choice {

namespace {

using num::lanes::Table;

struct Entry {
    const Table* table;
    bool (*runs)();
};

bool always() { return true; }
#if defined(PRADIX_LANES_X86)
bool has_avx2() { return __builtin_cpu_supports("avx2"); }
bool has_avx512() { return __builtin_cpu_supports("avx512f"); }
#endif

const Entry ENTRIES[] = {
    {&num::lanes::SCALAR, &always},
    {&num::lanes::TARGET_BASELINE, &always},
#if defined(PRADIX_LANES_X86)
    {&num::lanes::TARGET_AVX2, &has_avx2},
    {&num::lanes::TARGET_AVX512, &has_avx512},
#endif
};

constexpr std::size_t COUNT = sizeof ENTRIES / sizeof ENTRIES[0];

}  // namespace

std::size_t count() { return COUNT; }

const Table& target(std::size_t i) { return *ENTRIES[i].table; }

bool runs(std::size_t i) {
#if defined(PRADIX_LANES_X86)
    __builtin_cpu_init();
#endif
    return ENTRIES[i].runs();
}

const Table& choose(const char* request) {
    // The highest target asked for (all, unless a known name is given) ...
    std::size_t top = COUNT - 1;
    if (request != nullptr) {
        for (std::size_t i = 0; i < COUNT; ++i) {
            if (std::strcmp(request, ENTRIES[i].table->name) == 0) top = i;
        }
    }
    // ... or the best below it that this processor runs.
    for (std::size_t i = top + 1; i-- > 0;) {
        if (runs(i)) return *ENTRIES[i].table;
    }
    return num::lanes::SCALAR;
}

}  // namespace pradix::lanes_choice
