// The Engine class and the engine argument of the samplers.
//
// A Python Engine holds an EngineObject: the generator and the record of
// which thread draws from it, so that one call at a time draws and each
// call's draws are one contiguous piece of the engine's stream whatever
// other threads do.
//
// Taking an engine (EngineLock).  A call tries to take it once, with the
// interpreter lock held; that try never waits.  If another thread has it,
// the call releases the interpreter lock and only then waits for the engine,
// in slices of SIGNAL_LOOK_EVERY: between slices it asks whether to stop,
// which on the main thread takes the interpreter lock (holding no engine) to
// run signal handlers.  A handler that raises (Ctrl-C) ends the wait: the
// call raises that exception having drawn nothing.  So a thread never waits
// for an engine while it holds the interpreter lock, and never waits for the
// interpreter lock while it waits for an engine; a thread that has an engine
// may take the interpreter lock (its polls run signal handlers), which is
// safe because nobody holding the interpreter lock waits for an engine.
//
// Re-entry.  Python code can run on a thread that has an engine: a signal
// handler run by one of the call's polls.  A call made there on the same
// engine can neither wait (for itself) nor draw (into the middle of the
// running call's piece of the stream): it raises RuntimeError at once.  If
// the handler lets that error propagate, the running call stops and raises
// it, as it would for KeyboardInterrupt; if the handler catches it, the
// running call goes on with its draws contiguous.
//
// An Engine made by Engine.__new__ without __init__ has storage for the
// object but no object in it: drawing from it would read uninitialised
// memory.  The samplers therefore take an EngineArg, which accepts exactly
// what EngineObject& accepts (shown as pradix.Engine in signatures) but
// raises TypeError for an instance that was never constructed, before
// anything is drawn.  An Engine is initialised once: __init__ on an
// initialised one raises TypeError and leaves it as it was
// (refuse_second_init).
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <typeinfo>

#include <pybind11/pybind11.h>

#include "../num/interrupt.hpp"
#include "../random/draws.hpp"
#include "stop_scope.hpp"

namespace pradix {

using random::Engine;

struct EngineObject {
    // The seed sign-extended to the generator's 64-bit seed (-1 seeds with
    // 2^64 - 1).
    explicit EngineObject(std::int32_t seed) : generator(static_cast<Engine::result_type>(seed)) {}

    Engine generator;
    // The thread drawing from the generator; the default id when none is.
    std::atomic<std::thread::id> holder{};
    // Threads waiting for it, and where they wait.  `waits` is held only
    // for instants, never while waiting for anything else.
    std::atomic<int> waiting{0};
    std::mutex waits;
    std::condition_variable freed;
    // The shared default engine (named so in errors).
    bool shared_default = false;
};

struct EngineArg {
    EngineObject* object;
};

// Holds an engine for one call, inside the call's ReleaseWindow (see above).
// Throws RuntimeError when this thread already has the engine, and the
// signal handler's exception when a wait is stopped; either way with the
// interpreter lock held and nothing drawn.
class EngineLock {
public:
    EngineLock(EngineObject& engine, ReleaseWindow& window) : engine_(engine) {
        const std::thread::id me = std::this_thread::get_id();
        std::thread::id free{};
        if (engine_.holder.compare_exchange_strong(free, me)) return;
        if (free == me) throw std::runtime_error(in_use_message());
        window.release_now();
        wait(me);
    }
    ~EngineLock() {
        engine_.holder.store(std::thread::id{});
        if (engine_.waiting.load() != 0) {
            // Taking `waits` orders this release before a waiter's sleep.
            { const std::lock_guard<std::mutex> sync(engine_.waits); }
            engine_.freed.notify_one();
        }
    }
    EngineLock(const EngineLock&) = delete;
    EngineLock& operator=(const EngineLock&) = delete;

    Engine& generator() { return engine_.generator; }

private:
    // Counts this thread among the waiters while it waits.
    struct Waiting {
        explicit Waiting(std::atomic<int>& count) : count_(count) { count_.fetch_add(1); }
        ~Waiting() { count_.fetch_sub(1); }
        std::atomic<int>& count_;
    };

