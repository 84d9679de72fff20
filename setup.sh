#!/usr/bin/env bash
# One-step set-up on a fresh machine: creates .venv/ with Python 3.10,
# installs the build and test dependencies, builds and installs pradix into
# it, builds the test kit, and shows the module at work.  Safe to re-run: the
# builds are incremental.
set -euo pipefail
cd "$(dirname "$0")"

. tools/python310.sh

venv_is_310() {
    [ -x .venv/bin/python ] &&
        .venv/bin/python -c 'import sys; sys.exit(sys.version_info[:2] != (3, 10))' 2>/dev/null
}

if ! venv_is_310; then
    py=$(find_python310) || {
        echo "setup: no Python 3.10 interpreter found (looked in pyenv's versions and on PATH)" >&2
        exit 1
    }
    echo "setup: creating .venv with $py"
    rm -rf .venv
    "$py" -m venv .venv
fi

py=.venv/bin/python
"$py" -m pip install --quiet --upgrade pip
"$py" -m pip install --quiet -r requirements-dev.txt

echo "setup: building and installing pradix"
"$py" -m pip install --quiet --no-build-isolation -Cbuild-dir=build/pradix .

echo "setup: building the test kit"
# The cmake and ninja installed into .venv above, not whatever is on PATH.
cmake=.venv/bin/cmake
"$cmake" -S tests/testkit -B build/testkit -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_MAKE_PROGRAM="$PWD/.venv/bin/ninja" \
    -DPython_EXECUTABLE="$PWD/$py" -Dpybind11_DIR="$("$py" -m pybind11 --cmakedir)" >/dev/null
"$cmake" --build build/testkit

"$py" - <<'PY'
import pradix
print("pradix:", pradix.__doc__)
print("  dnorm(0.0)              =", pradix.dnorm(0.0))
print("  dnorm([0, 1], log=True) =", pradix.dnorm([0.0, 1.0], log=True))
PY
