"""The module's call entry gives what the binding library's dispatcher gives.

`fn(...)` goes through the module's own entry for its functions (keywords
matched in place); `type(fn).__call__(fn, ...)` goes straight to the
dispatcher.  For every call shape both must choose the same overload and
return the same values, or raise the same error with the same message.
"""
import re

import numpy as np
import pytest

import pradix


class Seeded:
    """An engine argument: a fresh Engine(seed) for each of the two entries."""

    def __init__(self, seed):
        self.seed = seed

    def __repr__(self):
        return f"Engine({self.seed})"


class Exploding:
    def __float__(self):
        raise ZeroDivisionError("no float")


UNINITIALISED = pradix.Engine.__new__(pradix.Engine)

CALLS = [
    # vectorized functions: positional, keywords, defaults, flags, mistakes
    ("dnorm", (0.3,), {}), ("dnorm", (), {"x": 0.3}), ("dnorm", (0.3,), {"sigma": 2.0}),
    ("dnorm", (), {"sigma": 2.0, "x": [0.3, 1.0], "log": True}), ("dnorm", (0.3, 0, 1, True), {}),
    ("dnorm", (0.3,), {"x": 0.3}), ("dnorm", (), {}), ("dnorm", (0.3,), {"mean": 1.0}),
    ("dnorm", (0.3, 0, 1, True, 5), {}), ("dnorm", (None,), {}), ("dnorm", (0.3,), {"log": "yes"}),
    ("dgamma", (0.3,), {"shape": 2.5, "scale": 1.0, "log": np.array([True, False])}),
    ("dgamma", (0.3,), {"shape": 2.5}), ("pbinom", (), {"x": [1, 2], "n_trials": 5, "prob": 0.5, "log_p": 1}),
    ("qbinom", (0.5,), {"n_trials": 10, "prob": 0.3}), ("qnorm", (0.5,), {"log": True}),
    ("dnorm", (np.zeros(2), np.zeros(3)), {}), ("dnorm", (Exploding(),), {}),
    ("qt", (), {"p": 0.975, "dof": 10}),
    # samplers: the three overloads, keywords, defaults converted on the second pass
    ("rnorm", (), {"engine": Seeded(1)}), ("rnorm", (5,), {"engine": Seeded(2)}),
    ("rnorm", (0.0, 1.0, 5), {"engine": Seeded(3)}), ("rnorm", (), {"size": 5, "engine": Seeded(4)}),
    ("rnorm", (), {"size": [2, 3], "engine": Seeded(5)}), ("rnorm", (), {"size": np.int64(3), "engine": Seeded(6)}),
    ("rnorm", (0.0, 1.0, Seeded(7)), {}), ("rnorm", (), {"mu": 1.0, "sigma": 2.0, "engine": Seeded(8)}),
    ("rgamma", (2.5, 1.0), {"engine": Seeded(9)}), ("rgamma", (2.5,), {"scale": 1.0, "engine": Seeded(9)}),
    ("rgamma", (2.5, 1.0, (2, 2), Seeded(10)), {}), ("rbinom", (10, 0.5), {"engine": Seeded(11), "size": 4}),
    ("rbinom", (10.0, 0.5), {"engine": Seeded(11)}), ("rbern", (), {"prob": 0.5, "size": 3.0}),
    ("rnorm", (), {"engine": None}), ("rnorm", (), {"engine": 3}), ("rnorm", (), {"engine": UNINITIALISED}),
    ("rnorm", (1.0,), {"mu": 2.0}), ("rnorm", (), {"mu": 1, "mu2": 2}), ("rnorm", (1.0, 2.0, 3, Seeded(1), 5), {}),
    ("rnorm", (), {"size": range(10**9)}), ("runif", (0.0, 1.0), {"size": -1, "engine": Seeded(12)}),
    ("rpois", (4.0,), {"size": [2**63], "engine": Seeded(13)}), ("rexp", (), {"rate": 1.0, "engine": Seeded(14)}),
    # the class
    ("Engine", (1,), {}), ("Engine", (), {"seed": 1}), ("Engine", (1.5,), {}),
]


