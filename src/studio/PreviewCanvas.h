// The preview: the latest picture of the counts, drawn in device pixels. While
// a new view is being counted, the last picture is shown moved and scaled to
// where the new view puts it. Mouse and keys ask for new views; the window
// decides what they are.
#pragma once

#include <QImage>
#include <QPointF>
#include <QWidget>

#include <optional>

#include "studio/ViewMoves.h"

namespace quillon::studio {

class PreviewCanvas : public QWidget {
    Q_OBJECT
public:
    explicit PreviewCanvas(QWidget* parent = nullptr);

    // The picture's size in device pixels.
    QSize deviceSize() const;
    // The view now asked for, and a picture drawn at the view given.
    void setShown(const ViewOnScreen& shown);
    void setFrame(const QImage& image, const ViewOnScreen& drawnAt);
    const QImage& frame() const { return frame_; }

    QSize sizeHint() const override { return {800, 600}; }

signals:
    // Positions and distances in device pixels of the picture.
    void panned(QPointF by);
    void zoomed(QPointF about, double factor);
    void centred(QPointF at);
    void windowFramingAsked();
    void fitAsked();
    void resized();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QPointF devicePoint(QPointF logical) const { return logical * devicePixelRatioF(); }

    QImage frame_;
    std::optional<ViewOnScreen> drawnAt_, shown_;
    std::optional<QPointF> dragFrom_;
};

}  // namespace quillon::studio
