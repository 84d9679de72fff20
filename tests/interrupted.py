"""Sends SIGINT to a child process 0.3 s into a long call.

The child restores Python's default SIGINT handler first (a suite started as
a background job hands its children SIGINT ignored), so the signal always
reaches the call.

The call runs with the interpreter lock held, so no thread of the child
could send the signal in time: the test process sends it.  The child reports
what the call did ("returned" or the name of the exception), then, as JSON,
the next uniform of the engine the call used and the results of a few quick
calls made after it (which must be the usual ones).
"""
import json
import os
import signal
import subprocess
import sys
import threading
import time

import pradix

QUICK = "[pradix.qbinom(0.5, 1000, 0.3), pradix.pbinom(2500, 10000, 0.25), pradix.rbinom(70000, 0.5, engine=pradix.Engine(1))]"

CHILD = r'''
import json, signal, sys
import numpy as np
import pradix
# A child started from a background job inherits SIGINT as ignored.
signal.signal(signal.SIGINT, signal.default_int_handler)
pradix.dnorm([0.0])  # NumPy is imported on first use: not during the call
engine = pradix.Engine(11)
print("start", flush=True)
try:
    {call}
    outcome = "returned"
except BaseException as e:
    outcome = type(e).__name__
print(outcome, flush=True)
print(json.dumps(dict(next=pradix.runif(0.0, 1.0, engine=engine), quick={quick})), flush=True)
'''


def interrupt(call, after=0.3, timeout=60, tries=2):
    """Runs `call` (source text; `engine` is a fresh pradix.Engine(11)) and interrupts it.

    Returns the outcome, the seconds from the signal to the outcome, and the report.
    A child whose report cannot be read (seen once on a heavily loaded machine)
    is run again; the last failure is raised with everything the child wrote.
    """
    for attempt in range(tries):
        child = subprocess.Popen([sys.executable, "-c", CHILD.replace("{call}", call).replace("{quick}", QUICK)],
                                 stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
        try:
            assert child.stdout.readline() == "start\n", child.stderr.read()
            time.sleep(after)
            os.kill(child.pid, signal.SIGINT)
            sent = time.perf_counter()
            outcome = child.stdout.readline().strip()
            delay = time.perf_counter() - sent
            # The rest through the same text stream: communicate() would
            # miss whatever readline() has already buffered.
            child.wait(timeout=timeout)
            out, err = child.stdout.read(), child.stderr.read()
        finally:
            child.kill()
            child.wait()
        assert child.returncode == 0, err
        try:
            report = json.loads(out)
        except ValueError:
            if attempt + 1 < tries:
                continue
            raise AssertionError(f"unreadable report: outcome {outcome!r}, stdout {out!r}, stderr {err!r}")
        return dict(report, outcome=outcome, delay=delay, healthy=report["quick"] == eval(QUICK))


PROLOGUE = "import signal\nsignal.signal(signal.SIGINT, signal.default_int_handler)\n"


def interrupt_script(script, after=0.3, timeout=60):
    """Runs `script` in a child, which prints "start" and then its outcome, and sends SIGINT `after` s after "start".

    SIGINT is restored to Python's handler first.  Returns the outcome line,
    the seconds from the signal to it, and everything the child wrote after it
    (stdout, stderr).  A child still running after `timeout` s is killed: its
    outcome is then whatever it printed by then ("" if nothing).
    """
    child = subprocess.Popen([sys.executable, "-c", PROLOGUE + script], stdout=subprocess.PIPE,
                             stderr=subprocess.PIPE, text=True)
    watchdog = threading.Timer(timeout, child.kill)
    watchdog.start()
    try:
        assert child.stdout.readline() == "start\n", child.stderr.read()
        time.sleep(after)
        os.kill(child.pid, signal.SIGINT)
        sent = time.perf_counter()
        outcome = child.stdout.readline().strip()
        delay = time.perf_counter() - sent
        out, err = child.stdout.read(), child.stderr.read()
    finally:
        watchdog.cancel()
        child.kill()
        child.wait()
    return outcome, delay, out, err
