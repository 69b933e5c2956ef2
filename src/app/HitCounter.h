// Where an orbit spends its time: a drawing run whose points are counted on a
// grid of pixels instead of drawn, ending after a given number of points. Each
// row compiles its own counting run with its step inside, so counting goes at
// the speed of a bare loop over the step; nothing in the loop may look like a
// call or an atomic, or the step's fields go back to memory after every point.
#pragma once

#include <cstdint>

#include "app/CanvasPoint.h"
#include "app/MapFigure.h"
#include "app/PassRunner.h"

namespace quillon {

struct HitCounter {
    uint32_t* counts;  // row by row, stride counts a row
    int stride;
    PixelGrid grid;
    CanvasMap canvas;
    CanvasOrigin origin;
    uint64_t remaining;  // points still to count; the run ends at 0
    // The orbit starts this far (in map units, on both axes) from the figure's
    // start, so that many orbits of one figure are independent of each other.
    double nudge = 0;

    // Counting never halts and nothing else waits: the routine runs until the
    // points are counted.
    static bool resetPending() { return false; }
    static bool halted() { return false; }
    static void starting(const MapFigure&) {}
    void started(Orbit& orbit)
    {
        orbit.x += nudge;
        orbit.y += nudge;
    }

    __attribute__((always_inline)) bool point(double u, double v)
    {
        float X, Y;
        int ix, iy;
        if (canvasPoint(u, v, canvas, origin, X, Y) && grid.locate(X, Y, ix, iy))
            ++counts[static_cast<size_t>(iy) * stride + ix];
        return --remaining != 0;
    }
};

template <const MapFigure& Row>
void countHitsOf(Orbit& orbit, HitCounter& counter)
{
    // A local copy stays in registers: the counts' stores cannot reach it.
    HitCounter local = counter;
    PassCursor cursor;
    runPassesInto(Row, orbit, cursor, local);
    counter = local;
}

// The row with its counting run: constexpr MapFigure kRow = countedRow<kRow>(...).
template <const MapFigure& Row>
constexpr MapFigure countedRow(MapFigure row)
{
    row.countHits = &countHitsOf<Row>;
    return row;
}

}  // namespace quillon
