"""The installed type stubs, through mypy and pyright: the README's examples
and a set of correct calls type-check (with the result types the overloads
promise), and every call in a set of wrong ones is flagged."""
import json
import os
import re
import runpy
import shutil
import subprocess
import sys

import pytest

HERE = os.path.dirname(os.path.abspath(__file__))
README = os.path.join(os.path.dirname(HERE), "README.md")
FILES = ("readme_calls.py", "good_calls.py", "wrong_calls.py")


def readme_examples():
    with open(README, encoding="utf-8") as f:
        blocks = re.findall(r"```python\n(.*?)```", f.read(), re.S)
    # Third-party examples (Dask) are left to their own tests.
    return "\n".join(b for b in blocks if "import pradix" in b and "dask" not in b)


def mypy_errors(where):
    run = subprocess.run(
        [sys.executable, "-m", "mypy", "--no-error-summary", "--show-error-codes",
         "--cache-dir", str(where / "cache"), *FILES],
        cwd=where, capture_output=True, text=True, timeout=240)
    return {(f + ".py", int(line)) for f, line in re.findall(r"^(\w+)\.py:(\d+): error: ", run.stdout, re.M)}, \
        run.stdout


def pyright_errors(where):
    pyright = os.path.join(os.path.dirname(sys.executable), "pyright")
    if not os.path.exists(pyright):
        pytest.skip("pyright is not installed (requirements-dev.txt installs it)")
    run = subprocess.run([pyright, "--outputjson", "--pythonpath", sys.executable, *FILES],
                         cwd=where, capture_output=True, text=True, timeout=240)
    try:
        report = json.loads(run.stdout)
    except ValueError:
        # pyright runs on Node.js; without it the wrapper cannot start.
        pytest.skip(f"pyright did not run: {run.stdout[-300:]}{run.stderr[-300:]}")
    return {(os.path.basename(d["file"]), d["range"]["start"]["line"] + 1)
            for d in report["generalDiagnostics"] if d["severity"] == "error"}, run.stdout


@pytest.mark.parametrize("checker", [mypy_errors, pyright_errors], ids=["mypy", "pyright"])
def test_stubs_accept_good_calls_and_flag_wrong_ones(tmp_path, checker):
    (tmp_path / "readme_calls.py").write_text(readme_examples())
    for name in FILES[1:]:
        shutil.copy(os.path.join(HERE, "typing", name), tmp_path / name)
    # Run from outside the repository, so only the installed stubs can be found.
    errors, output = checker(tmp_path)
    assert not [e for e in errors if e[0] != "wrong_calls.py"], output
    lines = (tmp_path / "wrong_calls.py").read_text().splitlines()
    wrong = {i for i, text in enumerate(lines, 1) if text.endswith("# wrong")}
    assert {line for _, line in errors} == wrong, output


def test_good_calls_run():
    """What the stubs accept, the module accepts (assert_type does nothing at run time)."""
    runpy.run_path(os.path.join(HERE, "typing", "good_calls.py"))
