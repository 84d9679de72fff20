"""The README's Dask recipe, run as written on the local threaded scheduler:
blockwise d, p and q give the bits of the in-memory call, and blockwise
sampling with one engine per block is reproducible."""
import os
import re

import dask
import dask.array as da
import numpy as np

import pradix

README = os.path.join(os.path.dirname(os.path.dirname(os.path.abspath(__file__))), "README.md")


def recipe():
    with open(README, encoding="utf-8") as f:
        blocks = re.findall(r"```python\n(.*?)```", f.read(), re.S)
    (block,) = [b for b in blocks if "import dask" in b]
    names = {}
    exec(compile(block, README, "exec"), names)  # noqa: S102 - the README's own example
    return names


def same_bits(a, b):
    return a.dtype == b.dtype and np.array_equal(a.view(np.int64), b.view(np.int64))


def test_blockwise_functions_match_the_in_memory_call():
    names = recipe()
    with dask.config.set(scheduler="threads"):
        assert same_bits(names["density"].compute(), pradix.dnorm(names["x"].compute(), 0.5, 2.0))
        # Distribution functions and quantiles, with a second array argument,
        # on fewer points: they cost far more per point.
        u = da.linspace(0.0, 1.0, 10_000, chunks=2_500)
        shapes = da.linspace(0.5, 20.0, 10_000, chunks=2_500)
        us, ss = u.compute(), shapes.compute()
        p = da.map_blocks(pradix.pgamma, u * 20.0, shapes, 1.5, dtype=np.float64)
        assert same_bits(p.compute(), pradix.pgamma(us * 20.0, ss, 1.5))
        q = da.map_blocks(pradix.qbeta, u, 2.0, shapes, dtype=np.float64)
        assert same_bits(q.compute(), pradix.qbeta(us, 2.0, ss))


def test_blockwise_sampling_is_reproducible():
    draws = recipe()["draws"]
    with dask.config.set(scheduler="threads"):
        first = draws.compute()
        assert same_bits(draws.compute(), first)
    per_block = [pradix.rgamma(2.0, 1.0, 250_000, engine=pradix.Engine(1000 + i)) for i in range(4)]
    assert same_bits(first, np.concatenate(per_block))
