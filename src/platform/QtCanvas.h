// The window's drawing area: shows the window surface's image, repainted from it.
#pragma once

#include <QWidget>

#include <functional>

namespace quillon {

class QtSurface;

class QtCanvas : public QWidget {
public:
    QtCanvas(const QtSurface& surface, QWidget* parent);

    std::function<void()> onResized;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool event(QEvent* event) override;

private:
    const QtSurface& surface_;
};

}  // namespace quillon
