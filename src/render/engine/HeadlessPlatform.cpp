#include "render/engine/HeadlessPlatform.h"

#include <algorithm>
#include <clocale>
#include <stdexcept>

namespace quillon::render {

HeadlessPlatform::HeadlessPlatform(double scaleWidth, double scaleHeight)
{
    setScaleExtents(scaleWidth, scaleHeight);
    // Points are counted in the pump hook; without one it is never called.
    pumpStride_ = UINT32_MAX;
}

void HeadlessPlatform::setPicture(uint32_t* pixels, int width, int height)
{
    pixels_ = pixels;
    width_ = width;
    height_ = height;
    grid_ = PixelGrid(width, height, scaleWidth(), scaleHeight());
}

void HeadlessPlatform::setPump(uint32_t stride, std::function<void()> hook)
{
    pump_ = std::move(hook);
    restartPumpStride();
    pumpStride_ = std::max<uint32_t>(stride, 1);
}

void HeadlessPlatform::clear(Surface surface)
{
    current_ = {};
    if (surface == Surface::Picture && pixels_)
        std::fill(pixels_, pixels_ + static_cast<size_t>(width_) * height_, background_);
}

void HeadlessPlatform::setPoint(Surface surface, float x, float y, Rgb color)
{
    int ix, iy;
    if (surface != Surface::Picture || !pixels_)
        return;
    if (view_ ? view_->locate(x, y, ix, iy) : grid_.locate(x, y, ix, iy))
        pixels_[static_cast<size_t>(iy) * width_ + ix] = color;
}

void HeadlessPlatform::setBackColor(Surface surface, Rgb color)
{
    if (surface == Surface::Picture)
        background_ = color;
    clear(surface);
}

std::string HeadlessPlatform::inputBox(const std::string&, const std::string&,
                                       const std::string& defaultText)
{
    if (answers.empty())
        return defaultText;
    std::string answer = std::move(answers.front());
    answers.pop_front();
    return answer;
}

MessageBoxAnswer HeadlessPlatform::messageBox(const MessageBoxRequest& request)
{
    // Number files are not wanted here.
    return request.buttons == MessageBoxRequest::Buttons::YesNo ? MessageBoxAnswer::No
                                                                : MessageBoxAnswer::Ok;
}

std::string HeadlessPlatform::decimalSeparator() const
{
    // The separator of the user's locale, as the window shows numbers; read once,
    // as worker threads make forms of their own.
    static const std::string separator = [] {
        const char* current = std::setlocale(LC_NUMERIC, nullptr);
        const std::string saved = current ? current : "C";
        std::setlocale(LC_NUMERIC, "");
        const std::string found = std::localeconv()->decimal_point;
        std::setlocale(LC_NUMERIC, saved.c_str());
        return found.empty() ? std::string(".") : found;
    }();
    return separator;
}

void HeadlessPlatform::endProgram() { throw std::logic_error("a figure ended the program"); }

void HeadlessPlatform::pumpEvents()
{
    if (pump_)
        pump_();
}

}  // namespace quillon::render
