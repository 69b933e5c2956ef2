// Martin's map, the Gumowski-Mira recurrence and the gingerbread man.
#include <cmath>

#include "app/FigureRows.h"
#include "app/HitCounter.h"

namespace quillon {

namespace {

constexpr FigureParameter kMartinParameters[] = {
    {.field = &Orbit::a,
     .prompt = "Entre a value for (a)    {Try values close to  3.14  (PI)}",
     .defaultValue = 3.141593,
     .randomScale = 0.1,
     .randomOffset = 3.1,
     .label = "   a = "},
};

// Mira's start y is a parameter; random a is always negative.
constexpr FigureParameter kMiraParameters[] = {
    {.field = &Orbit::a,
     .prompt = "Entre a value for (a)    {Try  -1.0  to  +1.0}",
     .defaultValue = 0.7,
     .randomScale = 1,
     .randomOffset = -1,
     .label = "   a = "},
    {.field = &Orbit::y,
     .prompt = "Entre a value for (y)    {Try  -25  to  +25}",
     .defaultValue = 12.1,
     .randomScale = 50,
     .randomOffset = -25,
     .label = "   y = "},
};

// The gingerbread man's start point is its parameter.
constexpr FigureParameter kGingerbreadParameters[] = {
    {.field = &Orbit::x,
     .prompt = "Entre a value for (x)    {Try  -0.99  to  -0.01}",
     .defaultValue = -0.297,
     .randomScale = 0.98,
     .randomOffset = -0.99,
     .label = "   x = "},
    {.field = &Orbit::y,
     .prompt = "Entre a value for (y)    {Try  -0.89  to  +1.99}",
     .defaultValue = -0.612,
     .randomScale = 2.88,
     .randomOffset = -0.89,
     .label = "   y = "},
};

void martinStep(Orbit& f, RoutineLocals&)
{
    f.xNew = f.y - std::sin(f.x);
    f.yNew = f.a - f.x;
}

// Mira iterates in place: z keeps the old x, the new y uses the new x.
void miraStep(Orbit& f, RoutineLocals&)
{
    f.z = f.x;
    f.x = 0.9999 * f.y + (f.a * f.x + ((2 - 2 * f.a) * f.x * f.x) / (f.x * f.x + 1));
    f.y = (f.a * f.x + (2 - 2 * f.a) * (f.x * f.x) / (f.x * f.x + 1)) - f.z;
}

void gingerbreadStep(Orbit& f, RoutineLocals&)
{
    f.xNew = (1 - f.y) + std::fabs(f.x);
    f.yNew = f.x;
}

}  // namespace

// The rows, shared with the renderer.
namespace figures {

constexpr MapFigure kMartin = countedRow<kMartin>(MapFigure{
    .item = "mnuMartin",
    .menuCaption = "&Martin",
    .slide = 3,

    .promptTitle = "Martin",
    .captionPrefix = "Martin   ",
    .parameters = kMartinParameters,
    .parameterCount = 1,
    .passLength = 10000,
    .step = martinStep,
    .canvas = {.kx = 100, .ky = 100, .qx = 2, .qy = 2},
});

constexpr MapFigure kMira = countedRow<kMira>(MapFigure{
    .item = "mnuMira",
    .menuCaption = "&Mira",
    .slide = 4,

    .promptTitle = "Mira",
    .captionPrefix = "Mira   ",
    .parameters = kMiraParameters,
    .parameterCount = 2,
    .passLength = 1000,
    .step = miraStep,
    .plotU = &Orbit::x,
    .plotV = &Orbit::y,
    .canvas = {.kx = 300, .ky = 300, .qx = 2.25, .qy = 2},
    .advance = stayInPlace,
});

constexpr MapFigure kGingerbread = countedRow<kGingerbread>(MapFigure{
    .item = "mnuGinBread",
    .menuCaption = "&GingerBread",

    .promptTitle = "Gingerbread",
    .captionPrefix = "Gingerbread   ",
    .parameters = kGingerbreadParameters,
    .parameterCount = 2,
    .passLength = 5000,
    .step = gingerbreadStep,
    .canvas = {.kx = 750, .ky = 700, .qx = 2.6, .qy = 2.6},
});

}  // namespace figures




}  // namespace quillon
