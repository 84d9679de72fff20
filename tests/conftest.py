import os
import sys

# The test kit (numerical kernels exposed for direct tests) is built by
# ./setup.sh into build/testkit and never installed; PRADIX_TESTKIT_DIR
# points elsewhere (tools/sanitize.sh: the sanitized build).
ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.environ.get("PRADIX_TESTKIT_DIR", os.path.join(ROOT, "build", "testkit")))
