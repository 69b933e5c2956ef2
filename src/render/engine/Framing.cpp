#include "render/engine/Framing.h"

#include <cmath>

#include "render/engine/FigureChoice.h"
#include "render/engine/UsageError.h"

namespace quillon::render {

std::optional<Size> sizeFrom(std::string_view text)
{
    std::string normal(text);
    for (const std::string_view times : {"\xc3\x97", "X"}) {
        const auto at = normal.find(times);
        if (at != std::string::npos)
            normal.replace(at, times.size(), "x");
    }
    const auto x = normal.find('x');
    if (x == std::string::npos)
        return std::nullopt;
    const auto whole = [](std::string_view digits) -> std::optional<int> {
        if (digits.empty() || digits.size() > 9)
            return std::nullopt;
        int value = 0;
        for (const char c : digits) {
            if (c < '0' || c > '9')
                return std::nullopt;
            value = value * 10 + (c - '0');
        }
        return value;
    };
    const auto w = whole(std::string_view(normal).substr(0, x));
    const auto h = whole(std::string_view(normal).substr(x + 1));
    if (!w || !h)
        return std::nullopt;
    return Size{*w, *h};
}

std::string sizeText(int width, int height) { return std::to_string(width) + "x" + std::to_string(height); }

Framing framingFor(std::optional<Size> frame, std::optional<double> scale, std::optional<Size> size)
{
    const auto check = [](const Size& s, const char* what) {
        if (s.width < 1 || s.height < 1)
            throw UsageError(std::string(what) + " " + sizeText(s.width, s.height) + " is empty");
        if (s.width > kMaxSide || s.height > kMaxSide)
            throw UsageError(std::string(what) + " " + sizeText(s.width, s.height) +
                             " is larger than " + std::to_string(kMaxSide) + " pixels on a side");
    };
    if (frame)
        check(*frame, "--frame");
    if (size)
        check(*size, "--size");
    if (scale && size)
        throw UsageError("--scale and --size both set the picture's size; give one of them");
    if (scale && !(*scale > 0 && std::isfinite(*scale)))
        throw UsageError("--scale " + roundTripText(*scale) + " is not above 0");

    Framing f;
    if (size && !frame) {
        f.frameWidth = 1024;
        f.frameHeight = std::max(1, static_cast<int>(std::lround(1024.0 * size->height / size->width)));
        f.width = size->width;
        f.height = size->height;
        return f;
    }
    if (frame) {
        f.frameWidth = frame->width;
        f.frameHeight = frame->height;
    }
    if (size) {
        f.width = size->width;
        f.height = size->height;
        return f;
    }
    const double k = scale.value_or(1);
    const double w = std::round(f.frameWidth * k), h = std::round(f.frameHeight * k);
    if (w < 1 || h < 1 || w > kMaxSide || h > kMaxSide)
        throw UsageError("--scale " + roundTripText(k) + " makes a picture of " +
                         roundTripText(w) + "x" + roundTripText(h) + " pixels, outside 1 to " +
                         std::to_string(kMaxSide) + " on a side");
    f.width = static_cast<int>(w);
    f.height = static_cast<int>(h);
    return f;
}

}  // namespace quillon::render
