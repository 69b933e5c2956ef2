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
    parameter(&FigureState::a, "Entre a value for (a)    {Try  -50  to  +50}", 100, 100, -50, "  a = "),
    parameter(&FigureState::b, "Entre a value for (b)    {Try  -50  to  +50}", 0, 100, -50, "  b = "),
    parameter(&FigureState::c, "Entre a value for (c)    {Try  -50  to  +50}", -100, 100, -50, "  c = "),
};

constexpr FigureParameter kDustParameters[] = {
    {.field = &FigureState::r,
     .prompt = "Entre a value for (r)    {Try  -1.0  to  +1.0}",
     .defaultValue = 0.7,
     .randomScale = 2,
     .randomOffset = -1,
     .label = "  r = "},
};

void diamondStep(Form& f, RoutineLocals&)
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

void dustStart(Form& f, RoutineLocals&)
{
    f.pi = kDustPi;
    // The angle is formed from the Single pi and handed on as a Double.
    const double angle = static_cast<double>(2.0f * f.pi) / 3;
    f.a = std::cos(angle) * f.r;
    f.b = std::sin(angle) * f.r;
    f.x = 1;
    f.y = 0;
}

void dustStep(Form& f, RoutineLocals&)
{
    if (f.rnd().next() < 0.5f) {
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
    .promptTitle = "Diamond",
    .captionPrefix = "Diamond  ",
    .parameters = kDiamondParameters,
    .parameterCount = 3,
    .passLength = 5000,
    .step = diamondStep,
    .canvas = {.kx = 20, .ky = 20, .qx = 2, .qy = 2},
});

constexpr MapFigure kDust = countedRow<kDust>(MapFigure{
    .promptTitle = "Dust",
    .captionPrefix = "Dust  ",
    .parameters = kDustParameters,
    .parameterCount = 1,
    .passLength = 5000,
    .start = dustStart,
    .step = dustStep,
    .plotU = &FigureState::x,
    .plotV = &FigureState::y,
    .canvas = {.kx = 2000, .ky = 2000, .qx = 2.5, .qy = 2},
    .advance = stayInPlace,
});

}  // namespace figures

void Form::mnuDIA_Click() { runMapCommand(figures::kDiamond); }
void Form::Diamond() { runPasses(figures::kDiamond); }
void Form::mnuDust_Click() { runMapCommand(figures::kDust); }
void Form::Dust() { runPasses(figures::kDust); }

}  // namespace quillon
