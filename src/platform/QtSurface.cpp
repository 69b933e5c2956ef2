#include "platform/QtSurface.h"

#include <QPainter>
#include <QtMath>

#include <cmath>

namespace quillon {

namespace {

// A painter on an image with a device pixel ratio works in logical pixels;
// circles and lines are drawn in device pixels instead, one pixel wide like the
// points.
void toDevicePixels(QPainter& painter)
{
    const qreal ratio = painter.device()->devicePixelRatioF();
    if (ratio != 1)
        painter.scale(1 / ratio, 1 / ratio);
}

}  // namespace

QtSurface::QtSurface() { resizePixels(QSize(1, 1)); }

void QtSurface::resizePixels(QSize pixels, qreal ratio)
{
    pixels = pixels.expandedTo(QSize(1, 1));
    resizeImage(pixels, ratio, QSizeF(pixels) / ratio);
}

void QtSurface::resizeLogical(QSize logical, qreal ratio)
{
    logical = logical.expandedTo(QSize(1, 1));
    const QSize pixels(qCeil(logical.width() * ratio), qCeil(logical.height() * ratio));
    resizeImage(pixels, ratio, QSizeF(logical));
}

void QtSurface::resizeImage(QSize pixels, qreal ratio, QSizeF logical)
{
    if (pixels == image_.size() && ratio == image_.devicePixelRatio())
        return;
    QImage resized(pixels, QImage::Format_RGB32);
    resized.setDevicePixelRatio(ratio);
    resized.fill(QColor::fromRgb(back_));
    if (!image_.isNull()) {
        // Both images at their own ratio: a move to a screen of another ratio
        // keeps the picture at its logical place.
        QPainter painter(&resized);
        painter.drawImage(QPointF(0, 0), image_);
    }
    image_ = resized;
    bits_ = reinterpret_cast<uint32_t*>(image_.bits());
    stride_ = static_cast<size_t>(image_.bytesPerLine() / 4);
    // The scale follows the logical size until extents of its own are set.
    if (!ownScaleWidth_)
        scaleWidth_ = logical.width() * kUnitsPerPixel;
    if (!ownScaleHeight_)
        scaleHeight_ = logical.height() * kUnitsPerPixel;
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
    grid_ = PixelGrid(image_.width(), image_.height(), scaleWidth_, scaleHeight_);
}

void QtSurface::clear()
{
    currentX_ = 0;
    currentY_ = 0;
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

void QtSurface::markDirty(const QRect& area)
{
    const QRect clipped = area.intersected(image_.rect());
    if (clipped.isEmpty())
        return;
    dirtyLeft_ = std::min(dirtyLeft_, clipped.left());
    dirtyTop_ = std::min(dirtyTop_, clipped.top());
    dirtyRight_ = std::max(dirtyRight_, clipped.right());
    dirtyBottom_ = std::max(dirtyBottom_, clipped.bottom());
}

void QtSurface::circle(float x, float y, float radius, Rgb color)
{
    currentX_ = x;
    currentY_ = y;
    const QPointF centre(x * grid_.xFactor(), y * grid_.yFactor());
    const qreal r = radius * grid_.xFactor();
    // Far off the surface a painter gains nothing and may lose precision.
    if (!(std::fabs(centre.x()) < 1e6 && std::fabs(centre.y()) < 1e6 && r < 1e6))
        return;
    QPainter painter(&image_);
    toDevicePixels(painter);
    painter.setPen(QColor::fromRgb(color));
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(centre, r, r);
    markDirty(QRectF(centre.x() - r - 1, centre.y() - r - 1, 2 * r + 3, 2 * r + 3).toAlignedRect());
}

void QtSurface::line(float x1, float y1, float x2, float y2, Rgb color)
{
    currentX_ = x2;
    currentY_ = y2;
    const QPointF from(x1 * grid_.xFactor(), y1 * grid_.yFactor());
    const QPointF to(x2 * grid_.xFactor(), y2 * grid_.yFactor());
    if (!(std::fabs(from.x()) < 1e6 && std::fabs(from.y()) < 1e6 && std::fabs(to.x()) < 1e6 &&
          std::fabs(to.y()) < 1e6))
        return;
    QPainter painter(&image_);
    toDevicePixels(painter);
    painter.setPen(QColor::fromRgb(color));
    painter.drawLine(from, to);
    markDirty(QRectF(from, to).normalized().adjusted(-1, -1, 2, 2).toAlignedRect());
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
