"""The floor of a bench row: the time its points would take if only their lane functions ran.

    .venv/bin/python bench/floor.py [--source S] [--n N] [--rounds R] [row ...]

A row's points ask for lane functions (logarithms, exponentials, error
functions and their fractions, arctangents, tangents, the incomplete gamma
function's fractions, the logistic's tanh fraction) and for two kernels of
the same standing that have no block form (the square root, the incomplete
beta function's fraction); a sampler also takes engine outputs and calls the
C library's log, sqrt and pow.  The floor is the sum, over those kinds, of
the number of requests the row's call makes times the cost of one request
in full blocks.

Counts: a child process imports the test kit's _tallykit (the module's
functions built with every request tallied where it runs, one by one or in
a batch, with a sample of its arguments; src/num/tally.hpp) in place of
pradix, builds the rows of the bench table from the same inputs and runs
each row's call once.  What is counted is what ran, on the row's own points.

Costs: each kind is timed through its block form (_testkit.exp_n and the
others, under the lane target the module uses here: PRADIX_ISA or the
processor's best) on the arguments kept for it, at least MIN_SAMPLE requests
per timed call, as the CPU time of the calling thread.  The kinds without a
block form are timed in a loop over the same arguments (the square root, the
beta fraction, the C library calls) or, for engine outputs, taking outputs
in blocks as the samplers do.  The benches time the floor in their own
process, round by round between the row's own calls (RowFloor.once), so
that a busy spell of the shared machine weighs on both; this script prints
the medians.

This script's own table shows, per row, how the requests ran: per result,
the share run one by one, the mean size of a batch, the cost of one and the
share of the floor.  A row far above its floor with small batches or many
single requests loses its time to the code around the lane functions.
"""
import argparse
import json
import os
import statistics
import subprocess
import sys
import tempfile
import time

import numpy as np

import machine

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(HERE)
TESTKIT = os.path.join(ROOT, "build", "testkit")
ROUNDS = 7
MIN_SAMPLE = 16384   # requests per timed call (a smaller sample is repeated)
MAX_SAMPLE = 262144  # the first ones of a larger sample
ENGINE_OUTPUTS = 1 << 20
SOURCES = ("cases", "goals", "per_point", "samplers", "lanes")


# ---------------------------------------------------------------- the tally build

def build_tallykit():
    """Builds the test kit's _tallykit if it is missing or stale (it is not
    part of the default build)."""
    cmake = os.path.join(os.path.dirname(sys.executable), "cmake")
    if not os.path.exists(cmake):
        cmake = "cmake"
    subprocess.run([cmake, "--build", TESTKIT, "--target", "_tallykit"], check=True, stdout=subprocess.DEVNULL)


# ---------------------------------------------------------------- counting, in the child

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


def child(source, n, names, folder):
    """Counts the named rows (all when empty): {row: {"points": results,
    "kinds": {kind: [single, batched, batches]}}} as JSON on stdout, the
    kept arguments of row i's kinds in folder/i.npz."""
    sys.path.insert(0, TESTKIT)
    import _tallykit
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
        path = os.path.join(folder, f"{len(out)}.npz")
        np.savez(path, **{kind: _tallykit.tally_sample(kind) for kind in counts})
        size = int(np.size(result)) if result is not None else 0
        out[name] = {"points": size, "kinds": {k: list(v) for k, v in counts.items()}, "samples": path}
    json.dump(out, sys.stdout)


# ---------------------------------------------------------------- costs, in the caller

def _thread_seconds(fn):
    t0 = time.thread_time()
    fn()
    return time.thread_time() - t0


def _timer(kind, sample, target, kit):
    """A call that makes `count` requests of `kind` at the arguments of
    `sample` (repeated up to MIN_SAMPLE, or the first MAX_SAMPLE), and count."""
    if kind == "engine_output":
        return (lambda: kit.engine_outputs(1, ENGINE_OUTPUTS)), ENGINE_OUTPUTS
    sample = sample[:MAX_SAMPLE]
    if len(sample) == 0:
        sample = np.ones((1, sample.shape[1]))
    if len(sample) < MIN_SAMPLE:
        sample = np.resize(sample, (MIN_SAMPLE, sample.shape[1]))
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


