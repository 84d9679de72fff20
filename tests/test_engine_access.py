"""Taking an engine: waiting answers Ctrl-C, re-entry on the same thread raises, __init__ runs once.

Every case runs in a child process with a time limit: a regression here is a
hang, which must fail the test rather than the suite.
"""
import json
import subprocess
import sys

import pytest

from interrupted import interrupt_script

# Trials of a binomial draw that holds its engine for half a second or more
# (about a second on an AMD EPYC core).
HOLD = 4 * 10**8

WAITING = r'''
import json, threading, time
import pradix
pradix.dnorm([0.0])  # NumPy is imported on first use: not during the call
kw = {"engine": pradix.Engine(11)} if OWN else {}
got = []
holder = threading.Thread(target=lambda: got.append(pradix.rbinom(HOLD, 0.5, **kw)))
holder.start()
time.sleep(0.1)
print("start", flush=True)
try:
    CALL
    outcome = "returned"
except KeyboardInterrupt:
    # while the holder still draws: the call stopped waiting
    outcome = "KeyboardInterrupt" if holder.is_alive() else "KeyboardInterrupt after the wait"
print(outcome, flush=True)
holder.join()
reference = pradix.Engine(11 if OWN else 1)
# the holder's draw is whole, and the interrupted call drew nothing
print(json.dumps([got[0] == pradix.rbinom(HOLD, 0.5, engine=reference),
                  pradix.runif(0.0, 1.0, **kw) == pradix.runif(0.0, 1.0, engine=reference)]))
'''


@pytest.mark.parametrize("own, call", [(True, "pradix.rnorm(**kw)"), (False, "pradix.rgamma(2.5, 1.0, [2, 2], **kw)")])
def test_a_call_waiting_for_an_engine_answers_ctrl_c_and_draws_nothing(own, call):
    script = WAITING.replace("OWN", str(own)).replace("HOLD", str(HOLD)).replace("CALL", call)
    outcome, delay, out, err = interrupt_script(script, after=0.05, timeout=60)
    assert outcome == "KeyboardInterrupt", err
    assert json.loads(out) == [True, True]
    assert delay < 1.0


def test_the_reported_wait_answers_ctrl_c():
    # The other thread draws for ever from the default engine.
    script = ("import threading, time, pradix as P\n"
              "threading.Thread(target=P.rbinom, args=(2**62, 0.5), daemon=True).start()\n"
              "time.sleep(0.5)\nprint('start', flush=True)\nP.rnorm()\n")
    outcome, delay, _, err = interrupt_script(script, timeout=20)
    assert outcome == "" and err.rstrip().endswith("KeyboardInterrupt"), err
    assert delay < 1.0


def run(script, timeout=60):
    done = subprocess.run([sys.executable, "-c", script], capture_output=True, text=True, timeout=timeout)
    return done.returncode, done.stdout, done.stderr


def test_the_reported_handler_raises_instead_of_hanging():
    script = ("import signal, pradix as P\n"
              "signal.signal(signal.SIGALRM, lambda *a: P.rnorm())\n"
              "signal.setitimer(signal.ITIMER_REAL, 0.05, 0.05)\n"
              "P.rnorm(size=5 * 10**7)\n")
    code, _, err = run(script, timeout=30)
    # the error ends the program, or the timer's next signal, no longer handled, does
    assert code in (1, -14) and err.splitlines()[-1] == (
        "RuntimeError: the default pradix.Engine is in use by this thread: a call on this thread (the one a "
        "signal handler interrupted) is drawing from it, and another call must not draw in the middle of that "
        "call's draws; pass engine=pradix.Engine(seed) here"), err


