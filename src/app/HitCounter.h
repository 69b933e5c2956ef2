// Where an orbit spends its time: drawing runs whose points are counted on a
// grid of pixels instead of drawn. Each row compiles its own counting run with
// its step inside, so counting goes at the speed of a bare loop over the step;
// nothing in the loop may look like a call or an atomic, or the step's fields
// go back to memory after every point.
//
// Several orbits ("lanes") run side by side, a point of each in turn: one
// orbit's step waits on the step before it, so the processor has the other
// lanes' steps to work on meanwhile.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <utility>

#include "app/CanvasPoint.h"
#include "app/MapFigure.h"
#include "app/PassRunner.h"

namespace quillon {

// One orbit being counted: where its drawing routine stands, and how far from
// the figure's start it began (in map units, on both axes), so that many
// orbits of one figure are independent of each other.
struct CountLane {
    Orbit orbit;
    PassCursor cursor;
    double nudge = 0;
};

// The grid counted into.
struct HitGrid {
    uint32_t* counts = nullptr;  // row by row, stride counts a row
    size_t stride = 0;
    PixelMapping mapping;
};

// The most lanes one thread runs side by side. Measured on a 2-core AMD EPYC
// (Zen 5): one lane of Henon is as fast as a bare loop, two are a tenth
// faster, three and four no faster than one: past two, the lanes' state no
// longer fits the registers. (quillon-bench render)
inline constexpr int kMaxLanes = 2;

namespace detail {

// The routine's host for counting: it never halts, nothing waits at its
// entry, and it ends the routine after every point, so that the lanes take
// turns.
template <bool Count>
struct LaneHost {
    uint32_t* counts;
    size_t stride;
    const PixelMapping& mapping;
    double nudge;

    static bool resetPending() { return false; }
    static bool halted() { return false; }
    static void starting(const MapFigure&) {}
    void started(Orbit& orbit) const
    {
        orbit.x += nudge;
        orbit.y += nudge;
    }
    __attribute__((always_inline)) bool point(double u, double v) const
    {
        if constexpr (Count) {
            int ix, iy;
            if (mapping.locate(u, v, ix, iy))
                ++counts[static_cast<size_t>(iy) * stride + static_cast<size_t>(ix)];
        }
        return false;
    }
};

// The next point of one lane.
template <const MapFigure& Row, bool Count>
__attribute__((always_inline)) inline void lanePoint(CountLane& lane, uint32_t* counts, size_t stride,
                                                     const PixelMapping& mapping)
{
    LaneHost<Count> host{counts, stride, mapping, lane.nudge};
    runPassesInto(Row, lane.orbit, lane.cursor, host);
}

template <const MapFigure& Row, bool Count, size_t... L>
__attribute__((always_inline)) inline void lanesPoint(std::array<CountLane, sizeof...(L)>& lanes, uint32_t* counts,
                                                      size_t stride, const PixelMapping& mapping,
                                                      std::index_sequence<L...>)
{
    (lanePoint<Row, Count>(lanes[L], counts, stride, mapping), ...);
}

// Flattened: everything the lanes call, the row's own statements too, is
// compiled into the loop.
template <const MapFigure& Row, size_t N, bool Count>
__attribute__((flatten)) void runLanes(CountLane* lanes, const HitGrid& grid, uint64_t points)
{
    // Local copies stay in registers: the counts' stores cannot reach them.
    std::array<CountLane, N> local;
    for (size_t l = 0; l < N; ++l)
        local[l] = lanes[l];
    const PixelMapping mapping = grid.mapping;
    uint32_t* const counts = grid.counts;
    const size_t stride = grid.stride;
    for (uint64_t k = 0; k < points; ++k)
        lanesPoint<Row, Count>(local, counts, stride, mapping, std::make_index_sequence<N>{});
    for (size_t l = 0; l < N; ++l)
        lanes[l] = local[l];
}

}  // namespace detail

// Runs `points` more points of each of the laneCount (1 to kMaxLanes) lanes,
// counting them on the grid, or with count false only running them (to reach
// a place of an orbit without counting what came before).
template <const MapFigure& Row>
void countLanesOf(CountLane* lanes, int laneCount, const HitGrid& grid, uint64_t points, bool count)
{
    if (!count) {
        for (int l = 0; l < laneCount; ++l)
            detail::runLanes<Row, 1, false>(lanes + l, grid, points);
        return;
    }
    static_assert(kMaxLanes == 2, "a run for every number of lanes up to kMaxLanes");
    if (laneCount == 2)
        detail::runLanes<Row, 2, true>(lanes, grid, points);
    else
        detail::runLanes<Row, 1, true>(lanes, grid, points);
}

// The row with its counting run: constexpr MapFigure kRow = countedRow<kRow>(...).
template <const MapFigure& Row>
constexpr MapFigure countedRow(MapFigure row)
{
    row.countLanes = &countLanesOf<Row>;
    return row;
}

}  // namespace quillon
