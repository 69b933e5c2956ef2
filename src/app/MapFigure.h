// A map figure as a row of data: its prompts and random ranges, its caption, its
// pass length, its step and where the step's point lands on the surfaces. One
// command shape and one drawing-routine shape run every row.
#pragma once

#include <cstdint>

#include "app/FigureState.h"

namespace quillon {

class Form;
struct HitCounter;

// One parameter of a figure: the field it fills, its prompt and default, its
// random range and the caption label that shows it.
struct FigureParameter {
    double FigureState::* field = nullptr;      // a Double field ...
    float FigureState::* singleField = nullptr;  // ... or a Single one
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
constexpr FigureParameter parameter(double FigureState::* field, const char* prompt,
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
};

// A counted loop inside a pass, For counter = 1 To count, on a form-state field.
struct InnerLoop {
    int16_t FigureState::* counter = nullptr;  // null: no such loop
    int16_t count = 0;
};

struct MapFigure {
    const char* promptTitle = "";
    const char* captionPrefix = "";
    const FigureParameter* parameters = nullptr;
    int parameterCount = 0;

    // A pass runs iter from 0 while below passLength. Most figures draw one point
    // per count of iter; some run orbits of steps inside each count.
    int16_t passLength = 0;
    InnerLoop orbits;                            // Comet's orbits of a group
    InnerLoop steps;                             // the steps of an orbit (Comet, Triangles)
    void (*orbitStart)(Form&) = nullptr;         // before each orbit's steps
    bool (*orbitEnds)(const Form&) = nullptr;    // after each step: leave the orbit now

    // Once per call, after the entry test and before the first pass.
    void (*start)(Form&, RoutineLocals&) = nullptr;
    // Statements of one step before its point is drawn.
    void (*step)(Form&, RoutineLocals&) = nullptr;
    // The point drawn: the fields read as map coordinates.
    double FigureState::* plotU = &FigureState::xNew;
    double FigureState::* plotV = &FigureState::yNew;
    CanvasMap canvas;
    // Statements after the stop test; the usual one moves to the new point.
    void (*advance)(Form&) = nullptr;

    // A flow halts before its next point, not at the end of its pass.
    bool haltsBeforeEveryPoint = false;
    // A flow's reset exit zeroes x, y and z only.
    bool resetKeepsNewPoint = false;
    // A flow's time per point; a map's unit is its step (0 here).
    double timeStep = 0;

    // The row's drawing with its points counted instead of drawn, compiled with
    // the row's own step inside (see countedRow).
    void (*countHits)(Form&, HitCounter&) = nullptr;
};

// For figures whose step already stored the point it draws.
inline void stayInPlace(Form&) {}

}  // namespace quillon