    // Without the interpreter lock.
    void wait(std::thread::id me) {
        const Waiting counted(engine_.waiting);
        std::unique_lock<std::mutex> sleep(engine_.waits);
        auto look = std::chrono::steady_clock::now() + SIGNAL_LOOK_EVERY;
        for (;;) {
            std::thread::id free{};
            if (engine_.holder.compare_exchange_strong(free, me)) return;
            if (engine_.freed.wait_until(sleep, look) == std::cv_status::no_timeout) continue;
            sleep.unlock();
            if (num::interrupt::check()) throw pybind11::error_already_set();  // lock held: poll's yes
            sleep.lock();
            look = std::chrono::steady_clock::now() + SIGNAL_LOOK_EVERY;
        }
    }

    std::string in_use_message() const {
        return std::string(engine_.shared_default ? "the default pradix.Engine" : "pradix.Engine") +
               " is in use by this thread: a call on this thread (the one a signal handler interrupted) is "
               "drawing from it, and another call must not draw in the middle of that call's draws; pass "
               "engine=pradix.Engine(seed) here";
    }

    EngineObject& engine_;
};

}  // namespace pradix

namespace pybind11 {
namespace detail {

template <>
class type_caster<pradix::EngineArg> {
public:
    static constexpr auto name = make_caster<pradix::EngineObject>::name;

    bool load(handle src, bool convert) {
        if (!base_.load(src, convert)) return false;
        // Loaded and not None: src is an Engine instance (or a subclass's).
        if (!src.is_none()) {
            const auto* type = get_type_info(typeid(pradix::EngineObject));
            auto* inst = reinterpret_cast<instance*>(src.ptr());
            if (!inst->get_value_and_holder(type).holder_constructed()) {
                throw type_error("pradix.Engine object was not initialised: create it as pradix.Engine(seed)");
            }
        }
        return true;
    }

    template <typename T>
    using cast_op_type = pradix::EngineArg;

    // Throws reference_cast_error for None, as EngineObject& does.
    operator pradix::EngineArg() { return {&cast_op<pradix::EngineObject&>(base_)}; }

private:
    make_caster<pradix::EngineObject> base_;
};

}  // namespace detail
}  // namespace pybind11

namespace pradix {

namespace engine_init {

// The binding library's entry of Engine.__init__.
inline PyCFunctionWithKeywords bound = nullptr;

// Engine.__init__(self, ...): TypeError when self already has its generator
// (the binding library would ignore the call and return None); otherwise
// the binding library's constructor.
extern "C" inline PyObject* init_once(PyObject* capsule, PyObject* args, PyObject* kwargs) {
    if (PyTuple_GET_SIZE(args) > 0) {
        const auto* type = pybind11::detail::get_type_info(typeid(EngineObject));
        PyObject* self = PyTuple_GET_ITEM(args, 0);
        if (PyObject_TypeCheck(self, type->type) &&
            reinterpret_cast<pybind11::detail::instance*>(self)->get_value_and_holder(type).holder_constructed()) {
            PyErr_SetString(PyExc_TypeError,
                            "pradix.Engine object is already initialised: __init__ cannot reseed it; create a new "
                            "pradix.Engine(seed) instead");
            return nullptr;
        }
    }
    return bound(capsule, args, kwargs);
}

}  // namespace engine_init

// Gives Engine.__init__ (of the class `engine_class`) the check above, on
// every path a call can take to it: the function object calls its method
// record's entry each time.
inline void refuse_second_init(const pybind11::handle engine_class) {
    PyObject* init = PyDict_GetItemString(reinterpret_cast<PyTypeObject*>(engine_class.ptr())->tp_dict, "__init__");
    if (init != nullptr && PyInstanceMethod_Check(init)) init = PyInstanceMethod_GET_FUNCTION(init);
    if (init == nullptr || !PyCFunction_Check(init)) throw std::runtime_error("Engine.__init__ is not a builtin function");
    const auto capsule = pybind11::reinterpret_borrow<pybind11::capsule>(PyCFunction_GET_SELF(init));
    auto* record = capsule.get_pointer<pybind11::detail::function_record>();
    engine_init::bound = reinterpret_cast<PyCFunctionWithKeywords>(reinterpret_cast<void (*)()>(record->def->ml_meth));
    record->def->ml_meth = reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(&engine_init::init_once));
}

}  // namespace pradix
