#include "testkit.hpp"

PYBIND11_MODULE(_testkit, m) {
    m.doc() = "numerical kernels of pradix, for tests only";
    testkit::expose_elementary(m);
    testkit::expose_gamma(m);
    testkit::expose_special(m);
}
