"""What each kind of argument of the d, p and q functions accepts and refuses."""
import json
import subprocess
import sys

import numpy as np
import pytest

import pradix

INT64_MAX = 2**63 - 1

# Refused wherever they stand: a cast would give them a meaning silently.
REFUSED_ANYWHERE = [
    "1.5", b"1", np.str_("1"), np.bytes_(b"1"), np.array(["1.5"]), np.array([b"1"]),
    1j, np.complex128(1.0), np.complex64(1.0), np.clongdouble(1.0), np.array([1.0 + 0j]),
    [1j], [0.5, "1"], [[0.5], [np.complex64(0.0)]],
    np.array(["1.5"], dtype=object), np.array([1.0, 1j], dtype=object), np.array([[1.0, "x"]], dtype=object),
]

# (function, arguments before the tested one, arguments after it)
POSITIONS = {
    "point": (pradix.dnorm, (), (0.0, 1.0)),
    "float parameter": (pradix.pgamma, (1.0,), (1.0,)),
    "integer point": (pradix.pbinom, (), (10, 0.5)),
    "n_trials": (pradix.qbinom, (0.5,), (0.5,)),
    "flag": (pradix.dnorm, (0.0, 0.0, 1.0), ()),
    "log_p flag": (pradix.pbinom, (3, 10, 0.5), ()),
}


def call_with(position, value):
    fn, before, after = POSITIONS[position]
    return fn(*before, value, *after)


@pytest.mark.parametrize("position", POSITIONS)
@pytest.mark.parametrize("value", REFUSED_ANYWHERE, ids=repr)
def test_text_and_complex_are_refused(position, value):
    with pytest.raises(TypeError, match="incompatible function arguments"):
        call_with(position, value)


@pytest.mark.parametrize("position", ["integer point", "n_trials"])
@pytest.mark.parametrize("value", [2**63, -(2**63) - 1, [2**63], [2**53 + 1, 2**63], [1, -(2**63) - 1],
                                   [[2**62 + 1], [2**64]], (5, 2**70), np.array([2, 2**64], dtype=object)],
                         ids=repr)
def test_integers_beyond_int64_are_refused_alone_or_in_company(position, value):
    with pytest.raises(TypeError, match="incompatible function arguments"):
        call_with(position, value)


def test_integers_in_range_keep_their_exact_value():
    # inside a list with a neighbour that is not a float, nothing goes through float64
    assert pradix.dbinom([2**53 + 1, INT64_MAX], 2**53 + 1, 1.0).tolist() == [1.0, 0.0]
    assert pradix.dbinom([-(2**63), 2**53 + 1], 2**53 + 1, 1.0).tolist() == [0.0, 1.0]


@pytest.mark.parametrize("unsigned, same_as", [
    (np.uint64(2**63), INT64_MAX), (np.uint64(2**64 - 1), INT64_MAX), (np.uint64(5), 5),
    (np.array([2**63, 2**64 - 1, 3, INT64_MAX], dtype=np.uint64), [INT64_MAX, INT64_MAX, 3, INT64_MAX]),
    (np.array([[2**63], [7]], dtype=np.uint64).T, [[INT64_MAX, 7]]),  # not contiguous
    ([np.uint64(2**63), np.uint64(2)], [INT64_MAX, 2]),
    (np.array([1, 2], dtype=np.uint32), [1, 2]),
])
def test_uint64_at_or_above_2_63_acts_as_the_largest_int64(unsigned, same_as):
    expected = pradix.pbinom(np.array(same_as, dtype=np.int64), 3, 0.5)
    got = pradix.pbinom(unsigned, 3, 0.5)
    assert np.array_equal(got, expected) and np.shape(got) == np.shape(expected)
    # the float rule treats 2^63 and beyond the same way
    assert pradix.pbinom(np.uint64(2**63), 3, 0.5) == pradix.pbinom(2.0**63, 3, 0.5) == 1.0
    assert pradix.qbinom(0.5, np.uint64(2**64 - 1), 0.0) == pradix.qbinom(0.5, INT64_MAX, 0.0)


@pytest.mark.parametrize("flag, as_bool", [
    (True, True), (False, False), (np.True_, True), (np.False_, False), (0, False), (1, True),
    (np.int64(1), True), (np.array([True, False]), [True, False]), ([0, 1], [False, True]),
    (np.array([1, 0], dtype=np.uint8), [True, False]), (2.5, True),
])
def test_flags_accept_booleans_and_integers(flag, as_bool):
    expected = pradix.dnorm(0.5, 0.0, 1.0, np.array(as_bool))
    assert np.array_equal(pradix.dnorm(0.5, 0.0, 1.0, flag), expected)
    assert np.array_equal(pradix.dnorm(0.5, log=flag), expected)


@pytest.mark.parametrize("value, same_as", [
    ([1, 2.5], [1.0, 2.5]), (np.float32(0.25), 0.25), (np.array([1, 2], dtype=np.int8), [1.0, 2.0]),
    ([True, 2], [1.0, 2.0]), ([2**70, 1], [2.0**70, 1.0]), (np.array([0.5, 3], dtype=object), [0.5, 3.0]),
    ([[0.5], [np.float16(1.5)]], [[0.5], [1.5]]),
])
def test_numbers_of_other_types_still_convert(value, same_as):
    assert np.array_equal(pradix.dnorm(value), pradix.dnorm(np.array(same_as, dtype=np.float64)))


