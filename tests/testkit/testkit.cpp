#include "testkit.hpp"

PYBIND11_MODULE(_testkit, m) {
    m.doc() = "numerical kernels and primitive draws of pradix, for tests only";
    testkit::expose_elementary(m);
    testkit::expose_log_gamma(m);
    testkit::expose_random(m);
    testkit::expose_incomplete(m);
    testkit::expose_discrete(m);
    testkit::expose_lanes(m);
    testkit::expose_loop(m);
    testkit::expose_staged(m);
    testkit::expose_costs(m);
}
