"""The installed type stubs, through mypy: the README's examples and a set of
correct calls type-check (with the result types the overloads promise), and
every call in a set of wrong ones is flagged."""
import os
import re
import shutil
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
README = os.path.join(os.path.dirname(HERE), "README.md")


def readme_examples():
    with open(README, encoding="utf-8") as f:
        blocks = re.findall(r"```python\n(.*?)```", f.read(), re.S)
    # Third-party examples (Dask) are left to their own tests.
    return "\n".join(b for b in blocks if "import pradix" in b and "dask" not in b)


def test_stubs_accept_good_calls_and_flag_wrong_ones(tmp_path):
    (tmp_path / "readme_calls.py").write_text(readme_examples())
    for name in ("good_calls.py", "wrong_calls.py"):
        shutil.copy(os.path.join(HERE, "typing", name), tmp_path / name)
    # Run from outside the repository, so only the installed stubs can be found.
    run = subprocess.run(
        [sys.executable, "-m", "mypy", "--no-error-summary", "--show-error-codes",
         "--cache-dir", str(tmp_path / "cache"), "readme_calls.py", "good_calls.py",
         "wrong_calls.py"],
        cwd=tmp_path, capture_output=True, text=True, timeout=240)
    errors = re.findall(r"^(\w+)\.py:(\d+): error: (.*)$", run.stdout, re.M)
    assert not [e for e in errors if e[0] != "wrong_calls"], run.stdout
    flagged = {int(line) for file, line, _ in errors}
    lines = (tmp_path / "wrong_calls.py").read_text().splitlines()
    wrong = {i for i, text in enumerate(lines, 1) if text.endswith("# wrong")}
    assert flagged == wrong, run.stdout
