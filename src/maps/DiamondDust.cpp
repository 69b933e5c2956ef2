// Diamond, a hopalong-type map built from sines, a cosine and a tangent, and
// Dust, a random choice between a scaled rotation and a fixed quadratic map.
#include <cmath>

#include "app/FigureRows.h"
#include "app/Form.h"
#include "app/HitCounter.h"
#include "runtime/Numeric.h"

namespace quillon {

namespace {

// The defaults offered for a and c lie outside the range the prompts suggest.
constexpr FigureParameter kDiamondParameters[] = {
    parameter(&Orbit::a, "Entre a value for (a)    {Try  -50  to  +50}", 100, 100, -50, "  a = "),
    parameter(&Orbit::b, "Entre a value for (b)    {Try  -50  to  +50}", 0, 100, -50, "  b = "),
    parameter(&Orbit::c, "Entre a value for (c)    {Try  -50  to  +50}", -100, 100, -50, "  c = "),
};

constexpr FigureParameter kDustParameters[] = {
    {.field = &Orbit::r,
     .prompt = "Entre a value for (r)    {Try  -1.0  to  +1.0}",
     .defaultValue = 0.7,
     .randomScale = 2,
     .randomOffset = -1,
     .label = "  r = "},
};

void diamondStep(Orbit& f, RoutineLocals&)
{
    const double cosB = std::cos(f.b);
    const double tanX = std::tan(f.x);
    const double sinSum = std::sin((f.a + f.b) + f.c);
    const double bracket = std::sin(f.x) * cosB + f.c - tanX * sinSum;
    f.xNew = f.y - Sgn(f.x) * std::sqrt(std::fabs(bracket));
    f.yNew = f.a - f.x;
}

// Dust's single-precision pi, one step above the Single nearest to pi.
constexpr float kDustPi = 3.14159298f;

// The routine keeps its pi in the form's field, which the spirals read too.
void dustWindowStart(Form& form) { form.pi = kDustPi; }

void dustStart(Orbit& f, RoutineLocals&)
{
    // The angle is formed from the Single pi and handed on as a Double.
    const double angle = static_cast<double>(2.0f * kDustPi) / 3;
    f.a = std::cos(angle) * f.r;
    f.b = std::sin(angle) * f.r;
    f.x = 1;
    f.y = 0;
}

void dustStep(Orbit& f, RoutineLocals&)
{
    const bool rotation = f.rnd.next() < 0.5f;
    f.lastMap = rotation ? 1 : 2;
    if (rotation) {
        f.z = f.x;
        f.x = f.a * f.x - f.b * f.y;
        f.y = f.b * f.z + f.a * f.y;
    } else {
        f.z = f.x;
        f.x = (f.x - 1) * 0.2 * (f.x - 1) - f.y + 1;
        f.y = 0.8 * f.z;
    }
}

}  // namespace

// The rows, shared with the renderer.
namespace figures {

constexpr MapFigure kDiamond = countedRow<kDiamond>(MapFigure{
    .item = "mnuDIA",
    .menuCaption = "&Diamond",
    .slide = 26,

    .promptTitle = "Diamond",
    .captionPrefix = "Diamond  ",
    .parameters = kDiamondParameters,
    .parameterCount = 3,
    .passLength = 5000,
    .step = diamondStep,
    .canvas = {.kx = 20, .ky = 20, .qx = 2, .qy = 2},
});

constexpr MapFigure kDust = countedRow<kDust>(MapFigure{
    .item = "mnuDust",
    .menuCaption = "&Dust",

    .promptTitle = "Dust",
    .captionPrefix = "Dust  ",
    .parameters = kDustParameters,
    .parameterCount = 1,
    .passLength = 5000,
    .windowStart = dustWindowStart,
    .start = dustStart,
    .step = dustStep,
    .plotU = &Orbit::x,
    .plotV = &Orbit::y,
    .canvas = {.kx = 2000, .ky = 2000, .qx = 2.5, .qy = 2},
    .advance = stayInPlace,
    .mapCount = 2,
});

}  // namespace figures


}  // namespace quillon
