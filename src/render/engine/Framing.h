// Which part of the plane a picture shows and at what size: the drawing area of
// the window whose framing is used (in pixels, 15 units of 1/1440 inch each),
// and the picture's own size in pixels.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quillon::render {

struct Framing {
    int frameWidth = 1024, frameHeight = 768;
    int width = 1024, height = 768;

    double scaleWidth() const { return frameWidth * 15.0; }
    double scaleHeight() const { return frameHeight * 15.0; }
};

struct Size {
    int width = 0, height = 0;
};

// "1024x768" (an "X" or "×" does too); nothing when it is no size.
std::optional<Size> sizeFrom(std::string_view text);
std::string sizeText(int width, int height);

// Refuses an empty frame or picture, or one larger than kMaxSide on a side.
// Throws SettingError ("frame", "size").
void checkFraming(const Framing& framing);

// Pictures larger than this on a side are refused.
inline constexpr int kMaxSide = 65535;

}  // namespace quillon::render
