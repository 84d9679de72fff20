"""Engines cannot be pickled or copied, and nothing reachable from Python ends the process.

Each case runs in a child process: a C++ exception thrown through the
interpreter's C code would end it instead of raising.
"""
import pickle
import subprocess
import sys

import pytest

CHILD = r'''
import copy, pickle, sys
import pradix
engine = pradix.Engine(5)
before = pradix.runif(0.0, 1.0, 3, engine=pradix.Engine(5)).tolist()
try:
    {call}
except TypeError as e:
    print("TypeError", e)
else:
    print("no error")
# the engine was left as it was
print(pradix.runif(0.0, 1.0, 3, engine=engine).tolist() == before)
'''

ENGINE_REDUCTIONS = [f"pickle.dumps(engine, protocol={p})" for p in range(pickle.HIGHEST_PROTOCOL + 1)] + [
    "copy.copy(engine)", "copy.deepcopy(engine)", "engine.__reduce__()", "engine.__reduce_ex__(0)",
    "engine.__reduce_ex__(4)", "object.__reduce_ex__(engine, 1)",
    "pickle.dumps(pradix.Engine.__new__(pradix.Engine), protocol=0)",
    "copy.copy(type('Derived', (pradix.Engine,), {})(3))",
]
# The binding library's common base of bound classes, reached directly.
BASE_CALLS = ["pradix.Engine.__mro__[1]()", "pradix.Engine.__mro__[1].__new__(pradix.Engine.__mro__[1])",
              "object.__reduce__(engine)", "type('Sub', (pradix.Engine.__mro__[1],), {})()"]


def run_child(call):
    done = subprocess.run([sys.executable, "-c", CHILD.replace("{call}", call)], capture_output=True,
                          text=True, timeout=60)
    assert done.returncode == 0, done.stderr[-2000:]
    return done.stdout.splitlines()


@pytest.mark.parametrize("call", ENGINE_REDUCTIONS)
def test_engine_is_not_picklable(call):
    assert run_child(call) == ["TypeError cannot pickle 'pradix.Engine' object", "True"]


@pytest.mark.parametrize("call", BASE_CALLS)
def test_common_base_refuses_instances(call):
    outcome, intact = run_child(call)
    assert outcome.startswith("TypeError cannot create '") and intact == "True"
