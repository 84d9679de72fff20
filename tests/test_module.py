"""Import, registration order, docstrings and documented signatures."""
import glob
import os
import subprocess
import sys

import pytest

import pradix
from catalogue import ORDER, signature


def public_names():
    return [n for n in vars(pradix) if not n.startswith("__")]


def test_docstring():
    assert pradix.__doc__ == "pybind11 wrapper for dorvek/pradix"


def test_registered_in_catalogue_order_and_nothing_else():
    assert public_names() == ORDER
    assert len(ORDER) == 69


def test_second_import_is_the_same_module():
    import importlib

    assert importlib.import_module("pradix") is pradix


@pytest.mark.parametrize("name", [n for n in ORDER if n[0] in "dpq" and hasattr(pradix, n)])
def test_vectorized_signatures(name):
    doc = getattr(pradix, name).__doc__
    assert doc.splitlines()[0] == signature(name)


def other_interpreters():
    root = subprocess.run(["pyenv", "root"], capture_output=True, text=True).stdout.strip() \
        if any(os.access(os.path.join(p, "pyenv"), os.X_OK) for p in os.environ.get("PATH", "").split(os.pathsep)) \
        else os.path.expanduser("~/.pyenv")
    found = []
    for minor in ("3.11", "3.9"):
        found += sorted(glob.glob(os.path.join(root, "versions", minor + ".*", "bin", "python" + minor)))[-1:]
    return found


@pytest.mark.parametrize("python", other_interpreters() or [None])
def test_other_interpreter_is_refused(python):
    if python is None:
        pytest.skip("no other Python interpreter available")
    script = (
        "import importlib.machinery, importlib.util, sys\n"
        f"path = {pradix.__file__!r}\n"
        "loader = importlib.machinery.ExtensionFileLoader('pradix', path)\n"
        "found = importlib.util.spec_from_file_location('pradix', path, loader=loader)\n"
        "try:\n"
        "    importlib.util.module_from_spec(found)\n"
        "except ImportError as e:\n"
        "    print(repr(str(e)))\n"
        "    print(repr(sys.version))\n"
    )
    out = subprocess.run([python, "-c", script], capture_output=True, text=True, timeout=60)
    message, version = [eval(line) for line in out.stdout.splitlines()]
    assert message == ("Python version mismatch: module was compiled for Python 3.10, "
                       f"but the interpreter version is incompatible: {version}.")
