// A platform with no window and no display, for running the figures' own code
// in the renderer: input boxes answer from a list, pic1 is an optional pixel
// buffer, and the event pump is a hook called every so many points.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>

#include "app/CanvasPoint.h"
#include "app/Platform.h"

namespace quillon::render {

// Thrown by the pump hook when the points asked for are drawn.
struct DrawingDone {};

class HeadlessPlatform final : public Platform {
public:
    // A drawing area of the given extents in 1/1440 inch.
    HeadlessPlatform(double scaleWidth, double scaleHeight);

    // pic1 as 0xRRGGBB pixels of width x height showing the drawing area's extents.
    void setPicture(uint32_t* pixels, int width, int height);
    void setBackground(Rgb color) { background_ = color; }
    // pic1 shows a view of its own instead of the drawing area's extents.
    void setView(const ViewGrid& view) { view_ = view; }

    // The pump hook runs once every stride DoEvents calls; the hook may set the
    // stride to its next call.
    void setPump(uint32_t stride, std::function<void()> hook);
    void setStride(uint32_t stride) { pumpStride_ = stride < 1 ? 1 : stride; }

    std::deque<std::string> answers;  // input boxes, in the order asked

    double outerWidth() const override { return scaleWidth(); }
    double outerHeight() const override { return scaleHeight(); }
    std::string caption() const override { return caption_; }
    void setCaption(const std::string& text) override { caption_ = text; }
    void setPictureHeight(double) override {}
    void setPictureWidth(double) override {}
    void setPictureScaleHeight(double) override {}
    void setPictureScaleWidth(double) override {}

    void clear(Surface surface) override;
    void setPoint(Surface surface, float x, float y, Rgb color) override;
    void setPointOnBoth(float x, float y, Rgb color) override { setPoint(Surface::Picture, x, y, color); }
    void setBackColor(Surface surface, Rgb color) override;
    void refresh(Surface) override {}
    void circle(Surface, float x, float y, float, Rgb) override { current_ = {x, y}; }
    void line(Surface, float, float, float x2, float y2, Rgb) override { current_ = {x2, y2}; }
    float currentX(Surface) const override { return current_.x; }
    float currentY(Surface) const override { return current_.y; }
    void setFillColor(Surface, Rgb) override {}

    std::string menuCaption(std::string_view) const override { return {}; }
    void setMenuCaption(std::string_view, const std::string&) override {}
    void setMenuVisible(std::string_view, bool) override {}

    std::string inputBox(const std::string& prompt, const std::string& title,
                         const std::string& defaultText) override;
    MessageBoxAnswer messageBox(const MessageBoxRequest& request) override;
    std::optional<std::string> saveFileDialog(const SaveDialogRequest&) override { return std::nullopt; }
    std::optional<std::string> savePicture(const std::string&, const PictureFacts&) override
    {
        return "no picture file here";
    }
    void setTimerEnabled(TimerId, bool) override {}

    double clockSeconds() const override { return 0; }
    std::string decimalSeparator() const override;
    [[noreturn]] void endProgram() override;

private:
    void pumpEvents() override;

    std::string caption_;
    uint32_t* pixels_ = nullptr;
    int width_ = 0, height_ = 0;
    PixelGrid grid_;
    std::optional<ViewGrid> view_;
    Rgb background_ = 0;
    std::function<void()> pump_;
    struct {
        float x = 0, y = 0;
    } current_;
};

}  // namespace quillon::render
