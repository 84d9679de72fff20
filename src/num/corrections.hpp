// The state the inverses' corrections share, as staged kernels
// (staged.hpp): gamma_p_inv and beta_inc_inv move an estimate x by Halley-
// type corrections towards F(x) = p, each correction weighted by the
// density w at the estimate that entered the previous one (the first two
// both use the starting value's), for a fixed number of corrections or until
// the state (x, w) repeats (cycle.hpp).  Each inverse supplies its own
// logarithms of x, its density and its correction; this holds the estimate,
// the lagging weight, the forward function F run inside the inverse's steps
// and the end of the search, written once for both.
#pragma once

#include "cycle.hpp"
#include "staged.hpp"

namespace pradix::num::detail {

template <class Forward>
struct Corrections {
    double x;       // the estimate
    double w;       // the density weight of the correction under way
    double next_w;  // the density at x, the next correction's weight
    int step;       // the correction under way, 0 while the start is weighed
    staged::Nested<Forward> forward;  // F at x
    CycleFinder cycle;

    // From the starting value.
    void start(double x0) {
        x = x0;
        step = 0;
    }

    // The density at the current estimate is known: it weighs the next
    // correction, and the first one too.
    void weighed(double density) {
        next_w = density;
        if (step == 0) {
            w = density;
            cycle.start(x, w);
            step = 1;
        }
    }

    // Moves to the corrected estimate; true when the search ends there, with
    // x the result: after the last of `steps` corrections, or once the state
    // repeats (unless all_steps), when x is already the last correction's.
    bool moved(double next, int steps, bool all_steps) {
        w = next_w;  // this correction's input, weighs the next correction
        x = next;
        if (step == steps || (!all_steps && cycle.ends(step, steps, x, w))) return true;
        ++step;
        return false;
    }
};

}  // namespace pradix::num::detail
