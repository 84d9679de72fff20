"""Draws that are NaN although their parameters pass the samplers' checks:
they consume engine output as a valid draw does (the README lists them),
unlike invalid parameters, which consume nothing."""
import math

import pytest

import pradix

INF = math.inf


def advanced(draw):
    """(the draws' results, whether they consumed engine output)."""
    engine, fresh = pradix.Engine(5), pradix.Engine(5)
    values = [draw(engine) for _ in range(16)]
    return values, pradix.runif(0.0, 1.0, engine=engine) != pradix.runif(0.0, 1.0, engine=fresh)


@pytest.mark.parametrize("name, params", [
    ("rcauchy", (0.0, INF)), ("rlaplace", (0.0, INF)), ("rlogis", (1.0, INF)), ("rpois", (1e308,)),
    ("rt", (INF,)), ("rf", (INF, 5.0)), ("rf", (5.0, INF)), ("rbeta", (INF, 2.0)), ("rbeta", (0.0, 0.0)),
    ("rgamma", (0.0, INF)), ("rinvgamma", (0.0, 0.0)),
])
def test_nan_after_drawing(name, params):
    values, consumed = advanced(lambda e: getattr(pradix, name)(*params, engine=e))
    assert all(math.isnan(v) for v in values) and consumed


@pytest.mark.parametrize("name, mu", [("rnorm", INF), ("rnorm", -INF), ("rlnorm", INF), ("rlnorm", -INF)])
def test_infinite_location_and_scale_are_nan_when_the_normal_has_the_other_sign(name, mu):
    values, consumed = advanced(lambda e: getattr(pradix, name)(mu, INF, engine=e))
    assert consumed and 0 < sum(math.isnan(v) for v in values) < len(values)


@pytest.mark.parametrize("name, params", [("rbeta", (INF, INF)), ("rf", (INF, INF)), ("rinvgamma", (1.0, INF))])
def test_nan_from_parts_that_draw_nothing_consumes_nothing(name, params):
    values, consumed = advanced(lambda e: getattr(pradix, name)(*params, engine=e))
    assert all(math.isnan(v) for v in values) and not consumed
