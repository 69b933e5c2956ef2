// Moving about the plane with the mouse and keys: the figure's point under a
// pixel of the preview, zooming about a pixel so that the point under it stays
// there, panning by pixels and centring on a pixel.
#pragma once

#include <utility>

#include "render/engine/View.h"

namespace quillon::studio {

// A view shown on a picture of the framing's size.
struct ViewOnScreen {
    render::FigurePlane plane;
    render::Framing framing;
    render::View view;

    // The figure's point at pixel (x, y) of the picture (fractions allowed).
    std::pair<double, double> pointAt(double x, double y) const;
    // The pixel of the picture at the figure's point (u, v).
    std::pair<double, double> pixelAt(double u, double v) const;
    // The view zoomed by the factor, the point under (x, y) staying put.
    render::View zoomedAbout(double x, double y, double factor) const;
    // The view with the picture dragged by (dx, dy) pixels.
    render::View pannedBy(double dx, double dy) const;
    // The view centred on the point under (x, y).
    render::View centredOn(double x, double y) const;
};

}  // namespace quillon::studio
