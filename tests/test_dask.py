"""The README's Dask recipe, run as written on the local threaded and process
schedulers: blockwise d, p and q give the bits of the in-memory call, and
blockwise sampling with one engine per block, seeded from the block's child
of a SeedSequence, is reproducible."""
import os
import re
import subprocess
import sys

import dask
import dask.array as da
import numpy as np
import pytest

import pradix

README = os.path.join(os.path.dirname(os.path.dirname(os.path.abspath(__file__))), "README.md")
SCHEDULERS = ["threads", "processes"]


def recipe_source():
    with open(README, encoding="utf-8") as f:
        blocks = re.findall(r"```python\n(.*?)```", f.read(), re.S)
    (block,) = [b for b in blocks if "import dask" in b]
    return block


@pytest.fixture(scope="module")
def recipe():
    # A module name of its own, so that (as for a user's script) the process
    # scheduler's workers receive the recipe's class and functions by value.
    names = {"__name__": "readme_recipe"}
    exec(compile(recipe_source(), README, "exec"), names)  # noqa: S102 - the README's own example
    return names


def same_bits(a, b):
    return a.dtype == b.dtype and a.shape == b.shape and np.array_equal(a.view(np.int64), b.view(np.int64))


def block_seeds(base_seed, blocks):
    """The seeds the README describes: SeedSequence(base_seed).spawn(blocks), each child's first
    32-bit word as a signed integer."""
    return [int(c.generate_state(1).view(np.int32)[0]) for c in np.random.SeedSequence(base_seed).spawn(blocks)]


@pytest.mark.parametrize("scheduler", SCHEDULERS)
def test_blockwise_functions_match_the_in_memory_call(recipe, scheduler):
    blockwise = recipe["Blockwise"]
    with dask.config.set(scheduler=scheduler):
        assert same_bits(recipe["density"].compute(), pradix.dnorm(recipe["x"].compute(), 0.5, 2.0))
        # Distribution functions and quantiles, with a second array argument,
        # on fewer points: they cost far more per point.
        u = da.linspace(0.0, 1.0, 10_000, chunks=2_500)
        shapes = da.linspace(0.5, 20.0, 10_000, chunks=2_500)
        us, ss = u.compute(), shapes.compute()
        p = da.map_blocks(blockwise("pgamma"), u * 20.0, shapes, 1.5, dtype=np.float64)
        assert same_bits(p.compute(), pradix.pgamma(us * 20.0, ss, 1.5))
        q = da.map_blocks(blockwise("qbeta"), u, 2.0, shapes, dtype=np.float64)
        assert same_bits(q.compute(), pradix.qbeta(us, 2.0, ss))
        logd = da.map_blocks(blockwise("dbinom"), da.arange(0, 40, chunks=10), 30, 0.4, log=True,
                             dtype=np.float64)
        assert same_bits(logd.compute(), pradix.dbinom(np.arange(40), 30, 0.4, log=True))


@pytest.mark.parametrize("scheduler", SCHEDULERS)
def test_blockwise_sampling_uses_the_spawned_seeds(recipe, scheduler):
    seeds = block_seeds(1000, 4)
    per_block = [pradix.rgamma(2.0, 1.0, 250_000, engine=pradix.Engine(s)) for s in seeds]
    assert same_bits(recipe["draws"].compute(scheduler=scheduler), np.concatenate(per_block))
    # Two dimensions: blocks are numbered in C order of their chunk location.
    grid = da.map_blocks(recipe["sample_block"], "rbinom", 10, 0.3, base_seed=7, chunks=((3, 2), (4, 1)),
                         dtype=np.float64)
    got = grid.compute(scheduler=scheduler)
    seeds = block_seeds(7, 4)
    rows = [np.concatenate([pradix.rbinom(10, 0.3, [r, c], engine=pradix.Engine(seeds[2 * i + j]))
                            for j, c in enumerate((4, 1))], axis=1) for i, r in enumerate((3, 2))]
    assert same_bits(got, np.concatenate(rows, axis=0))


def test_neighbouring_base_seeds_share_no_block_seed():
    assert not set(block_seeds(1000, 64)) & set(block_seeds(1001, 64))


def test_recipe_runs_as_a_script(tmp_path):
    """As a user runs it: a script whose computing is guarded for the process scheduler."""
    script = tmp_path / "recipe.py"
    script.write_text(recipe_source())
    run = subprocess.run([sys.executable, str(script)], cwd=tmp_path, capture_output=True, text=True, timeout=240)
    assert run.returncode == 0, run.stderr
    first = pradix.rgamma(2.0, 1.0, 3, engine=pradix.Engine(block_seeds(1000, 1)[0]))
    assert run.stdout.strip() == str(first)
