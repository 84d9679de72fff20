"""The built module also runs under NumPy 1.26 (the suite itself runs under 2.x)."""
import os
import shutil
import subprocess
import sys
import venv

import numpy as np
import pytest

import pradix

SMOKE = """
import numpy as np, pradix
assert np.__version__.startswith("1.26"), np.__version__
x = np.asfortranarray(np.linspace(-2, 2, 12).reshape(3, 4))
out = pradix.dnorm(x, 0.5, [1.0, 2.0, 3.0, 4.0])
assert out.flags.f_contiguous is False and out.shape == (3, 4)
print(repr(out.tolist()))
print(repr(pradix.dnorm(0.25, log=True)))
"""


@pytest.fixture(scope="module")
def numpy1_python(tmp_path_factory):
    if np.__version__.startswith("1."):
        pytest.skip("the suite already runs under NumPy 1")
    where = tmp_path_factory.mktemp("numpy1")
    venv.create(where / "venv", with_pip=True)
    python = str(where / "venv" / "bin" / "python")
    got = subprocess.run([python, "-m", "pip", "install", "--quiet", "numpy==1.26.*"],
                         capture_output=True, text=True, timeout=600)
    if got.returncode != 0:
        pytest.skip("NumPy 1.26 cannot be installed here: " + got.stderr[-300:])
    module_dir = where / "module"
    module_dir.mkdir()
    shutil.copy(pradix.__file__, module_dir)
    return python, str(module_dir)


def test_same_results_under_numpy1(numpy1_python):
    python, module_dir = numpy1_python
    env = dict(os.environ, PYTHONPATH=module_dir)
    got = subprocess.run([python, "-c", SMOKE], capture_output=True, text=True, env=env, timeout=120)
    assert got.returncode == 0, got.stderr
    rows, logd = got.stdout.splitlines()
    x = np.asfortranarray(np.linspace(-2, 2, 12).reshape(3, 4))
    assert eval(rows) == pradix.dnorm(x, 0.5, [1.0, 2.0, 3.0, 4.0]).tolist()
    assert eval(logd) == pradix.dnorm(0.25, log=True)
