// The program's platform on Qt Widgets: the window, its two surfaces as images,
// the input and message boxes, the timers and an event pump cheap enough to be
// called after every point.
#pragma once

#include <QElapsedTimer>
#include <QTimer>

#include <cstdint>
#include <functional>
#include <memory>

#include "app/Platform.h"
#include "platform/QtSurface.h"

namespace quillon {

class Form;
class QtWindow;

class QtPlatform final : public Platform {
public:
    QtPlatform();
    ~QtPlatform() override;

    // Connects the logic: menus, keys, timers and resizes reach the form from now on.
    void attach(Form& form);
    QtWindow& window() { return *window_; }
    QtSurface& surface(Surface which) { return which == Surface::Window ? window_surface_ : picture_; }
    const QtSurface& constSurface(Surface which) const
    {
        return which == Surface::Window ? window_surface_ : picture_;
    }

    // Repaints the drawing area if anything was drawn since its last repaint.
    void flush();
    // Around every command: the drawing that runs next may have another pace.
    void commandBoundary() { restartPumpStride(); }

    // How the program ends; replaced where ending the process is not wanted.
    std::function<void()> onEnd;

    // Number of DoEvents calls so far, up to the last clock reading (points
    // drawn, for measurements).
    uint64_t doEventsCalls() const { return doEventsCalls_; }

    double outerWidth() const override;
    double outerHeight() const override;
    std::string caption() const override;
    void setCaption(const std::string& text) override;

    void setPictureHeight(double height) override;
    void setPictureWidth(double width) override;
    void setPictureScaleHeight(double height) override { picture_.setScaleHeight(height); }
    void setPictureScaleWidth(double width) override { picture_.setScaleWidth(width); }

    void clear(Surface which) override { surface(which).clear(); }
    void setPoint(Surface which, float x, float y, Rgb color) override
    {
        if (which == Surface::Window)
            window_surface_.setPoint<true>(x, y, color);
        else
            picture_.setPoint<false>(x, y, color);
    }
    void setPointOnBoth(float x, float y, Rgb color) override
    {
        window_surface_.setPoint<true>(x, y, color);
        picture_.setPoint<false>(x, y, color);
    }
    void setBackColor(Surface which, Rgb color) override { surface(which).setBackColor(color); }
    void refresh(Surface which) override;
    void circle(Surface which, float x, float y, float radius, Rgb color) override
    {
        surface(which).circle(x, y, radius, color);
    }
    void line(Surface which, float x1, float y1, float x2, float y2, Rgb color) override
    {
        surface(which).line(x1, y1, x2, y2, color);
    }
    float currentX(Surface which) const override { return constSurface(which).currentX(); }
    float currentY(Surface which) const override { return constSurface(which).currentY(); }
    void setFillColor(Surface which, Rgb color) override { surface(which).setFillColor(color); }

    std::string menuCaption(std::string_view item) const override;
    void setMenuCaption(std::string_view item, const std::string& text) override;
    void setMenuVisible(std::string_view item, bool visible) override;

    std::string inputBox(const std::string& prompt, const std::string& title,
                         const std::string& defaultText) override;
    MessageBoxAnswer messageBox(const MessageBoxRequest& request) override;

    std::optional<std::string> saveFileDialog(const SaveDialogRequest& request) override;
    std::optional<std::string> savePicture(const std::string& path, const PictureFacts& facts) override;
    void setTimerEnabled(TimerId timer, bool enabled) override;

    double clockSeconds() const override;
    std::string decimalSeparator() const override;
    [[noreturn]] void endProgram() override;

private:
    // Reads the clock; pumps real events when a time slice has passed.
    void pumpEvents() override;
    void pump(qint64 now);
    void windowResized();
    std::optional<std::string> savePng(const std::string& path, const PictureFacts& facts);

    QtSurface window_surface_;
    QtSurface picture_;
    std::unique_ptr<QtWindow> window_;
    Form* form_ = nullptr;
    QTimer timer1_;
    // Device pixels to a logical pixel on the window's screen, as of its last resize.
    qreal ratio_ = 1;

    // The clock is read only every pumpStride_ calls; the stride adapts so that
    // it is read every few dozen microseconds of drawing.
    QElapsedTimer clock_;
    uint64_t doEventsCalls_ = 0;
    qint64 lastCheck_ = 0;
    qint64 lastPump_ = 0;
    qint64 lastTimer2_ = 0;
    qint64 lastRepaint_ = 0;
};

}  // namespace quillon
