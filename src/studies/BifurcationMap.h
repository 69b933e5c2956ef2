// The logistic map of the bifurcation diagram and where its points land: shared
// by the diagram's command and the renderer's posters of it.
#pragma once

#include <span>

namespace quillon {

struct BifurcationStart {
    float start;   // the first r of the sweep
    float scale;   // canvas X = scale * r - offset puts r = start at the left,
    float offset;  // r = 4 near 16500
};

// The starting points the diagram offers, and the one equal to start (or null).
std::span<const BifurcationStart> bifurcationStarts();
const BifurcationStart* bifurcationStart(float start);

// The next value of the map, with r widened to a double.
inline double logisticValue(float r, double x) { return (static_cast<double>(r) * x) * (1 - x); }

// Canvas X of a parameter value, in Single arithmetic, and canvas Y of a value:
// y = 0 at 11500, y = 1 at 500.
inline double bifurcationX(const BifurcationStart& s, float r)
{
    return static_cast<double>(s.scale * r - s.offset);
}
inline double bifurcationY(double y) { return (-y) * 11000 + 11500; }

}  // namespace quillon
