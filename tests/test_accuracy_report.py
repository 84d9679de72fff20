"""The accuracy texts in the repository are the ones their data gives: the
README's accuracy section and docs/accuracy.md are written from
docs/accuracy.json by tools/accuracy_report.py, so no figure in them can
drift from the measurements (the measurement itself, tools/accuracy.py,
takes minutes and is not rerun here)."""
import os
import sys

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
