# Toolchain for the wheels that other Linux machines install: zig's C++
# compiler (clang, with its own libc++ linked in statically) for one target
# and the glibc version it is to run on, for example
#
#   -DCMAKE_TOOLCHAIN_FILE=cmake/zig-toolchain.cmake
#   -DPRADIX_ZIG=/path/to/zig -DPRADIX_ZIG_TARGET=aarch64-linux-gnu.2.17
#
# The target's first word is the processor: it decides which lane units
# are built (cmake/flags.cmake).  An explicit target also means the
# architecture's baseline processor, never the build machine's.
set(CMAKE_SYSTEM_NAME Linux)
string(REGEX MATCH "^[^-]+" CMAKE_SYSTEM_PROCESSOR "${PRADIX_ZIG_TARGET}")
set(CMAKE_CXX_COMPILER "${PRADIX_ZIG}" c++ -target "${PRADIX_ZIG_TARGET}")
# clang inlines less than gcc, whose build of the set-up the wheels are to
# match in speed: a higher threshold (with the always_inline of a few hot
# wrappers in the sources) brings its element loops to the same shape.
# Inlining changes no result: every operation stays as written, without
# contraction (-ffp-contract=off, cmake/flags.cmake).
set(CMAKE_CXX_FLAGS_INIT "-mllvm -inline-threshold=1000")
# The compiler checks build small projects of their own with this file.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES PRADIX_ZIG PRADIX_ZIG_TARGET)
# pybind11 asks whether the compiler links with -flto.  The module is built
# without (NO_EXTRAS), and to answer, zig would first build its C++ runtime
# once more as LTO bitcode, which takes minutes.
set(HAS_FLTO OFF CACHE BOOL "The module is built without link-time optimisation")
set(HAS_FLTO_THIN OFF CACHE BOOL "The module is built without link-time optimisation")
