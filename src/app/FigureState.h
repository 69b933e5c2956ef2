// The part of the form state that RESET sets to zero: the orbit of the figure
// drawn (all of it but its random sequence) and the working values of the
// studies.
#pragma once

#include <cstdint>

#include "app/Orbit.h"

namespace quillon {

struct FigureState : Orbit {
    float bifStart = 0, bifStep = 0, bifR = 0;     // bifurcation sweep
    int16_t bifTick = 0;                           // set by every Timer2 tick
    float theta = 0, thetaStep = 0, spiralLength = 0;
    // 3N+1 working values
    float seqMax = 0, seqPeak = 0, seqN = 0, seqNext = 0, seqCount = 0, seqScale = 0;
    float plotN = 0, seqStart = 0, plotNext = 0, plotX = 0;
};

}  // namespace quillon
