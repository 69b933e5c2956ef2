// The part of the form state that RESET sets to zero: parameters, points,
// counters and the working values of the figures and studies.
#pragma once

#include <cstdint>

namespace quillon {

struct FigureState {
    double a = 0, b = 0, c = 0, d = 0;  // figure parameters
    double e = 0, f = 0;                // additive terms of the affine maps
    float p1 = 0, p2 = 0;               // the tree's probability thresholds
    double r = 0;
    float fx = 0;                       // Crown's piecewise-linear value
    int16_t i = 0, j = 0;               // inner counters
    double x = 0, y = 0, z = 0;         // current point
    double xNew = 0, yNew = 0;          // next point
    int16_t iter = 0;                   // step within the current pass
    int16_t colorIndex = 0;             // colour of the current pass
    double prandtl = 0, rayleigh = 0, param3 = 0;  // Lorenz parameters
    float bifStart = 0, bifStep = 0, bifR = 0;     // bifurcation sweep
    int16_t bifTick = 0;                           // set by every Timer2 tick
    float theta = 0, thetaStep = 0, spiralLength = 0;
    // 3N+1 working values
    float seqMax = 0, seqPeak = 0, seqN = 0, seqNext = 0, seqCount = 0, seqScale = 0;
    float plotN = 0, seqStart = 0, plotNext = 0, plotX = 0;
};

}  // namespace quillon
