#include "render/engine/View.h"

#include <algorithm>
#include <cmath>

#include "app/PictureText.h"
#include "render/image/UsageError.h"
#include "studies/BifurcationMap.h"

namespace quillon::render {

namespace {

// Of the orbit's points, this part is left out on each side when fitting, so
// that a few far points (the way in to the attractor) do not shrink it.
constexpr double kFitTail = 0.001;
constexpr double kFitMargin = 0.06;  // of the framed extent, on each side

// Zooms beyond this leave too few bits of a Double between pixels.
constexpr double kMaxZoom = 1e12;

double quantile(std::vector<double>& values, double part)
{
    const auto k = static_cast<size_t>(part * static_cast<double>(values.size() - 1) + 0.5);
    std::nth_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(k), values.end());
    return values[k];
}

}  // namespace

FigurePlane planeOf(const FigureChoice& choice, const Framing& framing)
{
    if (const MapFigure* row = choice.figure->mapOrNull())
        return {row->canvas, CanvasOrigin(framing.scaleWidth(), framing.scaleHeight(), row->canvas)};
    // The diagram's canvas: X = scale r - offset, Y = 11500 - 11000 x.
    const BifurcationStart* start = bifurcationStart(static_cast<float>(choice.values.at(0)));
    if (!start)
        throw UsageError("the bifurcation diagram starts at 1, 2, 2.9 or 3.4");
    FigurePlane plane;
    plane.canvas = {.kx = start->scale, .ky = -11000, .qx = 1, .qy = 1};
    plane.origin.x = -static_cast<double>(start->offset);
    plane.origin.y = 11500;
    return plane;
}

View windowView(const FigurePlane& plane, const Framing& framing)
{
    return {.centerX = (framing.scaleWidth() / 2 - plane.origin.x) / plane.canvas.kx,
            .centerY = (framing.scaleHeight() / 2 - plane.origin.y) / plane.canvas.ky,
            .zoom = 1};
}

ViewGrid viewGrid(const FigurePlane& plane, const Framing& framing, int supersampling, const View& view)
{
    const double width = static_cast<double>(framing.width) * supersampling;
    const double height = static_cast<double>(framing.height) * supersampling;
    const double shownWidth = framing.scaleWidth() / view.zoom;
    const double shownHeight = framing.scaleHeight() / view.zoom;
    const double left = plane.canvasX(view.centerX) - shownWidth / 2;
    const double top = plane.canvasY(view.centerY) - shownHeight / 2;
    ViewGrid grid;
    grid.xScale = width / shownWidth;
    grid.yScale = height / shownHeight;
    grid.xOffset = -left * grid.xScale;
    grid.yOffset = -top * grid.yScale;
    grid.width = width;
    grid.height = height;
    return grid;
}

PixelMapping pixelMapping(const FigurePlane& plane, const Framing& framing, int supersampling,
                          const std::optional<View>& view)
{
    PixelMapping mapping;
    mapping.canvas = plane.canvas;
    mapping.origin = plane.origin;
    mapping.windowFraming = !view;
    mapping.grid = PixelGrid(framing.width * supersampling, framing.height * supersampling, framing.scaleWidth(),
                             framing.scaleHeight());
    if (view)
        mapping.view = viewGrid(plane, framing, supersampling, *view);
    return mapping;
}

void checkView(const View& view, const FigurePlane& plane, const Framing& framing)
{
    if (!(view.zoom > 0) || !std::isfinite(view.zoom))
        throw UsageError("a view's zoom " + roundTripText(view.zoom) + " is not above 0");
    if (view.zoom > kMaxZoom)
        throw UsageError("a view's zoom " + roundTripText(view.zoom) + " is more than 10^12");
    const ViewGrid grid = viewGrid(plane, framing, 1, view);
    for (const double value : {view.centerX, view.centerY, grid.xOffset, grid.yOffset, grid.xScale, grid.yScale})
        if (!std::isfinite(value))
            throw UsageError("a view centred at " + roundTripText(view.centerX) + "," + roundTripText(view.centerY) +
                             " is outside what a Double can hold");
}

View fitView(const std::vector<std::pair<double, double>>& points, const FigurePlane& plane, const Framing& framing)
{
    std::vector<double> xs, ys;
    for (const auto& [u, v] : points) {
        const double X = plane.canvasX(u), Y = plane.canvasY(v);
        if (std::isfinite(X) && std::isfinite(Y)) {
            xs.push_back(X);
            ys.push_back(Y);
        }
    }
    if (xs.size() < 2)
        throw UsageError("the orbit has no finite points to frame");
    const double left = quantile(xs, kFitTail), right = quantile(xs, 1 - kFitTail);
    const double top = quantile(ys, kFitTail), bottom = quantile(ys, 1 - kFitTail);
    const double width = (right - left) * (1 + 2 * kFitMargin);
    const double height = (bottom - top) * (1 + 2 * kFitMargin);
    if (!(width > 0) && !(height > 0))
        throw UsageError("the orbit stays on one point: there is nothing to frame");
    // The larger of the two extents, as the picture's shape has it, fills it.
    double zoom = std::numeric_limits<double>::infinity();
    if (width > 0)
        zoom = std::min(zoom, framing.scaleWidth() / width);
    if (height > 0)
        zoom = std::min(zoom, framing.scaleHeight() / height);
    const View view{.centerX = ((left + right) / 2 - plane.origin.x) / plane.canvas.kx,
                    .centerY = ((top + bottom) / 2 - plane.origin.y) / plane.canvas.ky,
                    .zoom = std::min(zoom, kMaxZoom)};
    checkView(view, plane, framing);
    return view;
}

}  // namespace quillon::render
