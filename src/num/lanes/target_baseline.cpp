// Lane target of the x86-64 baseline, SSE2 (compiled with -msse2
// -ffp-contract=off; on other processors, whatever vectors the compiler
// makes of the same code).  Each step runs two 2-lane vectors side by side,
// so one division waits while the other's is in flight; the rest of an
// array runs in one vector or a plain double.
#include "target_body.hpp"

namespace {
struct Baseline {};
typedef double Native __attribute__((vector_size(16)));
using Lanes = pradix::num::lanes::Pack<Native, 2, Baseline>;
}  // namespace

namespace pradix::num::lanes {
extern const Table TARGET_BASELINE;
constexpr Table TARGET_BASELINE = Blocks<Lanes, Baseline, pradix::num::lanes::Pack<Native, 3, Baseline>, double, Native>::table("sse2");
}  // namespace pradix::num::lanes