REENTRY = r'''
import json, signal
import numpy as np
import pradix
kw = {"engine": pradix.Engine(7)} if OWN else {}
other = pradix.Engine(8)
errors, others, drawn_after = [], [], []


def handler(*_):
    others.append(pradix.rnorm(engine=other))  # another engine: drawn at once
    try:
        drawn_after.append(pradix.runif(0.0, 1.0, **kw))  # only once the call has returned
    except RuntimeError as e:
        if not CATCH:
            raise
        errors.append(str(e))


signal.signal(signal.SIGALRM, handler)
signal.setitimer(signal.ITIMER_REAL, 0.01, 0.01)
try:
    drawn = pradix.rnorm(0.0, 1.0, N, **kw)
    outcome = "returned"
except RuntimeError:
    outcome = "RuntimeError"
signal.setitimer(signal.ITIMER_REAL, 0)
reference = pradix.Engine(7 if OWN else 1)
expected = pradix.rnorm(0.0, 1.0, N, engine=reference)
pradix.runif(0.0, 1.0, len(drawn_after), engine=reference)
print(json.dumps(dict(
    outcome=outcome, handled=len(errors), messages=sorted(set(e.split(":")[0] for e in errors)),
    whole=outcome == "RuntimeError" or drawn.tobytes() == expected.tobytes(),
    free=outcome == "RuntimeError" or pradix.runif(0.0, 1.0, **kw) == pradix.runif(0.0, 1.0, engine=reference),
    # handlers can nest (a signal during a handler), so their appends may come out of order
    others=sorted(others) == sorted(pradix.rnorm(0.0, 1.0, len(others), engine=pradix.Engine(8)).tolist()))))
'''


@pytest.mark.parametrize("own", [True, False], ids=["own engine", "default engine"])
@pytest.mark.parametrize("catch", [True, False], ids=["caught", "propagated"])
def test_a_handler_drawing_from_the_engine_of_the_call_it_interrupted(own, catch):
    """Caught, the RuntimeError leaves the running call's draws whole; propagated, it ends that call."""
    script = REENTRY.replace("OWN", str(own)).replace("CATCH", str(catch)).replace("N", str(10**7))
    code, out, err = run(script)
    assert code == 0, err
    report = json.loads(out)
    name = "pradix.Engine" if own else "the default pradix.Engine"
    assert report["whole"] and report["free"] and report["others"], report
    if catch:
        assert report["outcome"] == "returned" and report["handled"] > 0, report
        assert report["messages"] == [f"{name} is in use by this thread"]
    else:
        assert report["outcome"] == "RuntimeError", report


def test_a_handler_may_draw_from_the_engine_its_call_waits_for():
    """The waiting call holds nothing: the handler's draw waits its turn and comes first."""
    script = r'''
import json, signal, threading, time
import pradix
engine = pradix.Engine(11)
got = []
holder = threading.Thread(target=lambda: pradix.rbinom(HOLD, 0.5, engine=engine))
holder.start()
time.sleep(0.1)
signal.signal(signal.SIGALRM, lambda *_: got.append(pradix.runif(0.0, 1.0, engine=engine)))
signal.setitimer(signal.ITIMER_REAL, 0.05)
last = pradix.runif(0.0, 1.0, engine=engine)
holder.join()
reference = pradix.Engine(11)
pradix.rbinom(HOLD, 0.5, engine=reference)
print(json.dumps(got + [last] == pradix.runif(0.0, 1.0, 2, engine=reference).tolist()))
'''.replace("HOLD", str(HOLD))
    code, out, err = run(script)
    assert (code, out) == (0, "true\n"), err


INIT = r'''
import pradix
engine = pradix.Engine(5)


class Derived(pradix.Engine):
    def __init__(self, seed):
        super().__init__(seed)


try:
    {call}
except TypeError as e:
    print("TypeError", e)
else:
    print("no error")
print(pradix.runif(0.0, 1.0, 3, engine=engine).tolist() == pradix.runif(0.0, 1.0, 3, engine=pradix.Engine(5)).tolist())
'''

AGAIN = "TypeError pradix.Engine object is already initialised: __init__ cannot reseed it; create a new " \
        "pradix.Engine(seed) instead"


@pytest.mark.parametrize("call, first", [
    ("engine.__init__(2)", AGAIN), ("pradix.Engine.__init__(engine, 5)", AGAIN), ("engine.__init__('x')", AGAIN),
    ("type(pradix.Engine.__init__).__call__(pradix.Engine.__init__, engine, 2)", AGAIN),
    ("d = Derived(3); d.__init__(4)", AGAIN), ("pradix.Engine.__init__(Derived(3), 2)", AGAIN),
    # a first initialisation is as before
    ("e = pradix.Engine.__new__(pradix.Engine); e.__init__(5); engine = e", "no error"),
    ("e = Derived.__new__(Derived); e.__init__(5); engine = e", "no error"),
    ("engine = Derived(5)", "no error"),
])
def test_init_of_an_initialised_engine_raises_and_changes_nothing(call, first):
    code, out, err = run(INIT.replace("{call}", call))
    assert code == 0, err
    assert out.splitlines() == [first, "True"]
