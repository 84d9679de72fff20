// Lane target for AVX2 processors (compiled with -mavx2 -ffp-contract=off,
// never -mfma): two 4-lane vectors side by side per step, the rest of an
// array in one 4- or 2-lane vector or a plain double.
#include "target_body.hpp"

namespace {
struct Avx2 {};
typedef double Native __attribute__((vector_size(32)));
typedef double Half __attribute__((vector_size(16)));
using Lanes = pradix::num::lanes::Pack<Native, 2, Avx2>;
}  // namespace

namespace pradix::num::lanes {
extern const Table TARGET_AVX2;
constexpr Table TARGET_AVX2 = Blocks<Lanes, Avx2, pradix::num::lanes::Pack<Native, 3, Avx2>, double, Half, Native>::table("avx2");
}  // namespace pradix::num::lanes
