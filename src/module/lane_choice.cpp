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
    bool (*runs)(const Features&);
};

bool always(const Features&) { return true; }
#if defined(PRADIX_LANES_X86)
bool with_avx2(const Features& has) { return has.avx2; }
// The unit is built with -mavx512f, which lets the compiler use AVX2 as well.
bool with_avx512(const Features& has) { return has.avx2 && has.avx512f; }
#endif

const Entry ENTRIES[] = {
    {&num::lanes::SCALAR, &always},
    {&num::lanes::TARGET_BASELINE, &always},
#if defined(PRADIX_LANES_X86)
    {&num::lanes::TARGET_AVX2, &with_avx2},
    {&num::lanes::TARGET_AVX512, &with_avx512},
#endif
};

constexpr std::size_t COUNT = sizeof ENTRIES / sizeof ENTRIES[0];

}  // namespace

Features processor() {
#if defined(PRADIX_LANES_X86)
    __builtin_cpu_init();
    return {__builtin_cpu_supports("avx2") != 0, __builtin_cpu_supports("avx512f") != 0};
#else
    return {false, false};
#endif
}

std::size_t count() { return COUNT; }

const Table& target(std::size_t i) { return *ENTRIES[i].table; }

bool runs(std::size_t i, const Features& has) { return ENTRIES[i].runs(has); }

bool runs(std::size_t i) { return runs(i, processor()); }

const Table& choose(const char* request, const Features& has) {
    // The highest target asked for (all, unless a known name is given) ...
    std::size_t top = COUNT - 1;
    if (request != nullptr) {
        for (std::size_t i = 0; i < COUNT; ++i) {
            if (std::strcmp(request, ENTRIES[i].table->name) == 0) top = i;
        }
    }
    // ... or the best below it that this processor runs.
    for (std::size_t i = top + 1; i-- > 0;) {
        if (runs(i, has)) return *ENTRIES[i].table;
    }
    return num::lanes::SCALAR;
}

const Table& choose(const char* request) { return choose(request, processor()); }

}  // namespace pradix::lanes_choice
