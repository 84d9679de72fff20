// Sampling family and the Engine class, registered second.
#include "groups.hpp"
#include "vectorized.hpp"

namespace py = pybind11;

namespace pradix {

void register_sampling(py::module_& m) {
    using py::arg;
    (void)m;
}

}  // namespace pradix
