// The engine argument of the samplers.
//
// An Engine made by Engine.__new__ without __init__ has storage for the
// generator but no generator in it: drawing from it would read uninitialised
// memory.  The samplers therefore take an EngineArg, which accepts exactly
// what Engine& accepts (shown as pradix.Engine in signatures) but raises
// TypeError for an instance whose generator was never constructed, before
// anything is drawn.
#pragma once

#include <typeinfo>

#include <pybind11/pybind11.h>

#include "../random/draws.hpp"

namespace pradix {

using random::Engine;

struct EngineArg {
    Engine* engine;
};

}  // namespace pradix

namespace pybind11 {
namespace detail {

template <>
class type_caster<pradix::EngineArg> {
public:
    static constexpr auto name = make_caster<pradix::Engine>::name;

    bool load(handle src, bool convert) {
        if (!base_.load(src, convert)) return false;
        // Loaded and not None: src is an Engine instance (or a subclass's).
        if (!src.is_none()) {
            const auto* type = get_type_info(typeid(pradix::Engine));
            auto* inst = reinterpret_cast<instance*>(src.ptr());
            if (!inst->get_value_and_holder(type).holder_constructed()) {
                throw type_error("pradix.Engine object was not initialised: create it as pradix.Engine(seed)");
            }
        }
        return true;
    }

    template <typename T>
    using cast_op_type = pradix::EngineArg;

    // Throws reference_cast_error for None, as Engine& does.
    operator pradix::EngineArg() { return {&cast_op<pradix::Engine&>(base_)}; }

private:
    make_caster<pradix::Engine> base_;
};

}  // namespace detail
}  // namespace pybind11
