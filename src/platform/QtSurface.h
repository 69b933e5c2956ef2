// One plot surface as an image written pixel by pixel: the window's drawing area
// (15 units of 1/1440 inch per pixel) or pic1 (its own scale extents mapped onto
// its whole image).
#pragma once

#include <QImage>
#include <QSize>

#include "runtime/QBColor.h"

namespace quillon {

class QtSurface {
public:
    static constexpr double kUnitsPerPixel = 15;

    QtSurface();

    // New pixel size; what was drawn stays at its place, new area is background.
    void resizePixels(QSize size);
    QSize pixelSize() const { return image_.size(); }

    // Scale extents mapped onto the whole image (pic1's user scale).
    void setScaleWidth(double width);
    void setScaleHeight(double height);
    double scaleWidth() const { return scaleWidth_; }
    double scaleHeight() const { return scaleHeight_; }

    void clear();
    void setBackColor(Rgb color);
    Rgb backColor() const { return back_; }

    void setPoint(float x, float y, Rgb color)
    {
        const float px = x * xFactor_;
        const float py = y * yFactor_;
        // Not-a-number fails both tests; points off the image are dropped.
        if (!(px >= 0.0f && py >= 0.0f && px < width_ && py < height_))
            return;
        bits_[static_cast<size_t>(py) * stride_ + static_cast<size_t>(px)] = 0xFF000000u | color;
        dirty_ = true;
    }

    // The pixels are written through a raw pointer, so a picture handed out is a
    // copy of its own.
    QImage snapshot() const { return image_.copy(); }
    const QImage& image() const { return image_; }
    Rgb pixel(int x, int y) const { return image_.pixel(x, y) & 0xFFFFFFu; }

    // True once after anything was drawn since the last call.
    bool takeDirty()
    {
        const bool was = dirty_;
        dirty_ = false;
        return was;
    }

private:
    void updateFactors();

    QImage image_;
    uint32_t* bits_ = nullptr;
    size_t stride_ = 0;  // in pixels
    float width_ = 0, height_ = 0;
    float xFactor_ = 0, yFactor_ = 0;
    double scaleWidth_ = 0, scaleHeight_ = 0;
    bool ownScaleWidth_ = false, ownScaleHeight_ = false;
    Rgb back_ = 0x000000;
    bool dirty_ = false;
};

}  // namespace quillon
