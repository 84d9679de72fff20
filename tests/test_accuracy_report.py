"""The accuracy texts in the repository are the ones their data gives: the
README's accuracy section and docs/accuracy.md are written from
docs/accuracy.json by tools/accuracy_report.py, so no figure in them can
drift from the measurements (the measurement itself, tools/accuracy.py,
takes minutes and is not rerun here)."""
import math
import os
import re
import sys

import numpy as np
import pytest

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(ROOT, "tools"))
import accuracy_report as report  # noqa: E402


@pytest.fixture(scope="module")
def data():
    return report.load()


def test_readme_section_is_written_from_the_data(data):
    with open(report.README, encoding="utf-8") as f:
        text = f.read()
    assert text.count(report.BEGIN) == 1 and text.count(report.END) == 1
    assert report.readme_section(text) == report.readme_block(data)


def test_accuracy_page_is_written_from_the_data(data):
    with open(report.MARKDOWN, encoding="utf-8") as f:
        assert f.read() == report.markdown(data)


def test_data_covers_every_function_and_figure(data):
    codes = ["norm", "bern", "beta", "binom", "cauchy", "chisq", "exp", "f", "gamma", "invgamma", "laplace",
             "lnorm", "logis", "pois", "t", "unif", "weibull"]
    assert list(data["functions"]) == codes
    for code in codes:
        for regime in data["functions"][code]["regimes"]:
            assert {"d", "p", "q", "ld", "lp"} <= set(regime)
    assert sorted(data["monotone"]) == sorted(k + c for k in "pq" for c in codes)
    for row in data["maps"]:
        assert os.path.exists(os.path.join(ROOT, "docs", row["figure"])), row["figure"]


def test_worst_cases_are_shown_where_they_reproduce_half_the_maximum(data):
    for code, f in data["functions"].items():
        for regime in f["regimes"]:
            for kind in ("d", "p", "q", "ld", "lp"):
                s = regime[kind]["abs"] if kind == "p" else regime[kind]
                shown = s.get("shown")
                if not shown:
                    continue
                where = (code, regime["name"], kind, shown["call"])
                if math.isinf(s["max"]):
                    assert shown["err"] == s["max"], where
                else:
                    assert shown["err"] >= s["max"] / 2, where


def first_example():
    with open(report.README, encoding="utf-8") as f:
        text = f.read()
    return next(b for b in re.findall(r"```python\n(.*?)```", text, re.S) if "import pradix" in b)


def test_readme_first_example_prints_what_its_comments_say(data):
    names = {}
    lines = first_example().splitlines()
    exec("\n".join(line for line in lines if line.startswith("import")), names)  # noqa: S102 - the README's example
    checked = 0
    for line in lines:
        call, _, comment = line.partition("  #")
        number = re.match(r"\s*(-?[0-9.]+(?:e-?[0-9]+)?)\b", comment)
        if not number:
            continue
        assert repr(float(eval(call, names))) == number.group(1), line  # noqa: S307
        checked += 1
        # A value that is not the true one says so, with the figures of the accuracy data.
        example = next((e for e in data["examples"] if call.strip() == "pradix." + e["call"]), None)
        if example and example["err"]:
            assert f"true {example['ref']}" in comment and f"relative error {example['err']:.1e}" in comment, line
    assert checked >= 3


scans = pytest.importorskip("accuracy_scans", reason="the accuracy tools need SciPy and mpmath")


def test_scan_finds_the_distribution_function_step_of_pf():
    # pf at df1 = 1000, df2 = 10^-0.5 is 1 at x = 2.6e12 and 0.99 at 3.8e12: the grid of the wide F range holds
    # these parameters, and its points along x reach the step.
    sets = [prm for regime in scans.REGIMES["f"] for prm in scans.grid(regime[2])]
    assert [1000.0, 10 ** -0.5] in sets
    steps, drops, worst, _, _ = scans.scan("f", "p", [1000.0, 10 ** -0.5])
    assert drops and worst["size"] > 0.009


# (distribution, parameters, probability where a step is planted; for the discrete ones its width in integers)
PLANTED = [("chisq", [0.1], 1e-9, None), ("gamma", [1e12, 0.1], 1 - 1e-11, None), ("norm", [-1000.0, 1000.0], 0.5, None),
           ("t", [0.1], 1e-11, None), ("f", [1e15, 0.1], 0.3, None), ("f", [1000.0, 10 ** -0.5], 0.995, None),
           ("beta", [0.1, 1e15], 1 - 1e-6, None), ("weibull", [0.1, 0.01], 1e-12, None),
           ("binom", [10000, 0.999], 0.4, 1), ("pois", [1e15], 1e-7, 20000)]


@pytest.mark.parametrize("code, prm, u, width", PLANTED)
def test_scan_finds_a_planted_step_anywhere_in_the_measured_range(code, prm, u, width):
    # An increasing function, raised above its values on a short stretch of x: the one decrease is where the
    # stretch ends, wherever that lies in the range the accuracy tables measure.  The stretch spans 0.02 in the
    # logit of the probability or 2% in x, whichever is shorter (pf's step spans 12% in x and 0.018 in logit).
    def q(v):
        return float(scans.scipy_call(code, "q", np.array([v]), [np.array([t]) for t in prm])[0])

    lo = q(u)
    if width:
        hi = lo + width
    else:
        hi = q(1 / (1 + math.exp(-(math.log(u / (1 - u)) + 0.02))))
        lo, hi = (lo, min(hi, lo * 1.02)) if lo > 0 else (max(lo, hi * 1.02), hi) if hi < 0 else (lo, hi)

    def planted(x, *p):
        return np.where((x >= lo) & (x <= hi), 2.0, np.arctan(np.arcsinh(x)))

    steps, drops, worst, _, _ = scans.scan(code, "p", prm, planted)
    assert drops == 1 and lo <= float(worst["first"].split("(")[1].split(",")[0]) <= hi
