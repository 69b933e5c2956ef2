// Which part of the plane a picture shows: by default the window's framing
// (the drawing area of a window of the frame's size), or a view of its own, a
// centre in the figure's own coordinates and a zoom (1 is the window's
// framing, 2 shows half as much each way).
#pragma once

#include <optional>
#include <vector>

#include "app/CanvasPoint.h"
#include "render/engine/FigureChoice.h"
#include "render/engine/Framing.h"

namespace quillon::render {

struct View {
    double centerX = 0, centerY = 0;  // the figure's coordinates
    double zoom = 1;
    bool operator==(const View&) const = default;
};

// Where a figure's coordinates land on the window's canvas (1/1440 inch):
// X = u kx + ox, Y = v ky + oy. For a map figure its canvas mapping; for the
// bifurcation diagram u is r and v the logistic map's value.
struct FigurePlane {
    CanvasMap canvas;
    CanvasOrigin origin;
    double canvasX(double u) const { return u * canvas.kx + origin.x; }
    double canvasY(double v) const { return v * canvas.ky + origin.y; }
};
FigurePlane planeOf(const FigureChoice& choice, const Framing& framing);

// The view that is the window's framing: zoom 1 about the frame's centre.
View windowView(const FigurePlane& plane, const Framing& framing);

// The pixels (of the picture times the supersampling) under the canvas of a view.
ViewGrid viewGrid(const FigurePlane& plane, const Framing& framing, int supersampling, const View& view);

// Where the figure's points land on the picture: the window's framing when
// there is no view, else the view's grid.
PixelMapping pixelMapping(const FigurePlane& plane, const Framing& framing, int supersampling,
                          const std::optional<View>& view);

// A view that frames points of the orbit (u, v pairs) whole: the middle 99.8 %
// of them each way, with a margin, at the picture's shape. Throws UsageError
// when the points give no area (none finite, or all on one point).
View fitView(const std::vector<std::pair<double, double>>& points, const FigurePlane& plane, const Framing& framing);

// Views are checked where they are made: a zoom above 0 and finite, a centre
// a canvas can hold. Throws UsageError naming what is wrong.
void checkView(const View& view, const FigurePlane& plane, const Framing& framing);

}  // namespace quillon::render
