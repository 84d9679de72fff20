# Calls a type checker must accept, with the result types it must infer.
from typing import List

import numpy as np
from numpy.typing import NDArray
from typing_extensions import assert_type

import pradix

engine = pradix.Engine(7)
assert_type(pradix.dnorm(0.0), float)
assert_type(pradix.dnorm(1, sigma=2.0, log=True), float)
assert_type(pradix.dnorm(np.float64(0.5), np.int64(0)), float)
assert_type(pradix.dnorm([0.0, 1.0]), NDArray[np.float64])
assert_type(pradix.dnorm(0.0, log=[False, True]), NDArray[np.float64])
assert_type(pradix.dbinom(3, 10, 0.5), float)
assert_type(pradix.pbinom(np.arange(5), 10, 0.5, log_p=True), NDArray[np.float64])
assert_type(pradix.qbeta(np.linspace(0, 1, 5), 2.0, 3.0), NDArray[np.float64])
assert_type(pradix.qpois(0.5, 3), float)
assert_type(pradix.rnorm(), float)
assert_type(pradix.rnorm(5), float)
assert_type(pradix.rnorm(size=5), NDArray[np.float64])
assert_type(pradix.rnorm(1.0, size=(2, 3), engine=engine), NDArray[np.float64])
assert_type(pradix.rnorm(0.0, 1.0, 5), NDArray[np.float64])
assert_type(pradix.rbinom(10, 0.5, engine=engine), float)
assert_type(pradix.rbinom(np.int64(10), 0.5, [2, 2]), NDArray[np.float64])
extents: List[int] = [3]
assert_type(pradix.runif(0.0, 1.0, extents, engine), NDArray[np.float64])
assert_type(pradix.rweibull(1.5, 2.0, size=np.int64(4)), NDArray[np.float64])
assert_type(pradix.rnorm(0.0, 1.0, np.array([2, 2])), NDArray[np.float64])
assert_type(pradix.rbinom(10, 0.5, np.arange(2, 4), engine), NDArray[np.float64])
assert_type(pradix.rgamma(2.0, 1.0, size=np.array([3], dtype=np.uint32)), NDArray[np.float64])
