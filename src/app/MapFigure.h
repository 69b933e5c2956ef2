// A map figure as a row of data: its prompts and random ranges, its caption, its
// pass length, its step and where the step's point lands on the surfaces. One
// command shape and one drawing-routine shape run every row.
#pragma once

#include <cmath>
#include <cstdint>

#include "app/Orbit.h"

namespace quillon {

class Form;
struct CountLane;
struct HitGrid;

// One parameter of a figure: the field it fills, its prompt and default, its
// random range and the caption label that shows it.
struct FigureParameter {
    double Orbit::* field = nullptr;      // a Double field ...
    float Orbit::* singleField = nullptr;  // ... or a Single one
    const char* prompt = "";
    double defaultValue = 0;
    // Random mode draws Rnd * randomScale + randomOffset, in double precision,
    // or Int(Rnd * randomScale) + randomOffset, a whole number, in single precision.
    double randomScale = 0;
    double randomOffset = 0;
    const char* label = "";
    bool randomWhole = false;
};

// A Double parameter, for the tables of the figure families.
constexpr FigureParameter parameter(double Orbit::* field, const char* prompt,
                                    double defaultValue, double randomScale, double randomOffset,
                                    const char* label)
{
    return {.field = field,
            .prompt = prompt,
            .defaultValue = defaultValue,
            .randomScale = randomScale,
            .randomOffset = randomOffset,
            .label = label};
}

// Where a point goes: X = u * kx + ScaleWidth / qx, Y = v * ky + ScaleHeight / qy.
// A whole-number divisor divides the Single extent in single precision.
struct CanvasMap {
    double kx = 1, ky = 1;
    double qx = 2, qy = 2;
};

// Values a drawing routine keeps to itself for one call (not form state).
struct RoutineLocals {
    float w = 1;  // Eqn 4's Single
    // The threeply brackets' terms of the parameters alone, and the parameters
    // they were computed for: the same values give the same terms, and a
    // command run inside the drawing may change the parameters at any point.
    struct ParameterTerms {
        double a = std::nan(""), b = 0, c = 0;
        double ofB = 0, ofSum = 0;
    } terms;
};

// A counted loop inside a pass, For counter = 1 To count, on a form-state field.
struct InnerLoop {
    int16_t Orbit::* counter = nullptr;  // null: no such loop
    int16_t count = 0;
};

// Everything there is of a map figure: its menu item, its place in the slide
// show, its parameters and caption, and its drawing routine. The menus, the
// command keys, the slide show and the renderer all point at the row.
struct MapFigure {
    const char* item = "";         // the menu item's name, the figure's key: "mnuHenon"
    const char* menuCaption = "";  // with the access-key marker: "&Henon"
    int16_t slide = 0;             // the slide show's pick that draws it (1..28); 0: not in the show

    const char* promptTitle = "";
    const char* captionPrefix = "";
    const FigureParameter* parameters = nullptr;
    int parameterCount = 0;

    // A pass runs iter from 0 while below passLength. Most figures draw one point
    // per count of iter; some run orbits of steps inside each count.
    int16_t passLength = 0;
    InnerLoop orbits;                             // Comet's orbits of a group
    InnerLoop steps;                              // the steps of an orbit (Comet, Triangles)
    void (*orbitStart)(Orbit&) = nullptr;         // before each orbit's steps
    bool (*orbitEnds)(const Orbit&) = nullptr;    // after each step: leave the orbit now

    // Once per call, after the entry test and before the first pass: first what
    // the window's state gets (only where there is a window), then the orbit's.
    void (*windowStart)(Form&) = nullptr;
    void (*start)(Orbit&, RoutineLocals&) = nullptr;
    // Statements of one step before its point is drawn.
    void (*step)(Orbit&, RoutineLocals&) = nullptr;
    // The point drawn: the fields read as map coordinates.
    double Orbit::* plotU = &Orbit::xNew;
    double Orbit::* plotV = &Orbit::yNew;
    CanvasMap canvas;
    // Statements after the stop test; the usual one moves to the new point.
    void (*advance)(Orbit&) = nullptr;

    // A flow halts before its next point, not at the end of its pass.
    bool haltsBeforeEveryPoint = false;
    // A flow's reset exit zeroes x, y and z only.
    bool resetKeepsNewPoint = false;
    // A flow's time per point; a map's unit is its step (0 here).
    double timeStep = 0;
    // A figure of random choices among maps: how many (its step tells which in
    // lastMap); 0 for the others.
    int16_t mapCount = 0;

    // The row's drawing with its points counted instead of drawn, compiled with
    // the row's own step inside, for several orbits side by side (see countedRow).
    void (*countLanes)(CountLane* lanes, int laneCount, const HitGrid& grid, uint64_t points, bool count) = nullptr;
};

// A row of a figure family with its menu item, which the family's shape
// leaves to each member.
constexpr MapFigure onMenu(const char* item, const char* menuCaption, int16_t slide, MapFigure row)
{
    row.item = item;
    row.menuCaption = menuCaption;
    row.slide = slide;
    return row;
}

// For figures whose step already stored the point it draws.
inline void stayInPlace(Orbit&) {}

}  // namespace quillon
