// The bifurcation diagram's sweep: the logistic map run for a value of r in
// every pixel column across the picture, settled first, then its values.
#pragma once

#include <optional>

#include "app/CanvasPoint.h"
#include "runtime/Numeric.h"
#include "studies/BifurcationMap.h"

namespace quillon::render {

struct SweepColumn {
    float r;
    float canvasX;  // where the window puts the column, as a Single
};

// The columns of a picture: r for a pixel column, or nothing where the sweep
// from the starting point to 4 does not reach.
class SweepColumns {
public:
    SweepColumns(const BifurcationStart& start, const PixelMapping& mapping) : start_(start), mapping_(mapping) {}

    std::optional<SweepColumn> at(int column) const
    {
        const double X = mapping_.windowFraming ? (column + 0.5) / mapping_.grid.xFactor()
                                                : (column + 0.5 - mapping_.view.xOffset) / mapping_.view.xScale;
        const float r = static_cast<float>((X + start_.offset) / start_.scale);
        if (!(r >= start_.start && r <= 4.0f))
            return std::nullopt;
        const auto canvasX = toSingle(bifurcationX(start_, r));
        if (!canvasX)
            return std::nullopt;
        return SweepColumn{r, *canvasX};
    }

private:
    const BifurcationStart& start_;
    PixelMapping mapping_;
};

// A column's value once settled: 500 steps from 0.001.
inline double settledValue(float r)
{
    constexpr int kSettle = 500;
    double x = 0.001;
    for (int k = 0; k < kSettle; ++k)
        x = logisticValue(r, x);
    return x;
}

}  // namespace quillon::render
