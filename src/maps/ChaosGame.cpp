// Figures drawn by random iteration: at every step one of a few affine maps is
// picked at random and applied to the current point.
#include <cmath>

#include "app/FigureRows.h"
#include "app/HitCounter.h"
#include "runtime/Numeric.h"

namespace quillon {

namespace {

// The coefficients of one affine map, loaded into a..f for the step.
struct Affine {
    double a, b, c, d, e, f;
};

void load(Orbit& form, const Affine& m)
{
    form.a = m.a;
    form.b = m.b;
    form.c = m.c;
    form.d = m.d;
    form.e = m.e;
    form.f = m.f;
}

// Sierpinski: halfway towards one of three corners of a 640 x 200 grid.
constexpr int kCorners[3][2] = {{320, 0}, {1, 199}, {639, 199}};

void sierpiStart(Orbit& f, RoutineLocals&)
{
    f.x = 50;
    f.y = 150;
}

void sierpiStep(Orbit& f, RoutineLocals&)
{
    f.a = Int(f.rnd.next() * 3.0f) + 1.0f;  // the corner, 1..3
    f.lastMap = static_cast<int16_t>(f.a);
    const int* corner = kCorners[f.lastMap - 1];
    f.xNew = (corner[0] + f.x) / 2;
    f.yNew = (corner[1] + f.y) / 2;
}

// Scorpion: four maps with fixed probabilities; Rnd is compared as a Single.
constexpr Affine kScorpionMaps[] = {
    {0, 0, 0, 0.16, 0, 0},
    {0.85, 0.04, -1.04, 0.85, 0, 1.6},
    {0.2, -0.26, 0.23, 0.22, 0, 0.6},
    {-0.15, 0.28, 0.26, 0.24, 0, 0.44},
};

void scorpionStep(Orbit& f, RoutineLocals&)
{
    const float s = f.rnd.next();
    const int row = s <= 0.01f ? 0 : s <= 0.86f ? 1 : s <= 0.93f ? 2 : 3;
    f.lastMap = static_cast<int16_t>(row + 1);
    load(f, kScorpionMaps[row]);
    f.xNew = (f.a * f.x + f.b * f.y) + f.e;
    f.yNew = (f.c * f.x + f.d * f.y) + f.f;
    f.x = f.xNew;
    f.y = f.yNew;
}

// Tree: three maps chosen by Rnd against 0 and the Single thresholds p1, p2,
// applied with the axes exchanged.
constexpr Affine kTreeMaps[] = {
    {0.85, 0.04, -0.04, 0.85, 0, 1.6},
    {-0.15, 0.28, 0.26, 0.24, 0, 0.44},
    {0.2, -0.28, 0.23, 0.22, 0, 1.6},
};

constexpr FigureParameter kTreeParameters[] = {
    {.singleField = &Orbit::p1,
     .prompt = "Entre a value for (ax)    {Try  0.5  to  1.0}",
     .defaultValue = 0.87,
     .randomScale = 0.5,
     .randomOffset = 0.5,
     .label = "   ax = "},
    {.singleField = &Orbit::p2,
     .prompt = "Entre a value for (bx)    {Try  0.5  to  1.0}",
     .defaultValue = 0.93,
     .randomScale = 0.5,
     .randomOffset = 0.5,
     .label = "   bx = "},
};

int treeRow(float r, float p1, float p2)
{
    if (r > 0 && r <= p1)
        return 0;
    if (r <= p1 || r > p2)
        return 1;
    return 2;  // p1 < r <= p2: never when p1 >= p2
}

void treeStep(Orbit& f, RoutineLocals&)
{
    f.r = f.rnd.next();
    const int row = treeRow(static_cast<float>(f.r), f.p1, f.p2);
    f.lastMap = static_cast<int16_t>(row + 1);
    load(f, kTreeMaps[row]);
    const double newY = f.a * f.y - f.b * f.x + f.f;
    const double newX = f.c * f.y - f.d * f.x + f.e;
    f.y = newY;
    f.x = newX;
}

// Triangles: turns by +theta about the origin or -theta about (1, 0), each
// shrunk by 0.65, with equal probability; theta = 2 r / 3.
constexpr FigureParameter kTrianglesParameters[] = {
    {.field = &Orbit::r,
     .prompt = "Entre a value for (r)    {Try  -50  to  +50 ; close to PI}",
     .defaultValue = 3.141593,
     .randomScale = 200,
     .randomOffset = -100,
     .label = "  r = "},
};

void trianglesStart(Orbit& f, RoutineLocals&)
{
    f.x = 0.65 * std::cos(2 * f.r / 3);
    f.y = 0.65 * std::sin(2 * f.r / 3);
}

void trianglesStep(Orbit& f, RoutineLocals&)
{
    const double theta = 2 * f.r / 3;
    const double cosine = 0.65 * std::cos(theta);
    const double sine = 0.65 * std::sin(theta);
    f.z = f.x;
    const bool first = f.rnd.next() < 0.5f;
    f.lastMap = first ? 1 : 2;
    if (first) {
        f.x = cosine * f.x - sine * f.y;
        f.y = sine * f.z + cosine * f.y;
    } else {
        f.x = (cosine * f.x - (-sine) * f.y + 1) - cosine;
        f.y = ((-sine) * f.z + cosine * f.y) - (-sine);
    }
}

}  // namespace

// The rows, shared with the renderer.
namespace figures {

constexpr MapFigure kSierpi = countedRow<kSierpi>(MapFigure{
    .item = "mnuSierpi",
    .menuCaption = "&Sierpi",

    .captionPrefix = "Sierpi   ",
    .passLength = 5000,
    .start = sierpiStart,
    .step = sierpiStep,
    .canvas = {.kx = 20, .ky = 45, .qx = 10, .qy = 15},
    .mapCount = 3,
});

constexpr MapFigure kScorpion = countedRow<kScorpion>(MapFigure{
    .item = "mnuScorpion",
    .menuCaption = "&Scorpion",

    .captionPrefix = "Scorpion   ",
    .passLength = 10000,
    .step = scorpionStep,
    .canvas = {.kx = 2400, .ky = 1200, .qx = 3, .qy = 4.5},
    .advance = stayInPlace,
    .mapCount = 4,
});

constexpr MapFigure kTree = countedRow<kTree>(MapFigure{
    .item = "mnuTree",
    .menuCaption = "&Tree",

    .promptTitle = "Tree",
    .captionPrefix = "Tree   ",
    .parameters = kTreeParameters,
    .parameterCount = 2,
    .passLength = 5000,
    .step = treeStep,
    .plotU = &Orbit::x,
    .plotV = &Orbit::y,
    .canvas = {.kx = 1400, .ky = -800, .qx = 2, .qy = 1.125},
    .advance = stayInPlace,
    .mapCount = 3,
});

constexpr MapFigure kTriangles = countedRow<kTriangles>(MapFigure{
    .item = "mnuTriangles",
    .menuCaption = "&Triangles",

    .promptTitle = "Triangles",
    .captionPrefix = "Triangles  ",
    .parameters = kTrianglesParameters,
    .parameterCount = 1,
    .passLength = 10,
    .steps = {.counter = &Orbit::i, .count = 1000},
    .start = trianglesStart,
    .step = trianglesStep,
    .plotU = &Orbit::x,
    .plotV = &Orbit::y,
    .canvas = {.kx = 2500, .ky = 4000, .qx = 2.65, .qy = 2},
    .advance = stayInPlace,
    .mapCount = 2,
});

}  // namespace figures


}  // namespace quillon
