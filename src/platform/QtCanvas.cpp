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
    QPainter painter(this);
    const QRect area = event->rect();
    const QRect covered = area.intersected(QRect(QPoint(0, 0), surface_.pixelSize()));
    // Beyond the image (a size change not handled yet) shows the background.
    if (covered != area)
        painter.fillRect(area, QColor::fromRgb(surface_.backColor()));
    painter.drawImage(covered, surface_.image(), covered);
}

void QtCanvas::resizeEvent(QResizeEvent*)
{
    if (onResized)
        onResized();
}

}  // namespace quillon
