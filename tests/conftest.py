import importlib.util
import os
import sys

import pytest

# The test kit (numerical kernels exposed for direct tests) is built by
# ./setup.sh into build/testkit and never installed; PRADIX_TESTKIT_DIR
# points elsewhere (tools/sanitize.sh: the sanitized build).
ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.environ.get("PRADIX_TESTKIT_DIR", os.path.join(ROOT, "build", "testkit")))


class _TestkitMissing:
    """Import hook used when the test kit is not built: importing it skips the
    importing test module (or test) with the reason, instead of stopping the
    collection of the whole suite."""

    def find_spec(self, name, path=None, target=None):
        if name == "_testkit":
            pytest.skip("the test kit is not built (./setup.sh builds it into build/testkit)",
                        allow_module_level=True)
        return None


if importlib.util.find_spec("_testkit") is None:
    sys.meta_path.insert(0, _TestkitMissing())
