"""Prints the 50-point Gauss-Legendre nodes and weights as C++ literals.

The nodes are the roots of the Legendre polynomial P_50, found by Newton's
method in mpmath at 60 significant digits from the Chebyshev-like guesses
cos(pi (i - 1/4) / (n + 1/2)); the weights are 2 / ((1 - x^2) P_50'(x)^2).
Each value is rounded once, from the high-precision value, to the nearest
double, and written with repr() (the shortest decimal that reads back as
that double).  The arrays are ordered by increasing magnitude of the node,
the negative node of each pair first.

Usage: python tools/gauss_legendre.py  (prints the two arrays of
src/num/gauss_legendre.hpp verbatim)
"""

import math

import mpmath

N = 50


def legendre_and_derivative(n, x):
    p0, p1 = mpmath.mpf(1), x
    for k in range(2, n + 1):
        p0, p1 = p1, ((2 * k - 1) * x * p1 - (k - 1) * p0) / k
    # P_n'(x) = n (x P_n - P_(n-1)) / (x^2 - 1)
    return p1, n * (x * p1 - p0) / (x * x - 1)


def positive_nodes_and_weights(n):
    pairs = []
    for i in range(1, n // 2 + 1):
        x = mpmath.cos(mpmath.pi * (i - mpmath.mpf(1) / 4) / (n + mpmath.mpf(1) / 2))
        for _ in range(100):
            p, dp = legendre_and_derivative(n, x)
            step = p / dp
            x -= step
            if abs(step) < mpmath.mpf(10) ** -55:
                break
        _, dp = legendre_and_derivative(n, x)
        pairs.append((x, 2 / ((1 - x * x) * dp * dp)))
    pairs.sort(key=lambda pair: pair[0])
    return pairs


def table():
    """The nodes and weights in storage order, as two lists of doubles."""
    mpmath.mp.dps = 60
    pairs = positive_nodes_and_weights(N)
    total = sum(2 * w for _, w in pairs)
    assert abs(total - 2) < mpmath.mpf(10) ** -50, total
    nodes, weights = [], []
    for x, w in pairs:
        nodes += [-float(x), float(x)]
        weights += [float(w), float(w)]
    # float(mpf) rounds to nearest; spell that out against the neighbours.
    for (x, w), i in zip(pairs, range(0, N, 2)):
        for exact, stored in ((x, nodes[i + 1]), (w, weights[i])):
            err = abs(mpmath.mpf(stored) - exact)
            for other in (math.nextafter(stored, -2.0), math.nextafter(stored, 2.0)):
                assert err <= abs(mpmath.mpf(other) - exact)
    return nodes, weights


def main():
    nodes, weights = table()
    print("inline constexpr double GL50_NODE[GL50_POINTS] = {")
    for i in range(0, N, 2):
        print("    %s, %s," % (repr(nodes[i]), repr(nodes[i + 1])))
    print("};")
    print("inline constexpr double GL50_WEIGHT[GL50_POINTS] = {")
    for i in range(0, N, 2):
        print("    %s, %s," % (repr(weights[i]), repr(weights[i + 1])))
    print("};")


if __name__ == "__main__":
    main()
