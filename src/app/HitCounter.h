// Where an orbit spends its time: drawing runs whose points are counted on a
// grid of pixels instead of drawn. Each row compiles its own counting run with
// its step inside, so counting goes at the speed of a bare loop over the step;
// nothing in the loop may look like a call or an atomic, or the step's fields
// go back to memory after every point.
//
// Several orbits ("lanes") run side by side, a point of each in turn: one
// orbit's step waits on the step before it, so the processor has the other
// lanes' steps to work on meanwhile.
//
// A picture coloured by what the orbit does also sums, per pixel, a value of
// every point that fell in it (whole numbers, so that sums do not depend on
// the order they are added in).
#pragma once

#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <numbers>
#include <utility>

#include "app/CanvasPoint.h"
#include "app/MapFigure.h"
#include "app/PassRunner.h"

namespace quillon {

// What a point's colour follows, besides its count.
enum class OrbitColour : int16_t {
    None,   // the count alone
    Speed,  // the distance from the point before, within a range
    Angle,  // the direction of travel from the point before
    Turn,   // how sharply the orbit turns at the point before: 0 straight on, 1 back
    Map,    // which map placed it, blended along the orbit; or which pass drew it
    Age,    // how far along its orbit
};

// A value of 0 to 1 as the whole numbers a sum adds, and a direction's parts.
inline constexpr double kValueUnit = 65535;
inline constexpr double kDirectionUnit = 32767;
// How far the map colour moves towards the colour of the map that placed a point.
inline constexpr double kMapBlend = 0.5;

// One orbit being counted: where its drawing routine stands, and how far from
// the figure's start it began (in map units, on both axes), so that many
// orbits of one figure are independent of each other; and what its colour
// remembers of the points before.
struct CountLane {
    Orbit orbit;
    PassCursor cursor;
    double nudge = 0;
    double lastU = 0, lastV = 0;    // the point before
    double lastDx = 0, lastDy = 0;  // the step to it, on the canvas
    int16_t seen = 0;               // points so far, up to 2
    double mapColour = 0.5;
    uint64_t index = 0;             // points of the orbit so far
};

// The grid counted into, and the sums of the colour when there is one.
struct HitGrid {
    uint32_t* counts = nullptr;  // row by row, stride counts a row
    size_t stride = 0;
    // The picture's pixel that counts[0] holds, and how many follow it: a
    // band of a picture holds its rows only. A point on the picture but off
    // the band goes to a spare cell after them (counts[pixels]), without a
    // branch: whether a point of an orbit falls in a band is a toss-up the
    // processor cannot foresee, while a point on the picture nearly always is.
    size_t first = 0;
    size_t pixels = 0;
    PixelMapping mapping;
    OrbitColour colour = OrbitColour::None;
    uint64_t* values = nullptr;                        // of every mode but Angle
    int64_t* cosSums = nullptr, *sinSums = nullptr;    // of Angle
    double low = 0, scale = 1;  // Speed: (distance - low) * scale
    double ageScale = 0;        // Age: index * ageScale
    int16_t mapCount = 0;       // Map: the row's
};

// The value of a point of the lane, 0 to 1, or for Angle its direction; the
// lane then remembers the point.
struct PointColour {
    double value = 0;
    double cosine = 0, sine = 0;  // 0, 0: no direction (an orbit's first point)
};

// Written so that it compiles to two min/max instructions, not branches; not
// a number gives 0.
inline double clampedUnit(double v)
{
    const double above = v > 0 ? v : 0;
    return above < 1 ? above : 1;
}

// The colour of the lane's next point under one mode, known when compiled so
// that a counting run does only its mode's work.
template <OrbitColour Mode>
__attribute__((always_inline)) inline PointColour pointColourOf(CountLane& lane, const HitGrid& grid, double u,
                                                                 double v)
{
    const double dx = (u - lane.lastU) * grid.mapping.canvas.kx;
    const double dy = (v - lane.lastV) * grid.mapping.canvas.ky;
    PointColour c;
    if constexpr (Mode == OrbitColour::Speed) {
        if (lane.seen > 0)
            // In single precision, twice as fast, and finer than the sums' unit.
            c.value = clampedUnit((std::sqrt(static_cast<float>(dx * dx + dy * dy)) - grid.low) * grid.scale);
    } else if constexpr (Mode == OrbitColour::Angle) {
        // The step's own parts over its length; up the picture is the
        // positive direction, as on a map.
        const double length = std::sqrt(dx * dx + dy * dy);
        if (lane.seen > 0 && length > 0 && length <= std::numeric_limits<double>::max()) {
            const double inverse = 1 / length;
            c.cosine = dx * inverse;
            c.sine = -dy * inverse;
        }
    } else if constexpr (Mode == OrbitColour::Turn) {
        if (lane.seen > 1)
            c.value = clampedUnit(std::fabs(std::atan2(lane.lastDx * dy - lane.lastDy * dx,
                                                       lane.lastDx * dx + lane.lastDy * dy)) /
                                  std::numbers::pi);
        lane.lastDx = dx;
        lane.lastDy = dy;
    } else if constexpr (Mode == OrbitColour::Map) {
        if (grid.mapCount > 1) {
            const double own = (lane.orbit.lastMap - 1) / static_cast<double>(grid.mapCount - 1);
            lane.mapColour += (own - lane.mapColour) * kMapBlend;
            c.value = clampedUnit(lane.mapColour);
        } else {
            c.value = clampedUnit((lane.orbit.colorIndex - 9) / 6.0);  // the pass colours 9..15
        }
    } else if constexpr (Mode == OrbitColour::Age) {
        c.value = clampedUnit(static_cast<double>(lane.index) * grid.ageScale);
        ++lane.index;
    }
    lane.lastU = u;
    lane.lastV = v;
    lane.seen = static_cast<int16_t>(lane.seen < 2 ? lane.seen + 1 : 2);
    return c;
}

// The same, for the grid's mode.
inline PointColour pointColour(CountLane& lane, const HitGrid& grid, double u, double v)
{
    switch (grid.colour) {
    case OrbitColour::None: return pointColourOf<OrbitColour::None>(lane, grid, u, v);
    case OrbitColour::Speed: return pointColourOf<OrbitColour::Speed>(lane, grid, u, v);
    case OrbitColour::Angle: return pointColourOf<OrbitColour::Angle>(lane, grid, u, v);
    case OrbitColour::Turn: return pointColourOf<OrbitColour::Turn>(lane, grid, u, v);
    case OrbitColour::Map: return pointColourOf<OrbitColour::Map>(lane, grid, u, v);
    case OrbitColour::Age: return pointColourOf<OrbitColour::Age>(lane, grid, u, v);
    }
    return {};
}

// To the nearest whole number, halves away from zero (as llround, without
// the call), for values well within an int64.
inline int64_t roundedWhole(double x)
{
    return x >= 0 ? static_cast<int64_t>(x + 0.5) : -static_cast<int64_t>(0.5 - x);
}

// Adds a point's colour to the pixel's sums. The values are below 2^17, so
// their conversion goes by way of a signed integer, which the processor does
// in one instruction.
template <OrbitColour Mode>
__attribute__((always_inline)) inline void addColourOf(const HitGrid& grid, size_t pixel, const PointColour& c)
{
    if constexpr (Mode == OrbitColour::Angle) {
        grid.cosSums[pixel] += roundedWhole(c.cosine * kDirectionUnit);
        grid.sinSums[pixel] += roundedWhole(c.sine * kDirectionUnit);
    } else {
        grid.values[pixel] += static_cast<uint64_t>(static_cast<int64_t>(c.value * kValueUnit + 0.5));
    }
}

// The most lanes one thread runs side by side. Measured on a 2-core AMD EPYC
// (Zen 5): one lane of Henon is as fast as a bare loop, two are a tenth
// faster, three and four no faster than one: past two, the lanes' state no
// longer fits the registers. (quillon-bench render)
inline constexpr int kMaxLanes = 2;

namespace detail {

// The routine's host for counting: it never halts, nothing waits at its
// entry, and it ends the routine after every point, so that the lanes take
// turns. Count: the point is counted (else only run past); Mode: the
// lane's colour follows the point.
template <bool Count, OrbitColour Mode>
struct LaneHost {
    const HitGrid& grid;
    uint32_t* counts;
    size_t stride;
    size_t first, pixels;
    const PixelMapping& mapping;
    CountLane& lane;

