#include "studio/ViewMoves.h"

namespace quillon::studio {

using render::View;

// The figure's units a pixel spans each way: the frame's canvas shown at the
// zoom, over the picture's pixels (a negative ky turns the picture upside down).
namespace {

std::pair<double, double> unitsPerPixel(const ViewOnScreen& s, double zoom)
{
    const double shownWidth = s.framing.scaleWidth() / zoom;
    const double shownHeight = s.framing.scaleHeight() / zoom;
    return {shownWidth / s.framing.width / s.plane.canvas.kx, shownHeight / s.framing.height / s.plane.canvas.ky};
}

}  // namespace

std::pair<double, double> ViewOnScreen::pointAt(double x, double y) const
{
    const auto [du, dv] = unitsPerPixel(*this, view.zoom);
    return {view.centerX + (x - framing.width / 2.0) * du, view.centerY + (y - framing.height / 2.0) * dv};
}

std::pair<double, double> ViewOnScreen::pixelAt(double u, double v) const
{
    const auto [du, dv] = unitsPerPixel(*this, view.zoom);
    return {(u - view.centerX) / du + framing.width / 2.0, (v - view.centerY) / dv + framing.height / 2.0};
}

View ViewOnScreen::zoomedAbout(double x, double y, double factor) const
{
    const auto [u, v] = pointAt(x, y);
    View zoomed = view;
    zoomed.zoom = view.zoom * factor;
    const auto [du, dv] = unitsPerPixel(*this, zoomed.zoom);
    zoomed.centerX = u - (x - framing.width / 2.0) * du;
    zoomed.centerY = v - (y - framing.height / 2.0) * dv;
    return zoomed;
}

View ViewOnScreen::pannedBy(double dx, double dy) const
{
    const auto [du, dv] = unitsPerPixel(*this, view.zoom);
    View panned = view;
    panned.centerX -= dx * du;
    panned.centerY -= dy * dv;
    return panned;
}

View ViewOnScreen::centredOn(double x, double y) const
{
    const auto [u, v] = pointAt(x, y);
    return {u, v, view.zoom};
}

}  // namespace quillon::studio
