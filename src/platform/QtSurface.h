// One plot surface as an image written pixel by pixel: the window's drawing area
// (15 units of 1/1440 inch per logical pixel) or pic1 (its own scale extents
// mapped onto its whole image). The image has the screen's device resolution:
// on a screen of two device pixels per logical pixel it has twice the pixels
// each way, and a point is one device pixel.
#pragma once

#include <algorithm>
#include <climits>

#include <QImage>
#include <QRect>
#include <QSize>

#include "app/CanvasPoint.h"
#include "runtime/QBColor.h"

namespace quillon {

class QtSurface {
public:
    static constexpr double kUnitsPerPixel = 15;

    QtSurface();

    // New size of `pixels` device pixels at `ratio` device pixels to a logical
    // pixel; what was drawn stays at its place, new area is background.
    void resizePixels(QSize pixels, qreal ratio = 1);
    // New size of `logical` pixels of a screen of `ratio`: the image covers them
    // at device resolution, and the scale follows the logical size.
    void resizeLogical(QSize logical, qreal ratio);
    QSize pixelSize() const { return image_.size(); }
    qreal ratio() const { return image_.devicePixelRatio(); }

    // Scale extents mapped onto the whole image (pic1's user scale).
    void setScaleWidth(double width);
    void setScaleHeight(double height);
    double scaleWidth() const { return scaleWidth_; }
    double scaleHeight() const { return scaleHeight_; }

    void clear();
    void setBackColor(Rgb color);
    Rgb backColor() const { return back_; }

    // trackArea: remember the area drawn on, for the repaint of the window.
    template <bool trackArea>
    void setPoint(float x, float y, Rgb color)
    {
        int ix, iy;
        if (!grid_.locate(x, y, ix, iy))
            return;
        bits_[static_cast<size_t>(iy) * stride_ + static_cast<size_t>(ix)] = 0xFF000000u | color;
        if (!trackArea)
            return;
        // The bounds are written only when the area grows, rarely after a
        // figure's first points. Written at every point, they became one 16-byte
        // store that the next point's 4-byte reads could not be forwarded from:
        // each point waited for the store to reach the cache (behind the pixel
        // stores), far longer where it crossed a cache line or a page.
        if (ix < dirtyLeft_)
            dirtyLeft_ = ix;
        if (ix > dirtyRight_)
            dirtyRight_ = ix;
        if (iy < dirtyTop_)
            dirtyTop_ = iy;
        if (iy > dirtyBottom_)
            dirtyBottom_ = iy;
    }

    // The pixels are written through a raw pointer, so a picture handed out is a
    // copy of its own.
    QImage snapshot() const { return image_.copy(); }
    const QImage& image() const { return image_; }

    // Circles and lines drawn with a painter (few, unlike points).
    void circle(float x, float y, float radius, Rgb color);
    void line(float x1, float y1, float x2, float y2, Rgb color);
    float currentX() const { return currentX_; }
    float currentY() const { return currentY_; }
    void setFillColor(Rgb color) { fill_ = color; }
    Rgb pixel(int x, int y) const { return image_.pixel(x, y) & 0xFFFFFFu; }

    // The area drawn on since the last call (empty if nothing was).
    QRect takeDirty();

private:
    void resizeImage(QSize pixels, qreal ratio, QSizeF logical);
    void updateFactors();
    void markAllDirty();

    QImage image_;
    uint32_t* bits_ = nullptr;
    size_t stride_ = 0;  // in pixels
    PixelGrid grid_;  // where a point lands; the renderer places its points so too
    double scaleWidth_ = 0, scaleHeight_ = 0;
    bool ownScaleWidth_ = false, ownScaleHeight_ = false;
    float currentX_ = 0, currentY_ = 0;
    Rgb fill_ = 0;
    void markDirty(const QRect& area);
    Rgb back_ = 0x000000;
    int dirtyLeft_ = INT_MAX, dirtyTop_ = INT_MAX, dirtyRight_ = -1, dirtyBottom_ = -1;
};

}  // namespace quillon
