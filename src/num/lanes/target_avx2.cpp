// Lane target for AVX2 processors (compiled with -mavx2 -ffp-contract=off,
// never -mfma): two 4-lane vectors side by side per step.
#include "target_body.hpp"

namespace {
struct Avx2 {};
typedef double Native __attribute__((vector_size(32)));
using Lanes = pradix::num::lanes::Pack<Native, 2, Avx2>;
}  // namespace

namespace pradix::num::lanes {
extern const Table TARGET_AVX2;
constexpr Table TARGET_AVX2 = Blocks<Lanes, Avx2>::table("avx2");
}  // namespace pradix::num::lanes
