// The Lorenz flow integrated by forward Euler steps and drawn point by point in
// three projections. Every run starts from the same point; a halt takes effect
// before the next point.
#include "app/FigureRows.h"
#include "app/Form.h"
#include "app/HitCounter.h"

namespace quillon {

namespace {

constexpr FigureParameter kLorenzParameters[] = {
    {.field = &Orbit::prandtl,
     .prompt = "Entre a value for Prandtl number?\r\n{5 - 34}",
     .defaultValue = 10,
     .randomScale = 29,
     .randomOffset = 5,
     .label = "Prandtl= ",
     .randomWhole = true},
    {.field = &Orbit::rayleigh,
     .prompt = "Entre a value for Rayleigh number?\r\n{19 - 80, }",
     .defaultValue = 28,
     .randomScale = 61,
     .randomOffset = 19,
     .label = "  Rayleigh= ",
     .randomWhole = true},
    {.field = &Orbit::param3,
     .prompt = "Entre a value for (3rd parameter)?\r\n{0.7 - 5.0}",
     .defaultValue = 2.667,
     .randomScale = 4.3,
     .randomOffset = 0.7,
     .label = "  3rd parameter= "},
};

constexpr double kStart = 3.141593;
constexpr double kTimeStep = 0.0004;

// Every run starts on clear surfaces.
void clearWindow(Form& form) { form.clearSurfaces(); }

void lorenzStart(Orbit& f, RoutineLocals&)
{
    f.x = kStart;
    f.y = kStart;
    f.z = kStart;
}

// Each line uses the values the lines before it have just updated.
void eulerStep(Orbit& f)
{
    f.x = ((f.y - f.x) * f.prandtl) * kTimeStep + f.x;
    f.y = (((f.rayleigh * f.x) - f.y) - f.x * f.z) * kTimeStep + f.y;
    f.z = ((f.x * f.y) - f.param3 * f.z) * kTimeStep + f.z;
}

constexpr MapFigure lorenz(const char* prefix, double Orbit::* across,
                           double Orbit::* down, double ky, double qy)
{
    return MapFigure{
        .promptTitle = "Lorenz Orbits",
        .captionPrefix = prefix,
        .parameters = kLorenzParameters,
        .parameterCount = 3,
        .passLength = 10001,
        .windowStart = clearWindow,
        .start = lorenzStart,
        .plotU = across,
        .plotV = down,
        .canvas = {.kx = 300, .ky = ky, .qx = 2, .qy = qy},
        .advance = eulerStep,
        .haltsBeforeEveryPoint = true,
        .resetKeepsNewPoint = true,
        .timeStep = kTimeStep,
    };
}

// XY around the centre; XZ and YZ with z measured up from the bottom edge.
}  // namespace

// The rows, shared with the renderer.
namespace figures {

constexpr MapFigure kLorenzXY = countedRow<kLorenzXY>(onMenu("mnuLOR", "&Lorenz Orbits (XY)", 5, lorenz("LORENZ  ORBITS (XY)    ", &Orbit::x, &Orbit::y, 150, 2)));
constexpr MapFigure kLorenzXZ = countedRow<kLorenzXZ>(onMenu("mnuLOR2", "&Lorenz Orbits (XZ)", 27, lorenz("LORENZ  ORBITS (XZ)    ", &Orbit::x, &Orbit::z, -150, 1)));
constexpr MapFigure kLorenzYZ = countedRow<kLorenzYZ>(onMenu("mnuLOR3", "&Lorenz Orbits (YZ)", 28, lorenz("LORENZ  ORBITS (YZ)    ", &Orbit::y, &Orbit::z, -150, 1)));

}  // namespace figures


}  // namespace quillon
