#!/usr/bin/env bash
# The module on aarch64, under emulation (qemu-user), after tools/wheel.sh:
#   1. unpacks Debian's arm64 python3 (3.11), numpy and pytest into
#      build/arm64/root (apt-get download and dpkg -x, with apt's state kept
#      in build/arm64/apt: the machine's own apt set-up is left as it is);
#   2. loads the aarch64 wheel's module under that interpreter: it must link
#      (every symbol bound at once) and refuse it with exactly the
#      version-mismatch ImportError naming 3.10 and the interpreter's version;
#   3. builds the module and the test kit for that interpreter
#      (-DPRADIX_PYTHON=3.11, for tests only) from the same sources, with the
#      wheel's compiler, flags and glibc into build/arm64/;
#   4. replays every record of tests/data/golden.npz there under every lane
#      target aarch64 has (PRADIX_ISA=scalar and sse2, the baseline lanes),
#      and runs tests/test_lanes.py there.
# Installs qemu-user and the aarch64 binutils when missing.
set -euo pipefail
cd "$(dirname "$0")/.."
. tools/checks.sh
. tools/debian.sh

py=.venv/bin/python
cmake=.venv/bin/cmake
arm=build/arm64
root=$PWD/$arm/root
need qemu-aarch64 qemu-user aarch64-linux-gnu-objdump binutils-aarch64-linux-gnu

# ---- the arm64 interpreter ---------------------------------------------------

