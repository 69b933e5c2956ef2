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

// --frame, --scale and --size together: the frame alone (default 1024x768) at
// the scale (default 1); or the size alone, framed like a drawing area 1024
// pixels wide of the same shape; or the frame shown at the size. Throws
// UsageError for sizes below 1, a scale at or below 0, or a scale with a size.
Framing framingFor(std::optional<Size> frame, std::optional<double> scale, std::optional<Size> size);

// Pictures larger than this on a side are refused.
inline constexpr int kMaxSide = 65535;

}  // namespace quillon::render
