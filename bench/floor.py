"""The floor of a bench row: the time its points would take if only their lane functions ran.

    .venv/bin/python bench/floor.py [--source S] [--n N] [--rounds R] [row ...]

A row's points ask for lane functions (logarithms, exponentials, error
functions and their fractions, arctangents, tangents, the incomplete gamma
function's fractions) and a few kernels of the same standing that have no
block form (the square root, the incomplete beta function's fraction); a
sampler also takes engine outputs and calls the C library's log, sqrt and
pow.  The floor is the sum, over those kinds, of the number of requests the
row's call makes times the cost of one request measured in full blocks.

Counts: a child process imports the test kit's _tallykit (the module's
functions built with every request tallied where it runs: one by one or in a
batch, with a sample of its arguments; src/num/tally.hpp) in place of pradix,
builds the rows of the bench tables from the same inputs and runs each row's
call once.  What is counted is what ran, on the row's own points.

Costs: in the same child, each kind is timed through its block form
(_testkit.exp_n and the others, under the lane target the module uses here:
PRADIX_ISA or the processor's best) on the arguments kept for it, in calls of
at least MIN_SAMPLE requests, as the CPU time of the calling thread, median
of the rounds.  The kinds without a block form are timed in a loop over the
same arguments (the square root, the beta fraction, the C library calls) or,
for engine outputs, taking outputs in blocks as the samplers do.

The per-kind table (this script's own output) also shows how the requests
ran: the share run one by one, and the mean size of a batch; a row far above
its floor with small batches or many single requests loses its time to the
code around the lane functions.  bench/run.py --floor and --readme print the
floor ratio (measured time / floor) beside each row.
"""
import argparse
import json
import os
import statistics
import subprocess
import sys
import time

import numpy as np

import machine

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(HERE)
TESTKIT = os.path.join(ROOT, "build", "testkit")
ROUNDS = 5
MIN_SAMPLE = 16384   # requests per timed call (a smaller sample is repeated)
MAX_SAMPLE = 262144  # the first ones of a larger sample
SOURCES = ("cases", "goals", "per_point", "samplers", "lanes")


# ---------------------------------------------------------------- the tally build

def build_tallykit():
    """Builds the test kit's _tallykit if it is missing or stale (it is not
    part of the default build)."""
    cmake = os.path.join(os.path.dirname(sys.executable), "cmake")
    if not os.path.exists(cmake):
        cmake = "cmake"
    subprocess.run([cmake, "--build", TESTKIT, "--target", "_tallykit"], check=True, stdout=subprocess.DEVNULL)


# ---------------------------------------------------------------- rows, in the child

def rows_of(source, n):
    """{row name: call} of a bench table, built with whatever `pradix` is
    imported (the child makes it _tallykit)."""
    sys.path.insert(0, HERE)
    if source == "cases":
        import run
        return {name: pair[0] for name, pair in run.cases(n).items()}
    if source == "goals":
        import run
        return {call: ours for _, group in run.goals(n) for call, _, ours, _, _ in group}
    if source == "per_point":
        import per_point
        return {label: ours for label, ours, _, peer, _, _ in per_point.rows(n) if peer is not None}
    if source == "samplers":
        import samplers
        return {label: ours for label, ours, _ in samplers.rows(n)}
    if source == "lanes":
        import lanes
        return lanes.calls(n)
    raise ValueError(f"no bench table {source}")


# ---------------------------------------------------------------- costs, in the child

def _thread_seconds(fn):
    t0 = time.thread_time()
    fn()
    return time.thread_time() - t0


def _timer(kind, sample, target, kit):
    """A call that runs `kind` once per row of `sample` (at least
    MIN_SAMPLE rows), and the number of requests it makes."""
    m = len(sample)
    if kind == "engine_output":
        count = max(MIN_SAMPLE, 1 << 20)
        return (lambda: kit.engine_outputs(1, count)), count
    sample = sample[:MAX_SAMPLE]
    if len(sample) < MIN_SAMPLE:
        sample = np.resize(sample, (MIN_SAMPLE, sample.shape[1])) if m else np.ones((MIN_SAMPLE, sample.shape[1]))
    count = len(sample)
    cols = [np.ascontiguousarray(sample[:, j]) for j in range(sample.shape[1])]
    block = {"log": kit.log_n, "exp": kit.exp_n, "erf": kit.erf_n, "erf_fraction": kit.erf_fraction_n,
             "atan": kit.atan_n, "tan": kit.tan_n, "tanh_fraction": kit.tanh_fraction_n}
    if kind in block:
        f = block[kind]
        return (lambda: f(target, cols[0])), count
    if kind in ("gamma_lower", "gamma_upper"):
        # One shape per batch: the points of each shape together.
        upper = kind == "gamma_upper"
        groups = [(a, np.ascontiguousarray(cols[1][cols[0] == a])) for a in np.unique(cols[0])]
        return (lambda: [kit.gamma_fraction_n(target, upper, a, x) for a, x in groups]), count
    if kind in ("gamma_lower_each", "gamma_upper_each"):
        upper = kind == "gamma_upper_each"
        return (lambda: kit.gamma_fraction_each_n(target, upper, cols[0], cols[1])), count
    each = {"sqrt": kit.sqrt_each, "beta_fraction": kit.beta_fraction_each, "c_log": kit.c_log_each,
            "c_sqrt": kit.c_sqrt_each, "c_pow": kit.c_pow_each}
    if kind in each:
        f = each[kind]
        return (lambda: f(*cols)), count
    raise ValueError(f"no cost for {kind}")


