"""Helpers for comparing kernels against high-precision references."""
import mpmath
import numpy as np

mpmath.mp.prec = 120


def reference(fn, *columns):
    """Evaluates an mpmath function element by element, rounded to doubles."""
    cols = np.broadcast_arrays(*[np.asarray(c, dtype=float) for c in columns])
    flat = [c.ravel() for c in cols]
    out = [float(fn(*[mpmath.mpf(float(c[i])) for c in flat])) for i in range(flat[0].size)]
    return np.array(out).reshape(cols[0].shape)


def rel_error(got, want):
    got = np.asarray(got, dtype=float)
    want = np.asarray(want, dtype=float)
    return np.abs(got - want) / np.maximum(np.abs(want), np.finfo(float).tiny)


def same(a, b):
    """Equal as doubles, NaN equal to NaN and the sign of zero respected."""
    a = np.asarray(a, dtype=float)
    b = np.asarray(b, dtype=float)
    return bool(np.all((a == b) & (np.signbit(a) == np.signbit(b)) | (np.isnan(a) & np.isnan(b))))