@pytest.mark.parametrize("call, real", [
    (lambda e, c: pradix.rnorm(c, engine=e), np.float32(3.0)),
    (lambda e, c: pradix.rbinom(5, c, engine=e), np.float32(0.5)),
    (lambda e, c: pradix.rbinom(c, 0.5, engine=e), np.int8(3)),
    (lambda e, c: pradix.rgamma(2.0, 1.0, c, engine=e), np.uint8(3)),
    (lambda e, c: pradix.rgamma(2.0, 1.0, [2, c], engine=e), np.int16(3)),
])
@pytest.mark.parametrize("complex_value", [np.complex128(3.0), np.complex64(3.0), np.clongdouble(3.0), 3j])
def test_samplers_refuse_complex_parameters_and_sizes(call, real, complex_value):
    engine = pradix.Engine(3)
    with pytest.raises(TypeError, match="incompatible function arguments"):
        call(engine, complex_value)
    # nothing was drawn; the real counterpart is taken
    reference = pradix.Engine(3)
    assert np.array_equal(call(engine, real), call(reference, real))


REPORTED = r'''
import json
import subprocess
import sys

import numpy as np
import pradix
for call in ["pradix.qbinom(0.5, 10, b'1')", "pradix.dnorm(0.0, log='False')",
             "pradix.dnorm(np.complex128(1 + 2j))", "pradix.dnorm(0.0, log=np.complex64(0.0))",
             "pradix.dbinom([2**53 + 1, 2**63], 2**53, 0.5, True)",
             "pradix.pbinom([2**62 + 1, 2**63], 2**62 + 1, 0.5)"]:
    try:
        eval(call)
        print("accepted", call)
    except TypeError:
        pass
print(pradix.pbinom(np.uint64(2**63), 3, 0.5) == pradix.pbinom(2.0**63, 3, 0.5) == 1.0)
'''


def test_reported_calls_are_refused_at_once():
    """The calls of the report, one of which never returned: in a child process with a time limit."""
    done = subprocess.run([sys.executable, "-c", REPORTED], capture_output=True, text=True, timeout=60)
    assert done.returncode == 0 and done.stdout == "True\n", done.stdout + done.stderr[-2000:]


# The samplers' integers (n_trials, sizes): what operator.index takes, and
# NumPy integers and booleans as before; every float kind is refused as a
# Python float is.  The child computes each call through the module's entry
# and through the binding library's dispatcher.
INTEGERS = r'''
import json, sys, warnings
from decimal import Decimal
from fractions import Fraction
import numpy as np
import pradix

warnings.simplefilter("ignore")  # NumPy deprecates ints from one-element arrays, as before


class OnlyInt:
    def __int__(self):
        return 3


class Index:
    def __index__(self):
        return 3


POSITIONS = {"n_trials": lambda f, v, e: f(pradix.rbinom, v, 0.5, engine=e),
             "n_trials with size": lambda f, v, e: f(pradix.rbinom, v, 0.5, 4, engine=e),
             "size": lambda f, v, e: f(pradix.rnorm, size=v, engine=e),
             "extent": lambda f, v, e: f(pradix.rgamma, 2.0, 1.0, [2, v], e)}
ENTRIES = {"entry": lambda fn, *a, **k: fn(*a, **k), "dispatcher": lambda fn, *a, **k: type(fn).__call__(fn, *a, **k)}
report = {}
for value in sys.argv[1:]:
    for position, call in POSITIONS.items():
        for entry, through in ENTRIES.items():
            engine = pradix.Engine(5)
            try:
                got = ["value", np.asarray(call(through, eval(value), engine)).tolist()]
            except Exception as e:
                got = [type(e).__name__, str(e).split("Invoked with:")[0]]
            # what the engine gives next: nothing was drawn by a refused call
            report[f"{value}|{position}|{entry}"] = got + [pradix.runif(0.0, 1.0, engine=engine)]
print(json.dumps(report))
'''

FLOAT_KINDS = ["np.float32(2.9)", "np.float32(3.0)", "np.float16(2.5)", "np.longdouble(3.0)", "Fraction(7, 2)",
               "Fraction(6, 2)", "Decimal('3.5')", "Decimal(3)", "np.array(2.9)", "np.array([2.9])",
               "np.array([3.0], dtype=np.float32)", "np.array(3, dtype=object)", "OnlyInt()"]
INTEGER_KINDS = {"True": "1", "np.True_": "1", "np.int8(3)": "3", "np.uint64(3)": "3", "np.array(3)": "3",
                 "np.array([3])": "3", "Index()": "3"}


@pytest.fixture(scope="module")
def integer_calls():
    values = FLOAT_KINDS + list(INTEGER_KINDS) + ["3.0", "1", "3"]
    done = subprocess.run([sys.executable, "-c", INTEGERS, *values], capture_output=True, text=True, timeout=120)
    assert done.returncode == 0, done.stderr[-2000:]
    return json.loads(done.stdout)


@pytest.mark.parametrize("position", ["n_trials", "n_trials with size", "size", "extent"])
@pytest.mark.parametrize("value", FLOAT_KINDS + list(INTEGER_KINDS))
def test_sampler_integers_take_what_operator_index_takes(integer_calls, position, value):
    same_as = INTEGER_KINDS.get(value, "3.0")  # refused as a Python float is
    for entry in ["entry", "dispatcher"]:
        got, expected = integer_calls[f"{value}|{position}|{entry}"], integer_calls[f"{same_as}|{position}|{entry}"]
        assert got == expected
        assert got[0] == ("value" if value in INTEGER_KINDS else "TypeError")
