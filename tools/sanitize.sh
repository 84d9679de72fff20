#!/usr/bin/env bash
# Builds the module and the test kit with sanitizers and runs the test suite
# against that build (any pytest arguments are passed on).  Needs the .venv
# made by ./setup.sh.
#
#   tools/sanitize.sh [pytest args]            AddressSanitizer and
#       UndefinedBehaviorSanitizer, into build/asan/; undefined behaviour
#       aborts the process at once.
#   tools/sanitize.sh --thread [pytest args]   ThreadSanitizer, into
#       build/tsan/; a data race in the module's code fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."
. tools/checks.sh

mode=address
if [ "${1:-}" = "--thread" ]; then
    mode=thread
    shift
fi

py=.venv/bin/python
cmake=.venv/bin/cmake  # the build tools of .venv, not whatever is on PATH
if [ "$mode" = address ]; then
    dir=build/asan
    flags="-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer"
    link="-fsanitize=address,undefined"
    runtime=libasan.so
else
    dir=build/tsan
    flags="-fsanitize=thread -fno-omit-frame-pointer"
    link="-fsanitize=thread"
    runtime=libtsan.so
fi
pybind11_dir=$("$py" -m pybind11 --cmakedir)
for part in module testkit; do
    source_dir=.
    [ "$part" = testkit ] && source_dir=tests/testkit
    "$cmake" -S "$source_dir" -B "$dir/$part" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_MAKE_PROGRAM="$PWD/.venv/bin/ninja" \
        -DCMAKE_CXX_FLAGS="$flags" -DCMAKE_SHARED_LINKER_FLAGS="$link" \
        -DPython_EXECUTABLE="$PWD/$py" -Dpybind11_DIR="$pybind11_dir" >/dev/null
    # Warnings fail the run, as in every build CI makes.
    "$cmake" --build "$dir/$part" >"$dir/$part.log" 2>&1 || { tail -50 "$dir/$part.log" >&2; exit 1; }
    no_warnings "$dir/$part.log"
done

# The interpreter itself is not instrumented: the run-time must be loaded
# first (and, for AddressSanitizer, the C++ library with it so that its
# exceptions are intercepted).  CPython keeps memory until exit, so leaks are
# not reported; allocations too large to make fail as usual (NumPy raises
# MemoryError).  ThreadSanitizer sees the interpreter lock through the
# pthread calls it intercepts, but not the interpreter's own memory
# accesses: it checks the module's code, which is what it is for here.
library=$(${CXX:-c++} -print-file-name=$runtime)
[ -f "$library" ] || { echo "sanitize: $runtime not found" >&2; exit 1; }
if [ "$mode" = address ]; then
    export LD_PRELOAD="$library $(${CXX:-c++} -print-file-name=libstdc++.so)"
    export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1:allocator_may_return_null=1
    export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
else
    export LD_PRELOAD="$library"
    export TSAN_OPTIONS=halt_on_error=1:abort_on_error=1:report_signal_unsafe=0:allocator_may_return_null=1
fi
# Ahead of site-packages, for the suite and for the child processes it starts.
export PYTHONPATH="$PWD/$dir/module"
export PRADIX_TESTKIT_DIR="$PWD/$dir/testkit"
"$py" -c "import pradix, sys; sys.exit('sanitize: not the sanitized build: ' + pradix.__file__ if '$dir/' not in pradix.__file__ else 0)"
exec "$py" -m pytest "$@"
