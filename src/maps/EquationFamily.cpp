// Eqn 1 to 5, 8, 8A and 8B: eight maps sharing four parameters and one set of
// ranges, drawn from the current point in passes of 10000.
#include <array>
#include <cmath>

#include "app/FigureRows.h"
#include "app/HitCounter.h"
#include "runtime/Numeric.h"

namespace quillon {

namespace {

constexpr std::array<FigureParameter, 4> equationParameters(double a, double b, double c, double d)
{
    return {{
        parameter(&Orbit::a, "Entre a value for (a)    {Try  -5.0  to  +5.0}", a, 10, -5, "  a = "),
        parameter(&Orbit::b, "Entre a value for (b)    {Try  -2.5  to  +2.5}", b, 5, -2.5, "  b = "),
        parameter(&Orbit::c, "Entre a value for (c)    {Try  -1.0  to  +1.0}", c, 2, -1, "  c = "),
        parameter(&Orbit::d, "Entre a value for (d)    {Try  -0.5  to  +0.5}", d, 1, -0.5, "  d = "),
    }};
}

void e1Step(Orbit& f, RoutineLocals&)
{
    if (f.x > 0)
        f.xNew = f.b * f.x * (f.d - 0.5) + f.y;
    else
        f.xNew = (-f.d + f.y) - ((1 + f.d) - f.x * f.d) * f.b;
    f.yNew = f.a - f.x;
}

void e2Step(Orbit& f, RoutineLocals&)
{
    f.xNew = f.x > 0 ? f.y - f.x * f.b : (f.y - f.b) - f.x * f.c;
    f.yNew = f.a - f.x;
}

void e3Step(Orbit& f, RoutineLocals&)
{
    f.xNew = f.x > 0 ? f.y - f.x * f.b : f.y - f.b;
    f.yNew = f.a - f.x;
}

// w is the routine's own Single: 1 at every call, carried from step to step.
void e4Step(Orbit& f, RoutineLocals& locals)
{
    f.xNew = locals.w + f.y;
    const double w = f.d * f.xNew + ((1 - f.d) * (2 * f.xNew * f.xNew)) / (f.xNew * f.xNew + 1);
    if (const auto single = toSingle(w))
        locals.w = *single;
    f.yNew = locals.w - f.x;
}

void e4Start(Orbit&, RoutineLocals& locals) { locals.w = 1; }

void e5Step(Orbit& f, RoutineLocals&)
{
    f.xNew = (f.y - (std::fabs(f.x) + f.b * f.x) * f.b) - f.d;
    f.yNew = f.a - f.x;
}

inline double e8Root(const Orbit& f) { return std::sqrt(std::fabs(f.d * f.y - f.b)); }

void e8Step(Orbit& f, RoutineLocals&)
{
    f.xNew = f.a - f.y;
    f.yNew = f.x + Sgn(f.y) * e8Root(f);
}

void e8AStep(Orbit& f, RoutineLocals&)
{
    f.xNew = f.a - f.y;
    f.yNew = f.x - Sgn(f.y) * e8Root(f);
}

// A zero root divides by zero; the orbit goes on from the non-finite value.
void e8BStep(Orbit& f, RoutineLocals&)
{
    f.xNew = f.a - f.y;
    f.yNew = f.x + Sgn(f.y) / e8Root(f);
}

constexpr auto kE1Parameters = equationParameters(0.2238, -0.9992, -0.8697, -0.3373);
constexpr auto kE2Parameters = equationParameters(1.14, -0.4, -0.96, 0.35);
constexpr auto kE3Parameters = equationParameters(-3.8117, -0.6155, -0.7767, 6.7932);
constexpr auto kE4Parameters = equationParameters(1.7115, -1.4485, -0.4692, 0.2699);
constexpr auto kE5Parameters = equationParameters(-3.41, 0.65, -0.55, 0.102);
constexpr auto kE8Parameters = equationParameters(2.42, -1.36, -0.2, -0.31);
constexpr auto kE8AParameters = equationParameters(2.24, -1.57, -0.238, 0.489);
constexpr auto kE8BParameters = equationParameters(0.915, 1.538, 4.574, -0.0258);

constexpr MapFigure equation(const char* title, const char* prefix,
                             const std::array<FigureParameter, 4>& parameters,
                             void (*step)(Orbit&, RoutineLocals&), double scale, double divisor,
                             void (*start)(Orbit&, RoutineLocals&) = nullptr)
{
    return MapFigure{
        .promptTitle = title,
        .captionPrefix = prefix,
        .parameters = parameters.data(),
        .parameterCount = 4,
        .passLength = 10000,
        .start = start,
        .step = step,
        .canvas = {.kx = scale, .ky = scale, .qx = divisor, .qy = 2},
    };
}

}  // namespace

// The rows, shared with the renderer.
namespace figures {

constexpr MapFigure kE1 = countedRow<kE1>(onMenu("mnuE1", "&Eqn 1", 6, equation("Equation 1", "Eqn(1)  ", kE1Parameters, e1Step, 200, 2)));
constexpr MapFigure kE2 = countedRow<kE2>(onMenu("mnuE2", "&Eqn 2", 7, equation("Equation 2", "Eqn(2)  ", kE2Parameters, e2Step, 500, 2)));
constexpr MapFigure kE3 = countedRow<kE3>(onMenu("mnuE3", "&Eqn 3", 8, equation("Equation 3", "Eqn(3)  ", kE3Parameters, e3Step, 500, 2)));
constexpr MapFigure kE4 = countedRow<kE4>(onMenu("mnuE4", "&Eqn 4", 9, equation("Equation 4", "Eqn(4)  ", kE4Parameters, e4Step, 500, 2, e4Start)));
constexpr MapFigure kE5 = countedRow<kE5>(onMenu("mnuE5", "&Eqn 5", 10, equation("Equation 5", "Eqn(5)  ", kE5Parameters, e5Step, 500, 2)));
constexpr MapFigure kE8 = countedRow<kE8>(onMenu("mnuE8", "&Eqn 8", 11, equation("Equation 8", "Eqn(8)  ", kE8Parameters, e8Step, 500, 2.1)));
constexpr MapFigure kE8A = countedRow<kE8A>(onMenu("mnuE8A", "&Eqn 8A", 12, equation("Equation 8A", "Eqn(8A)  ", kE8AParameters, e8AStep, 500, 2.1)));
constexpr MapFigure kE8B = countedRow<kE8B>(onMenu("mnuE8B", "&Eqn 8B", 13, equation("Equation 8B", "Eqn(8B)  ", kE8BParameters, e8BStep, 500, 2.1)));

}  // namespace figures


}  // namespace quillon