def cost_of(kind, sample, target, kit, rounds):
    """Seconds per request of `kind` on its sample, median of the rounds."""
    fn, count = _timer(kind, sample, target, kit)
    fn()  # warm up
    return statistics.median(_thread_seconds(fn) for _ in range(rounds)) / count


def child(source, n, names, targets, rounds):
    """Counts and costs of the named rows (all when empty), as JSON on stdout:
    {row: {"points": size, "kinds": {kind: [single, batched, batches]},
    "cost": {target: {kind: seconds}}}}."""
    sys.path.insert(0, TESTKIT)
    import _tallykit
    import _testkit
    sys.modules["pradix"] = _tallykit
    table = rows_of(source, n)
    out = {}
    for name in names or list(table):
        if name not in table:
            continue
        fn = table[name]
        fn()  # first-call work (tables, conversions) out of the way; then the call counted
        _tallykit.tally_reset()
        result = fn()
        counts = _tallykit.tally()
        costs = {}
        for target in targets:
            costs[target] = {kind: cost_of(kind, _tallykit.tally_sample(kind), target, _testkit, rounds)
                             for kind in counts}
        size = int(np.size(result)) if result is not None else 0
        out[name] = {"points": size, "kinds": {k: list(v) for k, v in counts.items()}, "cost": costs}
    json.dump(out, sys.stdout)


# ---------------------------------------------------------------- the parent

class Floor:
    """The floor of one row under one target: seconds, and per kind
    (requests, run one by one, batches, seconds per request)."""

    def __init__(self, points, kinds, cost):
        self.points = points
        self.kinds = {k: {"requests": s + b, "single": s, "batches": nb, "cost": cost[k]}
                      for k, (s, b, nb) in kinds.items()}
        self.seconds = sum(v["requests"] * v["cost"] for v in self.kinds.values())


def floors(source, n, names=(), targets=None, rounds=ROUNDS):
    """{row: {target: Floor}} for the named rows of a bench table (all when
    empty), counted and costed in a child process under `targets` (the
    module's own target by default)."""
    build_tallykit()
    targets = targets or [machine.lane_target()]
    cmd = [sys.executable, os.path.abspath(__file__), "--child", "--source", source, "--n", str(n),
           "--rounds", str(rounds), "--targets", ",".join(targets)] + list(names)
    done = subprocess.run(cmd, check=True, stdout=subprocess.PIPE, text=True, cwd=ROOT)
    data = json.loads(done.stdout)
    return {name: {t: Floor(d["points"], d["kinds"], d["cost"][t]) for t in targets} for name, d in data.items()}


def duration(s):
    for unit, scale in (("s", 1), ("ms", 1e-3), ("µs", 1e-6), ("ns", 1e-9)):
        if s >= scale:
            return f"{s / scale:.3g} {unit}"
    return f"{s * 1e9:.3g} ns"


def report(name, f):
    """The row's floor and its kinds: requests per point, how they ran,
    the cost of one and the share of the floor."""
    per = max(f.points, 1)
    print(f"{name}: floor {duration(f.seconds)} ({f.points:,} results)")
    for kind, v in sorted(f.kinds.items(), key=lambda kv: -kv[1]["requests"] * kv[1]["cost"]):
        batched = v["requests"] - v["single"]
        mean = batched / v["batches"] if v["batches"] else 0.0
        share = v["requests"] * v["cost"] / f.seconds if f.seconds else 0.0
        print(f"    {kind:<17} {v['requests'] / per:>9.3f} per result  {v['single'] / max(v['requests'], 1):>5.0%} "
              f"single  batch {mean:>7.1f}  {v['cost'] * 1e9:>7.1f} ns each  {share:>5.0%} of the floor")


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("--source", default="goals", choices=SOURCES, help="the bench table (default: goals)")
    ap.add_argument("--n", type=int, default=100_000, help="points per call (default 100,000)")
    ap.add_argument("--rounds", type=int, default=ROUNDS, help=f"rounds per cost, median (default {ROUNDS})")
    ap.add_argument("--child", action="store_true", help=argparse.SUPPRESS)
    ap.add_argument("--targets", default=None, help=argparse.SUPPRESS)
    ap.add_argument("names", nargs="*")
    opts = ap.parse_args()
    if opts.child:
        child(opts.source, opts.n, opts.names, opts.targets.split(","), opts.rounds)
        return
    target = machine.lane_target()
    sys.path.insert(0, HERE)
    from machine import processor
    print(f"floors of the {opts.source} rows on {processor()}, lane target {target}, {opts.n:,} points")
    for name, by_target in floors(opts.source, opts.n, opts.names, [target], opts.rounds).items():
        report(name, by_target[target])


if __name__ == "__main__":
    main()
