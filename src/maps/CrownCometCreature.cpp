// Crown's damped piecewise-linear map, Comet's many short orbits of an
// area-preserving quadratic map, and Creature's map seen through a fixed affine
// screen transform.
#include <cmath>

#include "app/FigureRows.h"
#include "app/HitCounter.h"
#include "runtime/Numeric.h"

namespace quillon {

namespace {

// Crown's start point is a parameter and is the first point drawn.
constexpr FigureParameter kCrownParameters[] = {
    {.field = &Orbit::a,
     .prompt = "Entre a value for (a)    {Try  0  to  0.59}",
     .defaultValue = 0.51,
     .randomScale = 0.59,
     .randomOffset = 0,
     .label = "   a = "},
    {.field = &Orbit::b,
     .prompt = "Entre a value for (b)    {Try  -1.0  to  -0.1}",
     .defaultValue = -0.49,
     .randomScale = 0.9,
     .randomOffset = -1.0,
     .label = "   b = "},
    {.field = &Orbit::x,
     .prompt = "Entre a value for (x)    {Try  -2.0  to  +10.0}",
     .defaultValue = 4,
     .randomScale = 12,
     .randomOffset = -2,
     .label = "   x = "},
    {.field = &Orbit::y,
     .prompt = "Entre a value for (y)    {Try  -1.0  to  +10.0}",
     .defaultValue = 1,
     .randomScale = 11,
     .randomOffset = -1,
     .label = "   y = "},
};

constexpr FigureParameter kCometParameters[] = {
    {.field = &Orbit::a,
     .prompt = "Entre a value for (a)    {Try  -1.0  to  +1.0}",
     .defaultValue = -0.53129,
     .randomScale = -2,  // 1 - 2 Rnd
     .randomOffset = 1,
     .label = "   a = "},
};

constexpr FigureParameter kCreatureParameters[] = {
    {.field = &Orbit::a,
     .prompt = "Entre a value for (a)    {Try  0.4  to  0.8}",
     .defaultValue = 0.76,
     .randomScale = 0.4,
     .randomOffset = 0.4,
     .label = "   a = "},
    {.field = &Orbit::b,
     .prompt = "Entre a value for (b)    {Try  0.25  to  0.30}",
     .defaultValue = 0.28,
     .randomScale = 0.05,
     .randomOffset = 0.25,
     .label = "   b = "},
};

// f(x) = a x for x > 0, else b x, stored as a Single (x = 0 uses b).
void storeCrownFunction(Orbit& f)
{
    if (const auto value = toSingle(f.x > 0 ? f.a * f.x : f.b * f.x))
        f.fx = *value;
}

void crownBeforePoint(Orbit& f, RoutineLocals&) { storeCrownFunction(f); }

// x' = 0.99995 y + f(x), y' = f(x') - x, after the current point was drawn.
void crownAfterPoint(Orbit& f)
{
    f.z = f.x;
    f.x = 0.99995 * f.y + f.fx;
    storeCrownFunction(f);
    f.y = f.fx - f.z;
}

void startCometOrbit(Orbit& f)
{
    f.x = f.rnd.next() - 0.00001;
    f.y = f.rnd.next() - 0.00001;
}

// The root is taken anew in each statement; with |a| > 1 it fails and both
// statements are abandoned, so the orbit stays at its start.
void cometStep(Orbit& f, RoutineLocals&)
{
    f.z = f.x;
    if (const auto root = checkedSqrt(1 - std::pow(f.a, 2)))
        f.x = f.x * f.a - (f.y - f.x * f.x) * *root;
    if (const auto root = checkedSqrt(1 - std::pow(f.a, 2)))
        f.y = f.z * *root + (f.y - f.z * f.z) * f.a;
}

// Exactly 10 does not end the orbit.
bool cometOrbitLeft(const Orbit& f) { return std::fabs(f.x) + std::fabs(f.y) > 10; }

void creatureStep(Orbit& f, RoutineLocals&)
{
    f.z = f.x;
    f.x = f.a * f.y - f.b * f.x * f.x + 1;
    f.y = f.z * f.x - f.z * f.y * f.y + 1;
    f.xNew = 485 - 210 * f.x;
    f.yNew = 330 - 160 * f.y;
}

}  // namespace

// The rows, shared with the renderer.
namespace figures {

constexpr MapFigure kCrown = countedRow<kCrown>(MapFigure{
    .item = "mnuCrown",
    .menuCaption = "&Crown",
    .slide = 2,

    .promptTitle = "Crown",
    .captionPrefix = "Crown   ",
    .parameters = kCrownParameters,
    .parameterCount = 4,
    .passLength = 1000,
    .step = crownBeforePoint,
    // The map's x runs up the window from 5/8 of its height, its y across.
    .plotU = &Orbit::y,
    .plotV = &Orbit::x,
    .canvas = {.kx = 2000, .ky = -2000, .qx = 2, .qy = 1.6},
    .advance = crownAfterPoint,
});

constexpr MapFigure kComet = countedRow<kComet>(MapFigure{
    .item = "mnuComet",
    .menuCaption = "&Comet",
    .slide = 1,

    .promptTitle = "Comet",
    .captionPrefix = "Comet   ",
    .parameters = kCometParameters,
    .parameterCount = 1,
    .passLength = 5,  // groups
    .orbits = {.counter = &Orbit::i, .count = 2},
    .steps = {.counter = &Orbit::j, .count = 1000},
    .orbitStart = startCometOrbit,
    .orbitEnds = cometOrbitLeft,
    .step = cometStep,
    .plotU = &Orbit::x,
    .plotV = &Orbit::y,
    .canvas = {.kx = 3000, .ky = 3000, .qx = 2.2, .qy = 2},
    .advance = stayInPlace,
});

constexpr MapFigure kCreature = countedRow<kCreature>(MapFigure{
    .item = "mnuCreature",
    .menuCaption = "&Creature",

    .promptTitle = "Creature",
    .captionPrefix = "Creature   ",
    .parameters = kCreatureParameters,
    .parameterCount = 2,
    .passLength = 1000,
    .step = creatureStep,
    .canvas = {.kx = 20, .ky = 20, .qx = 10, .qy = 10},
    .advance = stayInPlace,
});

}  // namespace figures


}  // namespace quillon
