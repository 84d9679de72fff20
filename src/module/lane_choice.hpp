// Choice of the lane target (num/lanes/table.hpp) for this processor.
//
// Left to itself (PRADIX_ISA unset, or a value that names no target), the
// module takes the widest target that this processor runs and that was
// measured faster than the narrower ones on processors of its kind: avx2 over
// sse2 wherever AVX2 runs, avx512 over avx2 only on AMD's processors.  On an
// AMD EPYC with AVX-512 the avx512 target was faster than avx2 for every
// function whose kernels reach the lanes; on an AVX-512 Xeon it was faster
// for none and 1.7 times slower for the gamma quantiles, so every other
// AVX-512 processor runs avx2 (bench/lanes.py measures each function under
// each target on the processor at hand).
//
// The environment variable PRADIX_ISA, read once at import, can force one:
// "scalar", "sse2", "avx2" or "avx512", whether or not it was measured to
// win.  A target the processor cannot run is never used: asking for one
// gives the best target below it that the processor runs.  Every target
// gives the same bits, so the choice changes only the speed.
//
// No pybind11 here: the test kit builds this file too, and asks the choice
// about processors other than this one by passing its own feature answers.
#pragma once

#include <cstddef>

#include "../num/lanes/table.hpp"

namespace pradix::lanes_choice {

// The processor's answers to the questions the targets raise (x86-64; other
// builds have no target that asks).
struct Features {
    bool avx2;
    bool avx512f;
    bool amd;  // made by AMD (the AVX-512 processors avx512 was measured faster on)
};

// This processor's answers.
Features processor();

// The targets of this build, from scalar up.
std::size_t count();
const num::lanes::Table& target(std::size_t i);
// Whether a processor with these features runs target(i).
bool runs(std::size_t i, const Features& has);
bool runs(std::size_t i);  // this processor

// The target for a PRADIX_ISA value (nullptr: not set) on a processor with
// these features, or on this one.
const num::lanes::Table& choose(const char* request, const Features& has);
const num::lanes::Table& choose(const char* request);

}  // namespace pradix::lanes_choice
