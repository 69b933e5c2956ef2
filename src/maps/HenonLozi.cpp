// Henon's quadratic map and Lozi's piecewise-linear relative.
#include <cmath>

#include "app/FigureRows.h"
#include "app/HitCounter.h"

namespace quillon {

namespace {

constexpr FigureParameter kHenonParameters[] = {
    {.field = &Orbit::a,
     .prompt = "Entre a value for (a)    {Try  1.35  to  1.45}",
     .defaultValue = 1.4,
     .randomScale = 0.1,
     .randomOffset = 1.35,
     .label = "   a = "},
    {.field = &Orbit::b,
     .prompt = "Entre a value for (b)    {Try  0.25  to  0.35}",
     .defaultValue = 0.3,
     .randomScale = 0.1,
     .randomOffset = 0.25,
     .label = "   b = "},
};

constexpr FigureParameter kLoziParameters[] = {
    {.field = &Orbit::a,
     .prompt = "Entre a value for (a)    {Try  1.6  to  1.8}",
     .defaultValue = 1.7,
     .randomScale = 0.2,
     .randomOffset = 1.6,
     .label = "   a = "},
    {.field = &Orbit::b,
     .prompt = "Entre a value for (b)    {Try  0.4  to  0.6}",
     .defaultValue = 0.5,
     .randomScale = 0.2,
     .randomOffset = 0.4,
     .label = "   b = "},
};

// Both use the old x in both lines; the new point replaces the old one only
// after it has been drawn.
void henonStep(Orbit& f, RoutineLocals&)
{
    f.xNew = (1 + f.y) - std::pow(f.x, 2) * f.a;
    f.yNew = f.b * f.x;
}

void loziStep(Orbit& f, RoutineLocals&)
{
    f.xNew = (1 + f.y) - std::fabs(f.x) * f.a;
    f.yNew = f.b * f.x;
}

constexpr CanvasMap kHenonLoziCanvas{.kx = 3000, .ky = 6000, .qx = 2, .qy = 2};

}  // namespace

// The rows, shared with the renderer.
namespace figures {

constexpr MapFigure kHenon = countedRow<kHenon>(MapFigure{
    .item = "mnuHenon",
    .menuCaption = "&Henon",

    .promptTitle = "Henon",
    .captionPrefix = "Henon   ",
    .parameters = kHenonParameters,
    .parameterCount = 2,
    .passLength = 5000,
    .step = henonStep,
    .canvas = kHenonLoziCanvas,
});

constexpr MapFigure kLozi = countedRow<kLozi>(MapFigure{
    .item = "mnuLozi",
    .menuCaption = "&Lozi",

    .promptTitle = "Lozi",
    .captionPrefix = "Lozi   ",
    .parameters = kLoziParameters,
    .parameterCount = 2,
    .passLength = 5000,
    .step = loziStep,
    .canvas = kHenonLoziCanvas,
});

}  // namespace figures



}  // namespace quillon
