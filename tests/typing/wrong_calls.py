# Calls a type checker must flag: every line ending in "# wrong".
import numpy as np

import pradix

pradix.dcauchy(0.0)  # wrong
pradix.qnorm(0.5, log=True)  # wrong
pradix.dgamma(1.0, 2.0, 1.0, log_p=True)  # wrong
pradix.rbinom(10.0, 0.5)  # wrong
pradix.rbern(0.5, 3.0)  # wrong
pradix.rbern(0.5, size=[2.0, 3.0])  # wrong
pradix.rgamma([1.0, 2.0], 1.0)  # wrong
pradix.rexp(1.0, engine=None)  # wrong
pradix.Engine(seed=1)  # wrong
pradix.Engine(1.5)  # wrong
value: float = pradix.dnorm([0.0, 1.0])  # wrong
array: np.ndarray = pradix.pnorm(0.0)  # wrong
draw: float = pradix.rnorm(size=3)  # wrong
pradix.rnorm(0.0, 1.0, np.zeros(2))  # wrong
