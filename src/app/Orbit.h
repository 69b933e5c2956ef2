// What a figure's step reads and writes: its parameters, its points, its
// counters and its random sequence. The form holds one (the window's drawing);
// the renderer holds as many as it likes, and copies them freely, since an
// orbit knows nothing of windows.
#pragma once

#include <cstdint>

#include "runtime/Numeric.h"
#include "runtime/Rnd.h"

namespace quillon {

struct Orbit {
    double a = 0, b = 0, c = 0, d = 0;  // figure parameters
    double e = 0, f = 0;                // additive terms of the affine maps
    float p1 = 0, p2 = 0;               // the tree's probability thresholds
    double r = 0;
    float fx = 0;                       // Crown's piecewise-linear value
    int16_t i = 0, j = 0;               // inner counters
    // The point pairs are copied and written as one 16-byte move: aligned, such
    // a move never straddles a page or a cache line, where the next point's
    // reads of x and y would wait for the whole store to finish.
    alignas(16) double x = 0;           // current point
    double y = 0, z = 0;
    alignas(16) double xNew = 0;        // next point
    double yNew = 0;
    int16_t iter = 0;                   // step within the current pass
    int16_t colorIndex = 0;             // colour of the current pass
    int16_t lastMap = 0;                // which map of a random figure placed the point (from 1)
    double prandtl = 0, rayleigh = 0, param3 = 0;  // Lorenz parameters
    Rnd rnd;

    // Int(Rnd * 7) + 9 in Single arithmetic: one of the bright colours 9..15.
    void newPassColor() { colorIndex = static_cast<int16_t>(Int(rnd.next() * 7.0f) + 9.0f); }
};

}  // namespace quillon
