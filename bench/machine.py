"""What every bench prints beside its figures: the processor, and the lane
target the module runs on."""
import os
import platform
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


def processor():
    try:
        with open("/proc/cpuinfo", encoding="utf-8") as f:
            for line in f:
                if line.startswith("model name"):
                    return line.split(":", 1)[1].strip()
    except OSError:
        pass
    return platform.processor() or platform.machine()


def lane_target():
    """The lane target the module runs on here, as the test kit names it."""
    sys.path.insert(0, os.path.join(ROOT, "build", "testkit"))
    try:
        import _testkit
        return _testkit.lane_choice(os.environ.get("PRADIX_ISA"))
    except (ImportError, AttributeError):
        return "chosen at import (build the test kit with ./setup.sh to name it)"
