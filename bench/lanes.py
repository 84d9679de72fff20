"""Speed of each lane target against the others, function by function.

    .venv/bin/python bench/lanes.py [--n N] [--rounds R] [name ...]

Every function whose kernels can reach the lane table (densities,
distribution functions, quantiles and samplers; the Bernoulli and uniform
ones never do) is timed under each lane target this processor runs and
under the module's own choice ("auto"): one child process per target, each
importing pradix with PRADIX_ISA set (unset for auto) and the same inputs
(bench/run.py's, plus rows whose parameters vary per point).  Each sample is
the CPU time of the child's calling thread (time.thread_time) for one call,
from a loop of calls lasting about 10 ms; the children take turns call by
call, the order of the targets rotating from round to round, so a busy spell
of the shared machine falls on every target alike.  The figures are medians
over the rounds.

The table gives, per function, the best forced target's time, each target's
time relative to that best (1.00 is the best; "auto" is the module's
choice), the quartiles of auto's per-round ratio to the best forced target,
and each target's time relative to scalar (below 1: faster than no lanes).
A row is marked "!" when auto is slower than the best forced target in
three rounds out of four by more than 3 %, the noise of this measurement on
a quiet machine.  The processor and the target auto picks are printed first.
"""
import argparse
import os
import statistics
import subprocess
import sys
import time

import numpy as np

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(HERE)
sys.path.insert(0, HERE)

import machine  # noqa: E402  (bench/machine.py: the processor)
import run  # noqa: E402  (bench/run.py: the inputs, the timing)

N, ROUNDS = 20_000, 11
ORDER = ["scalar", "sse2", "avx2", "avx512"]
NEVER = {"dbern", "pbern", "qbern", "rbern", "dunif", "punif", "qunif", "runif"}
NOISE = 1.03  # auto above the best forced target by more than this, in most rounds: marked


def per_point_cases(n):
    """Rows whose shapes vary from point to point, a few distinct values or
    every point its own: the fractions then run one stretch of points per
    shape, so a batch may hold a single point."""
    _, xp, u, _, _, _ = run.inputs(n)
    rng = np.random.default_rng(3)
    few = rng.choice([1.5, 2.5, 4.0, 7.5], size=n)
    every = rng.uniform(1.0, 8.0, size=n)
    import pradix
    return {
        "pgamma, 4 shapes": lambda: pradix.pgamma(xp, few, 1.5),
        "pgamma, shape per point": lambda: pradix.pgamma(xp, every, 1.5),
        "qgamma, 4 shapes": lambda: pradix.qgamma(u, few, 1.5),
        "qgamma, shape per point": lambda: pradix.qgamma(u, every, 1.5),
        "dgamma, shape per point": lambda: pradix.dgamma(xp, every, 1.5),
        "qbeta, shape per point": lambda: pradix.qbeta(u, every, 3.0),
    }


def calls(n):
    import pradix
    table = {name: pair[0] for name, pair in run.cases(n).items() if name not in NEVER and hasattr(pradix, name)}
    table.update(per_point_cases(n))
    return table


# ---------------------------------------------------------------- the child

def worker(n):
    """Answers "name" lines with the thread time of one call, in seconds."""
    table = calls(n)
    loops = {}
    for line in sys.stdin:
        name = line.strip()
        fn = table[name]
        if name not in loops:
            loops[name] = run.loops_for(fn)  # also the warm-up
        print(repr(run.thread_seconds(fn, loops[name])), flush=True)


class Child:
    def __init__(self, target, n):
        env = dict(os.environ)
        env.pop("PRADIX_ISA", None)
        if target != "auto":
            env["PRADIX_ISA"] = target
        self.proc = subprocess.Popen([sys.executable, os.path.abspath(__file__), "--worker", "--n", str(n)],
                                     env=env, stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True, cwd=ROOT)

    def time(self, name):
        self.proc.stdin.write(name + "\n")
        self.proc.stdin.flush()
        line = self.proc.stdout.readline()
        if not line:
            raise RuntimeError(f"the child for {name} ended")
        return float(line)

    def close(self):
        self.proc.stdin.close()
        self.proc.wait()


