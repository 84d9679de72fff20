// Ctrl-C during long calls.
//
// The kernels' long loops poll num::interrupt (see num/interrupt.hpp); the
// module answers their question by running Python's pending signal handlers.
// A handler that raises (KeyboardInterrupt by default) makes the answer yes:
// the loops give up, and the call raises that exception instead of returning
// a partial result.  The interpreter lock stays held throughout.
#pragma once

#include <Python.h>

#include <pybind11/pybind11.h>

#include "../num/interrupt.hpp"

namespace pradix {

// The question installed at import: true when a signal handler raised.
inline bool python_signal_raised() { return PyErr_CheckSignals() != 0; }

// One per call that runs kernels: starts with no stop request and leaves
// none behind, whichever way the call ends.
class StopScope {
public:
    StopScope() { num::interrupt::requested = false; }
    ~StopScope() { num::interrupt::requested = false; }
    StopScope(const StopScope&) = delete;
    StopScope& operator=(const StopScope&) = delete;

    // Raises the handler's exception when the call was told to stop.
    static void raise_if_stopped() {
        if (num::interrupt::requested) throw pybind11::error_already_set();
    }
};

}  // namespace pradix
