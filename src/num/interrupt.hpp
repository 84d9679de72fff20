// Abandoning long computations on request.
//
// A few kernels can run for seconds on legal arguments (sums of millions of
// binomial masses, quantile searches, millions of Bernoulli trials), and the
// element loops over large arrays can too.  Such loops ask, every so often,
// whether their caller wants the work abandoned.  The module layer installs
// the question (a check of pending Python signals); where nothing is
// installed, as in the test kit, nothing is ever abandoned.
//
// Once the question has been answered yes, the answer sticks until the
// caller clears it: every later poll says stop at once, so a kernel that is
// told to stop, and every kernel after it in the same call, returns without
// finishing (with NaN).  The caller discards those results; a call that is
// never told to stop is unaffected, bit for bit.
#pragma once

#include <cstdint>

namespace pradix::num {

namespace interrupt {

// Installed by the module layer, once, before any kernel runs: true when
// the current call of the calling thread is to be abandoned.  Kernels run on
// several threads at once, so the question must be safe to ask from any.
inline bool (*query)() = nullptr;

// Sticky answer of the current call, one per thread (a request to stop one
// thread's call never stops another's); cleared by whoever installed
// `query`.  Initial-exec: polled in inner loops, it must cost one load.
inline thread_local bool requested __attribute__((tls_model("initial-exec"))) = false;

// Asks now (unless the answer is already yes).
inline bool check() {
    if (!requested && query != nullptr) requested = query();
    return requested;
}

}  // namespace interrupt

// A countdown for a loop: operator() is true when the loop is to stop.  It
// asks the installed question once every `every` calls, and answers yes at
// once when an earlier poll already has.
class StopPoll {
public:
    explicit StopPoll(std::uint32_t every) : every_(every), left_(every) {}

    bool operator()() {
        if (interrupt::requested) return true;
        if (--left_ != 0) return false;
        left_ = every_;
        return interrupt::check();
    }

private:
    std::uint32_t every_;
    std::uint32_t left_;
};

}  // namespace pradix::num