    static bool resetPending() { return false; }
    static bool halted() { return false; }
    static void starting(const MapFigure&) {}
    void started(Orbit& orbit) const
    {
        orbit.x += lane.nudge;
        orbit.y += lane.nudge;
    }
    __attribute__((always_inline)) bool point(double u, double v) const
    {
        PointColour colour;
        if constexpr (Mode != OrbitColour::None)
            colour = pointColourOf<Mode>(lane, grid, u, v);
        if constexpr (Count) {
            int ix, iy;
            if (mapping.locate(u, v, ix, iy)) {
                const size_t at = static_cast<size_t>(iy) * stride + static_cast<size_t>(ix) - first;
                const size_t pixel = at < pixels ? at : pixels;
                ++counts[pixel];
                if constexpr (Mode != OrbitColour::None)
                    addColourOf<Mode>(grid, pixel, colour);
            }
        }
        return false;
    }
};

// The next point of one lane.
template <const MapFigure& Row, bool Count, OrbitColour Mode>
__attribute__((always_inline)) inline void lanePoint(CountLane& lane, const HitGrid& grid, uint32_t* counts,
                                                     size_t stride, size_t first, size_t pixels,
                                                     const PixelMapping& mapping)
{
    LaneHost<Count, Mode> host{grid, counts, stride, first, pixels, mapping, lane};
    runPassesInto(Row, lane.orbit, lane.cursor, host);
}

template <const MapFigure& Row, bool Count, OrbitColour Mode, size_t... L>
__attribute__((always_inline)) inline void lanesPoint(std::array<CountLane, sizeof...(L)>& lanes,
                                                      const HitGrid& grid, uint32_t* counts, size_t stride,
                                                      size_t first, size_t pixels, const PixelMapping& mapping,
                                                      std::index_sequence<L...>)
{
    (lanePoint<Row, Count, Mode>(lanes[L], grid, counts, stride, first, pixels, mapping), ...);
}

// Flattened: everything the lanes call, the row's own statements too, is
// compiled into the loop.
template <const MapFigure& Row, size_t N, bool Count, OrbitColour Mode>
__attribute__((flatten)) void runLanes(CountLane* lanes, const HitGrid& grid, uint64_t points)
{
    // Local copies stay in registers: the counts' stores cannot reach them.
    std::array<CountLane, N> local;
    for (size_t l = 0; l < N; ++l)
        local[l] = lanes[l];
    const HitGrid localGrid = grid;
    const PixelMapping mapping = grid.mapping;
    uint32_t* const counts = grid.counts;
    const size_t stride = grid.stride;
    const size_t first = grid.first, pixels = grid.pixels;
    for (uint64_t k = 0; k < points; ++k)
        lanesPoint<Row, Count, Mode>(local, localGrid, counts, stride, first, pixels, mapping,
                                     std::make_index_sequence<N>{});
    for (size_t l = 0; l < N; ++l)
        lanes[l] = local[l];
}

template <const MapFigure& Row, OrbitColour Mode>
void countLanes(CountLane* lanes, int laneCount, const HitGrid& grid, uint64_t points, bool count)
{
    if (!count) {
        for (int l = 0; l < laneCount; ++l)
            runLanes<Row, 1, false, Mode>(lanes + l, grid, points);
        return;
    }
    static_assert(kMaxLanes == 2, "a run for every number of lanes up to kMaxLanes");
    if (laneCount == 2)
        runLanes<Row, 2, true, Mode>(lanes, grid, points);
    else
        runLanes<Row, 1, true, Mode>(lanes, grid, points);
}

}  // namespace detail

// Runs `points` more points of each of the laneCount (1 to kMaxLanes) lanes,
// counting them on the grid (and their colour, if it has one), or with count
// false only running them (to reach a place of an orbit without counting
// what came before; the colour's memory follows all the same).
template <const MapFigure& Row>
void countLanesOf(CountLane* lanes, int laneCount, const HitGrid& grid, uint64_t points, bool count)
{
    switch (grid.colour) {
    case OrbitColour::None: return detail::countLanes<Row, OrbitColour::None>(lanes, laneCount, grid, points, count);
    case OrbitColour::Speed: return detail::countLanes<Row, OrbitColour::Speed>(lanes, laneCount, grid, points, count);
    case OrbitColour::Angle: return detail::countLanes<Row, OrbitColour::Angle>(lanes, laneCount, grid, points, count);
    case OrbitColour::Turn: return detail::countLanes<Row, OrbitColour::Turn>(lanes, laneCount, grid, points, count);
    case OrbitColour::Map: return detail::countLanes<Row, OrbitColour::Map>(lanes, laneCount, grid, points, count);
    case OrbitColour::Age: return detail::countLanes<Row, OrbitColour::Age>(lanes, laneCount, grid, points, count);
    }
}

// The row with its counting run: constexpr MapFigure kRow = countedRow<kRow>(...).
template <const MapFigure& Row>
constexpr MapFigure countedRow(MapFigure row)
{
    row.countLanes = &countLanesOf<Row>;
    return row;
}

}  // namespace quillon
