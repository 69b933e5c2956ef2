// The hopalong map and its relatives: xNew from y and a root of |b x -/+ c|,
// yNew = a - x, from the current point in passes of 10000.
#include <array>
#include <cmath>

#include "app/FigureRows.h"
#include "app/HitCounter.h"
#include "runtime/Numeric.h"

namespace quillon {

namespace {

constexpr std::array<FigureParameter, 3> hopalongParameters(double a, double b, double c)
{
    return {{
        parameter(&Orbit::a, "Entre a value for (a)    {Try  -1.0  to  +1.0}", a, 2, -1, "   a = "),
        parameter(&Orbit::b, "Entre a value for (b)    {Try  -1.0  to  +1.0}", b, 2, -1, "   b = "),
        parameter(&Orbit::c, "Entre a value for (c)    {Try  -1.0  to  +1.0}", c, 2, -1, "   c = "),
    }};
}

// The root is always of an absolute value, so it cannot fail.
inline double rootOf(const Orbit& f, double cTerm) { return std::sqrt(std::fabs(f.b * f.x - cTerm)); }

void hop1Step(Orbit& f, RoutineLocals&)
{
    f.xNew = f.y - (Sgn(f.x) + rootOf(f, f.c));
    f.yNew = f.a - f.x;
}

void hop2Step(Orbit& f, RoutineLocals&)
{
    // x = 0 takes the second branch.
    f.xNew = f.x < 0 ? f.y - rootOf(f, f.c) : f.y + std::sqrt(std::fabs(f.b * f.x + f.c));
    f.yNew = f.a - f.x;
}

void hop3Step(Orbit& f, RoutineLocals&)
{
    f.xNew = f.y - Sgn(f.x) * rootOf(f, f.c);
    f.yNew = f.a - f.x;
}

void hop5Step(Orbit& f, RoutineLocals&)
{
    f.xNew = f.y - (Sgn(f.x) - rootOf(f, f.c));
    f.yNew = f.a - f.x;
}

// A zero root divides by zero: xNew becomes infinite (or not a number when x is
// 0 too) and the orbit goes on from there.
void hop4Step(Orbit& f, RoutineLocals&)
{
    f.xNew = f.y - Sgn(f.x) / rootOf(f, f.c);
    f.yNew = f.a - f.x;
}

constexpr auto kHop1Parameters = hopalongParameters(0.724, -0.565, -0.117);
constexpr auto kHop2Parameters = hopalongParameters(-0.354, 0.192, 0.918);
constexpr auto kHop3Parameters = hopalongParameters(0.209, -0.977, 0.617);
constexpr auto kHop5Parameters = hopalongParameters(0.427, -0.912, 0.639);
constexpr auto kHop4Parameters = hopalongParameters(0.845, 0.976, 0.3);

constexpr MapFigure hopalong(const char* title, const char* prefix,
                             const std::array<FigureParameter, 3>& parameters,
                             void (*step)(Orbit&, RoutineLocals&), double scale)
{
    return MapFigure{
        .promptTitle = title,
        .captionPrefix = prefix,
        .parameters = parameters.data(),
        .parameterCount = 3,
        .passLength = 10000,
        .step = step,
        .canvas = {.kx = scale, .ky = scale, .qx = 2, .qy = 2},
    };
}

}  // namespace

// The rows, shared with the renderer.
namespace figures {

constexpr MapFigure kHop1 = countedRow<kHop1>(onMenu("mnuHop1", "&Hopalong", 14, hopalong("Hopalong-1", "Hopalong(1)   ", kHop1Parameters, hop1Step, 200)));
constexpr MapFigure kHop2 = countedRow<kHop2>(onMenu("mnuHop2", "&Hopalong-2", 15, hopalong("Hopalong-2", "Hopalong(2)   ", kHop2Parameters, hop2Step, 500)));
constexpr MapFigure kHop3 = countedRow<kHop3>(onMenu("mnuHop3", "&Hopalong-3", 16, hopalong("Hopalong-3", "Hopalong(3)   ", kHop3Parameters, hop3Step, 200)));
constexpr MapFigure kHop5 = countedRow<kHop5>(onMenu("mnuHop5", "&Hopalong-4", 18, hopalong("Hopalong-4", "Hopalong(4)   ", kHop5Parameters, hop5Step, 200)));
constexpr MapFigure kHop4 = countedRow<kHop4>(onMenu("mnuHop4", "&Tetras", 17, hopalong("Tetras", "Tetras   ", kHop4Parameters, hop4Step, 200)));

}  // namespace figures


}  // namespace quillon
