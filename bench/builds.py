"""Two builds of pradix against each other on bench/run.py's rows, in one process.

    .venv/bin/python bench/builds.py OTHER [--n N] [--rounds R] [--repeat K] [name ...]

OTHER is the module file of another build of the same code (for example the
wheel's, built by another compiler against another runtime).  Both modules
are loaded side by side: the one importable here (the set-up's build) and
OTHER.  Every row of bench/run.py (its default table, then the calls of
--goals) is built once against each, and each row times the same call on
both, alternately round after round (time.thread_time, as bench/run.py
does).  The ratio is OTHER / here, the median of the per-round ratios (below
1: OTHER is faster), with its quartiles.  --repeat K measures the whole table
K times over and reports every row's median ratio over the passes, so that a
busy spell of the shared machine, which hits one pass, does not decide a
row.  The processor and the lane target (PRADIX_ISA) are printed first.
"""
import argparse
import importlib.machinery
import importlib.util
import os
import statistics
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)


def load_module(path):
    """The extension module at path, as `pradix`, beside any other."""
    loader = importlib.machinery.ExtensionFileLoader("pradix", path)
    spec = importlib.util.spec_from_file_location("pradix", path, loader=loader)
    module = importlib.util.module_from_spec(spec)
    loader.exec_module(module)
    return module


def rows_of(module, n):
    """bench/run.py's rows (name, pradix call) with `module` as pradix."""
    saved = sys.modules.get("pradix")
    sys.modules["pradix"] = module
    sys.modules.pop("per_point", None)
    try:
        spec = importlib.util.spec_from_file_location(f"run_{id(module)}", os.path.join(HERE, "run.py"))
        run = importlib.util.module_from_spec(spec)
        spec.loader.exec_module(run)
        rows = [(name, ours) for name, (ours, _) in run.cases(n).items()]
        for _, goal_rows in run.goals(n):
            rows += [("goal " + call.replace("`", ""), ours) for call, _, ours, _, _ in goal_rows]
    finally:
        sys.modules.pop("per_point", None)
        if saved is None:
            sys.modules.pop("pradix", None)
        else:
            sys.modules["pradix"] = saved
    return run, rows


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("other", help="module file of the other build")
    ap.add_argument("--n", type=int, default=100_000)
    ap.add_argument("--rounds", type=int, default=15)
    ap.add_argument("--repeat", type=int, default=1, help="passes over the table; medians over them")
    ap.add_argument("names", nargs="*", help="only these rows (as printed)")
    opts = ap.parse_intermixed_args()

    import pradix as here
    other = load_module(os.path.abspath(opts.other))
    if os.path.realpath(here.__file__) == os.path.realpath(other.__file__):
        sys.exit("builds: both sides are the same file")
    run, ours = rows_of(here, opts.n)
    _, theirs = rows_of(other, opts.n)
    print(f"{run.processor()}, PRADIX_ISA={os.environ.get('PRADIX_ISA', '(unset)')}, n = {opts.n}, "
          f"median of {opts.rounds} rounds per pass, {opts.repeat} pass(es)")
    print(f"here:  {here.__file__}\nother: {other.__file__}")
    chosen = [(name, a, b) for (name, a), (_, b) in zip(ours, theirs) if not opts.names or name in opts.names]
    ratios = {name: [] for name, _, _ in chosen}
    for k in range(opts.repeat):
        for name, a, b in chosen:
            s = run.summary(*run.alternate(b, a, opts.rounds))
            ratios[name].append(s["ratio"])
            if opts.repeat == 1:
                print(f"{name:<44} {run.duration(s['peer']):>10} {run.duration(s['ours']):>10} "
                      f"{s['ratio']:6.3f} ({s['low']:.3f} to {s['high']:.3f})", flush=True)
        if opts.repeat > 1:
            print(f"pass {k + 1} of {opts.repeat} done", flush=True)
    if opts.repeat > 1:
        for name, rs in ratios.items():
            print(f"{name:<44} {statistics.median(rs):6.3f}  [{' '.join(f'{r:.3f}' for r in rs)}]")
    worst = max(ratios, key=lambda name: statistics.median(ratios[name]))
    print(f"slowest row for other: {worst}, ratio {statistics.median(ratios[worst]):.3f}; "
          f"rows above 1.10: {sum(statistics.median(r) > 1.10 for r in ratios.values())} of {len(ratios)}")


if __name__ == "__main__":
    main()
