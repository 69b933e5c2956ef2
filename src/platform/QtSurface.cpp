#include "platform/QtSurface.h"

#include <QPainter>

namespace quillon {

QtSurface::QtSurface() { resizePixels(QSize(1, 1)); }

void QtSurface::resizePixels(QSize size)
{
    size = size.expandedTo(QSize(1, 1));
    if (size == image_.size())
        return;
    QImage resized(size, QImage::Format_RGB32);
    resized.fill(QColor::fromRgb(back_));
    if (!image_.isNull()) {
        QPainter painter(&resized);
        painter.drawImage(0, 0, image_);
    }
    image_ = resized;
    bits_ = reinterpret_cast<uint32_t*>(image_.bits());
    stride_ = static_cast<size_t>(image_.bytesPerLine() / 4);
    width_ = static_cast<float>(image_.width());
    height_ = static_cast<float>(image_.height());
    // The scale follows the pixels until extents of its own are set.
    if (!ownScaleWidth_)
        scaleWidth_ = image_.width() * kUnitsPerPixel;
    if (!ownScaleHeight_)
        scaleHeight_ = image_.height() * kUnitsPerPixel;
    updateFactors();
    markAllDirty();
}

void QtSurface::setScaleWidth(double width)
{
    scaleWidth_ = width;
    ownScaleWidth_ = true;
    updateFactors();
}

void QtSurface::setScaleHeight(double height)
{
    scaleHeight_ = height;
    ownScaleHeight_ = true;
    updateFactors();
}

void QtSurface::updateFactors()
{
    xFactor_ = scaleWidth_ > 0 ? static_cast<float>(image_.width() / scaleWidth_) : 0.0f;
    yFactor_ = scaleHeight_ > 0 ? static_cast<float>(image_.height() / scaleHeight_) : 0.0f;
}

void QtSurface::clear()
{
    image_.fill(QColor::fromRgb(back_));
    markAllDirty();
}

void QtSurface::markAllDirty()
{
    dirtyLeft_ = 0;
    dirtyTop_ = 0;
    dirtyRight_ = image_.width() - 1;
    dirtyBottom_ = image_.height() - 1;
}

QRect QtSurface::takeDirty()
{
    if (dirtyRight_ < dirtyLeft_ || dirtyBottom_ < dirtyTop_)
        return QRect();
    const QRect area(QPoint(dirtyLeft_, dirtyTop_), QPoint(dirtyRight_, dirtyBottom_));
    dirtyLeft_ = dirtyTop_ = INT_MAX;
    dirtyRight_ = dirtyBottom_ = -1;
    return area;
}

void QtSurface::setBackColor(Rgb color)
{
    back_ = color;
    clear();
}

}  // namespace quillon