class RowFloor:
    """The floor of one row under one lane target: its requests per kind,
    and the cost of each measured on the kept arguments.  once() times every
    kind once and returns the floor in seconds; the medians of the rounds
    timed so far are in cost and seconds()."""

    def __init__(self, points, kinds, samples, target, kit):
        self.points = points
        self.kinds = {k: {"requests": s + b, "single": s, "batches": nb} for k, (s, b, nb) in kinds.items()}
        self.timers = {k: _timer(k, samples[k], target, kit) for k in kinds}
        for fn, _ in self.timers.values():
            fn()  # warm up
        self.rounds = {k: [] for k in kinds}

    def once(self):
        total = 0.0
        for kind, (fn, count) in self.timers.items():
            cost = _thread_seconds(fn) / count
            self.rounds[kind].append(cost)
            total += self.kinds[kind]["requests"] * cost
        return total

    def cost(self, kind):
        return statistics.median(self.rounds[kind])

    def seconds(self):
        return sum(v["requests"] * self.cost(k) for k, v in self.kinds.items())


def floors(source, n, names=(), target=None):
    """{row: RowFloor} for the named rows of a bench table (all when empty),
    counted in a child process, costed under `target` (the module's own by
    default) by RowFloor.once in this process."""
    build_tallykit()
    target = target or machine.lane_target()
    sys.path.insert(0, TESTKIT)
    import _testkit
    with tempfile.TemporaryDirectory() as folder:
        cmd = [sys.executable, os.path.abspath(__file__), "--child", "--source", source, "--n", str(n),
               "--folder", folder] + list(names)
        done = subprocess.run(cmd, check=True, stdout=subprocess.PIPE, text=True, cwd=ROOT)
        data = json.loads(done.stdout)
        out = {}
        for name, d in data.items():
            with np.load(d["samples"]) as z:
                samples = {k: z[k] for k in z.files}
            out[name] = RowFloor(d["points"], d["kinds"], samples, target, _testkit)
    return out


def duration(s):
    for unit, scale in (("s", 1), ("ms", 1e-3), ("µs", 1e-6), ("ns", 1e-9)):
        if s >= scale:
            return f"{s / scale:.3g} {unit}"
    return f"{s * 1e9:.3g} ns"


def report(name, f):
    """The row's floor and its kinds: requests per result, how they ran,
    the cost of one and the share of the floor."""
    per = max(f.points, 1)
    total = f.seconds()
    print(f"{name}: floor {duration(total)} ({f.points:,} results)")
    for kind, v in sorted(f.kinds.items(), key=lambda kv: -kv[1]["requests"] * f.cost(kv[0])):
        batched = v["requests"] - v["single"]
        mean = batched / v["batches"] if v["batches"] else 0.0
        share = v["requests"] * f.cost(kind) / total if total else 0.0
        print(f"    {kind:<17} {v['requests'] / per:>9.3f} per result  {v['single'] / max(v['requests'], 1):>5.0%} "
              f"single  batch {mean:>7.1f}  {f.cost(kind) * 1e9:>7.1f} ns each  {share:>5.0%} of the floor")


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("--source", default="goals", choices=SOURCES, help="the bench table (default: goals)")
    ap.add_argument("--n", type=int, default=100_000, help="points per call (default 100,000)")
    ap.add_argument("--rounds", type=int, default=ROUNDS, help=f"rounds per cost, median (default {ROUNDS})")
    ap.add_argument("--child", action="store_true", help=argparse.SUPPRESS)
    ap.add_argument("--folder", default=None, help=argparse.SUPPRESS)
    ap.add_argument("names", nargs="*")
    opts = ap.parse_args()
    if opts.child:
        child(opts.source, opts.n, opts.names, opts.folder)
        return
    target = machine.lane_target()
    print(f"floors of the {opts.source} rows on {machine.processor()}, lane target {target}, {opts.n:,} points, "
          f"median of {opts.rounds} rounds")
    for name, f in floors(opts.source, opts.n, opts.names, target).items():
        for _ in range(opts.rounds):
            f.once()
        report(name, f)


if __name__ == "__main__":
    main()
