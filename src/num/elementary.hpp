// The module's own elementary functions: floor, ipow, factorial, exp, log,
// expm1, log1p, sqrt, tan, atan.  Densities, distribution functions and
// quantiles use these, never the C library's.
#pragma once

#include "common.hpp"
#include "exp_log.hpp"
#include "integer.hpp"
#include "sqrt.hpp"
#include "trig.hpp"
