// Early end of fixed-count iterations whose state starts to repeat.
//
// The inverses (erfinv, gamma_p_inv, beta_inc_inv) run a fixed number of
// correction steps, each a pure function of a two-double state (estimate,
// weight).  Once the state equals, bit for bit, one it had L steps earlier,
// the iteration is periodic with period L from there on, so the state after
// the last step is already known: the one at the same phase of the cycle.
// Returning it gives exactly the result of running every step, only sooner.
// Most arguments settle into a fixed point or a short cycle after 5 to 20
// steps; the rest simply run to the end.
#pragma once

#include <cstdint>
#include <cstring>

namespace pradix::num {

namespace detail {

inline std::uint64_t bits_of(double v) {
    std::uint64_t b;
    std::memcpy(&b, &v, sizeof b);
    return b;
}

class CycleFinder {
public:
    // Records the starting state S_0.
    CycleFinder(double a, double b) { start(a, b); }
    // Unstarted, for arrays of finders (block forms); start before use.
    CycleFinder() = default;
    void start(double a, double b) { store(0, a, b); }

    // Called with S_i, the state after step i of `steps`.  If S_i repeats one
    // of the recent states, sets (a, b) to S_steps and returns true;
    // otherwise records S_i and returns false.
    bool ends(int i, int steps, double& a, double& b) {
        const std::uint64_t ka = bits_of(a);
        const std::uint64_t kb = bits_of(b);
        const int depth = i < HISTORY ? i : HISTORY;
        for (int period = 1; period <= depth; ++period) {
            const Entry& then = history_[slot(i - period)];
            if (then.a == ka && then.b == kb) {
                const int at = i - period + (steps - i) % period;  // same phase as S_steps
                const Entry& last = history_[slot(at)];
                std::memcpy(&a, &last.a, sizeof a);
                std::memcpy(&b, &last.b, sizeof b);
                return true;
            }
        }
        store(i, a, b);
        return false;
    }

private:
    static constexpr int HISTORY = 8;
    struct Entry {
        std::uint64_t a;
        std::uint64_t b;
    };

    // The entry of step i >= 0 (unsigned: the remainder is a mask).
    static unsigned slot(int i) { return static_cast<unsigned>(i) % static_cast<unsigned>(HISTORY); }
    void store(int i, double a, double b) { history_[slot(i)] = {bits_of(a), bits_of(b)}; }

    Entry history_[HISTORY];
};

}  // namespace detail

}  // namespace pradix::num
