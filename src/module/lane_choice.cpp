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
    // Whether it was measured faster than the targets below it on processors
    // with these features (the automatic choice takes no other).
    bool (*wins)(const Features&);
};

bool always(const Features&) { return true; }
#if defined(PRADIX_LANES_X86)
bool with_avx2(const Features& has) { return has.avx2; }
// The unit is built with -mavx512f, which lets the compiler use AVX2 as well.
bool with_avx512(const Features& has) { return has.avx2 && has.avx512f; }
// Faster than avx2 on an AMD EPYC for every function that reaches the
// lanes; on an AVX-512 Xeon faster for none, and slower for the inverses.
bool on_amd(const Features& has) { return has.amd; }
#endif

const Entry ENTRIES[] = {
    {&num::lanes::SCALAR, &always, &always},
    {&num::lanes::TARGET_BASELINE, &always, &always},
#if defined(PRADIX_LANES_X86)
    {&num::lanes::TARGET_AVX2, &with_avx2, &always},
    {&num::lanes::TARGET_AVX512, &with_avx512, &on_amd},
#endif
};

constexpr std::size_t COUNT = sizeof ENTRIES / sizeof ENTRIES[0];

}  // namespace

Features processor() {
#if defined(PRADIX_LANES_X86)
    __builtin_cpu_init();
    return {__builtin_cpu_supports("avx2") != 0, __builtin_cpu_supports("avx512f") != 0,
            __builtin_cpu_is("amd") != 0};
#else
    return {false, false, false};
#endif
}

std::size_t count() { return COUNT; }

const Table& target(std::size_t i) { return *ENTRIES[i].table; }

bool runs(std::size_t i, const Features& has) { return ENTRIES[i].runs(has); }

bool runs(std::size_t i) { return runs(i, processor()); }

const Table& choose(const char* request, const Features& has) {
    // The target asked for, or the best below it that this processor runs ...
    if (request != nullptr) {
        for (std::size_t top = 0; top < COUNT; ++top) {
            if (std::strcmp(request, ENTRIES[top].table->name) != 0) continue;
            for (std::size_t i = top + 1; i-- > 0;) {
                if (runs(i, has)) return *ENTRIES[i].table;
            }
        }
    }
    // ... or, unasked, the widest it runs that was measured to win on it.
    for (std::size_t i = COUNT; i-- > 0;) {
        if (runs(i, has) && ENTRIES[i].wins(has)) return *ENTRIES[i].table;
    }
    return num::lanes::SCALAR;
}

const Table& choose(const char* request) { return choose(request, processor()); }

}  // namespace pradix::lanes_choice