def outcome(call):
    try:
        value = call()
    except Exception as e:  # noqa: BLE001 - the exception is the outcome compared
        return ("raised", type(e), re.sub(r" at 0x[0-9a-f]+", "", str(e)))  # engines of either run
    if isinstance(value, np.ndarray):
        return ("array", value.dtype, value.shape, value.tobytes())
    if isinstance(value, float):
        return ("float", np.float64(value).tobytes())
    return ("other", type(value))


def bind(args, kwargs):
    """The arguments with a fresh engine wherever a Seeded stands."""
    fresh = lambda v: pradix.Engine(v.seed) if isinstance(v, Seeded) else v  # noqa: E731
    return [fresh(a) for a in args], {k: fresh(v) for k, v in kwargs.items()}


@pytest.mark.parametrize("name, args, kwargs", CALLS, ids=lambda v: repr(v)[:40])
def test_entry_matches_the_dispatcher(name, args, kwargs):
    fn = getattr(pradix, name)
    a, k = bind(args, kwargs)
    fast = outcome(lambda: fn(*a, **k))
    a, k = bind(args, kwargs)
    direct = outcome(lambda: type(fn).__call__(fn, *a, **k))
    assert fast == direct
    if fast[0] == "raised" and fast[1] is TypeError and "incompatible" in fast[2]:
        assert "Invoked with:" in fast[2]


def test_every_function_has_the_entry_and_keeps_its_documentation():
    """A call through the entry of each function still reaches that function's own overloads."""
    from catalogue import ORDER, signature

    for name in ORDER:
        if name[0] in "dpq":
            fn = getattr(pradix, name)
            assert fn.__doc__.splitlines()[0] == signature(name)
            with pytest.raises(TypeError, match=rf"^{name}\(\): incompatible function arguments"):
                fn(no_such_parameter=1)


# Keywords that are not a parameter's name: a prefix of one (the empty one
# included), one extended by a character, another case, non-ASCII names.
# Each is refused by both entries with the dispatcher's TypeError, and never
# taken for the parameter it resembles.
NOT_NAMES = [
    ("dnorm", (0.3,), "lo", True), ("dnorm", (), "", 0.3), ("dnorm", (0.3,), "sigm", 2.0),
    ("dnorm", (0.3,), "logs", True), ("dnorm", (0.3,), "LOG", True), ("dnorm", (0.3,), "Mu", 1.0),
    ("dnorm", (0.3,), "lög", True), ("dnorm", (0.3,), "μ", 1.0), ("dpois", (3,), "rat", 2.0),
    ("dbinom", (3, 10), "pro", 0.5),
    ("pnorm", (0.5,), "log", True), ("pnorm", (0.5,), "log_pp", True), ("pnorm", (0.5,), "log_P", True),
    ("pgamma", (0.5, 2.0), "scal", 2.0), ("pt", (0.5,), "dofs", 3.0),
    ("qgamma", (0.5, 2.0), "sc", 2.0), ("qnorm", (), "", 0.5), ("qnorm", (0.5,), "sigmā", 2.0),
    ("qbinom", (0.5, 10), "Prob", 0.3),
    ("rnorm", (), "s", 3), ("rnorm", (), "siz", 3), ("rnorm", (), "sizes", 3), ("rnorm", (), "Size", 3),
    ("rnorm", (), "engin", Seeded(1)), ("rnorm", (), "enginé", Seeded(1)), ("rgamma", (2.0,), "scale_", 2.0),
    ("rbern", (), "", 0.5), ("rpois", (), "r", 2.0),
    ("Engine", (), "see", 1), ("Engine", (), "SEED", 1),
]


@pytest.mark.parametrize("name, args, keyword, value", NOT_NAMES, ids=lambda v: repr(v)[:20])
def test_keywords_that_are_not_names_are_refused(name, args, keyword, value):
    fn = getattr(pradix, name)
    a, k = bind(args, {keyword: value})
    fast = outcome(lambda: fn(*a, **k))
    a, k = bind(args, {keyword: value})
    direct = outcome(lambda: type(fn).__call__(fn, *a, **k))
    assert fast == direct
    assert fast[:2] == ("raised", TypeError) and "incompatible" in fast[2]
