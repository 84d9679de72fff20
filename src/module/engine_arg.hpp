// The Engine class and the engine argument of the samplers.
//
// A Python Engine holds an EngineObject: the generator and a lock that lets
// one call at a time draw from it, so that each call's draws are one
// contiguous piece of the engine's stream whatever other threads do.  A call
// takes the lock only without holding the interpreter lock, or by a try that
// never waits while holding it (EngineLock): a thread that waits for an
// engine never holds the interpreter lock, so two threads can never wait for
// each other.
//
// An Engine made by Engine.__new__ without __init__ has storage for the
// object but no object in it: drawing from it would read uninitialised
// memory.  The samplers therefore take an EngineArg, which accepts exactly
// what EngineObject& accepts (shown as pradix.Engine in signatures) but
// raises TypeError for an instance that was never constructed, before
// anything is drawn.
#pragma once

#include <cstdint>
#include <mutex>
#include <typeinfo>

#include <pybind11/pybind11.h>

#include "../random/draws.hpp"
#include "stop_scope.hpp"

namespace pradix {

using random::Engine;

struct EngineObject {
    // The seed sign-extended to the generator's 64-bit seed (-1 seeds with
    // 2^64 - 1).
    explicit EngineObject(std::int32_t seed) : generator(static_cast<Engine::result_type>(seed)) {}

    Engine generator;
    std::mutex lock;
};

struct EngineArg {
    EngineObject* object;
};

// Holds an engine's lock for one call, inside the call's ReleaseWindow: taken
// at once when free; otherwise the interpreter lock is released first.
class EngineLock {
public:
    EngineLock(EngineObject& engine, ReleaseWindow& window) : engine_(engine) {
        if (!engine_.lock.try_lock()) {
            window.release_now();
            engine_.lock.lock();
        }
    }
    ~EngineLock() { engine_.lock.unlock(); }
    EngineLock(const EngineLock&) = delete;
    EngineLock& operator=(const EngineLock&) = delete;

    Engine& generator() { return engine_.generator; }

private:
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
