"""The curvature clamp shared by the Halley-type inverses (erfinv,
gamma_p_inv, beta_inc_inv): values inside [0.8, 1.2] pass unchanged, the
rest go to the nearer bound, and a NaN factor gives the value its caller
names (1.2 for erfinv and gamma_p_inv, NaN for beta_inc_inv)."""
import math

import numpy as np
import pytest

import _testkit as tk

INF, NAN = math.inf, math.nan


@pytest.mark.parametrize(
    "q, if_nan, expected",
    [(1.0, NAN, 1.0), (0.8, NAN, 0.8), (1.2, NAN, 1.2), (0.8000000000000002, NAN, 0.8000000000000002),
     (0.5, NAN, 0.8), (-INF, NAN, 0.8), (3.0, NAN, 1.2), (INF, NAN, 1.2),
     (NAN, 1.2, 1.2), (NAN, NAN, NAN)],
)
def test_clamp_curvature(q, if_nan, expected):
    np.testing.assert_equal(tk.clamp_curvature(q, if_nan), expected)
