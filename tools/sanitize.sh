#!/usr/bin/env bash
# Builds the module and the test kit with AddressSanitizer and
# UndefinedBehaviorSanitizer into build/asan/ and runs the test suite against
# that build (any pytest arguments are passed on).  Needs the .venv made by
# ./setup.sh.  Undefined behaviour aborts the process at once.
set -euo pipefail
cd "$(dirname "$0")/.."

py=.venv/bin/python
cmake=.venv/bin/cmake  # the build tools of .venv, not whatever is on PATH
flags="-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer"
pybind11_dir=$("$py" -m pybind11 --cmakedir)
for part in module testkit; do
    source_dir=.
    [ "$part" = testkit ] && source_dir=tests/testkit
    "$cmake" -S "$source_dir" -B "build/asan/$part" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_MAKE_PROGRAM="$PWD/.venv/bin/ninja" \
        -DCMAKE_CXX_FLAGS="$flags" -DCMAKE_SHARED_LINKER_FLAGS="-fsanitize=address,undefined" \
        -DPython_EXECUTABLE="$PWD/$py" -Dpybind11_DIR="$pybind11_dir" >/dev/null
    "$cmake" --build "build/asan/$part"
done

# The interpreter itself is not instrumented: the run-time must be loaded
# first, and the C++ library with it so that its exceptions are intercepted.
# CPython keeps memory until exit, so leaks are not reported; allocations too
# large to make fail as usual (NumPy raises MemoryError).
libasan=$(${CXX:-c++} -print-file-name=libasan.so)
libstdcxx=$(${CXX:-c++} -print-file-name=libstdc++.so)
[ -f "$libasan" ] || { echo "sanitize: libasan.so not found" >&2; exit 1; }
export LD_PRELOAD="$libasan $libstdcxx"
export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1:allocator_may_return_null=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
# Ahead of site-packages, for the suite and for the child processes it starts.
export PYTHONPATH="$PWD/build/asan/module"
export PRADIX_TESTKIT_DIR="$PWD/build/asan/testkit"
"$py" -c 'import pradix, sys; sys.exit("sanitize: not the sanitized build: " + pradix.__file__ if "build/asan" not in pradix.__file__ else 0)'
exec "$py" -m pytest "$@"
