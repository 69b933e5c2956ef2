// Lyapunov exponents of a figure's orbit from its own step: nearby orbits a
// tiny distance away, stepped beside it, their separations renormalised after
// every step (Gram-Schmidt for more than one), the logarithms of the
// stretching averaged. The error is the standard error over ten blocks.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "render/engine/FigureOrbit.h"

namespace quillon::render {

struct Exponent {
    double value = 0;  // per step, or per unit of time for a flow
    double error = 0;
};

struct LyapunovEstimate {
    std::vector<Exponent> exponents;  // largest first
    uint64_t steps = 0;               // steps whose stretching was counted
    uint64_t stepsRun = 0;            // every step, the ones leading in and any set aside too
    bool stopped = false;             // the orbit ended or was stopped before the end
};

// Follows the orbit for the given steps (plus a short lead-in that lets the
// separations turn into their directions), with `count` nearby orbits (1 or 2).
// A flow's exponents are divided by its time step. `keepGoing` is told of
// every step of the orbit and may stop the estimate (an orbit that escapes);
// an orbit the row itself ends stops it too, after keepGoing was told.
LyapunovEstimate estimateExponents(FigureOrbit& orbit, int count, uint64_t steps,
                                   const std::function<bool(const FigureOrbit&)>& keepGoing);

inline constexpr int kExponentBlocks = 10;

}  // namespace quillon::render
