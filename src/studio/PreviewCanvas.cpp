#include "studio/PreviewCanvas.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include <cmath>

namespace quillon::studio {

namespace {

// A key press pans by this share of the picture, and zooms by this factor.
constexpr double kKeyPan = 0.1;
constexpr double kKeyZoom = 1.5;
// A wheel's notch (120 eighths of a degree) zooms by this factor.
constexpr double kNotchZoom = 1.25;

}  // namespace

PreviewCanvas::PreviewCanvas(QWidget* parent) : QWidget(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(160, 120);
    setCursor(Qt::OpenHandCursor);
}

QSize PreviewCanvas::deviceSize() const
{
    const double ratio = devicePixelRatioF();
    return {std::max(1, static_cast<int>(std::lround(width() * ratio))),
            std::max(1, static_cast<int>(std::lround(height() * ratio)))};
}

void PreviewCanvas::setShown(const ViewOnScreen& shown)
{
    shown_ = shown;
    update();
}

void PreviewCanvas::setFrame(const QImage& image, const ViewOnScreen& drawnAt)
{
    frame_ = image;
    drawnAt_ = drawnAt;
    update();
}

void PreviewCanvas::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    if (frame_.isNull() || !drawnAt_ || !shown_)
        return;
    // Where the picture's corners land in the view shown, in device pixels.
    const auto [u0, v0] = drawnAt_->pointAt(0, 0);
    const auto [u1, v1] = drawnAt_->pointAt(drawnAt_->framing.width, drawnAt_->framing.height);
    const auto [x0, y0] = shown_->pixelAt(u0, v0);
    const auto [x1, y1] = shown_->pixelAt(u1, v1);
    const double ratio = devicePixelRatioF();
    const QRectF target(QPointF(x0, y0) / ratio, QPointF(x1, y1) / ratio);
    if (!std::isfinite(target.width()) || !std::isfinite(target.height()))
        return;
    painter.setRenderHint(QPainter::SmoothPixmapTransform, target.size() != QSizeF(frame_.size()) / ratio);
    painter.drawImage(target, frame_);
}

void PreviewCanvas::resizeEvent(QResizeEvent*)
{
    emit resized();
}

void PreviewCanvas::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    dragFrom_ = event->position();
    setCursor(Qt::ClosedHandCursor);
}

void PreviewCanvas::mouseMoveEvent(QMouseEvent* event)
{
    if (!dragFrom_)
        return;
    const QPointF by = devicePoint(event->position() - *dragFrom_);
    dragFrom_ = event->position();
    if (!by.isNull())
        emit panned(by);
}

void PreviewCanvas::mouseReleaseEvent(QMouseEvent*)
{
    dragFrom_.reset();
    setCursor(Qt::OpenHandCursor);
}

void PreviewCanvas::mouseDoubleClickEvent(QMouseEvent* event)
{
    emit centred(devicePoint(event->position()));
}

void PreviewCanvas::wheelEvent(QWheelEvent* event)
{
    const double notches = event->angleDelta().y() / 120.0;
    if (notches != 0)
        emit zoomed(devicePoint(event->position()), std::pow(kNotchZoom, notches));
    event->accept();
}

void PreviewCanvas::keyPressEvent(QKeyEvent* event)
{
    const QSize size = deviceSize();
    const QPointF middle(size.width() / 2.0, size.height() / 2.0);
    const double stepX = size.width() * kKeyPan, stepY = size.height() * kKeyPan;
    switch (event->key()) {
    case Qt::Key_Left: emit panned({stepX, 0}); break;
    case Qt::Key_Right: emit panned({-stepX, 0}); break;
    case Qt::Key_Up: emit panned({0, stepY}); break;
    case Qt::Key_Down: emit panned({0, -stepY}); break;
    case Qt::Key_Plus:
    case Qt::Key_Equal: emit zoomed(middle, kKeyZoom); break;
    case Qt::Key_Minus: emit zoomed(middle, 1 / kKeyZoom); break;
    case Qt::Key_0: emit windowFramingAsked(); break;
    case Qt::Key_F: emit fitAsked(); break;
    default: QWidget::keyPressEvent(event); return;
    }
    event->accept();
}

}  // namespace quillon::studio
