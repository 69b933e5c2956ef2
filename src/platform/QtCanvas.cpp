#include "platform/QtCanvas.h"

#include <QPaintEvent>
#include <QPainter>

#include "platform/QtSurface.h"

namespace quillon {

QtCanvas::QtCanvas(const QtSurface& surface, QWidget* parent)
    : QWidget(parent), surface_(surface)
{
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void QtCanvas::paintEvent(QPaintEvent* event)
{
    const QImage& image = surface_.image();
    // The image has the screen's device resolution; a new ratio that came
    // without a change of screen (see event()) is taken up here.
    if (image.devicePixelRatio() != devicePixelRatioF() && onResized)
        onResized();
    QPainter painter(this);
    const QRect area = event->rect();
    const qreal ratio = image.devicePixelRatio();
    const QRectF covered =
        QRectF(area).intersected(QRectF(QPointF(0, 0), QSizeF(image.size()) / ratio));
    // Beyond the image (a size change not handled yet) shows the background.
    if (covered != QRectF(area))
        painter.fillRect(area, QColor::fromRgb(surface_.backColor()));
    // Device pixels of the image onto the same device pixels of the screen.
    painter.drawImage(covered, image,
                      QRectF(covered.topLeft() * ratio, covered.size() * ratio));
}

void QtCanvas::resizeEvent(QResizeEvent*)
{
    if (onResized)
        onResized();
}

bool QtCanvas::event(QEvent* event)
{
    // On a screen of another ratio the images take its device resolution.
    if (event->type() == QEvent::ScreenChangeInternal && onResized)
        onResized();
    return QWidget::event(event);
}

}  // namespace quillon
