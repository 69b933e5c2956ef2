// Where a figure's point lands: the canvas mapping in 1/1440 inch, and the pixel
// of an image that shows given scale extents. The window's surfaces and the
// renderer place points by these same functions.
#pragma once

#include <cmath>
#include <cstddef>

#include "app/MapFigure.h"
#include "runtime/Numeric.h"

namespace quillon {

// ScaleWidth / q: a whole-number divisor divides the Single extent in single
// precision, a fractional one in double precision.
inline double divideExtent(double extent, double divisor)
{
    if (divisor == std::trunc(divisor))
        return static_cast<double>(static_cast<float>(extent) / static_cast<float>(divisor));
    return extent / divisor;
}

// The point's offsets for given extents: ScaleWidth / qx and ScaleHeight / qy.
struct CanvasOrigin {
    double x = 0, y = 0;
    CanvasOrigin() = default;
    CanvasOrigin(double scaleWidth, double scaleHeight, const CanvasMap& canvas)
        : x(divideExtent(scaleWidth, canvas.qx)), y(divideExtent(scaleHeight, canvas.qy))
    {
    }
};

// X = u kx + ScaleWidth / qx, Y = v ky + ScaleHeight / qy as Singles; false when a
// coordinate cannot be formed as a Single (the point is then not drawn).
inline bool canvasPoint(double u, double v, const CanvasMap& canvas, const CanvasOrigin& origin,
                        float& X, float& Y)
{
    const double x = u * canvas.kx + origin.x;
    const double y = v * canvas.ky + origin.y;
    // As toSingle decides, in one test for both: this runs for every point.
    if (!(std::fabs(x) < kSingleLimit) || !(std::fabs(y) < kSingleLimit))
        return false;
    X = static_cast<float>(x);
    Y = static_cast<float>(y);
    return true;
}

// An image of width x height pixels showing the extents scaleWidth x scaleHeight
// from the top-left corner: the pixel under a point, if it is on the image.
class PixelGrid {
public:
    PixelGrid() = default;
    PixelGrid(int width, int height, double scaleWidth, double scaleHeight)
        : width_(static_cast<float>(width)),
          height_(static_cast<float>(height)),
          xFactor_(scaleWidth > 0 ? static_cast<float>(width / scaleWidth) : 0.0f),
          yFactor_(scaleHeight > 0 ? static_cast<float>(height / scaleHeight) : 0.0f)
    {
    }

    bool locate(float x, float y, int& ix, int& iy) const
    {
        const float px = x * xFactor_;
        const float py = y * yFactor_;
        // Not-a-number fails both tests; points off the image are dropped.
        if (!(px >= 0.0f && py >= 0.0f && px < width_ && py < height_))
            return false;
        ix = static_cast<int>(px);
        iy = static_cast<int>(py);
        return true;
    }

    float xFactor() const { return xFactor_; }
    float yFactor() const { return yFactor_; }

private:
    float width_ = 0, height_ = 0;
    float xFactor_ = 0, yFactor_ = 0;
};

// The pixel under a point of the canvas of a view of its own: pixel = canvas
// times scale plus offset, in double precision, so that deep zooms stay sharp.
struct ViewGrid {
    double xScale = 0, xOffset = 0, yScale = 0, yOffset = 0;
    double width = 0, height = 0;

    bool locate(double X, double Y, int& ix, int& iy) const
    {
        const double px = X * xScale + xOffset;
        const double py = Y * yScale + yOffset;
        if (!(px >= 0 && py >= 0 && px < width && py < height))
            return false;
        ix = static_cast<int>(px);
        iy = static_cast<int>(py);
        return true;
    }
};

// Where a figure's point lands on a picture: as the window places it (the
// canvas point formed as Singles, on a grid of the window's framing), or on a
// view of its own.
struct PixelMapping {
    CanvasMap canvas;
    CanvasOrigin origin;
    bool windowFraming = true;
    PixelGrid grid;  // the window's framing
    ViewGrid view;   // a view: the canvas point in double precision

    __attribute__((always_inline)) bool locate(double u, double v, int& ix, int& iy) const
    {
        if (windowFraming) {
            float X, Y;
            return canvasPoint(u, v, canvas, origin, X, Y) && grid.locate(X, Y, ix, iy);
        }
        return view.locate(u * canvas.kx + origin.x, v * canvas.ky + origin.y, ix, iy);
    }
};

}  // namespace quillon
