// Lane target for AVX-512 processors (compiled with -mavx512f
// -ffp-contract=off, never -mfma): two 8-lane vectors side by side per step,
// the rest of an array in one 8-, 4- or 2-lane vector or a plain double.
#include "target_body.hpp"

namespace {
struct Avx512 {};
typedef double Native __attribute__((vector_size(64)));
typedef double Half __attribute__((vector_size(32)));
typedef double Quarter __attribute__((vector_size(16)));
using Lanes = pradix::num::lanes::Pack<Native, 2, Avx512>;
}  // namespace

namespace pradix::num::lanes {
extern const Table TARGET_AVX512;
constexpr Table TARGET_AVX512 = Blocks<Lanes, Avx512, Lanes, double, Quarter, Half, Native>::table("avx512");
}  // namespace pradix::num::lanes
