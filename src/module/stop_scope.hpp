// Ctrl-C during long calls, and other threads running meanwhile.
//
// The kernels' long loops poll num::interrupt (see num/interrupt.hpp); the
// module answers their question by running Python's pending signal handlers.
// A handler that raises (KeyboardInterrupt by default) makes the answer yes:
// the loops give up, and the call raises that exception instead of returning
// a partial result.  The answer is kept per thread, so a stop request ends
// only the call that received it.
//
// The interpreter lock.  A call converts its arguments and creates its
// result with the lock held, then runs its kernel loop inside a
// ReleaseWindow.  The first poll inside the window releases the lock: polls
// come after POLL_ELEMENTS elements, DRAWS_PER_POLL draws or a long kernel's
// own steps, some microseconds of work at least, so a short call never pays
// for releasing it while a long one lets other threads run for nearly all
// of its time.  The window's end takes the lock back, before the result is
// returned or an error raised; nothing inside a window touches a Python
// object.  Only the main thread runs signal handlers: while it computes
// without the lock, its polls take the lock briefly, at most once every
// SIGNAL_LOOK_EVERY, to run them; the polls of other threads never need it.
#pragma once

#include <Python.h>

#include <chrono>

#include <pybind11/pybind11.h>

#include "../num/interrupt.hpp"

namespace pradix {

// How often a main thread computing without the interpreter lock takes it to
// run pending signal handlers: Ctrl-C is answered within this plus the wait
// for the lock while other threads run Python code (a switch interval, 5 ms
// by default, per thread ahead in the queue: hundreds of milliseconds were
// measured with eight threads in Python loops).
inline constexpr std::chrono::milliseconds SIGNAL_LOOK_EVERY{50};

// One per call that runs kernels, on the calling thread: starts with no stop
// request and leaves none behind, whichever way the call ends.
class StopScope {
public:
    StopScope() : outer_(current_) {
        num::interrupt::requested = false;
        current_ = this;
    }
    ~StopScope() {
        hold();
        num::interrupt::requested = false;
        current_ = outer_;
    }
    StopScope(const StopScope&) = delete;
    StopScope& operator=(const StopScope&) = delete;

    // The innermost scope of this thread, or null outside calls.
    static StopScope* current() { return current_; }

    // Raises the handler's exception when the call was told to stop (with
    // the interpreter lock held again).
    static void raise_if_stopped() {
        if (!num::interrupt::requested) return;
        if (current_ != nullptr) current_->hold();
        throw pybind11::error_already_set();
    }

    // Releases the interpreter lock now (if held).
    void release() {
        if (saved_ != nullptr) return;
        main_thread_ = _PyOS_IsMainThread() != 0;
        next_look_ = std::chrono::steady_clock::now() + SIGNAL_LOOK_EVERY;
        saved_ = PyEval_SaveThread();
    }

    // Takes the interpreter lock back (if released).
    void hold() {
        if (saved_ == nullptr) return;
        PyEval_RestoreThread(saved_);
        saved_ = nullptr;
    }

    // The answer to num::interrupt's question for this call.  A yes always
    // comes with the lock held.
    bool poll() {
        if (saved_ == nullptr) {
            if (PyErr_CheckSignals() != 0) return true;
            if (may_release_) release();
            return false;
        }
        if (!main_thread_ || std::chrono::steady_clock::now() < next_look_) return false;
        hold();
        if (PyErr_CheckSignals() != 0) return true;
        release();
        return false;
    }

private:
    friend class ReleaseWindow;

    inline static thread_local StopScope* current_ = nullptr;

    StopScope* outer_;
    PyThreadState* saved_ = nullptr;  // non-null while the lock is released
    bool may_release_ = false;        // inside a ReleaseWindow
    bool main_thread_ = false;        // runs signal handlers
    std::chrono::steady_clock::time_point next_look_{};
};

// While alive, the polls of the current call may release the interpreter
// lock (see above); at its end the lock is held again.  Open it after the
// result exists, so that the result is released with the lock held even when
// the loop throws.
class ReleaseWindow {
public:
    ReleaseWindow() : scope_(StopScope::current()) { scope_->may_release_ = true; }
    ~ReleaseWindow() {
        scope_->hold();
        scope_->may_release_ = false;
    }
    ReleaseWindow(const ReleaseWindow&) = delete;
    ReleaseWindow& operator=(const ReleaseWindow&) = delete;

    // Releases the lock at once, as before blocking on another lock.
    void release_now() { scope_->release(); }

private:
    StopScope* scope_;
};

// The question installed at import: true when a signal handler raised.
inline bool python_signal_raised() {
    StopScope* scope = StopScope::current();
    return scope != nullptr ? scope->poll() : PyErr_CheckSignals() != 0;
}

}  // namespace pradix
