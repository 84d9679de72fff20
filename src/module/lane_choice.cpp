// Lane targets of this build and the choice among them.  The per-target
// tables are defined in src/num/lanes/target_*.cpp, each compiled for its
// own instruction set; only this file, compiled for the baseline, asks the
// processor what it has before any of them runs.
#include "lane_choice.hpp"

#include <cstring>

#if defined(PRADIX_LANES_X86)
#include <cpuid.h>
#endif

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

// Asked of the processor itself: cpuid for the instructions, xgetbv for the
// registers the operating system saves across a switch (the 256-bit ones
// for AVX2, the 512-bit ones and the mask registers too for AVX-512).  The
// compilers' __builtin_cpu_supports reads a table that their runtime
// library fills in, and not every runtime does: the one zig links (the
// wheels' compiler) answers no to everything.
Features processor() {
#if defined(PRADIX_LANES_X86)
    Features has{false, false, false};
    unsigned a = 0, b = 0, c = 0, d = 0;
    if (__get_cpuid(0, &a, &b, &c, &d) == 0) return has;
    const unsigned top = a;
    has.amd = b == 0x68747541u && d == 0x69746e65u && c == 0x444d4163u;  // "AuthenticAMD"
    if (top < 7 || __get_cpuid(1, &a, &b, &c, &d) == 0) return has;
    if ((c & bit_OSXSAVE) == 0 || (c & bit_AVX) == 0) return has;
    unsigned xcr0 = 0, xcr0_high = 0;
    __asm__("xgetbv" : "=a"(xcr0), "=d"(xcr0_high) : "c"(0u));
    const bool ymm_saved = (xcr0 & 0x06u) == 0x06u;  // SSE and AVX state
    const bool zmm_saved = (xcr0 & 0xe6u) == 0xe6u;  // and opmask, ZMM0-15 upper, ZMM16-31
    __cpuid_count(7, 0, a, b, c, d);
    has.avx2 = ymm_saved && (b & bit_AVX2) != 0;
    has.avx512f = zmm_saved && (b & bit_AVX512F) != 0;
    return has;
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
