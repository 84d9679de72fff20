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

function(pradix_kernel_flags target)
    target_compile_options(${target} PRIVATE
        -ffp-contract=off -fno-fast-math
        -Wall -Wextra)
    set_target_properties(${target} PROPERTIES CXX_VISIBILITY_PRESET hidden
                                               VISIBILITY_INLINES_HIDDEN ON)
endfunction()