PACKAGES="python3 python3-numpy python3-pytest python3-pytest-timeout"
if [ "$(cat "$arm/root.stamp" 2>/dev/null)" != "$PACKAGES" ]; then
    echo "aarch64: unpacking Debian's arm64 $PACKAGES"
    rm -rf "$arm/apt" "$root" "$arm/root.stamp"
    mkdir -p "$arm/apt/lists/partial" "$arm/apt/cache/archives/partial" "$arm/apt/headers" "$root"
    : >"$arm/apt/status"
    apt=(-o APT::Architecture=arm64 -o APT::Architectures::=arm64 -o APT::Sandbox::User=root
         -o Debug::NoLocking=1 -o Dir::State::Lists="$PWD/$arm/apt/lists"
         -o Dir::State::Status="$PWD/$arm/apt/status" -o Dir::Cache="$PWD/$arm/apt/cache")
    apt-get "${apt[@]}" -qq update
    # With an empty status, apt resolves and fetches every dependency.
    apt-get "${apt[@]}" -qq -y --no-install-recommends --download-only install $PACKAGES >/dev/null
    # The interpreter's headers alone, for the builds below.
    (cd "$arm/apt/headers" && apt-get "${apt[@]}" -qq download libpython3.11-dev)
    for deb in "$arm"/apt/cache/archives/*.deb "$arm"/apt/headers/*.deb; do
        dpkg -x "$deb" "$root"
    done
    # What the packages' install scripts would link (alternatives).
    ln -sf blas/libblas.so.3 "$root/usr/lib/aarch64-linux-gnu/libblas.so.3"
    ln -sf lapack/liblapack.so.3 "$root/usr/lib/aarch64-linux-gnu/liblapack.so.3"
    echo "$PACKAGES" >"$arm/root.stamp"
fi
# The interpreter under qemu, as a command of its own: -0 makes this script
# its sys.executable, so that the tests' subprocesses run under qemu too.
python=$root/usr/bin/python3-qemu
cat >"$python" <<EOF
#!/bin/sh
exec qemu-aarch64 -L "$root" -0 "$python" "$root/usr/bin/python3.11" "\$@"
EOF
chmod +x "$python"
"$python" -c 'import platform, sys, numpy; print("aarch64:", platform.machine(), "Python", sys.version.split()[0], "numpy", numpy.__version__)'

# ---- the wheel's module refuses 3.11 ------------------------------------------

wheel=$(ls build/wheel/wheelhouse/*_aarch64.whl)
rm -rf "$arm/wheel"
"$py" -m zipfile -e "$wheel" "$arm/wheel"
LD_BIND_NOW=1 "$python" - "$(ls "$PWD"/$arm/wheel/pradix.cpython-310-aarch64-linux-gnu.so)" <<'PY'
import importlib.machinery, importlib.util, sys
path = sys.argv[1]
loader = importlib.machinery.ExtensionFileLoader("pradix", path)
try:
    importlib.util.module_from_spec(importlib.util.spec_from_file_location("pradix", path, loader=loader))
except ImportError as e:
    want = ("Python version mismatch: module was compiled for Python 3.10, but the interpreter version is "
            f"incompatible: {sys.version}.")
    if str(e) != want:
        sys.exit(f"aarch64: the wheel's module raised {e!r}, not {want!r}")
    print("aarch64: the wheel's module links and refuses Python", sys.version.split()[0], "as it must:", e)
else:
    sys.exit("aarch64: the wheel's module loaded under a Python other than 3.10")
PY

# ---- the same code for the interpreter that is there --------------------------

# Its headers, with aarch64's pyconfig.h in place of Debian's multiarch one.
include=$PWD/$arm/include/python3.11
rm -rf "$include"
mkdir -p "$include"
cp -r "$root/usr/include/python3.11/." "$include/"
cp "$root/usr/include/aarch64-linux-gnu/python3.11/pyconfig.h" "$include/pyconfig.h"

"$py" -m pip install --quiet ziglang==0.17.1
zig=$("$py" -c 'import os, ziglang; print(os.path.join(os.path.dirname(ziglang.__file__), "zig"))')
export ZIG_GLOBAL_CACHE_DIR=$PWD/build/zig-cache ZIG_LOCAL_CACHE_DIR=$PWD/build/zig-cache
for part in module testkit; do
    source_dir=.
    [ "$part" = testkit ] && source_dir=tests/testkit
    echo "aarch64: building the $part for Python 3.11"
    rm -rf "$arm/$part"
    # The interpreter itself answers CMake's and pybind11's questions (its
    # version, its modules' file suffix), under qemu.
    "$cmake" -S "$source_dir" -B "$arm/$part" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_MAKE_PROGRAM="$PWD/.venv/bin/ninja" \
        -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/zig-toolchain.cmake" \
        -DPRADIX_ZIG="$zig" -DPRADIX_ZIG_TARGET=aarch64-linux-gnu.2.17 -DPRADIX_PYTHON=3.11 \
        -DPython_EXECUTABLE="$python" -DPython_INCLUDE_DIR="$include" \
        -Dpybind11_DIR="$("$py" -m pybind11 --cmakedir)" >"$arm/$part.log" 2>&1 ||
        { tail -30 "$arm/$part.log" >&2; exit 1; }
    "$cmake" --build "$arm/$part" >>"$arm/$part.log" 2>&1 || { tail -50 "$arm/$part.log" >&2; exit 1; }
    no_warnings "$arm/$part.log"
done
module=$(ls "$PWD"/$arm/module/pradix.cpython-311-aarch64-linux-gnu.so)
kit=$(ls "$PWD"/$arm/testkit/_testkit.cpython-311-aarch64-linux-gnu.so)
for lib in "$module" "$kit"; do
    no_fma "$lib"
done
lane_units_private "$arm/module/CMakeFiles/pradix.dir"

# ---- the golden records and the lane tests on aarch64 -------------------------

export PYTHONPATH=$PWD/$arm/module:$PWD/$arm/testkit PRADIX_TESTKIT_DIR=$PWD/$arm/testkit
"$python" - <<'PY'
import _testkit, pradix, sys
for m in (pradix, _testkit):
    assert m.__file__.endswith("-aarch64-linux-gnu.so"), m.__file__
print("aarch64: lane targets", _testkit.lane_targets())
PY
targets=$("$python" -c 'import _testkit; print(" ".join(n for n, runs in _testkit.lane_targets() if runs))')
for isa in $targets; do
    echo "aarch64: golden check, PRADIX_ISA=$isa"
    PRADIX_ISA=$isa "$python" tools/make_golden.py --check 2>"$arm/golden.err" || { cat "$arm/golden.err" >&2; exit 1; }
    if [ -s "$arm/golden.err" ]; then cat "$arm/golden.err" >&2; exit 1; fi  # the kit's records skipped
done
echo "aarch64: tests/test_lanes.py"
"$python" -m pytest -q -p no:cacheprovider tests/test_lanes.py
