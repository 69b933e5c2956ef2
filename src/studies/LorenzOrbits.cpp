// The Lorenz flow integrated by forward Euler steps and drawn point by point in
// three projections. Every run starts from the same point; a halt takes effect
// before the next point.
#include "app/FigureRows.h"
#include "app/Form.h"
#include "app/HitCounter.h"

namespace quillon {

namespace {

constexpr FigureParameter kLorenzParameters[] = {
    {.field = &FigureState::prandtl,
     .prompt = "Entre a value for Prandtl number?\r\n{5 - 34}",
     .defaultValue = 10,
     .randomScale = 29,
     .randomOffset = 5,
     .label = "Prandtl= ",
     .randomWhole = true},
    {.field = &FigureState::rayleigh,
     .prompt = "Entre a value for Rayleigh number?\r\n{19 - 80, }",
     .defaultValue = 28,
     .randomScale = 61,
     .randomOffset = 19,
     .label = "  Rayleigh= ",
     .randomWhole = true},
    {.field = &FigureState::param3,
     .prompt = "Entre a value for (3rd parameter)?\r\n{0.7 - 5.0}",
     .defaultValue = 2.667,
     .randomScale = 4.3,
     .randomOffset = 0.7,
     .label = "  3rd parameter= "},
};

constexpr double kStart = 3.141593;
constexpr double kTimeStep = 0.0004;

void lorenzStart(Form& f, RoutineLocals&)
{
    f.clearSurfaces();
    f.x = kStart;
    f.y = kStart;
    f.z = kStart;
}

// Each line uses the values the lines before it have just updated.
void eulerStep(Form& f)
{
    f.x = ((f.y - f.x) * f.prandtl) * kTimeStep + f.x;
    f.y = (((f.rayleigh * f.x) - f.y) - f.x * f.z) * kTimeStep + f.y;
    f.z = ((f.x * f.y) - f.param3 * f.z) * kTimeStep + f.z;
}

constexpr MapFigure lorenz(const char* prefix, double FigureState::* across,
                           double FigureState::* down, double ky, double qy)
{
    return MapFigure{
        .promptTitle = "Lorenz Orbits",
        .captionPrefix = prefix,
        .parameters = kLorenzParameters,
        .parameterCount = 3,
        .passLength = 10001,
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

constexpr MapFigure kLorenzXY = countedRow<kLorenzXY>(lorenz("LORENZ  ORBITS (XY)    ", &FigureState::x, &FigureState::y, 150, 2));
constexpr MapFigure kLorenzXZ = countedRow<kLorenzXZ>(lorenz("LORENZ  ORBITS (XZ)    ", &FigureState::x, &FigureState::z, -150, 1));
constexpr MapFigure kLorenzYZ = countedRow<kLorenzYZ>(lorenz("LORENZ  ORBITS (YZ)    ", &FigureState::y, &FigureState::z, -150, 1));

}  // namespace figures

void Form::mnuLOR_Click() { runMapCommand(figures::kLorenzXY); }
void Form::LORENZ() { runPasses(figures::kLorenzXY); }
void Form::mnuLOR2_Click() { runMapCommand(figures::kLorenzXZ); }
void Form::LORENZ2() { runPasses(figures::kLorenzXZ); }
void Form::mnuLOR3_Click() { runMapCommand(figures::kLorenzYZ); }
void Form::LORENZ3() { runPasses(figures::kLorenzYZ); }

}  // namespace quillon
