# Compiler settings shared by the extension and the test kit.
#
# Results are defined to the last bit, so the compiler may neither contract
# a*b+c into a fused multiply-add nor reassociate anything: -ffp-contract=off,
# and never -ffast-math or -Ofast.
set(CMAKE_CXX_STANDARD 17)
set(CMAKE_CXX_STANDARD_REQUIRED ON)
set(CMAKE_CXX_EXTENSIONS OFF)
set(CMAKE_CXX_FLAGS_RELEASE "-O2 -DNDEBUG")
if(NOT CMAKE_BUILD_TYPE)
    set(CMAKE_BUILD_TYPE Release)
endif()
# The interpreter version the module is built for.  Only 3.10 is shipped;
# another is for tests alone (.ci/run replays the golden results on aarch64
# through the interpreter found there, a 3.11).
set(PRADIX_PYTHON 3.10 CACHE STRING "Python version to build for (3.10; others for tests only)")

function(pradix_kernel_flags target)
    target_compile_options(${target} PRIVATE
        -ffp-contract=off -fno-fast-math
        -Wall -Wextra)
    set_target_properties(${target} PROPERTIES CXX_VISIBILITY_PRESET hidden
                                               VISIBILITY_INLINES_HIDDEN ON)
endfunction()

# The lane targets (src/num/lanes/target_*.cpp), one translation unit per
# instruction set with its own flags, and the file that chooses among them.
# What keeps fused multiply-add out of every unit is -ffp-contract=off (from
# the target's kernel flags): without contraction the compiler emits no FMA
# instruction for a * b + c whatever the instruction set offers, and .ci/run
# counts them in the built modules (there must be none).  -mno-fma is no such
# guard: AVX-512F has fused multiply-adds of its own, and clang takes
# -mno-fma after -mavx512f as switching AVX-512 off again (AVX-512F implies
# FMA), so the AVX-512 unit would silently become a second AVX2 unit.  The
# SSE2 and AVX2 units keep -mno-fma, where it only says what they are built
# for.  The AVX2 and AVX-512 units are built on x86-64 only.  -Wno-psabi:
# vectors wider than the base ABI's registers are passed only between
# functions private to one unit.
function(pradix_lane_targets target root)
    set(lanes ${root}/src/num/lanes)
    set(choice ${root}/src/module/lane_choice.cpp)
    target_sources(${target} PRIVATE ${lanes}/target_baseline.cpp ${choice})
    if(CMAKE_SYSTEM_PROCESSOR MATCHES "^(x86_64|AMD64|amd64)$")
        target_sources(${target} PRIVATE ${lanes}/target_avx2.cpp ${lanes}/target_avx512.cpp)
        set_source_files_properties(${lanes}/target_baseline.cpp PROPERTIES
            COMPILE_OPTIONS "-msse2;-mno-fma;-Wno-psabi")
        set_source_files_properties(${lanes}/target_avx2.cpp PROPERTIES
            COMPILE_OPTIONS "-mavx2;-mno-fma;-Wno-psabi")
        set_source_files_properties(${lanes}/target_avx512.cpp PROPERTIES
            COMPILE_OPTIONS "-mavx512f;-Wno-psabi")
        set_source_files_properties(${choice} PROPERTIES COMPILE_DEFINITIONS PRADIX_LANES_X86)
    else()
        set_source_files_properties(${lanes}/target_baseline.cpp PROPERTIES COMPILE_OPTIONS "-Wno-psabi")
    endif()
endfunction()
