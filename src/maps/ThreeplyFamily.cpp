// The threeply map and its relatives: xNew is y corrected by a sign-weighted
// trigonometric bracket T, yNew = a - x; scale 5 around the centre.
#include <array>
#include <cmath>

#include "app/FigureRows.h"
#include "app/HitCounter.h"
#include "runtime/Numeric.h"

namespace quillon {

namespace {

constexpr std::array<FigureParameter, 3> threeplyParameters(double a, double b, double c)
{
    constexpr const char* kA = "Entre a value for (a)    {Try  -100  to  +100}";
    constexpr const char* kB = "Entre a value for (b)    {Try  -100  to  +100}";
    constexpr const char* kC = "Entre a value for (c)    {Try  -100  to  +100}";
    return {{
        parameter(&Orbit::a, kA, a, 200, -100, "   a = "),
        parameter(&Orbit::b, kB, b, 200, -100, "   b = "),
        parameter(&Orbit::c, kC, c, 200, -100, "   c = "),
    }};
}

// The brackets, in the order of the master form: the trigonometric values, the
// first product (or sum), plus c, minus the second product.
enum class Bracket { SinTimesCos, SinPlusCos, TanOfSum, SinTimesSin, AllCos };

// The bracket's terms of the parameters alone: of b, and of the sum a + b + c.
template <Bracket kind>
const RoutineLocals::ParameterTerms& parameterTerms(const Orbit& f, RoutineLocals& locals)
{
    RoutineLocals::ParameterTerms& t = locals.terms;
    if (f.a == t.a && f.b == t.b && f.c == t.c)
        return t;
    const double sum = (f.a + f.b) + f.c;
    t = {.a = f.a, .b = f.b, .c = f.c};
    switch (kind) {
    case Bracket::SinTimesCos:
    case Bracket::SinPlusCos: t.ofB = std::cos(f.b), t.ofSum = std::sin(sum); break;
    case Bracket::TanOfSum: t.ofB = std::cos(f.b), t.ofSum = std::tan(sum); break;
    case Bracket::SinTimesSin: t.ofB = std::sin(f.b), t.ofSum = std::sin(sum); break;
    case Bracket::AllCos: t.ofB = std::cos(f.b), t.ofSum = std::cos(sum); break;
    }
    return t;
}

template <Bracket kind>
double bracket(const Orbit& f, RoutineLocals& locals)
{
    const RoutineLocals::ParameterTerms& t = parameterTerms<kind>(f, locals);
    switch (kind) {
    case Bracket::SinTimesCos:
    case Bracket::TanOfSum:
    case Bracket::SinTimesSin: return std::sin(f.x) * t.ofB + f.c - t.ofSum * f.x;
    case Bracket::SinPlusCos: return std::sin(f.x) + t.ofB + f.c - t.ofSum * f.x;
    case Bracket::AllCos: return std::cos(f.x) * t.ofB + f.c - t.ofSum * f.x;
    }
    return 0;
}

// xNew = y - |T| S (or y - T S, or y + |T| S); S = Sgn(x) makes xNew = y at x = 0.
template <Bracket kind, bool absolute, int sign>
void threeplyStep(Orbit& f, RoutineLocals& locals)
{
    const double t = bracket<kind>(f, locals);
    const double term = (absolute ? std::fabs(t) : t) * Sgn(f.x);
    f.xNew = sign < 0 ? f.y - term : f.y + term;
    f.yNew = f.a - f.x;
}

constexpr auto kThreeplyParameters = threeplyParameters(83.0781, -98.0297, -33.527);
constexpr auto kTP2Parameters = threeplyParameters(85.63, -10.97, 21.11);
constexpr auto kTP4Parameters = threeplyParameters(77.85, -61.97, 59.68);
constexpr auto kTP5Parameters = threeplyParameters(65.74, -3.76, 31.89);
constexpr auto kTP6Parameters = threeplyParameters(-7.54, -7.22, 37.2);
constexpr auto kTP7Parameters = threeplyParameters(22.789, 93.2625, 36.322);
constexpr auto kTP8Parameters = threeplyParameters(43.78, 1.87, 95.75);

constexpr MapFigure threeply(const char* title, const char* prefix,
                             const std::array<FigureParameter, 3>& parameters,
                             void (*step)(Orbit&, RoutineLocals&))
{
    return MapFigure{
        .promptTitle = title,
        .captionPrefix = prefix,
        .parameters = parameters.data(),
        .parameterCount = 3,
        .passLength = 10000,
        .step = step,
        .canvas = {.kx = 5, .ky = 5, .qx = 2, .qy = 2},
    };
}

}  // namespace

// The rows, shared with the renderer.
namespace figures {

constexpr MapFigure kThreeply = countedRow<kThreeply>(onMenu("mnuThreeply", "&Threeply", 19, threeply("3Ply", "Threeply   ", kThreeplyParameters,
                                         threeplyStep<Bracket::SinTimesCos, true, -1>)));
constexpr MapFigure kTP2 = countedRow<kTP2>(onMenu("mnu3P2", "&Threeply-2", 20, threeply("3Ply2", "Threeply-2   ", kTP2Parameters,
                                    threeplyStep<Bracket::SinPlusCos, true, -1>)));
constexpr MapFigure kTP4 = countedRow<kTP4>(onMenu("mnu3P4", "&Starburst", 21, threeply("Starburst", "Starburst   ", kTP4Parameters,
                                    threeplyStep<Bracket::TanOfSum, true, -1>)));
constexpr MapFigure kTP5 = countedRow<kTP5>(onMenu("mnu3P5", "&X-Ply", 22, threeply("X-Ply", "X-Ply   ", kTP5Parameters,
                                    threeplyStep<Bracket::SinTimesCos, false, -1>)));
constexpr MapFigure kTP6 = countedRow<kTP6>(onMenu("mnu3P6", "&Threeply-3", 23, threeply("3Ply3", "Threeply-3   ", kTP6Parameters,
                                    threeplyStep<Bracket::SinTimesCos, true, +1>)));
constexpr MapFigure kTP7 = countedRow<kTP7>(onMenu("mnu3P7", "&Threeply-Sin", 24, threeply("3Ply-Sin", "Threeply-Sin   ", kTP7Parameters,
                                    threeplyStep<Bracket::SinTimesSin, false, -1>)));
constexpr MapFigure kTP8 = countedRow<kTP8>(onMenu("mnu3P8", "&Threeply-Cos", 25, threeply("3Ply-Cos", "Threeply-Cos   ", kTP8Parameters,
                                    threeplyStep<Bracket::AllCos, false, -1>)));

}  // namespace figures


}  // namespace quillon