# ---------------------------------------------------------------- the parent

def running_targets():
    """The forced targets this processor runs, and the one the module picks
    by itself (as the test kit names it)."""
    sys.path.insert(0, os.path.join(ROOT, "build", "testkit"))
    import _testkit
    runs = dict(_testkit.lane_targets())
    return [t for t in ORDER if runs.get(t)], _testkit.lane_choice(None)


def measure(names, targets, n, rounds, log):
    children = {t: Child(t, n) for t in targets}
    times = {name: {t: [] for t in targets} for name in names}
    try:
        for r in range(rounds):
            for name in names:
                k = r % len(targets)
                for t in targets[k:] + targets[:k]:
                    times[name][t].append(children[t].time(name))
            log(r)
    finally:
        for c in children.values():
            c.close()
    return times


def quartiles(values):
    values = sorted(values)
    return statistics.quantiles(values, n=4) if len(values) > 1 else values * 3


def report(names, forced, times):
    targets = forced + ["auto"]
    head = f"{'function':<26} {'best':>9} " + " ".join(f"{t:>7}" for t in targets)
    head += f" {'auto/best q1-q3':>16}   vs scalar: " + " ".join(f"{t:>6}" for t in targets[1:])
    print(head)
    flagged = []
    for name in names:
        med = {t: statistics.median(times[name][t]) for t in targets}
        best_t = min(forced, key=lambda t: med[t])
        best = med[best_t]
        per_round = [a / b for a, b in zip(times[name]["auto"], times[name][best_t])]
        q1, _, q3 = quartiles(per_round)
        mark = "!" if q1 > NOISE else " "
        if mark == "!":
            flagged.append(name)
        line = f"{name:<26} {run.duration(best):>9} " + " ".join(f"{med[t] / best:>7.2f}" for t in targets)
        line += f"  {q1:>6.2f} - {q3:<5.2f}{mark}  " + " " * 11
        line += " ".join(f"{med[t] / med['scalar']:>6.2f}" for t in targets[1:])
        print(line, flush=True)
    return flagged


def processor_line():
    flags = set()
    family = model = "?"
    try:
        with open("/proc/cpuinfo", encoding="utf-8") as f:
            for line in f:
                key, _, value = line.partition(":")
                key = key.strip()
                if key == "flags" and not flags:
                    flags = set(value.split())
                elif key == "cpu family" and family == "?":
                    family = value.strip()
                elif key == "model" and model == "?":
                    model = value.strip()
    except OSError:
        pass
    wide = sorted(f for f in flags if f.startswith("avx512")) + sorted({"avx2", "fma"} & flags)
    return f"{machine.processor()} (family {family}, model {model}; {' '.join(wide) or 'no AVX'})"


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("--n", type=int, default=N, help=f"points or draws per call (default {N:,})")
    ap.add_argument("--rounds", type=int, default=ROUNDS, help=f"rounds, medians over them (default {ROUNDS})")
    ap.add_argument("--worker", action="store_true", help=argparse.SUPPRESS)
    ap.add_argument("names", nargs="*", help="functions or rows to time (default: all)")
    opts = ap.parse_args()
    if opts.worker:
        worker(opts.n)
        return
    forced, auto = running_targets()
    available = list(calls(opts.n))
    names = [name for name in available if not opts.names or name in opts.names or name.split(",")[0] in opts.names]
    print(f"{processor_line()}, {os.cpu_count()} logical cores shared with other work")
    print(f"auto picks {auto}; {opts.n:,} points per call, median of {opts.rounds} rounds, targets alternating")
    start = time.time()
    times = measure(names, forced + ["auto"], opts.n, opts.rounds,
                    lambda r: print(f"  round {r + 1} of {opts.rounds} ({time.time() - start:.0f} s)",
                                    file=sys.stderr, flush=True))
    flagged = report(names, forced, times)
    if flagged:
        print(f"auto slower than the best forced target beyond noise: {', '.join(flagged)}")
    else:
        print("auto is within noise of the best forced target for every row")


if __name__ == "__main__":
    main()
